#pragma once

#include "support/ChildProcess.h"
#include "support/DeviceServerProcess.h"
#include "support/SimulatorProcess.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace testsupport {
class WineSession;
}

namespace bench {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration span);

struct RunPlan {
    unsigned baud = 115200;
    std::size_t bytes = 0; // 0: no download, the program only waits
    bool isMonitorShown = false;
    int charDelay = 0;
    // A waiting run: how long Run measures; the simulator stays on the line that long and more.
    std::chrono::milliseconds idleSpan{0};
    bool isThroughDeviceServer = false;
    // The Windows build under this Wine session, or the Linux build when null.
    const testsupport::WineSession* wine = nullptr;
    // How long the simulator waits for the program to come up before it asks; 0: the usual time
    // (2 s, 6 s under Wine).
    std::chrono::milliseconds startWait{0};
};

struct RunOutcome {
    bool isRight = false;
    std::string problem;
    long bytes = 0;
    double firstToLast = 0.0;    // first byte to the last byte off the wire
    double requestToLast = 0.0;  // the request's CR off the wire to the last byte off the wire
    double answerLatency = 0.0;  // the request's CR readable to the first byte of the answer
    double cpuSeconds = 0.0;     // the program's processor time over requestToLast
    double idleCpuShare = 0.0;   // over the idle span
    long residentKilobytes = -1; // at the end of the run
};

class CpuSampler;

// One program measured from the far end of its cable: a folder of its own holding the settings an
// operator would have made (the binary settings file) and the program to download, the real
// tolva-sim on a pseudo-terminal (or behind ser2net), and the real tolva-dnc unattended on the
// other end (or tolva-dnc.exe under Wine). Start begins both; Finish waits for a download to end,
// closes the program as a user closes it and reads the outcome from the simulator's record of the
// line. Several runs may be under way at once, each in its own folder.
class ProgramRun {
public:
    ProgramRun(const std::string& root, const RunPlan& plan);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // False when the simulator or the program did not start; Finish then says why.
    bool Start();
    // The moment the simulator ends its start wait: the program is up and holds its port.
    Clock::time_point SettledAt() const;
    // Samples the program's processor time every 20 ms from now on, for CpuBetween.
    void SampleCpu();
    // The processor seconds the program used between two moments, from the nearest samples.
    double CpuBetween(Clock::time_point from, Clock::time_point to) const;
    const testsupport::ChildProcess& Program() const { return program; }
    // Waits for a download's activity-log line.
    void WaitForDownload();
    // Waits for a download to end (its activity-log line, and its last bytes' wire time), takes
    // the program's resident memory and closes it as a user closes it. Runs that go on at once are
    // all closed before any is finished: a simulator leaves a while after its last step, and a
    // program that outlives it reports the lost device.
    void Close();
    // Closes the program unless that was done, awaits it and the simulator, and reads the outcome.
    RunOutcome Finish();

private:
    RunOutcome Analyse(RunOutcome outcome) const;

    const RunPlan plan;
    const std::string folder;
    std::string problem;
    testsupport::SimulatorProcess simulator;
    testsupport::DeviceServerProcess server;
    testsupport::ChildProcess program;
    Clock::time_point simulatorStart{};
    bool isClosed = false;
    Clock::time_point downloadSeenAt{};
    long residentKilobytes = -1;
    std::unique_ptr<CpuSampler> sampler;
};

// One run from start to finish; a waiting run measures the program's processor time over its
// idle span, after the program has settled.
RunOutcome Run(const std::string& root, const RunPlan& plan);

} // namespace bench
