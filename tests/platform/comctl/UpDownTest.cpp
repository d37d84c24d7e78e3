#include "support/ControlSupport.h"

#include <string>

namespace {

using testhooks::ClickAt;
using testhooks::WindowText;
using testsupport::Notice;

class UserUpDown : public testsupport::HostedControls {
protected:
    void SetUp() override {
        HostedControls::SetUp();
        field = Create("EDIT", "", WS_BORDER | ES_NUMBER, 20, 20, 60, 20, 15246);
        arrows = Create(UPDOWN_CLASSA, "", UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_AUTOBUDDY,
                        0, 0, 14, 20, 15250);
        SendMessageA(arrows, UDM_SETRANGE32, 0, 999);
        SendMessageA(arrows, UDM_SETPOS32, 0, 5);
        Take();
    }
    int Position() { return static_cast<int>(SendMessageA(arrows, UDM_GETPOS32, 0, 0)); }
    POINT Up() const { return POINT{7, 4}; }
    POINT Down() const { return POINT{7, 16}; }
    HWND field = nullptr;
    HWND arrows = nullptr;
};

TEST_F(UserUpDown, ArrowsSitBesideTheirBuddyAndShowThePositionInIt) {
    EXPECT_EQ(SendMessageA(arrows, UDM_GETBUDDY, 0, 0), reinterpret_cast<LRESULT>(field))
        << "the previous sibling";
    RECT fieldRect{};
    RECT arrowRect{};
    GetWindowRect(field, &fieldRect);
    GetWindowRect(arrows, &arrowRect);
    EXPECT_EQ(fieldRect.right - fieldRect.left, 60 - 14) << "the buddy gives up the arrows' width";
    EXPECT_EQ(arrowRect.left, fieldRect.right);
    EXPECT_EQ(arrowRect.top, fieldRect.top);
    EXPECT_EQ(arrowRect.bottom - arrowRect.top, 20);
    EXPECT_EQ(WindowText(field), "5");
    int low = -1;
    int high = -1;
    SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 999);
    EXPECT_EQ(SendMessageA(arrows, UDM_SETPOS32, 0, 5000), 5) << "the previous position";
    EXPECT_EQ(WindowText(field), "999") << "clamped to the range";
}

TEST_F(UserUpDown, ClickAsksTheParentThenStepsAndReports) {
    ClickAt(arrows, Up());
    std::vector<std::pair<UINT, int>> got;
    for (const Notice& notice : Take()) {
        got.emplace_back(notice.message,
                         notice.message == WM_VSCROLL ? notice.code * 1000 + notice.position : notice.code);
    }
    const std::vector<std::pair<UINT, int>> expected{
        {WM_COMMAND, EN_SETFOCUS},                   // the arrows give their buddy the focus
        {WM_NOTIFY, static_cast<int>(UDN_DELTAPOS)}, // the parent is asked first
        {WM_COMMAND, EN_UPDATE},                     // the buddy's new text
        {WM_COMMAND, EN_CHANGE},
        {WM_VSCROLL, SB_THUMBPOSITION * 1000 + 6},
        {WM_VSCROLL, SB_ENDSCROLL * 1000}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(WindowText(field), "6");
    ClickAt(arrows, Down());
    ClickAt(arrows, Down());
    EXPECT_EQ(Position(), 4);
    SendMessageA(arrows, UDM_SETPOS32, 0, 0);
    ClickAt(arrows, Down());
    EXPECT_EQ(Position(), 0) << "the lower end holds without UDS_WRAP";
    SetWindowLongPtrA(arrows, GWL_STYLE, GetWindowLongPtrA(arrows, GWL_STYLE) | UDS_WRAP);
    ClickAt(arrows, Down());
    EXPECT_EQ(Position(), 999) << "with UDS_WRAP it wraps to the upper end";
}

TEST_F(UserUpDown, ParentCanRefuseAStep) {
    testsupport::NotifyAnswer() = [](const NMHDR& header) { return header.code == UDN_DELTAPOS ? 1 : 0; };
    ClickAt(arrows, Up());
    EXPECT_EQ(Position(), 5);
    EXPECT_EQ(WindowText(field), "5");
    EXPECT_EQ(Codes(Take(WM_VSCROLL)), (std::vector<int>{SB_ENDSCROLL})) << "no position was reported";
}

TEST_F(UserUpDown, ArrowKeysInTheBuddyStepFromWhatWasTyped) {
    testhooks::PressKey(field, VK_UP);
    EXPECT_EQ(WindowText(field), "6");
    SetWindowTextA(field, "");
    testhooks::TypeText(field, "42");
    EXPECT_EQ(Position(), 42) << "the position is read back from the field";
    testhooks::PressKey(field, VK_DOWN);
    EXPECT_EQ(WindowText(field), "41");
    SetWindowTextA(field, "x");
    BOOL isError = FALSE;
    SendMessageA(arrows, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&isError));
    EXPECT_TRUE(isError) << "a field that holds no number";
}

TEST_F(UserUpDown, HeldArrowRepeats) {
    testhooks::PressMouseAt(arrows, Up());
    testhooks::PumpMessagesFor(400);
    testhooks::ReleaseMouseAt(arrows, Up());
    EXPECT_GE(Position(), 5 + 4) << "a first delay, then steady repeats";
}

TEST_F(UserUpDown, DisabledArrowsIgnoreClicksAndKeys) {
    EnableWindow(arrows, FALSE);
    ClickAt(arrows, Up());
    testhooks::PressKey(field, VK_UP);
    EXPECT_EQ(Position(), 5);
    EXPECT_EQ(WindowText(field), "5");
}

// Number fields made as an edit with a vertical bar step through the bar's arrows instead: a bar
// as short as its two arrows reports to the field itself.
LRESULT StepRecorder(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_VSCROLL) {
        testsupport::Notices().push_back({message, hwnd, 0, LOWORD(wParam), 0});
        return 0;
    }
    return CallWindowProcA(platform::user::EditProcedure, hwnd, message, wParam, lParam);
}

TEST_F(UserUpDown, EditWithAVerticalBarReportsItsArrowsToItself) {
    HWND delay = Create("EDIT", "0", WS_VSCROLL, 150, 20, 60, 20, 15247, WS_EX_CLIENTEDGE);
    SetWindowLongPtrA(delay, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(StepRecorder));
    RECT client{};
    GetClientRect(delay, &client);
    ClickAt(delay, POINT{client.right + 8, 3});
    ClickAt(delay, POINT{client.right + 8, client.bottom - 3});
    const auto notices = Take(WM_VSCROLL);
    EXPECT_EQ(Codes(notices), (std::vector<int>{SB_LINEUP, SB_ENDSCROLL, SB_LINEDOWN, SB_ENDSCROLL}));
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices[0].from, delay);
    testsupport::ExpectTreeAndSnapshot(host, "UserUpDown");
}

} // namespace
