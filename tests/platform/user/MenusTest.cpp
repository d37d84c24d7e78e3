#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

// What the owner window of the menu received.
std::vector<UINT> ownerMessages;
std::vector<WPARAM> commands;

LRESULT OwnerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ENTERMENULOOP || message == WM_INITMENUPOPUP || message == WM_EXITMENULOOP) {
        ownerMessages.push_back(message);
    }
    if (message == WM_COMMAND) {
        commands.push_back(wParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The user's part, played from a timer while TrackPopupMenu waits.
std::function<void(HWND menu)> userAction;

void ActOnOpenMenu(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND menu = testhooks::FindWindowByClass("#32768");
    if (menu == nullptr || !testhooks::IsShown(menu)) {
        return; // not open yet
    }
    KillTimer(nullptr, timer);
    userAction(menu);
}

class MenuTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = OwnerProcedure;
        windowClass.lpszClassName = "MenuOwner";
        RegisterClassExA(&windowClass);
        owner = CreateWindowExA(0, "MenuOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
        menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 999, "&Font");
        AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuA(menu, MF_STRING | MF_GRAYED, 5, "&Greyed");
        AppendMenuA(menu, MF_STRING | MF_CHECKED, 7, "&Last");
        ownerMessages.clear();
        commands.clear();
    }
    void TearDown() override {
        DestroyMenu(menu);
        DestroyWindow(owner);
        testhooks::PumpMessages();
    }
    BOOL Track(UINT flags, std::function<void(HWND)> action) {
        userAction = std::move(action);
        SetTimer(nullptr, 0, 5, ActOnOpenMenu);
        return TrackPopupMenu(menu, flags, 100, 100, 0, owner, nullptr);
    }
    testsupport::Watchdog watchdog;
    HWND owner = nullptr;
    HMENU menu = nullptr;
};

TEST_F(MenuTest, ItemsAreKeptAndChangedByCommand) {
    EXPECT_EQ(GetMenuItemCount(menu), 4);
    EXPECT_EQ(GetMenuItemID(menu, 0), 999u);
    EXPECT_EQ(GetMenuItemID(menu, 1), static_cast<UINT>(-1));
    char text[16];
    EXPECT_EQ(GetMenuStringA(menu, 999, text, sizeof text, MF_BYCOMMAND), 5);
    EXPECT_STREQ(text, "&Font");
    EXPECT_EQ(EnableMenuItem(menu, 5, MF_ENABLED), MF_GRAYED);
    EXPECT_EQ(CheckMenuItem(menu, 3, MF_BYPOSITION | MF_UNCHECKED), MF_CHECKED);
    EXPECT_EQ(EnableMenuItem(menu, 12345, MF_GRAYED), static_cast<UINT>(-1));
    HMENU gone = CreatePopupMenu();
    EXPECT_TRUE(DestroyMenu(gone));
    EXPECT_FALSE(IsMenu(gone));
    EXPECT_FALSE(AppendMenuA(gone, MF_STRING, 1, "x"));
}

TEST_F(MenuTest, KeysSkipSeparatorsAndGreyedItems) {
    // Down lands on the first item, Down again skips the separator and the greyed item.
    const BOOL chosen = Track(TPM_RETURNCMD, [](HWND open) {
        for (WPARAM key : {VK_DOWN, VK_DOWN}) {
            PostMessageA(open, WM_KEYDOWN, key, 0);
        }
        PostMessageA(open, WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(chosen, 7);
    EXPECT_TRUE(commands.empty()); // TPM_RETURNCMD sends nothing
    EXPECT_EQ(ownerMessages, (std::vector<UINT>{WM_ENTERMENULOOP, WM_INITMENUPOPUP, WM_EXITMENULOOP}));
    EXPECT_EQ(testhooks::FindWindowByClass("#32768"), nullptr);
}

TEST_F(MenuTest, EscapeAndAClickOutsideChooseNothing) {
    EXPECT_EQ(Track(TPM_RETURNCMD, [](HWND open) { PostMessageA(open, WM_KEYDOWN, VK_ESCAPE, 0); }), 0);
    EXPECT_EQ(Track(TPM_RETURNCMD, [this](HWND) { testhooks::ClickAt(owner, POINT{250, 150}); }), 0);
    // A mnemonic of a greyed item chooses nothing either; the menu stays until Esc.
    EXPECT_EQ(Track(TPM_RETURNCMD,
                    [](HWND open) {
                        PostMessageA(open, WM_CHAR, 'g', 0);
                        PostMessageA(open, WM_KEYDOWN, VK_ESCAPE, 0);
                    }),
              0);
}

TEST_F(MenuTest, ClickingAnItemPostsItsCommand) {
    const BOOL result = Track(TPM_LEFTALIGN | TPM_RIGHTBUTTON, [](HWND open) {
        // The first item lies just inside the frame.
        testhooks::ClickAt(open, POINT{20, 8});
    });
    EXPECT_TRUE(result);
    testhooks::PumpMessages();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(LOWORD(commands[0]), 999);
}

TEST_F(MenuTest, MnemonicChoosesAndMenuIsDrawnWithItsItems) {
    const BOOL chosen = Track(TPM_RETURNCMD, [](HWND open) {
        testhooks::PumpMessages();
        RECT client{};
        GetClientRect(open, &client);
        EXPECT_GT(client.right, 40);
        // The menu face is the menu colour; the raised frame is drawn around it.
        EXPECT_EQ(testhooks::ClientPixel(open, client.right - 5, client.bottom - 5), GetSysColor(COLOR_MENU));
        EXPECT_NE(testhooks::ClientPixel(open, client.right - 1, client.bottom - 1), GetSysColor(COLOR_MENU));
        PostMessageA(open, WM_CHAR, 'f', 0);
    });
    EXPECT_EQ(chosen, 999);
}

} // namespace
