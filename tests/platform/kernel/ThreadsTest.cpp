#include "platform/Windows.h"
#include "support/UserSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

std::atomic<int> loops{0};
std::atomic<bool> stopLooping{false};

// A poll loop like the port's: work, then a 1 ms sleep, which is where it can be suspended.
DWORD PollLoop(LPVOID) {
    while (!stopLooping) {
        ++loops;
        Sleep(1);
    }
    return 7;
}

class KernelThreads : public ::testing::Test {
protected:
    void SetUp() override {
        loops = 0;
        stopLooping = false;
    }
    testsupport::Watchdog watchdog;
};

int LoopsDuring(std::chrono::milliseconds time) {
    const int before = loops;
    std::this_thread::sleep_for(time);
    return loops - before;
}

} // namespace

TEST_F(KernelThreads, ThreadRunsEndsAndReportsItsExitCode) {
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, PollLoop, nullptr, 0, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_NE(id, GetCurrentThreadId());
    EXPECT_EQ(GetThreadId(thread), id);
    DWORD code = 0;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
    stopLooping = true;
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 7u);
    CloseHandle(thread);
}

TEST_F(KernelThreads, SuspensionParksAtTheNextSleepAndNests) {
    HANDLE thread = CreateThread(nullptr, 0, PollLoop, nullptr, 0, nullptr);
    while (loops == 0) {
        std::this_thread::yield();
    }
    EXPECT_EQ(SuspendThread(thread), 0u);
    EXPECT_EQ(LoopsDuring(std::chrono::milliseconds(30)), 0) << "parked once SuspendThread returned";
    EXPECT_EQ(SuspendThread(thread), 1u) << "suspensions nest";
    EXPECT_EQ(ResumeThread(thread), 2u);
    EXPECT_EQ(LoopsDuring(std::chrono::milliseconds(30)), 0) << "still suspended once";
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_GT(LoopsDuring(std::chrono::milliseconds(30)), 0) << "running again";
    EXPECT_EQ(ResumeThread(thread), 0u) << "resuming a running thread changes nothing";
    stopLooping = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST_F(KernelThreads, CreatedSuspendedWaitsForResume) {
    HANDLE thread = CreateThread(nullptr, 0, PollLoop, nullptr, CREATE_SUSPENDED, nullptr);
    EXPECT_EQ(LoopsDuring(std::chrono::milliseconds(30)), 0);
    EXPECT_EQ(ResumeThread(thread), 1u);
    EXPECT_GT(LoopsDuring(std::chrono::milliseconds(30)), 0);
    stopLooping = true;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
}

TEST_F(KernelThreads, EventsSignalManuallyOrAutomatically) {
    HANDLE manual = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE automatic = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0) << "stays set";
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT) << "resets itself";
    std::thread setter([automatic] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        SetEvent(automatic);
    });
    EXPECT_EQ(WaitForSingleObject(automatic, 2000), WAIT_OBJECT_0);
    setter.join();
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(0x4321), 0), WAIT_FAILED);
    CloseHandle(manual);
    CloseHandle(automatic);
}
