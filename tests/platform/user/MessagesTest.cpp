#include "platform/Windows.h"
#include "support/UserSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using testsupport::Recorder;

namespace {

// Answers WM_USER with its parameter plus one, and records every message below WM_USER + 100
// that tests post or send, and WM_PAINT and WM_TIMER.
LRESULT Answering(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_USER && message < WM_USER + 100) || message == WM_TIMER) {
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
    }
    if (message == WM_PAINT) {
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
        // Painting validates the window; without the drawing module the update area is cleared by
        // dispatch.
        return 0;
    }
    if (message == WM_USER) {
        return static_cast<LRESULT>(wParam) + 1;
    }
    if (message == WM_USER + 10) {
        // Sends back to the window in lParam, which may belong to the thread waiting for this answer.
        return SendMessageA(reinterpret_cast<HWND>(lParam), WM_USER, wParam, 0) + 100;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class UserMessages : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Answering;
        windowClass.lpszClassName = "AnsweringWindow";
        RegisterClassExA(&windowClass);
        window = CreateWindowExA(0, "AnsweringWindow", "", WS_OVERLAPPED, 0, 0, 50, 50, nullptr, nullptr,
                                 nullptr, nullptr);
        Recorder::Instance().Take();
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    void TearDown() override {
        DestroyWindow(window);
        UnregisterClassA("AnsweringWindow", nullptr);
    }

    // Dispatches until the queue is empty.
    void Drain() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                break;
            }
            DispatchMessageA(&message);
        }
    }

    testsupport::Watchdog watchdog;
    HWND window = nullptr;
};

} // namespace

TEST_F(UserMessages, SendCallsAtOncePostWaitsForTheLoop) {
    EXPECT_EQ(SendMessageA(window, WM_USER, 41, 0), 42);
    EXPECT_EQ(Recorder::Instance().Take().size(), 1u);
    EXPECT_TRUE(PostMessageA(window, WM_USER + 1, 1, 0));
    EXPECT_TRUE(PostMessageA(window, WM_USER + 2, 2, 0));
    EXPECT_EQ(Recorder::Instance().Take().size(), 0u) << "posted messages wait";
    Drain();
    const auto got = Recorder::Instance().Take();
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_USER + 1) << "in posting order";
    EXPECT_EQ(got[1].message, WM_USER + 2);
    EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x1234), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserMessages, PeekFiltersAndKeeps) {
    PostMessageA(window, WM_USER + 5, 0, 0);
    PostMessageA(window, WM_USER + 6, 0, 0);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_USER + 6, WM_USER + 6, PM_NOREMOVE));
    EXPECT_EQ(message.message, WM_USER + 6);
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 5) << "the filter did not reorder the queue";
    EXPECT_FALSE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE))
        << "thread messages only";
    PostThreadMessageA(GetCurrentThreadId(), WM_USER + 7, 0, 0);
    EXPECT_TRUE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_USER + 7);
    EXPECT_EQ(message.hwnd, nullptr);
}

TEST_F(UserMessages, QuitComesAfterPostedMessagesAndPaintBeforeTimers) {
    SetTimer(window, 5, 10, nullptr);
    InvalidateRect(window, nullptr, TRUE);
    PostQuitMessage(3);
    PostMessageA(window, WM_USER + 1, 0, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_USER + 1) << "posted first";
    EXPECT_FALSE(GetMessageA(&message, nullptr, 0, 0)) << "then the quit message";
    EXPECT_EQ(message.wParam, 3u);
    ShowWindow(window, SW_SHOWNA);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_PAINT) << "paint before timers";
    DispatchMessageA(&message);
    ASSERT_TRUE(GetMessageA(&message, nullptr, 0, 0));
    EXPECT_EQ(message.message, WM_TIMER);
    EXPECT_EQ(message.wParam, 5u);
    KillTimer(window, 5);
}

TEST_F(UserMessages, TimersFireRepeatedlyUntilKilled) {
    EXPECT_EQ(SetTimer(window, 9, 20, nullptr), 9u);
    const auto start = std::chrono::steady_clock::now();
    MSG message;
    int ticks = 0;
    while (ticks < 3 && GetMessageA(&message, nullptr, 0, 0)) {
        if (message.message == WM_TIMER) {
            ++ticks;
        }
        DispatchMessageA(&message);
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(55)) << "three intervals of 20 ms";
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
    EXPECT_TRUE(KillTimer(window, 9));
    EXPECT_FALSE(KillTimer(window, 9));
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE))
        << "a killed timer is silent";
}

namespace {
std::atomic<int> threadTimerCalls{0};
void CountTimer(HWND, UINT message, UINT_PTR, DWORD) {
    threadTimerCalls += message == WM_TIMER ? 1 : 0;
}
} // namespace

TEST_F(UserMessages, TimerWithoutWindowCallsItsProcedure) {
    const UINT_PTR id = SetTimer(nullptr, 0, 10, CountTimer);
    EXPECT_NE(id, 0u);
    const UINT_PTR other = SetTimer(nullptr, 0, 10, CountTimer);
    EXPECT_NE(other, id) << "each timer without a window gets its own id";
    KillTimer(nullptr, other);
    MSG message;
    while (threadTimerCalls < 2 && GetMessageA(&message, nullptr, 0, 0)) {
        DispatchMessageA(&message);
    }
    EXPECT_TRUE(KillTimer(nullptr, id));
    EXPECT_GE(threadTimerCalls.load(), 2);
}

TEST_F(UserMessages, SendAcrossThreadsIsHandledInsideGetMessage) {
    std::atomic<LRESULT> answer{0};
    std::thread sender([this, &answer] {
        answer = SendMessageA(window, WM_USER, 99, 0);
        PostMessageA(window, WM_USER + 50, 0, 0);
    });
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) && message.message != WM_USER + 50) {
        DispatchMessageA(&message);
    }
    sender.join();
    EXPECT_EQ(answer.load(), 100);
    const auto got = Recorder::Instance().Take();
    ASSERT_GE(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_USER)) << "handled by the window's own thread";
}

namespace {
HWND workerWindow = nullptr;
std::atomic<bool> workerReady{false};
} // namespace

TEST_F(UserMessages, ThreadsSendingToEachOtherDoNotDeadlock) {
    // We send to the worker's window; its procedure sends back to ours while we wait, and our thread
    // answers that inside its own SendMessageA.
    workerReady = false;
    std::thread worker([] {
        workerWindow = CreateWindowExA(0, "AnsweringWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                       nullptr, nullptr, nullptr);
        workerReady = true;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0)) {
            DispatchMessageA(&message);
        }
        DestroyWindow(workerWindow);
    });
    while (!workerReady) {
        std::this_thread::yield();
    }
    EXPECT_EQ(SendMessageA(workerWindow, WM_USER + 10, 5, reinterpret_cast<LPARAM>(window)), 106);
    EXPECT_EQ(SendMessageA(workerWindow, WM_USER, 10, 0), 11);
    PostMessageA(workerWindow, WM_QUIT, 0, 0);
    worker.join();
}

TEST_F(UserMessages, SendToAWindowWhoseThreadEndedReturns) {
    HWND orphan = nullptr;
    std::thread owner([&orphan] {
        orphan = CreateWindowExA(0, "AnsweringWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 nullptr, nullptr);
    });
    owner.join();
    std::thread sender([orphan] { SendMessageA(orphan, WM_USER, 1, 0); });
    sender.join(); // must not hang: the watchdog ends the test otherwise
    SUCCEED();
}

TEST_F(UserMessages, TranslateMessageMakesCharactersFromKeys) {
    auto keyDown = [this](int key) {
        MSG message{window, WM_KEYDOWN, static_cast<WPARAM>(key), 1, 0, {}};
        TranslateMessage(&message);
        MSG character;
        return PeekMessageA(&character, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE)
                   ? static_cast<int>(character.wParam)
                   : -1;
    };
    EXPECT_EQ(keyDown('A'), 'a');
    platform::SetKeyDown(VK_LSHIFT, true);
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_EQ(keyDown('A'), 'A');
    EXPECT_EQ(keyDown('1'), '!');
    platform::SetKeyDown(VK_LSHIFT, false);
    platform::SetKeyDown(VK_CONTROL, true);
    EXPECT_EQ(keyDown('S'), 19) << "Ctrl+S is the control character DC3";
    platform::SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(keyDown(VK_RETURN), '\r');
    EXPECT_EQ(keyDown(VK_LEFT), -1) << "arrows make no character";
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
}

TEST_F(UserMessages, RegisteredMessagesAreSharedByName) {
    const UINT wheel = RegisterWindowMessageA("MSWHEEL_ROLLMSG");
    EXPECT_GE(wheel, 0xC000u);
    EXPECT_EQ(RegisterWindowMessageA("mswheel_rollmsg"), wheel);
    EXPECT_NE(RegisterWindowMessageA("Other"), wheel);
}

TEST_F(UserMessages, DestroyedWindowLosesItsMessagesAndTimers) {
    HWND doomed = CreateWindowExA(0, "AnsweringWindow", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    PostMessageA(doomed, WM_USER + 3, 0, 0);
    SetTimer(doomed, 1, 10, nullptr);
    DestroyWindow(doomed);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    MSG message;
    EXPECT_FALSE(PeekMessageA(&message, doomed, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE));
}
