#pragma once

#include "support/ChildProcess.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace bench {

// A program's processor time, sampled every 20 ms on a thread of its own through a run; the
// samples' clock is this process's. Under Wine the wineserver's time is counted in: it does part
// of the program's work (handles, waits, messages) on its behalf.
class CpuSampler {
public:
    using Clock = std::chrono::steady_clock;

    CpuSampler(const testsupport::ChildProcess& program, bool countsWineserver);
    ~CpuSampler();
    CpuSampler(const CpuSampler&) = delete;
    CpuSampler& operator=(const CpuSampler&) = delete;

    // The processor seconds the program used between two moments, from the nearest samples.
    double Between(Clock::time_point from, Clock::time_point to);

private:
    double At(Clock::time_point when) const;
    void Run();

    const testsupport::ChildProcess& program;
    const bool countsWineserver;
    std::mutex mutex;
    std::vector<std::pair<Clock::time_point, double>> samples;
    std::atomic<bool> isStopping{false};
    std::thread thread;
};

} // namespace bench
