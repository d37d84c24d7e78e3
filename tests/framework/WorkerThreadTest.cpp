#include "framework/services/WorkerThread.h"

#include "framework/Application.h"
#include "support/ProbeWindow.h"
#include "testhooks/TestHooks.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <thread>

using framework::Application;
using framework::WorkerThread;
using testsupport::ProbeWindow;

namespace {

// Polls until asked to stop, as the port's poll thread does.
class PollingWorker : public WorkerThread {
public:
    DWORD Run() override {
        while (!IsStopRequested()) {
            ++passes;
            Sleep(1);
        }
        return 0;
    }
    std::atomic<int> passes{0};
};

int PassesDuring(PollingWorker& worker, int milliseconds) {
    const int before = worker.passes;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return worker.passes - before;
}

class WorkerThreadTest : public ::testing::Test {
protected:
    Application application{GetModuleHandleA(nullptr)};
};

} // namespace

TEST_F(WorkerThreadTest, RunNumbersCountAndWrapToOne) {
    PollingWorker worker;
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.IsFinished());
    WorkerThread::SetRunCounter(41);
    worker.Start();
    EXPECT_TRUE(worker.IsRunning());
    EXPECT_EQ(worker.RunNumber(), 42);
    worker.Start(); // stops and waits for the old run first
    EXPECT_EQ(worker.RunNumber(), 43);
    EXPECT_TRUE(worker.IsRunning());
    const int passes = worker.passes;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(worker.passes, passes) << "the new run goes on: the old run's stop does not reach it";
    WorkerThread::SetRunCounter(WorkerThread::LastRunNumber);
    worker.Start();
    EXPECT_EQ(worker.RunNumber(), 1) << "after 0xEFFFFFFF comes 1";
    worker.Stop(false);
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_TRUE(worker.IsFinished());
}

// The finished message is sent after the run has marked itself finished, so it may reach the
// window only when the owner next looks at its messages: the owner pumps for a while.
static bool PumpUntil(const std::function<bool()>& condition, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!condition() && std::chrono::steady_clock::now() < deadline) {
        testhooks::PumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

TEST_F(WorkerThreadTest, StopKeepsOrClearsTheNotifyWindow) {
    ProbeWindow window;
    PollingWorker worker;
    worker.SetNotifyWindow(&window);
    worker.Start();
    window.calls.clear();
    worker.Stop(true);
    EXPECT_TRUE(PumpUntil([&] { return !window.calls.empty(); }, 2000));
    EXPECT_EQ(window.calls, (std::vector<std::string>{"OnMessage 3"})) << "finished message sent and handled";

    worker.Start();
    window.calls.clear();
    worker.Stop(false);
    PumpUntil([] { return false; }, 50);
    EXPECT_TRUE(window.calls.empty()) << "Stop(false) clears the windows";
}

TEST_F(WorkerThreadTest, RequestStopAsksTheQueryWindow) {
    ProbeWindow query;
    PollingWorker worker;
    worker.SetQueryWindow(&query);
    query.messageResult = 1; // keep running
    worker.Start();
    worker.RequestStop();
    EXPECT_FALSE(worker.IsStopRequested());
    EXPECT_GT(PassesDuring(worker, 20), 0);
    query.messageResult = 0;
    worker.RequestStop();
    EXPECT_TRUE(worker.IsStopRequested());
    worker.Stop(false);
}

TEST_F(WorkerThreadTest, SuspendAndResumeNest) {
    PollingWorker worker;
    EXPECT_EQ(worker.Suspend(), 0u) << "idle: nothing to suspend";
    worker.Start();
    while (worker.passes == 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(worker.Suspend(), 0u);
    EXPECT_EQ(worker.Suspend(), 1u);
    EXPECT_EQ(PassesDuring(worker, 20), 0);
    EXPECT_EQ(worker.Resume(), 2u);
    EXPECT_EQ(PassesDuring(worker, 20), 0) << "one suspension left";
    EXPECT_EQ(worker.Resume(), 1u);
    EXPECT_GT(PassesDuring(worker, 20), 0);
    worker.Suspend();
    worker.Stop(false); // resumes once, then the worker sees the flag
    EXPECT_FALSE(worker.IsRunning());
}

TEST_F(WorkerThreadTest, CtrlPauseEndsAWaitForAStuckWorker) {
    PollingWorker worker;
    worker.Start();
    worker.Suspend();
    worker.Suspend(); // Stop resumes once: the worker stays suspended
    const DWORD waiter = GetCurrentThreadId();
    std::thread user([waiter] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        platform::SetKeyDown(VK_CONTROL, true);
        platform::SetKeyDown(VK_PAUSE, true);
        PostThreadMessageA(waiter, WM_NULL, 0, 0); // input arrives; the wait looks at the keys
    });
    worker.Stop(false);
    user.join();
    EXPECT_TRUE(worker.IsRunning()) << "the user gave up waiting; the worker is still there";
    platform::SetKeyDown(VK_CONTROL, false);
    platform::SetKeyDown(VK_PAUSE, false);
    worker.Resume();
    worker.Stop(false);
    EXPECT_FALSE(worker.IsRunning());
}
