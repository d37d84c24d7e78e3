#include "support/ControlSupport.h"

#include <algorithm>

namespace {

using testhooks::ClickAt;
using testhooks::ClientPixel;
using testsupport::Notice;

// A bordered window with both bars: 150 x 100 with a one-pixel border leaves a client area of
// 131 x 81; the vertical bar lies at client x 131..148, its arrows 17 long.
constexpr int ClientWidth = 131;
constexpr int ClientHeight = 81;
constexpr int Arrow = 17;

class UserScrollBar : public testsupport::HostedControls {
protected:
    void SetUp() override {
        HostedControls::SetUp();
        scrolled = Create("ControlHost", "", WS_BORDER | WS_VSCROLL | WS_HSCROLL, 10, 10, 150, 100, 5);
        SetRange(SB_VERT, 0, 99, 10, 0);
        SetRange(SB_HORZ, 0, 49, 0, 0);
        Take();
    }
    void SetRange(int bar, int low, int high, UINT page, int position, UINT extra = 0) {
        const SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL | extra, low, high, page, position, 0};
        SetScrollInfo(scrolled, bar, &info, TRUE);
    }
    SCROLLINFO Info(HWND hwnd, int bar) {
        SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, -1, -1, 0, -1, -1};
        EXPECT_TRUE(GetScrollInfo(hwnd, bar, &info));
        return info;
    }
    // The length of the vertical track outside the thumb, and the thumb's start, by the
    // classic rule: thumb = track x page / span, at least 8 pixels.
    static int Travel() { return ClientHeight - 2 * Arrow - 8; }
    HWND scrolled = nullptr;
};

TEST_F(UserScrollBar, WindowBarClampsItsPositionToTheLastFullPage) {
    const SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 200, 0};
    EXPECT_EQ(SetScrollInfo(scrolled, SB_VERT, &info, TRUE), 90) << "99 - (10 - 1)";
    EXPECT_EQ(GetScrollPos(scrolled, SB_VERT), 90);
    EXPECT_EQ(SetScrollPos(scrolled, SB_VERT, -5, TRUE), 90) << "the previous position";
    EXPECT_EQ(GetScrollPos(scrolled, SB_VERT), 0);
    SetRange(SB_VERT, 10, 20, 500, 15);
    const SCROLLINFO clamped = Info(scrolled, SB_VERT);
    EXPECT_EQ(clamped.nPage, 11u) << "a page never exceeds the range";
    EXPECT_EQ(clamped.nPos, 10);
    int low = 0;
    int high = 0;
    EXPECT_TRUE(GetScrollRange(scrolled, SB_VERT, &low, &high));
    EXPECT_EQ(low, 10);
    EXPECT_EQ(high, 20);
    HWND plain = Create("ControlHost", "", 0, 200, 10, 50, 50, 6);
    SCROLLINFO none{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_FALSE(GetScrollInfo(plain, SB_VERT, &none)) << "a window that never had the bar";
    EXPECT_EQ(GetLastError(), ERROR_NO_SCROLLBARS);
}

TEST_F(UserScrollBar, WindowBarHidesWhenNothingScrollsAndComesBack) {
    RECT client{};
    GetClientRect(scrolled, &client);
    EXPECT_EQ(client.right, ClientWidth);
    SetRange(SB_VERT, 0, 9, 10, 0);
    EXPECT_EQ(GetWindowLongPtrA(scrolled, GWL_STYLE) & WS_VSCROLL, 0) << "the whole range fits on a page";
    GetClientRect(scrolled, &client);
    EXPECT_EQ(client.right, ClientWidth + Arrow) << "the client area takes the bar's place";
    SetRange(SB_VERT, 0, 99, 10, 0);
    EXPECT_NE(GetWindowLongPtrA(scrolled, GWL_STYLE) & WS_VSCROLL, 0);
    SetRange(SB_VERT, 0, 9, 10, 0, SIF_DISABLENOSCROLL);
    EXPECT_NE(GetWindowLongPtrA(scrolled, GWL_STYLE) & WS_VSCROLL, 0) << "disabled instead of hidden";
    EXPECT_FALSE(EnableScrollBar(scrolled, SB_VERT, ESB_DISABLE_BOTH)) << "already disabled";
    ClickAt(scrolled, POINT{ClientWidth + 8, ClientHeight - 4});
    EXPECT_TRUE(Take().empty()) << "a disabled bar sends nothing";
    EXPECT_TRUE(ShowScrollBar(scrolled, SB_BOTH, FALSE));
    GetClientRect(scrolled, &client);
    EXPECT_EQ(client.bottom, ClientHeight + Arrow);
}

TEST_F(UserScrollBar, ClicksOnWindowBarsSendRequestsToTheWindowItself) {
    ClickAt(scrolled, POINT{ClientWidth + 8, ClientHeight - 4});
    auto notices = Take(WM_VSCROLL);
    EXPECT_EQ(Codes(notices), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL})) << "down arrow";
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices[0].from, nullptr) << "a window's own bar sends no handle";
    ClickAt(scrolled, POINT{ClientWidth + 8, ClientHeight - Arrow - 4});
    EXPECT_EQ(Codes(Take(WM_VSCROLL)), (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL}))
        << "track below the thumb";
    ClickAt(scrolled, POINT{ClientWidth + 8, 4});
    EXPECT_EQ(Codes(Take(WM_VSCROLL)), (std::vector<int>{SB_LINEUP, SB_ENDSCROLL})) << "up arrow";
    ClickAt(scrolled, POINT{ClientWidth - 4, ClientHeight + 8});
    EXPECT_EQ(Codes(Take(WM_HSCROLL)), (std::vector<int>{SB_LINERIGHT, SB_ENDSCROLL})) << "right arrow";
    EXPECT_EQ(GetScrollPos(scrolled, SB_VERT), 0) << "the bar leaves moving to its owner";
    ClickAt(scrolled, POINT{20, 20});
    EXPECT_TRUE(Take(WM_VSCROLL).empty()) << "the client area is no bar";
}

TEST_F(UserScrollBar, DraggingTheThumbTracksThenSetsThePosition) {
    using namespace testhooks;
    const POINT thumb{ClientWidth + 8, Arrow + 4};
    PressMouseAt(scrolled, thumb);
    MoveMouseTo(scrolled, POINT{thumb.x, thumb.y + 20});
    const int expected = (20 * 90 + Travel() / 2) / Travel();
    EXPECT_EQ(Info(scrolled, SB_VERT).nTrackPos, expected) << "the dragged position while held";
    EXPECT_EQ(GetScrollPos(scrolled, SB_VERT), 0);
    MoveMouseTo(scrolled, POINT{thumb.x, thumb.y + 500});
    ReleaseMouseAt(scrolled, POINT{thumb.x, thumb.y + 500});
    const auto notices = Take(WM_VSCROLL);
    ASSERT_EQ(notices.size(), 4u);
    EXPECT_EQ(notices[0].code, SB_THUMBTRACK);
    EXPECT_EQ(notices[0].position, expected);
    EXPECT_EQ(notices[1].code, SB_THUMBTRACK);
    EXPECT_EQ(notices[1].position, 90) << "dragged past the end: the last full page";
    EXPECT_EQ(notices[2].code, SB_THUMBPOSITION);
    EXPECT_EQ(notices[2].position, 90);
    EXPECT_EQ(notices[3].code, SB_ENDSCROLL);
    EXPECT_EQ(GetCapture(), nullptr) << "the release gives the mouse back";
}

TEST_F(UserScrollBar, HeldArrowRepeatsUntilReleased) {
    using namespace testhooks;
    const POINT down{ClientWidth + 8, ClientHeight - 4};
    PressMouseAt(scrolled, down);
    PumpMessagesFor(400);
    ReleaseMouseAt(scrolled, down);
    auto codes = Codes(Take(WM_VSCROLL));
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.back(), SB_ENDSCROLL);
    EXPECT_GE(std::count(codes.begin(), codes.end(), SB_LINEDOWN), 3) << "a first delay, then steady repeats";
    PumpMessagesFor(150);
    EXPECT_TRUE(Take(WM_VSCROLL).empty()) << "the timer stopped with the release";
}

TEST_F(UserScrollBar, ControlNotifiesItsParentWithItsHandleAndTakesKeys) {
    HWND vertical = Create("SCROLLBAR", "", SBS_VERT | WS_TABSTOP, 200, 10, 17, 120, 20);
    HWND horizontal = Create("scrollbar", "", SBS_HORZ, 10, 150, 150, 17, 21);
    ASSERT_NE(vertical, nullptr);
    ASSERT_NE(horizontal, nullptr);
    const SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE | SIF_PAGE, 0, 50, 5, 0, 0};
    SetScrollInfo(vertical, SB_CTL, &info, TRUE);
    EXPECT_EQ(SetScrollPos(vertical, SB_CTL, 60, TRUE), 0);
    EXPECT_EQ(GetScrollPos(vertical, SB_CTL), 46) << "50 - (5 - 1)";
    SetScrollPos(vertical, SB_CTL, 0, TRUE);
    ClickAt(vertical, POINT{8, 115});
    auto notices = Take(WM_VSCROLL);
    EXPECT_EQ(Codes(notices), (std::vector<int>{SB_LINEDOWN, SB_ENDSCROLL}));
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices[0].from, vertical);
    EXPECT_EQ(GetFocus(), vertical) << "a tab stop takes the focus when clicked";
    testhooks::PressKey(vertical, VK_NEXT);
    testhooks::PressKey(vertical, VK_HOME);
    EXPECT_EQ(Codes(Take(WM_VSCROLL)), (std::vector<int>{SB_PAGEDOWN, SB_ENDSCROLL, SB_TOP, SB_ENDSCROLL}));
    ClickAt(horizontal, POINT{4, 8});
    notices = Take();
    ASSERT_EQ(notices.size(), 2u);
    EXPECT_EQ(notices[0].message, static_cast<UINT>(WM_HSCROLL));
    EXPECT_EQ(notices[0].code, SB_LINELEFT);
    EXPECT_EQ(notices[0].from, horizontal);
    int low = -1;
    int high = -1;
    SendMessageA(vertical, SBM_GETRANGE, reinterpret_cast<WPARAM>(&low), reinterpret_cast<LPARAM>(&high));
    EXPECT_EQ(low, 0);
    EXPECT_EQ(high, 50);
}

TEST_F(UserScrollBar, DisabledControlIgnoresMouseAndKeys) {
    HWND bar = Create("ScrollBar", "", SBS_VERT | WS_TABSTOP, 200, 10, 17, 120, 20);
    SetFocus(bar);
    EnableWindow(bar, FALSE);
    EXPECT_NE(GetFocus(), bar) << "a disabled control loses the focus";
    ClickAt(bar, POINT{8, 115});
    SendMessageA(bar, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_TRUE(Take().empty());
    EnableWindow(bar, TRUE);
    ClickAt(bar, POINT{8, 115});
    EXPECT_EQ(Take(WM_VSCROLL).size(), 2u);
}

TEST_F(UserScrollBar, BarsAreDrawnInTheClassicLook) {
    HWND control = Create("ScrollBar", "", SBS_HORZ, 10, 150, 150, 17, 21);
    testhooks::PumpMessages();
    // The up arrow is a raised button: light top-left edge, face inside, the thumb below it.
    EXPECT_EQ(ClientPixel(scrolled, ClientWidth, 0), GetSysColor(COLOR_BTNHIGHLIGHT))
        << "arrow's outer edge, soft";
    EXPECT_EQ(ClientPixel(scrolled, ClientWidth + 2, 2), GetSysColor(COLOR_BTNFACE)) << "arrow face";
    EXPECT_EQ(ClientPixel(scrolled, ClientWidth + 8, Arrow + 4), GetSysColor(COLOR_BTNFACE)) << "thumb";
    const COLORREF track[2] = {ClientPixel(scrolled, ClientWidth + 8, Arrow + 30),
                               ClientPixel(scrolled, ClientWidth + 9, Arrow + 30)};
    EXPECT_NE(track[0], track[1]) << "the track is a checker";
    for (COLORREF colour : track) {
        EXPECT_TRUE(colour == GetSysColor(COLOR_BTNHIGHLIGHT) || colour == GetSysColor(COLOR_SCROLLBAR))
            << colour;
    }
    EXPECT_EQ(ClientPixel(scrolled, ClientWidth + 8, ClientHeight + 8), GetSysColor(COLOR_BTNFACE))
        << "corner";
    EXPECT_NE(ClientPixel(control, 75, 8), ClientPixel(control, 76, 8))
        << "a control without range: bare track";
    EXPECT_EQ(ClientPixel(scrolled, -1, 5), GetSysColor(COLOR_WINDOWFRAME)) << "the border outside the bars";
    testsupport::ExpectTreeAndSnapshot(host, "UserScrollBar");
}

} // namespace
