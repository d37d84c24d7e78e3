#include "support/ControlSupport.h"

#include <string>

namespace {

using testhooks::Click;
using testhooks::ClickAt;
using testhooks::Modifier;
using testhooks::PressKey;

class UserComboBox : public testsupport::HostedControls {
protected:
    HWND MakeCombo(DWORD style, int x = 10, int id = 40) {
        HWND combo = Create("COMBOBOX", "", style | WS_TABSTOP, x, 10, 90, 100, id);
        SendMessageA(combo, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
        return combo;
    }
    static void Add(HWND combo, std::initializer_list<const char*> texts) {
        for (const char* text : texts) {
            SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
        }
    }
    static std::string Item(HWND combo, int index) {
        char text[64] = {};
        return SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text)) < 0 ? "<error>"
                                                                                            : text;
    }
    static LRESULT Selected(HWND combo) { return SendMessageA(combo, CB_GETCURSEL, 0, 0); }
    static bool IsDropped(HWND combo) { return SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) != FALSE; }
    static HWND ListOf(HWND combo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        return GetComboBoxInfo(combo, &info) ? info.hwndList : nullptr;
    }
    HWND List() { return testhooks::FindWindowByClass("ComboLBox"); }
    // The middle of a row of the dropped list.
    POINT Row(HWND combo, int row) {
        const int height = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
        return POINT{20, 1 + row * height + height / 2};
    }
    std::vector<int> Commands() { return Codes(Take(WM_COMMAND)); }
};

TEST_F(UserComboBox, FieldIsOneLineHighAndTheListKeepsTheTemplateHeight) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST);
    Add(combo, {"110", "300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"});
    const int line = static_cast<int>(SendMessageA(combo, CB_GETITEMHEIGHT, 0, 0));
    RECT field{};
    GetWindowRect(combo, &field);
    EXPECT_EQ(field.bottom - field.top, line + 8) << "a line of the font, its padding and the sunken edge";
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    RECT list{};
    GetWindowRect(List(), &list);
    EXPECT_EQ(list.top, field.bottom) << "the list opens under the field";
    EXPECT_EQ(list.right - list.left, field.right - field.left);
    const int rows = (100 - (field.bottom - field.top) - 2) / line;
    EXPECT_EQ(list.bottom - list.top, rows * line + 2) << "whole rows within the template's height";
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    EXPECT_FALSE(testhooks::IsShown(List()));
    EXPECT_EQ(Codes(Take(WM_COMMAND)), (std::vector<int>{CBN_DROPDOWN, CBN_SELENDCANCEL, CBN_CLOSEUP}));
}

TEST_F(UserComboBox, ItemMessagesGoToTheListAndSettingNotifiesNobody) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST | CBS_SORT);
    Add(combo, {"Xon/Xoff", "Hardware", "None", "Combined"});
    EXPECT_EQ(Item(combo, 0), "Combined");
    EXPECT_EQ(Item(combo, 3), "Xon/Xoff");
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 4);
    EXPECT_EQ(
        SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("none")),
        2);
    EXPECT_EQ(SendMessageA(combo, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("H")), 1);
    EXPECT_EQ(SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("First")), 0);
    EXPECT_EQ(SendMessageA(combo, CB_SETITEMDATA, 1, 77), CB_OKAY);
    EXPECT_EQ(SendMessageA(combo, CB_GETITEMDATA, 1, 0), 77);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 1, 0), 8);
    EXPECT_EQ(SendMessageA(combo, CB_GETLBTEXTLEN, 9, 0), CB_ERR);
    EXPECT_EQ(Selected(combo), CB_ERR);
    EXPECT_EQ(testhooks::WindowText(combo), "");
    EXPECT_EQ(SendMessageA(combo, CB_SETCURSEL, 3, 0), 3);
    EXPECT_EQ(testhooks::WindowText(combo), "None") << "the field shows the selection";
    EXPECT_EQ(SetWindowTextA(combo, "hardware"), TRUE);
    EXPECT_EQ(Selected(combo), 2) << "a drop-down list selects the item named";
    EXPECT_EQ(SendMessageA(combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Other")), CB_ERR);
    EXPECT_EQ(SendMessageA(combo, CB_DELETESTRING, 0, 0), 4);
    EXPECT_EQ(Selected(combo), 1);
    SendMessageA(combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_TRUE(Take().empty());
}

TEST_F(UserComboBox, ChoosingWithTheMouseClosesThenReportsTheSelection) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST);
    Add(combo, {"None", "Odd", "Even", "Mark", "Space"});
    Click(combo);
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN}));
    EXPECT_TRUE(IsDropped(combo));
    HWND list = List();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(testhooks::IsShown(list));
    EXPECT_EQ(GetWindow(list, GW_OWNER), host) << "owned by the combo box's top-level window";
    EXPECT_EQ(GetFocus(), combo) << "the focus stays in the combo box";
    ClickAt(list, Row(combo, 2));
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
    EXPECT_EQ(Selected(combo), 2);
    EXPECT_FALSE(IsDropped(combo));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(testhooks::WindowText(combo), "Even");
}

TEST_F(UserComboBox, ClickingElsewhereClosesAndKeepsTheSelection) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST);
    Add(combo, {"7", "8"});
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    Click(combo);
    testhooks::MoveMouseTo(List(), Row(combo, 1));
    EXPECT_EQ(SendMessageA(List(), LB_GETCURSEL, 0, 0), 1) << "the highlight follows the mouse";
    Take();
    ClickAt(host, POINT{250, 150});
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(Selected(combo), 0) << "what the mouse only passed over is not chosen";
    EXPECT_FALSE(IsDropped(combo));
}

TEST_F(UserComboBox, KeysWorkWithTheListClosedAndOpen) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST);
    Add(combo, {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ"});
    SetFocus(combo);
    Take();
    PressKey(combo, VK_DOWN);
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELCHANGE})) << "Down selects without dropping";
    EXPECT_FALSE(IsDropped(combo));
    EXPECT_EQ(Selected(combo), 0);
    PressKey(combo, VK_F1 + 3);
    EXPECT_TRUE(IsDropped(combo));
    PressKey(combo, VK_DOWN);
    PressKey(combo, VK_RETURN);
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP}));
    EXPECT_EQ(Selected(combo), 1);
    PressKey(combo, VK_DOWN, Modifier::Alt);
    EXPECT_TRUE(IsDropped(combo)) << "Alt+Down drops";
    PressKey(combo, VK_END);
    PressKey(combo, VK_ESCAPE);
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_DROPDOWN, CBN_SELCHANGE, CBN_SELENDCANCEL, CBN_CLOSEUP}));
    EXPECT_EQ(Selected(combo), 1) << "Esc restores the selection the list dropped with";
    testhooks::TypeText(combo, "e");
    EXPECT_EQ(Selected(combo), 3) << "the next item starting with the letter";
    EXPECT_EQ(testhooks::WindowText(combo), "ETX");
    testhooks::TurnWheel(combo, -2);
    EXPECT_EQ(Selected(combo), 5) << "two notches down";
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELCHANGE, CBN_SELCHANGE, CBN_SELCHANGE}));
    MSG enter{combo, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    EXPECT_EQ(
        SendMessageA(combo, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) & DLGC_WANTMESSAGE, 0)
        << "Enter belongs to the dialog while the list is closed";
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_NE(SendMessageA(combo, WM_GETDLGCODE, VK_RETURN, reinterpret_cast<LPARAM>(&enter)) &
                  DLGC_WANTMESSAGE,
              0);
}

TEST_F(UserComboBox, DropDownHasAnEditFieldThatReportsTyping) {
    HWND combo = MakeCombo(CBS_DROPDOWN | CBS_SORT | CBS_AUTOHSCROLL);
    Add(combo, {"Xon/Xoff", "Hardware", "None", "Combined"});
    HWND edit = testhooks::FindControl(combo, platform::user::ComboEditId);
    ASSERT_NE(edit, nullptr);
    char className[16] = {};
    GetClassNameA(edit, className, sizeof className);
    EXPECT_STREQ(className, "Edit");
    Click(edit);
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_SETFOCUS}));
    testhooks::TypeText(edit, "Ab");
    EXPECT_EQ(Commands(), (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
    EXPECT_EQ(testhooks::WindowText(combo), "Ab") << "typed text that is no item";
    EXPECT_EQ(Selected(combo), CB_ERR);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(testhooks::WindowText(edit), "Hardware");
    Take();
    PressKey(edit, VK_DOWN);
    EXPECT_EQ(testhooks::WindowText(combo), "None") << "Down in the field moves the selection";
    PressKey(edit, VK_F1 + 3);
    EXPECT_TRUE(IsDropped(combo));
    PressKey(edit, VK_ESCAPE);
    EXPECT_FALSE(IsDropped(combo));
    SetWindowTextA(combo, "");
    SendMessageA(combo, CB_LIMITTEXT, 3, 0);
    testhooks::TypeText(edit, "Hard");
    EXPECT_EQ(testhooks::WindowText(combo), "Har") << "the limit reaches the field";
}

TEST_F(UserComboBox, FocusNotificationsArriveInOrder) {
    HWND first = MakeCombo(CBS_DROPDOWNLIST, 10, 41);
    HWND second = MakeCombo(CBS_DROPDOWN, 120, 42);
    Take();
    SetFocus(first);
    SetFocus(second);
    SetFocus(testhooks::FindControl(second, platform::user::ComboEditId));
    SetFocus(first);
    const auto notices = Take(WM_COMMAND);
    std::vector<std::pair<int, int>> got;
    for (const auto& notice : notices) {
        if (notice.code == CBN_SETFOCUS || notice.code == CBN_KILLFOCUS) {
            got.emplace_back(notice.id, notice.code);
        }
    }
    const std::vector<std::pair<int, int>> expected{
        {41, CBN_SETFOCUS}, {41, CBN_KILLFOCUS}, {42, CBN_SETFOCUS}, {42, CBN_KILLFOCUS}, {41, CBN_SETFOCUS}};
    EXPECT_EQ(got, expected) << "moving into a combo box's own field is no focus change";
}

TEST_F(UserComboBox, DisabledComboIgnoresMouseAndKeys) {
    HWND combo = MakeCombo(CBS_DROPDOWNLIST);
    Add(combo, {"1", "2"});
    EnableWindow(combo, FALSE);
    Click(combo);
    SendMessageA(combo, WM_KEYDOWN, VK_F1 + 3, 0);
    SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_FALSE(IsDropped(combo));
    EXPECT_EQ(Selected(combo), CB_ERR);
    EXPECT_TRUE(Take().empty());
}

TEST_F(UserComboBox, FieldAndDroppedListAreDrawnInTheClassicLook) {
    HWND list = MakeCombo(CBS_DROPDOWNLIST, 10, 43);
    HWND edit = MakeCombo(CBS_DROPDOWN | CBS_SORT, 120, 44);
    Add(list, {"COM1", "COM2", "COM3"});
    Add(edit, {"Xon/Xoff", "Hardware", "None", "Combined"});
    SendMessageA(list, CB_SETCURSEL, 1, 0);
    SendMessageA(edit, CB_SETCURSEL, 0, 0);
    SetFocus(list);
    testhooks::PumpMessages();
    using testhooks::ClientPixel;
    EXPECT_EQ(ClientPixel(list, 0, 0), GetSysColor(COLOR_BTNSHADOW)) << "sunken edge";
    EXPECT_EQ(ClientPixel(list, 4, 4), GetSysColor(COLOR_HIGHLIGHT)) << "the focused field is highlighted";
    EXPECT_EQ(ClientPixel(edit, 4, 4), GetSysColor(COLOR_WINDOW));
    testsupport::ExpectTreeAndSnapshot(host, "UserComboBox");
    SendMessageA(edit, CB_SHOWDROPDOWN, TRUE, 0);
    testhooks::PumpMessages();
    HWND dropped = ListOf(edit);
    EXPECT_EQ(ClientPixel(dropped, 0, 0), GetSysColor(COLOR_WINDOWFRAME)) << "the list's own border";
    EXPECT_EQ(ClientPixel(dropped, 3, 3), GetSysColor(COLOR_HIGHLIGHT)) << "the selected first item";
    testsupport::ExpectTreeAndSnapshot(dropped, "UserComboBoxList");
}

} // namespace
