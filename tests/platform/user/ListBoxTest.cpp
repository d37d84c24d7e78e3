#include "support/ControlSupport.h"

#include <string>

namespace {

using testhooks::ClickAt;
using testhooks::PressKey;
using testsupport::Notice;

class UserListBox : public testsupport::HostedControls {
protected:
    HWND MakeList(DWORD style, int height = 100, int id = 30) {
        HWND list = Create("LISTBOX", "", style, 10, 10, 120, height, id);
        SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        return list;
    }
    static void Add(HWND list, std::initializer_list<const char*> texts) {
        for (const char* text : texts) {
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    }
    static std::string Text(HWND list, int index) {
        const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
        if (length < 0) {
            return "<error>";
        }
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    static int Height(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)); }
    // The middle of an item's row, for clicks.
    static POINT Row(HWND list, int row) { return POINT{20, row * Height(list) + Height(list) / 2}; }
    static LRESULT Selected(HWND list) { return SendMessageA(list, LB_GETCURSEL, 0, 0); }
};

TEST_F(UserListBox, SortedListKeepsFoldedOrderAndEachItemsValue) {
    HWND list = MakeList(LBS_SORT | LBS_HASSTRINGS);
    const char* added[] = {"Xon/Xoff", "hardware", "None", "Combined"};
    const int expectedIndex[] = {0, 0, 1, 0};
    for (int i = 0; i < 4; ++i) {
        const LRESULT index = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(added[i]));
        EXPECT_EQ(index, expectedIndex[i]) << added[i];
        SendMessageA(list, LB_SETITEMDATA, index, 100 + i);
    }
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(Text(list, 0), "Combined");
    EXPECT_EQ(Text(list, 1), "hardware") << "case is folded for sorting only";
    EXPECT_EQ(Text(list, 3), "Xon/Xoff");
    EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 3, 0), 100) << "the value moves with its item";
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("NONE")), 2);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRINGEXACT, -1, reinterpret_cast<LPARAM>("Non")), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, -1, reinterpret_cast<LPARAM>("n")), 2);
    EXPECT_EQ(SendMessageA(list, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>("c")), 0) << "the search wraps";
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("Zed")), 1)
        << "insert keeps its place";
    EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("Far")), LB_ERR);
    SendMessageA(list, LB_SETCURSEL, 3, 0);
    EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 1, 0), 4) << "the count left";
    EXPECT_EQ(Selected(list), 2) << "the selection follows its item";
    EXPECT_EQ(Text(list, 2), "None");
    EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 7, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR)
        << "clearing answers LB_ERR";
    EXPECT_EQ(Selected(list), LB_ERR);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(Take().empty()) << "nothing done by message is reported";
}

TEST_F(UserListBox, ClickSelectsAndReportsOnRelease) {
    HWND list = MakeList(LBS_NOTIFY);
    Add(list, {"COM1", "COM2", "COM3"});
    ClickAt(list, Row(list, 2));
    EXPECT_EQ(Codes(Take(WM_COMMAND)), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
    EXPECT_EQ(Selected(list), 2);
    ClickAt(list, Row(list, 2));
    EXPECT_EQ(Codes(Take(WM_COMMAND)), (std::vector<int>{LBN_SELCHANGE})) << "Win32 reports every click";
    ClickAt(list, POINT{20, 90});
    EXPECT_EQ(Selected(list), 2) << "below the last item nothing changes";
    HWND quiet = Create("ListBox", "", 0, 150, 10, 100, 60, 31);
    SendMessageA(quiet, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("One"));
    Take();
    ClickAt(quiet, POINT{10, 5});
    const auto notices = Take(WM_COMMAND);
    EXPECT_EQ(Codes(notices), (std::vector<int>{LBN_KILLFOCUS, LBN_SETFOCUS}))
        << "without LBS_NOTIFY only focus";
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].from, list);
    EXPECT_EQ(notices[1].from, quiet);
    EXPECT_EQ(notices[1].id, 31);
    EXPECT_EQ(SendMessageA(quiet, LB_GETCURSEL, 0, 0), 0);
}

TEST_F(UserListBox, DoubleClickReportsDblclkAfterTheSelection) {
    HWND list = MakeList(LBS_NOTIFY);
    Add(list, {"alpha", "beta"});
    testhooks::DoubleClickAt(list, Row(list, 1));
    EXPECT_EQ(Codes(Take(WM_COMMAND)), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_DBLCLK}));
    EXPECT_EQ(Selected(list), 1);
}

TEST_F(UserListBox, KeysMoveTheSelectionAndTypedLettersFindItems) {
    HWND list = MakeList(LBS_NOTIFY, 60);
    Add(list, {"apple", "banana", "blueberry", "cherry", "damson", "elder", "fig", "grape"});
    const int rows = 60 / Height(list);
    SetFocus(list);
    Take();
    PressKey(list, VK_DOWN);
    EXPECT_EQ(Selected(list), 0) << "the first key selects the first item";
    PressKey(list, VK_NEXT);
    EXPECT_EQ(Selected(list), rows - 1) << "a page is the rows shown less one";
    PressKey(list, VK_END);
    EXPECT_EQ(Selected(list), 7);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 8 - rows) << "the selection scrolled into view";
    PressKey(list, VK_END);
    PressKey(list, VK_HOME);
    EXPECT_EQ(Selected(list), 0);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    testhooks::TypeText(list, "b");
    EXPECT_EQ(Selected(list), 1);
    testhooks::TypeText(list, "B");
    EXPECT_EQ(Selected(list), 2) << "the same letter again finds the next";
    testhooks::TypeText(list, "q");
    EXPECT_EQ(Selected(list), 2) << "no item starts with q";
    EXPECT_EQ(Codes(Take(WM_COMMAND)), (std::vector<int>{LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE,
                                                         LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}))
        << "End on the last item changes nothing";
    EXPECT_EQ(SendMessageA(list, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(UserListBox, SettingTheSelectionScrollsItIntoViewSilently) {
    HWND list = MakeList(LBS_NOTIFY | WS_VSCROLL, 60);
    for (int i = 0; i < 30; ++i) {
        const std::string text = "Item " + std::to_string(i);
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    const int rows = 60 / Height(list);
    EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 25, 0), 25);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 25 - rows + 1);
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 25 - rows + 1) << "the bar follows the top item";
    EXPECT_EQ(SendMessageA(list, LB_SETTOPINDEX, 40, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(list, LB_SETTOPINDEX, 29, 0), LB_OKAY);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 30 - rows) << "the last page stays full";
    EXPECT_TRUE(Take().empty());
}

TEST_F(UserListBox, WheelAndScrollBarMoveTheTopItem) {
    HWND list = MakeList(LBS_NOTIFY | WS_VSCROLL, 60);
    for (int i = 0; i < 30; ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("row"));
    }
    SetFocus(list);
    testhooks::TurnWheel(list, -1);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 3) << "three lines a notch";
    testhooks::TurnWheel(list, 2);
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
    RECT client{};
    GetClientRect(list, &client);
    ClickAt(list, POINT{client.right + 8, client.bottom - 4});
    EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1) << "the bar's down arrow";
    EXPECT_EQ(GetScrollPos(list, SB_VERT), 1);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(GetWindowLongPtrA(list, GWL_STYLE) & WS_VSCROLL, 0) << "an empty list needs no bar";
    EXPECT_EQ(Selected(list), LB_ERR);
}

TEST_F(UserListBox, DisabledListIgnoresMouseAndKeys) {
    HWND list = MakeList(LBS_NOTIFY);
    Add(list, {"one", "two"});
    EnableWindow(list, FALSE);
    ClickAt(list, Row(list, 1));
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageA(list, WM_CHAR, 't', 0);
    EXPECT_EQ(Selected(list), LB_ERR);
    EXPECT_TRUE(Take().empty());
}

TEST_F(UserListBox, SelectedItemIsDrawnInTheHighlightColours) {
    HWND list = MakeList(LBS_NOTIFY | WS_VSCROLL, 60, 30);
    SetWindowLongPtrA(list, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
    SetWindowPos(list, nullptr, 10, 10, 120, 64, SWP_NOZORDER);
    for (const char* text : {"Xon/Xoff", "Hardware", "None", "Combined", "Extra 1", "Extra 2", "Extra 3"}) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendMessageA(list, LB_SETCURSEL, 1, 0);
    testhooks::PumpMessages();
    using testhooks::ClientPixel;
    EXPECT_EQ(ClientPixel(list, 1, Height(list) + 1), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(ClientPixel(list, 90, 2), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(ClientPixel(list, -2, 5), GetSysColor(COLOR_BTNSHADOW)) << "the sunken edge";
    testsupport::ExpectTreeAndSnapshot(host, "UserListBox");
}

} // namespace
