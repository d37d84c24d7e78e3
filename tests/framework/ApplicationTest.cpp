#include "framework/Application.h"

#include "framework/MemoryManager.h"
#include "framework/NumberSeparators.h"
#include "framework/services/Timer.h"
#include "support/ProbeWindow.h"
#include "testhooks/TestHooks.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

using framework::Application;
using framework::OneShotTimer;
using framework::Timer;
using testsupport::ProbeWindow;

namespace {

DWORD fakeNow = 0;
DWORD FakeClock() {
    return fakeNow;
}

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        fakeNow = 1000;
        Application::SetClock(FakeClock);
    }
    void TearDown() override { Application::SetClock(nullptr); }
    Application application{GetModuleHandleA(nullptr)};
};

// Advances the fake clock tick by tick and returns the ticks (1-based) at which the timer fired.
std::vector<int> FiringTicks(Application& application, int& fired, int ticks) {
    std::vector<int> at;
    for (int tick = 1; tick <= ticks; ++tick) {
        fakeNow += Application::TickMs;
        const int before = fired;
        application.Tick(fakeNow);
        if (fired != before) {
            at.push_back(tick);
        }
    }
    return at;
}

} // namespace

TEST_F(ApplicationTest, ConstructionSetsThePlatformUp) {
    EXPECT_EQ(Application::Instance(), &application);
    EXPECT_FALSE(application.IsThemed()) << "no visual-style library on this platform";
    EXPECT_FALSE(application.IsSingleClickShell());
    EXPECT_GE(application.WheelMessage(), 0xC000u);
    EXPECT_EQ(application.IdleFlag(), 1);
    EXPECT_TRUE(
        Application::IsControlsVersionAcceptable(application.ControlsMajor(), application.ControlsMinor()));
}

TEST_F(ApplicationTest, ControlsVersionCheck) {
    EXPECT_FALSE(Application::IsControlsVersionAcceptable(4, 70));
    EXPECT_TRUE(Application::IsControlsVersionAcceptable(4, 71));
    EXPECT_TRUE(Application::IsControlsVersionAcceptable(4, 72));
    EXPECT_TRUE(Application::IsControlsVersionAcceptable(5, 80));
    EXPECT_FALSE(Application::IsControlsVersionAcceptable(4, 0));
    EXPECT_STREQ(
        Application::ControlsVersionProblem(4, 70).CStr(),
        "Incorrect Version: COMCTL32.DLL (4.70)\n\nVersion 4.71 or above is required to run this program");
    EXPECT_NE(std::string(Application::ControlsVersionProblem(0, 0).CStr()).find("(Unknown)"),
              std::string::npos);
}

TEST_F(ApplicationTest, IdsWrapToZeroAndWaitCursorNeverGoesNegative) {
    EXPECT_EQ(application.NextId(), 0);
    EXPECT_EQ(application.NextId(), 1);
    application.SetNextId(0x7FFFFFFF);
    EXPECT_EQ(application.NextId(), 0x7FFFFFFF);
    EXPECT_EQ(application.NextId(), 0) << "after 0x7FFFFFFF comes 0";
    application.EndWaitCursor();
    application.EndWaitCursor();
    EXPECT_EQ(application.WaitCursorDepth(), 0);
    application.BeginWaitCursor();
    application.BeginWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    application.EndWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT)) << "still one level deep";
    application.EndWaitCursor();
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(ApplicationTest, WaitCursorStaysOverFrameworkWindowsUntilSuspendedOrEnded) {
    using testhooks::MoveMouseTo;
    ProbeWindow window;
    ShowWindow(window.Handle(), SW_SHOW);
    application.SetMainWindow(&window);
    ASSERT_TRUE(MoveMouseTo(window.Handle(), POINT{5, 5}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW)) << "the frame class's arrow";
    application.BeginWaitCursor();
    ASSERT_TRUE(MoveMouseTo(window.Handle(), POINT{6, 6}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT)) << "a move does not bring the arrow back";
    application.SuspendWaitCursor();
    ASSERT_TRUE(MoveMouseTo(window.Handle(), POINT{7, 7}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW)) << "suspended around a message box";
    application.RestoreWaitCursor();
    ASSERT_TRUE(MoveMouseTo(window.Handle(), POINT{8, 8}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
    application.EndWaitCursor();
    ASSERT_TRUE(MoveMouseTo(window.Handle(), POINT{9, 9}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    application.SetMainWindow(nullptr);
}

TEST_F(ApplicationTest, TimerOf250MsFiresAtEveryThirdTick) {
    int fired = 0;
    Timer timer([&fired] { ++fired; }, 250, true);
    EXPECT_TRUE(timer.IsActive());
    EXPECT_EQ(FiringTicks(application, fired, 9), (std::vector<int>{3, 6, 9}));
}

TEST_F(ApplicationTest, StartNowFiresAndCountsFromThere) {
    int fired = 0;
    Timer timer([&fired] { ++fired; }, 250, false);
    EXPECT_FALSE(timer.IsActive());
    EXPECT_TRUE(timer.Start(true));
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer.Start(false)) << "never registered twice";
    EXPECT_EQ(FiringTicks(application, fired, 3), (std::vector<int>{3}));
    EXPECT_TRUE(timer.Stop());
    EXPECT_FALSE(timer.Stop());
    EXPECT_TRUE(FiringTicks(application, fired, 6).empty()) << "a stopped timer is silent";
}

TEST_F(ApplicationTest, OneShotFiresOnceUntilStartedAgain) {
    int fired = 0;
    OneShotTimer timer([&fired] { ++fired; }, 100, true);
    EXPECT_EQ(FiringTicks(application, fired, 5), (std::vector<int>{1}));
    EXPECT_FALSE(timer.IsActive());
    timer.Start(false);
    EXPECT_EQ(FiringTicks(application, fired, 5), (std::vector<int>{1}));
}

TEST_F(ApplicationTest, DestroyedTimerLeavesTheList) {
    int fired = 0;
    auto* timer = new Timer([&fired] { ++fired; }, 100, true);
    EXPECT_TRUE(application.HasTimer(timer));
    delete timer;
    EXPECT_FALSE(application.HasTimer(timer));
    EXPECT_TRUE(FiringTicks(application, fired, 3).empty());
}

TEST_F(ApplicationTest, CallbackMayDeleteItsOwnTimer) {
    int fired = 0;
    Timer* other = nullptr;
    Timer* self = nullptr;
    self = new Timer(
        [&] {
            ++fired;
            delete other; // also due at this tick: must not fire after being deleted
            other = nullptr;
        },
        100, true);
    other = new Timer([&fired] { fired += 100; }, 100, true);
    FiringTicks(application, fired, 1);
    EXPECT_EQ(fired, 1);
    delete self;
}

TEST_F(ApplicationTest, IdleClientsPollUntilAMessageArrives) {
    Application::SetClock(nullptr);
    ProbeWindow window;
    window.idleResult = 1; // always wants more idle time
    application.AddIdleClient(&window);
    application.AddIdleClient(&window);
    // A thread timer ends the loop after a while; the idle client keeps running meanwhile.
    SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        PostQuitMessage(7);
    });
    EXPECT_EQ(application.Run(), 7);
    EXPECT_GT(window.idleCalls, 10);
    application.RemoveIdleClient(&window);
}

TEST_F(ApplicationTest, AcceleratorsOfTheMainWindowBecomeCommands) {
    Application::SetClock(nullptr);
    ProbeWindow main;
    application.SetMainWindow(&main);
    ACCEL keys[] = {{FVIRTKEY | FCONTROL, 'O', 40}, {FVIRTKEY, VK_F1, 41}};
    HACCEL table = CreateAcceleratorTableA(keys, 2);
    application.SetAccelerators(table);
    platform::SetKeyDown(VK_CONTROL, true);
    PostMessageA(main.Handle(), WM_KEYDOWN, 'O', 1);
    PostMessageA(main.Handle(), WM_USER, 0, 0); // plain traffic goes on
    PostQuitMessage(0);
    main.calls.clear();
    EXPECT_EQ(application.Run(), 0);
    platform::SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(main.calls, (std::vector<std::string>{"OnCommand 40/1"}))
        << "translated, not dispatched as a key";
    MSG f1{main.Handle(), WM_KEYDOWN, VK_F1, 1, 0, {}};
    EXPECT_EQ(TranslateAcceleratorA(main.Handle(), table, &f1), 1);
    MSG shiftedF1 = f1;
    platform::SetKeyDown(VK_SHIFT, true);
    EXPECT_EQ(TranslateAcceleratorA(main.Handle(), table, &shiftedF1), 0) << "modifiers must match exactly";
    platform::SetKeyDown(VK_SHIFT, false);
    EXPECT_TRUE(DestroyAcceleratorTable(table));
    EXPECT_FALSE(DestroyAcceleratorTable(table));
    application.SetAccelerators(nullptr);
    application.SetMainWindow(nullptr);
}

TEST_F(ApplicationTest, RefusedMemoryIsReportedByTheMainWindow) {
    ProbeWindow main;
    main.SetText("TOLVA");
    application.SetMainWindow(&main);
    static int refusals = 0;
    refusals = 1;
    framework::MemoryManager manager([](void* block, size_t size) -> void* {
        if (size == 0) {
            std::free(block);
            return nullptr;
        }
        return refusals-- > 0 ? nullptr : std::realloc(block, size);
    });
    ::testing::internal::CaptureStderr();
    void* block = manager.Allocate(32);
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(block, nullptr);
    EXPECT_NE(shown.find("TOLVA: Out of memory\n\nPlease close down some applications before continuing"),
              std::string::npos)
        << shown;
    manager.Free(block);
    application.SetMainWindow(nullptr);
}

TEST_F(ApplicationTest, LocaleSeparatorsReachTheStrings) {
    // The C locale of the test run: a full stop and no thousands separator.
    EXPECT_EQ(framework::NumberSeparators::Decimal(), '.');
    EXPECT_EQ(application.TimeSeparator(), ':');
}
