#pragma once

#include "platform/Windows.h"

#include <atomic>
#include <cstdint>

namespace framework {

class Window;

// Work beside the window thread. A subclass supplies Run; the base starts a thread that calls it,
// lets the owner suspend, resume and stop it, and tells an optional window when it has finished.
// Stopping is cooperative: the owner raises stopRequested, which Run polls on every pass.
//
// The owner's thread (normally the window thread) calls every operation; the worker thread reads
// stopRequested and writes finished and the handle at its end, all atomically.
class WorkerThread {
public:
    static constexpr UINT MessageFinished = 0x8003;  // wParam run number, lParam the worker
    static constexpr UINT MessageStopQuery = 0x8004; // answer 0 = stop
    static constexpr int32_t LastRunNumber = static_cast<int32_t>(0xEFFFFFFF);

    explicit WorkerThread(bool useCom = false);
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;
    virtual ~WorkerThread();

    HANDLE Start();
    void Stop(bool keepWindows);
    void RequestStop();
    DWORD Suspend();
    DWORD Resume();
    bool IsRunning() const { return handle.load() != nullptr; }
    void WaitUntilFinished();

    void SetNotifyWindow(Window* window) { notifyWindow = window; }
    void SetQueryWindow(Window* window) { queryWindow = window; }
    bool IsStopRequested() const { return stopRequested.load() != 0; }
    bool IsFinished() const { return finished.load() != 0; }
    int32_t RunNumber() const { return runNumber; }

    // Sets the process-wide run counter; for tests of its wrap.
    static void SetRunCounter(int32_t value);

protected:
    virtual DWORD Run() = 0;

private:
    static DWORD Entry(LPVOID argument);
    void Finish();

    std::atomic<HANDLE> handle{nullptr};
    // Read by the worker at its end while the owner may clear them: atomic.
    std::atomic<Window*> notifyWindow{nullptr};
    std::atomic<Window*> queryWindow{nullptr};
    std::atomic<int32_t> stopRequested{0};
    std::atomic<int32_t> finished{1};
    bool useCom;
    int32_t runNumber = 0;
    // The thread that started the run, woken when the run ends.
    DWORD ownerThread = 0;
};

} // namespace framework
