#include "platform/Windows.h"
#include "platform/user/Button.h"
#include "platform/user/Dialog.h"
#include "platform/user/Edit.h"
#include "platform/user/Sound.h"
#include "platform/user/Static.h"
#include "support/UserSupport.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testhooks::Modifier;

// The parent records every WM_COMMAND as (id, notification code).
std::vector<std::pair<int, int>> notifications;

LRESULT ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) {
        notifications.emplace_back(LOWORD(wParam), HIWORD(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Another suite registers and removes a "Button" class of its own; when it ran first, the
// standard class is entered again here so that these tests meet the real control.
inline void EnsureStandardButtonClass() {
    WNDCLASSEXA existing{};
    if (GetClassInfoExA(nullptr, "Button", &existing) &&
        existing.lpfnWndProc == platform::user::ButtonProcedure) {
        return;
    }
    UnregisterClassA("Button", nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = platform::user::ButtonProcedure;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "Button";
    RegisterClassExA(&windowClass);
}

using Sequence = std::vector<std::pair<int, int>>;

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        EnsureStandardButtonClass();
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ParentProcedure;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = "ControlParent";
        RegisterClassExA(&windowClass);
        parent = CreateWindowExA(0, "ControlParent", "Controls", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200,
                                 nullptr, nullptr, nullptr, nullptr);
        font = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
        notifications.clear();
        testhooks::ClearBeeps();
    }
    void TearDown() override {
        DestroyWindow(parent);
        UnregisterClassA("ControlParent", nullptr);
        DeleteObject(font);
    }
    HWND Make(const char* className, const char* text, DWORD style, int id, int x = 10, int y = 10,
              int width = 120, int height = 20, DWORD exStyle = 0) {
        HWND control =
            CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                            parent, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        testhooks::PumpMessages();
        return control;
    }
    std::string Text(HWND hwnd) { return testhooks::WindowText(hwnd); }
    testsupport::Watchdog watchdog;
    HWND parent = nullptr;
    HFONT font = nullptr;
};

} // namespace

TEST_F(Controls, AutoCheckBoxTogglesOnClickAndSpaceAndNotifies) {
    HWND box = Make("Button", "View", BS_AUTOCHECKBOX | BS_LEFTTEXT | WS_TABSTOP, 15207);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    testhooks::Click(box);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_CHECKED)) << "click";
    testhooks::PressKey(box, VK_SPACE);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED)) << "space";
    EXPECT_EQ(notifications, (Sequence{{15207, BN_CLICKED}, {15207, BN_CLICKED}}));

    notifications.clear();
    EnableWindow(box, FALSE);
    testhooks::Click(box);
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED)) << "disabled";
    EXPECT_TRUE(notifications.empty()) << "a disabled button ignores input";
}

TEST_F(Controls, PlainCheckBoxLeavesItsCheckToTheProgram) {
    HWND box = Make("Button", "Send Code", BS_CHECKBOX, 7);
    testhooks::Click(box);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), static_cast<LRESULT>(BST_UNCHECKED));
    EXPECT_EQ(notifications, (Sequence{{7, BN_CLICKED}}));
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    EXPECT_TRUE(testhooks::IsChecked(box));
}

TEST_F(Controls, PressingOutsideAndReleasingDoesNotClick) {
    HWND button = Make("Button", "Test", BS_PUSHBUTTON, 15212);
    RECT client{};
    GetClientRect(button, &client);
    testhooks::ClickAt(button, POINT{client.right / 2, client.bottom / 2});
    EXPECT_EQ(notifications, (Sequence{{15212, BN_CLICKED}}));
    EXPECT_EQ(GetFocus(), button) << "a click gives the button the focus";
    EXPECT_EQ(SendMessageA(button, BM_GETCHECK, 0, 0), 0) << "push buttons have no check";
    SendMessageA(button, BM_SETSTATE, TRUE, 0);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_PUSHED);
    EXPECT_TRUE(SendMessageA(button, BM_GETSTATE, 0, 0) & BST_FOCUS);
}

TEST_F(Controls, FocusNotificationsArriveInOrderOnlyWithNotifyStyle) {
    HWND first = Make("Button", "One", BS_PUSHBUTTON | BS_NOTIFY, 1, 10, 10);
    HWND second = Make("Button", "Two", BS_PUSHBUTTON, 2, 10, 40);
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 3, 10, 70);
    SetFocus(first);
    SetFocus(second);
    SetFocus(edit);
    SetFocus(first);
    EXPECT_EQ(
        notifications,
        (Sequence{
            {1, BN_SETFOCUS}, {1, BN_KILLFOCUS}, {3, EN_SETFOCUS}, {3, EN_KILLFOCUS}, {1, BN_SETFOCUS}}));
}

TEST_F(Controls, AutoRadioButtonsClearTheirGroup) {
    HWND a = Make("Button", "A", BS_AUTORADIOBUTTON | WS_GROUP, 1, 10, 10);
    HWND b = Make("Button", "B", BS_AUTORADIOBUTTON, 2, 10, 40);
    HWND other = Make("Button", "C", BS_AUTORADIOBUTTON | WS_GROUP, 3, 10, 70);
    SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
    testhooks::Click(a);
    testhooks::Click(b);
    EXPECT_FALSE(testhooks::IsChecked(a));
    EXPECT_TRUE(testhooks::IsChecked(b));
    EXPECT_TRUE(testhooks::IsChecked(other)) << "another group keeps its check";
    EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);
}

TEST_F(Controls, DefaultButtonStyleIsSwitchedAndAnswersItsDialogCode) {
    HWND button = Make("Button", "Ok", BS_DEFPUSHBUTTON, 1);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
    SendMessageA(button, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    EXPECT_EQ(SendMessageA(button, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
    EXPECT_TRUE(GetWindowLongA(button, GWL_STYLE) & WS_VISIBLE) << "only the type bits change";
}

TEST_F(Controls, EditTypingNotifiesUpdateThenChange) {
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL | WS_BORDER, 15226);
    EXPECT_TRUE(GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE) << "the border is a sunken edge";
    SetFocus(edit);
    notifications.clear();
    testhooks::TypeText(edit, "C:/NC");
    EXPECT_EQ(Text(edit), "C:/NC");
    ASSERT_EQ(notifications.size(), 10u);
    EXPECT_EQ(notifications[0], std::make_pair(15226, static_cast<int>(EN_UPDATE)));
    EXPECT_EQ(notifications[1], std::make_pair(15226, static_cast<int>(EN_CHANGE)));
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 5u);
    EXPECT_EQ(end, 5u);
}

TEST_F(Controls, EditSelectionWithShiftWordMovesAndDeletion) {
    HWND edit = Make("Edit", "upload path here", ES_AUTOHSCROLL, 1);
    SetFocus(edit);
    testhooks::PressKey(edit, VK_END);
    testhooks::PressKey(edit, VK_LEFT, Modifier::Control | Modifier::Shift);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(12, 16))
        << "Ctrl+Shift+Left selects the last word";
    testhooks::PressKey(edit, VK_DELETE);
    EXPECT_EQ(Text(edit), "upload path ");
    testhooks::PressKey(edit, VK_HOME);
    testhooks::PressKey(edit, VK_RIGHT, Modifier::Control);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(7, 7))
        << "Ctrl+Right goes past the word and blank";
    testhooks::PressKey(edit, VK_BACK);
    EXPECT_EQ(Text(edit), "uploadpath ");
    testhooks::PressKey(edit, VK_HOME, Modifier::Shift);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(0, 6));
    SendMessageA(edit, EM_SETSEL, 2, -1);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(2, 11)) << "-1 is the end";
}

TEST_F(Controls, EditClipboardCutAndPaste) {
    HWND edit = Make("Edit", "CNC.LOG", ES_AUTOHSCROLL, 1);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, 3);
    testhooks::PressKey(edit, 'X', Modifier::Control);
    EXPECT_EQ(Text(edit), ".LOG");
    testhooks::PressKey(edit, VK_END);
    testhooks::PressKey(edit, 'V', Modifier::Control);
    EXPECT_EQ(Text(edit), ".LOGCNC");
    SendMessageA(edit, EM_SETSEL, 0, -1);
    testhooks::PressKey(edit, 'C', Modifier::Control);
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(edit), ".LOGCNC.LOGCNC");
}

TEST_F(Controls, EditNumberReadOnlyAndLimit) {
    HWND number = Make("Edit", "", ES_NUMBER, 15246);
    SetFocus(number);
    testhooks::TypeText(number, "9a9");
    EXPECT_EQ(Text(number), "99") << "letters are refused";
    EXPECT_EQ(testhooks::Beeps().size(), 1u) << "with a beep";
    SendMessageA(number, EM_LIMITTEXT, 3, 0);
    notifications.clear();
    testhooks::TypeText(number, "12");
    EXPECT_EQ(Text(number), "991");
    EXPECT_NE(std::find(notifications.begin(), notifications.end(),
                        std::make_pair(15246, static_cast<int>(EN_MAXTEXT))),
              notifications.end());
    SendMessageA(number, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>("x"));
    EXPECT_EQ(Text(number), "991") << "EM_REPLACESEL keeps the limit too";

    HWND readOnly = Make("Edit", "fixed", ES_READONLY, 2, 10, 40);
    SetFocus(readOnly);
    testhooks::TypeText(readOnly, "ab");
    testhooks::PressKey(readOnly, VK_DELETE);
    EXPECT_EQ(Text(readOnly), "fixed");

    HWND disabled = Make("Edit", "off", 0, 3, 10, 70);
    EnableWindow(disabled, FALSE);
    testhooks::Click(disabled);
    EXPECT_NE(GetFocus(), disabled) << "a disabled edit takes no focus";
}

TEST_F(Controls, EditMouseSelectsByDragAndSetTextNotifies) {
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 4);
    notifications.clear();
    SetWindowTextA(edit, "one two");
    EXPECT_EQ(notifications, (Sequence{{4, EN_UPDATE}, {4, EN_CHANGE}}));
    testhooks::ClickAt(edit, POINT{1, 5});
    EXPECT_EQ(GetFocus(), edit);
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(0, 0));
    testhooks::ClickAt(edit, POINT{115, 5});
    EXPECT_EQ(SendMessageA(edit, EM_GETSEL, 0, 0), MAKELONG(7, 7)) << "a click past the text goes to its end";
    EXPECT_EQ(SendMessageA(edit, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

namespace {

// The selection as (start, end).
std::pair<DWORD, DWORD> SelectionOf(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {start, end};
}

bool CanUndo(HWND edit) {
    return SendMessageA(edit, EM_CANUNDO, 0, 0) != FALSE;
}

} // namespace

TEST_F(Controls, EditUndoTakesBackATypedRunAndASecondUndoRedoesIt) {
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 15268);
    SetFocus(edit);
    EXPECT_FALSE(CanUndo(edit)) << "nothing typed yet";
    testhooks::TypeText(edit, "G01 X5");
    EXPECT_TRUE(CanUndo(edit));
    SendMessageA(edit, EM_SETMODIFY, FALSE, 0);
    notifications.clear();
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "") << "the typed run is one edit";
    EXPECT_EQ(notifications, (Sequence{{15268, EN_UPDATE}, {15268, EN_CHANGE}}));
    EXPECT_TRUE(SendMessageA(edit, EM_GETMODIFY, 0, 0)) << "an undo is a change";
    EXPECT_TRUE(CanUndo(edit)) << "the undo can be undone";
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "G01 X5") << "a second undo redoes";
    EXPECT_EQ(SelectionOf(edit), std::make_pair(DWORD{0}, DWORD{6})) << "what came back is selected";
    testhooks::PressKey(edit, VK_BACK, Modifier::Alt);
    EXPECT_EQ(Text(edit), "") << "Alt+Backspace undoes too";
    testhooks::PressKey(edit, VK_BACK, Modifier::Alt);
    EXPECT_EQ(Text(edit), "G01 X5");

    // Typing in another place starts a new record.
    testhooks::PressKey(edit, VK_HOME);
    testhooks::TypeText(edit, "N1 ");
    testhooks::PressKey(edit, VK_END);
    testhooks::TypeText(edit, "Y2");
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "N1 G01 X5") << "only the run at the end is taken back";
    // Typing over a selection is one edit with what it replaced.
    SendMessageA(edit, EM_SETSEL, 3, 6);
    testhooks::TypeText(edit, "G00");
    EXPECT_EQ(Text(edit), "N1 G00 X5");
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "N1 G01 X5");
    EXPECT_EQ(SelectionOf(edit), std::make_pair(DWORD{3}, DWORD{6}));
}

TEST_F(Controls, EditDeletesCutsAndPastesEachReplaceTheUndoRecord) {
    HWND edit = Make("Edit", "CNC.LOG", ES_AUTOHSCROLL, 1);
    SetFocus(edit);
    EXPECT_FALSE(CanUndo(edit)) << "the text the edit was made with is no edit";
    testhooks::PressKey(edit, VK_END);
    testhooks::TypeText(edit, "X");
    testhooks::PressKey(edit, VK_BACK);
    testhooks::PressKey(edit, VK_BACK);
    EXPECT_EQ(Text(edit), "CNC.LO");
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "CNC.LOGX") << "a run of Backspaces is one edit, and it replaced the typing";
    EXPECT_EQ(SelectionOf(edit), std::make_pair(DWORD{6}, DWORD{8}));

    testhooks::PressKey(edit, VK_HOME);
    testhooks::PressKey(edit, VK_DELETE);
    testhooks::PressKey(edit, VK_DELETE);
    testhooks::PressKey(edit, VK_DELETE);
    EXPECT_EQ(Text(edit), ".LOGX");
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "CNC.LOGX") << "a run of Deletes is one edit";

    SendMessageA(edit, EM_SETSEL, 7, 8);
    testhooks::PressKey(edit, 'X', Modifier::Control);
    EXPECT_EQ(Text(edit), "CNC.LOG");
    testhooks::PressKey(edit, VK_HOME);
    testhooks::PressKey(edit, 'V', Modifier::Control);
    testhooks::PressKey(edit, 'V', Modifier::Control);
    EXPECT_EQ(Text(edit), "XXCNC.LOG");
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "XCNC.LOG") << "each paste is an edit of its own";

    SendMessageA(edit, EM_SETSEL, 0, 1);
    SendMessageA(edit, WM_CLEAR, 0, 0);
    EXPECT_EQ(Text(edit), "CNC.LOG");
    EXPECT_EQ(SendMessageA(edit, WM_UNDO, 0, 0), TRUE);
    EXPECT_EQ(Text(edit), "XCNC.LOG") << "WM_UNDO is EM_UNDO";
}

TEST_F(Controls, EditUndoBufferIsEmptiedBySetTextAndByReplacementsThatCannotBeUndone) {
    HWND edit = Make("Edit", "", ES_AUTOHSCROLL, 1);
    SetFocus(edit);
    testhooks::TypeText(edit, "abc");
    SetWindowTextA(edit, "COM3");
    EXPECT_FALSE(CanUndo(edit)) << "WM_SETTEXT";
    EXPECT_EQ(SendMessageA(edit, EM_UNDO, 0, 0), TRUE) << "a single-line edit always answers TRUE";
    EXPECT_EQ(Text(edit), "COM3");

    SendMessageA(edit, EM_SETSEL, 0, 3);
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("TTY"));
    EXPECT_EQ(Text(edit), "TTY3");
    EXPECT_TRUE(CanUndo(edit));
    SendMessageA(edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(edit), "COM3") << "an undoable replacement";

    SendMessageA(edit, EM_SETSEL, 3, 4);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("1"));
    EXPECT_EQ(Text(edit), "COM1");
    EXPECT_FALSE(CanUndo(edit)) << "fCanUndo FALSE empties the buffer";
    testhooks::PressKey(edit, 'Z', Modifier::Control);
    EXPECT_EQ(Text(edit), "COM1");

    testhooks::TypeText(edit, "0");
    EXPECT_TRUE(CanUndo(edit));
    SendMessageA(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    EXPECT_FALSE(CanUndo(edit));
    SendMessageA(edit, EM_UNDO, 0, 0);
    EXPECT_EQ(Text(edit), "COM10");

    HWND readOnly = Make("Edit", "fixed", ES_READONLY, 2, 10, 40);
    SendMessageA(readOnly, EM_SETSEL, 0, -1);
    SendMessageA(readOnly, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("set"));
    SetFocus(readOnly);
    testhooks::PressKey(readOnly, 'Z', Modifier::Control);
    EXPECT_EQ(SendMessageA(readOnly, EM_UNDO, 0, 0), TRUE);
    EXPECT_EQ(Text(readOnly), "set") << "a read-only edit does not undo";
}

TEST_F(Controls, StaticNotifiesOnlyWithNotifyStyleAndTakesTheSunkenEdge) {
    HWND plain = Make("Static", "Status", SS_LEFT, 15200, 10, 10);
    HWND notify = Make("Static", "Lamp", SS_LEFT | SS_NOTIFY, 15205, 10, 40);
    HWND sunken = Make("Static", "", SS_LEFTNOWORDWRAP | SS_SUNKEN, 15201, 10, 70);
    testhooks::Click(plain);
    testhooks::Click(notify);
    EXPECT_EQ(notifications, (Sequence{{15205, STN_CLICKED}}));
    EXPECT_TRUE(GetWindowLongA(sunken, GWL_EXSTYLE) & WS_EX_STATICEDGE);
    EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
    // Text is drawn in the window-text colour on the button face.
    bool hasInk = false;
    for (int x = 0; x < 40 && !hasInk; ++x) {
        for (int y = 0; y < 14 && !hasInk; ++y) {
            hasInk = testhooks::ClientPixel(plain, x, y) != GetSysColor(COLOR_BTNFACE);
        }
    }
    EXPECT_TRUE(hasInk) << "the label's text was drawn";
    EXPECT_EQ(testhooks::ClientPixel(plain, 118, 18), GetSysColor(COLOR_BTNFACE));
}

TEST_F(Controls, EachControlSnapshotsAndDumps) {
    Make("Button", "Change Settings", BS_DEFPUSHBUTTON, 1, 10, 10, 100, 24);
    HWND box = Make("Button", "Write Log File", BS_AUTOCHECKBOX, 2, 10, 40, 120, 18);
    SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
    Make("Button", "Files", BS_GROUPBOX, 3, 140, 10, 150, 60);
    Make("Edit", "C:/NC/", ES_AUTOHSCROLL | WS_BORDER, 4, 150, 30, 120, 20);
    Make("Static", "Status", SS_CENTER | SS_SUNKEN, 5, 10, 70, 120, 20);
    HWND grey = Make("Button", "Disabled", BS_PUSHBUTTON, 6, 10, 100, 100, 24);
    EnableWindow(grey, FALSE);
    testhooks::PumpMessages();
    EXPECT_TRUE(platform::SnapshotPng(parent, "Controls.png"));
    const std::string dump = testhooks::DumpWindowTree(parent);
    EXPECT_NE(dump.find("Button id=2 \"Write Log File\" (10,40)-(130,58) visible enabled checked"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Button id=6 \"Disabled\" (10,100)-(110,124) visible disabled unchecked"),
              std::string::npos)
        << dump;
    EXPECT_NE(dump.find("Edit id=4 \"C:/NC/\""), std::string::npos) << dump;
}
