#include "framework/ScrollBar.h"

#include "framework/Application.h"
#include "framework/Window.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <utility>
#include <vector>

using framework::MessageRecord;
using framework::ScrollBar;
using framework::Window;

namespace {

// A frame with both scroll bars that records the moves its bars report and the zooms it is asked for.
class ScrollingWindow : public Window {
public:
    ScrollingWindow() { CreateFrame(WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 0); }
    void Moved(int32_t from, int32_t to) { moves.emplace_back(from, to); }
    LRESULT Zoom(int direction, int amount) override {
        zooms.emplace_back(direction, amount);
        return 1;
    }
    std::vector<std::pair<int32_t, int32_t>> moves;
    std::vector<std::pair<int, int>> zooms;
};

// The object of a SCROLLBAR control.
class ScrollBarObject : public Window {
public:
    ScrollBarObject(Window* parent, HWND control) : Window(parent) { Subclass(control); }
};

class ScrollBarTest : public ::testing::Test {
protected:
    void SetUp() override {
        window.Bar(SB_VERT).Connect(&window, static_cast<ScrollBar::Handler>(&ScrollingWindow::Moved));
        window.Bar(SB_HORZ).Connect(&window, static_cast<ScrollBar::Handler>(&ScrollingWindow::Moved));
    }
    LRESULT Scroll(UINT message, WORD request, HWND control = nullptr) {
        return SendMessageA(window.Handle(), message, MAKEWPARAM(request, 0),
                            reinterpret_cast<LPARAM>(control));
    }
    LRESULT Wheel(int delta, WORD keys) {
        return SendMessageA(window.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(delta)), 0);
    }
    framework::Application application{GetModuleHandleA(nullptr)};
    ScrollingWindow window;
};

TEST_F(ScrollBarTest, UserRequestsMoveWithinTheRangeAndReportEachMove) {
    ScrollBar& bar = window.Bar(SB_VERT);
    bar.SetRange(0, 99, 10);
    EXPECT_EQ(bar.Limit(), 90);
    Scroll(WM_VSCROLL, SB_LINEDOWN);
    Scroll(WM_VSCROLL, SB_PAGEDOWN);
    Scroll(WM_VSCROLL, SB_BOTTOM);
    Scroll(WM_VSCROLL, SB_LINEDOWN); // already at the end: no move, no report
    Scroll(WM_VSCROLL, SB_PAGEUP);
    Scroll(WM_VSCROLL, SB_TOP);
    Scroll(WM_VSCROLL, SB_ENDSCROLL);
    const std::vector<std::pair<int32_t, int32_t>> expected{{0, 1}, {1, 11}, {11, 90}, {90, 80}, {80, 0}};
    EXPECT_EQ(window.moves, expected);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(window.Handle(), SB_VERT, &info));
    EXPECT_EQ(info.nPos, 0);
    EXPECT_EQ(info.nMax, 99);
    EXPECT_EQ(info.nPage, 10u);
    // A shorter range pulls the position back inside.
    bar.SetPosition(90);
    bar.SetRange(0, 49, 10);
    EXPECT_EQ(bar.Position(), 40);
}

TEST_F(ScrollBarTest, WheelMovesAQuarterPageOfTheBarThatTakesPart) {
    window.Bar(SB_VERT).SetRange(0, 999, 40);
    window.Bar(SB_HORZ).SetRange(0, 199, 20);
    EXPECT_EQ(Wheel(-120, 0), 0); // wheel scrolling is off
    window.SetWheelScrolling(true);
    Wheel(-120, 0);
    EXPECT_EQ(window.Bar(SB_VERT).Position(), 10);
    Wheel(120, 0);
    EXPECT_EQ(window.Bar(SB_VERT).Position(), 0);
    Wheel(-120, MK_SHIFT);
    EXPECT_EQ(window.Bar(SB_HORZ).Position(), 5);
    EXPECT_EQ(Wheel(0, 0), 0);
    // The vertical bar has nothing to scroll: the horizontal one moves without Shift.
    window.Bar(SB_VERT).SetRange(0, 9, 40);
    Wheel(-120, 0);
    EXPECT_EQ(window.Bar(SB_HORZ).Position(), 10);
    // With Control held the wheel zooms instead.
    Wheel(-240, MK_CONTROL);
    Wheel(120, MK_CONTROL);
    EXPECT_EQ(window.zooms, (std::vector<std::pair<int, int>>{{1, 240}, {0, 120}}));
}

TEST_F(ScrollBarTest, ControlsScrollThroughTheirOwnObjectOnlyWhenTheyAreScrollBars) {
    HWND control = CreateWindowExA(0, "ScrollBar", nullptr, WS_CHILD | WS_VISIBLE | SBS_VERT, 0, 0, 16, 100,
                                   window.Handle(), nullptr, nullptr, nullptr);
    auto* object = new ScrollBarObject(&window, control); // owned by the window
    object->Bar(SB_CTL).SetRange(0, 9, 1);
    EXPECT_EQ(Scroll(WM_VSCROLL, SB_LINEDOWN, control), 1);
    EXPECT_EQ(object->Bar(SB_CTL).Position(), 1);
    EXPECT_EQ(SendMessageA(control, SBM_GETPOS, 0, 0), 1);
    EXPECT_TRUE(window.moves.empty()); // the window's own bar did not move

    HWND button =
        CreateWindowExA(0, "Button", "x", WS_CHILD, 0, 0, 10, 10, window.Handle(), nullptr, nullptr, nullptr);
    new ScrollBarObject(&window, button);
    EXPECT_EQ(Scroll(WM_VSCROLL, SB_LINEDOWN, button), 0);
}

} // namespace
