#include "framework/Shortcuts.h"

#include "framework/Application.h"
#include "support/ProbeWindow.h"

#include <gtest/gtest.h>

using framework::Application;
using framework::Shortcuts;
using testsupport::ProbeWindow;

namespace {

constexpr LPARAM KeyDown = 1;
constexpr LPARAM KeyUp = static_cast<LPARAM>(0xC0000001u); // previous state and release bits

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override { window.calls.clear(); }
    void TearDown() override { platform::SetKeyDown(VK_CONTROL, false); }

    // Types Ctrl+S into the window as a user would: key down, character, key up.
    void TypeCtrlS() {
        platform::SetKeyDown(VK_CONTROL, true);
        SendMessageA(window.Handle(), WM_KEYDOWN, 'S', KeyDown);
        SendMessageA(window.Handle(), WM_CHAR, 19, KeyDown);
        SendMessageA(window.Handle(), WM_KEYUP, 'S', KeyUp);
        platform::SetKeyDown(VK_CONTROL, false);
    }
    int Commands() const {
        return static_cast<int>(std::count(window.calls.begin(), window.calls.end(), "OnCommand 77/1"));
    }

    Application application{GetModuleHandleA(nullptr)};
    ProbeWindow window;
    Shortcuts& shortcuts = application.GetShortcuts();
};

// Records the key messages that reach it past the shortcuts.
class KeyProbe : public ProbeWindow {
public:
    LRESULT OnKeyDown(framework::MessageRecord&) override {
        calls.push_back("OnKeyDown");
        return 0;
    }
    LRESULT OnChar(framework::MessageRecord&) override {
        calls.push_back("OnChar");
        return 0;
    }
    LRESULT OnKeyUp(framework::MessageRecord&) override {
        calls.push_back("OnKeyUp");
        return 0;
    }
};

} // namespace

TEST_F(ShortcutsTest, CtrlSSendsOneAcceleratorCommandAndSwallowsTheRest) {
    KeyProbe probe;
    EXPECT_TRUE(shortcuts.AddShortcut(&probe, 77, 'S', Shortcuts::ModifierCtrl));
    probe.calls.clear();
    platform::SetKeyDown(VK_CONTROL, true);
    SendMessageA(probe.Handle(), WM_KEYDOWN, 'S', KeyDown);
    SendMessageA(probe.Handle(), WM_CHAR, 19, KeyDown);
    SendMessageA(probe.Handle(), WM_KEYUP, 'S', KeyUp);
    platform::SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"OnCommand 77/1"})) << "one command, notification 1";
    EXPECT_EQ(shortcuts.PressedCount(), 0) << "the release ended the press";

    probe.calls.clear();
    SendMessageA(probe.Handle(), WM_KEYDOWN, 'S', KeyDown);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"OnKeyDown"})) << "without Ctrl it is a plain key";
}

TEST_F(ShortcutsTest, SuspensionsNestAndMenusSuspendAll) {
    shortcuts.AddShortcut(&window, 77, 'S', Shortcuts::ModifierCtrl);
    EXPECT_EQ(shortcuts.SuspendShortcuts(nullptr), 1);
    EXPECT_EQ(shortcuts.SuspendShortcuts(&window), 0) << "already inactive";
    TypeCtrlS();
    EXPECT_EQ(Commands(), 0);
    EXPECT_EQ(shortcuts.ResumeShortcuts(nullptr), 0) << "one suspension still outstanding";
    TypeCtrlS();
    EXPECT_EQ(Commands(), 0);
    EXPECT_EQ(shortcuts.ResumeShortcuts(&window), 1);
    TypeCtrlS();
    EXPECT_EQ(Commands(), 1);

    SendMessageA(window.Handle(), 0x0211 /* WM_ENTERMENULOOP */, 0, 0);
    TypeCtrlS();
    EXPECT_EQ(Commands(), 1) << "menus open: nothing";
    SendMessageA(window.Handle(), 0x0212 /* WM_EXITMENULOOP */, 0, 0);
    TypeCtrlS();
    EXPECT_EQ(Commands(), 2);
}

TEST_F(ShortcutsTest, Command1802StaysActive) {
    shortcuts.AddShortcut(&window, Shortcuts::AlwaysActiveId, 'S', Shortcuts::ModifierCtrl);
    shortcuts.SuspendShortcuts(nullptr);
    TypeCtrlS();
    EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "OnCommand 1802/1"), 1);
}

TEST_F(ShortcutsTest, RemovingWhileHeldLetsTheKeyUpThrough) {
    KeyProbe probe;
    shortcuts.AddShortcut(&probe, 77, 'S', Shortcuts::ModifierCtrl);
    platform::SetKeyDown(VK_CONTROL, true);
    SendMessageA(probe.Handle(), WM_KEYDOWN, 'S', KeyDown);
    EXPECT_TRUE(shortcuts.RemoveShortcuts(&probe));
    probe.calls.clear();
    SendMessageA(probe.Handle(), WM_KEYUP, 'S', KeyUp);
    platform::SetKeyDown(VK_CONTROL, false);
    EXPECT_EQ(probe.calls, (std::vector<std::string>{"OnKeyUp"}));
    EXPECT_FALSE(shortcuts.RemoveShortcuts(&probe));
}

TEST_F(ShortcutsTest, KeysAreForwardedToReceivers) {
    KeyProbe receiver;
    shortcuts.AddKeyForwarding(&window, &receiver);
    receiver.calls.clear();
    SendMessageA(window.Handle(), WM_KEYDOWN, 'A', KeyDown);
    EXPECT_EQ(receiver.calls, (std::vector<std::string>{"OnKeyDown"}));
    receiver.calls.clear();
    SendMessageA(window.Handle(), WM_KEYDOWN, 'A', KeyDown | (1 << 29));
    EXPECT_TRUE(receiver.calls.empty()) << "keys typed with Alt are not forwarded";
    shortcuts.SuspendShortcuts(&window);
    SendMessageA(window.Handle(), WM_KEYDOWN, 'A', KeyDown);
    EXPECT_TRUE(receiver.calls.empty());
    shortcuts.ResumeShortcuts(&window);
    EXPECT_EQ(shortcuts.RemoveKeyForwarding(&window), 1);
}
