#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>

// How the contexts of a window are clipped against its children and its siblings. Every window of
// these tests fills its whole client area with one colour when it paints, so each pixel tells
// which window painted it last; a window is repainted alone (RedrawWindow without
// RDW_ALLCHILDREN) to see what its context may and may not cover.

namespace {

constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 160, 0);
constexpr COLORREF blue = RGB(0, 0, 255);
constexpr COLORREF yellow = RGB(255, 255, 0);
constexpr COLORREF magenta = RGB(255, 0, 255);
constexpr COLORREF black = RGB(0, 0, 0);

COLORREF ColourOf(HWND hwnd) {
    return static_cast<COLORREF>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void FillClient(HWND hwnd, HDC dc, COLORREF colour) {
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
}

LRESULT Filler(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        FillClient(hwnd, dc, ColourOf(hwnd));
        EndPaint(hwnd, &paint);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Describe(const RECT& rect) {
    return "{" + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
           std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + "}";
}

class UserPaintClip : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = Filler;
        windowClass.lpszClassName = "ClipFiller";
        RegisterClassExA(&windowClass);
    }
    void TearDown() override {
        if (top != nullptr) {
            DestroyWindow(top);
        }
        UnregisterClassA("ClipFiller", nullptr);
    }

    // The top-level window, red, without a frame, so that its client area is 200 x 150.
    void MakeTop(DWORD clipStyles) {
        top = Make(nullptr, WS_POPUP | clipStyles, 100, 100, 200, 150, red);
        RECT client{};
        GetClientRect(top, &client);
        ASSERT_TRUE(SameRect(client, {0, 0, 200, 150})) << Describe(client);
    }

    HWND Make(HWND parent, DWORD style, int x, int y, int width, int height, COLORREF colour) {
        HWND hwnd = CreateWindowExA(0, "ClipFiller", "", style | WS_VISIBLE, x, y, width, height, parent,
                                    nullptr, nullptr, nullptr);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        return hwnd;
    }

    // Paints the window once more, in a new colour, and none of its children.
    static void RepaintAlone(HWND hwnd, COLORREF colour) {
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, static_cast<LONG_PTR>(colour));
        RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    }

    // How many pixels of a rectangle of hwnd's client area are not `colour`.
    static int PixelsOtherThan(HWND hwnd, const RECT& area, COLORREF colour) {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                count += testhooks::ClientPixel(hwnd, x, y) != colour ? 1 : 0;
            }
        }
        return count;
    }

    testsupport::Watchdog watchdog;
    HWND top = nullptr;
};

} // namespace

TEST_F(UserPaintClip, ParentWithClipChildrenPaintsAroundItsChildren) {
    using testhooks::ClientPixel;
    MakeTop(WS_CLIPCHILDREN);
    HWND child = Make(top, WS_CHILD, 20, 20, 60, 40, green);
    testhooks::PumpMessages();
    ASSERT_EQ(ClientPixel(child, 0, 0), green) << "the child painted itself";

    RepaintAlone(top, blue);
    EXPECT_EQ(ClientPixel(top, 5, 5), blue) << "the parent painted";
    EXPECT_EQ(PixelsOtherThan(child, {0, 0, 60, 40}, green), 0) << "not one pixel of the child was covered";
    EXPECT_EQ(ClientPixel(top, 19, 30), blue) << "just left of the child";
    EXPECT_EQ(ClientPixel(top, 80, 30), blue) << "just right of the child";
    EXPECT_EQ(ClientPixel(top, 50, 19), blue) << "just above the child";
    EXPECT_EQ(ClientPixel(top, 50, 60), blue) << "just below the child";

    HDC dc = GetDC(top);
    FillClient(top, dc, yellow);
    ReleaseDC(top, dc);
    EXPECT_EQ(PixelsOtherThan(child, {0, 0, 60, 40}, green), 0)
        << "GetDC clips the child out as BeginPaint does";
    EXPECT_EQ(ClientPixel(top, 150, 100), yellow);
}

TEST_F(UserPaintClip, ParentWithoutClipChildrenPaintsOverThemAndRepaintsThemWithIt) {
    using testhooks::ClientPixel;
    MakeTop(0);
    HWND child = Make(top, WS_CHILD, 20, 20, 60, 40, green);
    testhooks::PumpMessages();
    ASSERT_EQ(ClientPixel(child, 0, 0), green);

    RepaintAlone(top, blue);
    EXPECT_EQ(PixelsOtherThan(child, {0, 0, 60, 40}, blue), 0) << "the parent's fill covered the child";

    InvalidateRect(top, nullptr, FALSE);
    UpdateWindow(top);
    EXPECT_EQ(PixelsOtherThan(child, {0, 0, 60, 40}, green), 0)
        << "invalidating the parent repaints the child after it";
    EXPECT_EQ(ClientPixel(top, 5, 5), blue);
}

TEST_F(UserPaintClip, HiddenChildIsNotCutOut) {
    using testhooks::ClientPixel;
    MakeTop(WS_CLIPCHILDREN);
    HWND hidden = Make(top, WS_CHILD, 20, 20, 60, 40, green);
    HWND shown = Make(top, WS_CHILD, 100, 20, 60, 40, green);
    testhooks::PumpMessages();
    ShowWindow(hidden, SW_HIDE);
    testhooks::PumpMessages();

    RepaintAlone(top, blue);
    EXPECT_EQ(PixelsOtherThan(top, {20, 20, 80, 60}, blue), 0)
        << "the parent paints where the hidden child is";
    EXPECT_EQ(PixelsOtherThan(shown, {0, 0, 60, 40}, green), 0) << "the visible one is still cut out";

    // The hidden child itself, and a child inside it, paint nowhere.
    HWND inner = Make(hidden, WS_CHILD, 5, 5, 20, 10, yellow);
    for (HWND window : {hidden, inner}) {
        HDC dc = GetDC(window);
        RECT box{};
        EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
        FillClient(window, dc, black);
        ReleaseDC(window, dc);
    }
    EXPECT_EQ(PixelsOtherThan(top, {20, 20, 80, 60}, blue), 0)
        << "nothing of the hidden windows reached the surface";
}

TEST_F(UserPaintClip, ChildWithClipSiblingsLeavesTheSiblingAboveAlone) {
    using testhooks::ClientPixel;
    MakeTop(0);
    HWND above = Make(top, WS_CHILD, 10, 10, 60, 40, green);
    HWND below = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 40, 30, 60, 40, blue);
    testhooks::PumpMessages();
    ASSERT_EQ(GetWindow(top, GW_CHILD), above) << "the first child created is the top of the z-order";
    ASSERT_EQ(GetWindow(above, GW_HWNDNEXT), below);

    RepaintAlone(below, yellow);
    EXPECT_EQ(PixelsOtherThan(above, {0, 0, 60, 40}, green), 0) << "the overlap stays the upper sibling's";
    EXPECT_EQ(PixelsOtherThan(top, {70, 30, 100, 70}, yellow), 0) << "the rest of the lower sibling painted";
    EXPECT_EQ(PixelsOtherThan(top, {40, 50, 70, 70}, yellow), 0) << "below the overlap, too";

    HDC dc = GetDC(below);
    FillClient(below, dc, magenta);
    ReleaseDC(below, dc);
    EXPECT_EQ(PixelsOtherThan(above, {0, 0, 60, 40}, green), 0) << "GetDC clips the sibling out as well";
    EXPECT_EQ(ClientPixel(below, 59, 39), magenta);
}

TEST_F(UserPaintClip, ChildWithoutClipSiblingsPaintsOverTheSiblingAbove) {
    MakeTop(0);
    HWND above = Make(top, WS_CHILD, 10, 10, 60, 40, green);
    HWND below = Make(top, WS_CHILD, 40, 30, 60, 40, blue);
    testhooks::PumpMessages();

    RepaintAlone(below, yellow);
    EXPECT_EQ(PixelsOtherThan(top, {40, 30, 70, 50}, yellow), 0) << "the overlap was covered";
    EXPECT_EQ(PixelsOtherThan(above, {0, 0, 30, 20}, green), 0) << "the rest of the upper sibling was not";
    (void)below;
}

TEST_F(UserPaintClip, ClipSiblingsCutsOutOnlyTheSiblingsAbove) {
    MakeTop(0);
    HWND above = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 10, 10, 60, 40, green);
    HWND below = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 40, 30, 60, 40, blue);
    testhooks::PumpMessages();

    RepaintAlone(above, yellow);
    EXPECT_EQ(PixelsOtherThan(above, {0, 0, 60, 40}, yellow), 0)
        << "the sibling below does not clip the one above";
    EXPECT_EQ(PixelsOtherThan(top, {70, 50, 100, 70}, blue), 0) << "what is left of the lower sibling";
    (void)below;
}

TEST_F(UserPaintClip, AncestorWithClipSiblingsKeepsItsChildrenOffTheSiblingsAboveIt) {
    MakeTop(0);
    HWND panelAbove = Make(top, WS_CHILD, 10, 10, 80, 60, green);
    HWND panelBelow = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 50, 40, 80, 60, blue);
    HWND inner = Make(panelBelow, WS_CHILD, 0, 0, 40, 40, yellow);
    testhooks::PumpMessages();

    RepaintAlone(inner, magenta);
    EXPECT_EQ(PixelsOtherThan(panelAbove, {0, 0, 80, 60}, green), 0)
        << "the child of the clipped panel stays off the panel above it";
    EXPECT_EQ(PixelsOtherThan(top, {50, 70, 90, 80}, magenta), 0)
        << "the child painted below the upper panel";
    EXPECT_EQ(PixelsOtherThan(top, {90, 40, 130, 100}, blue), 0) << "the rest of its own panel is untouched";
}

TEST_F(UserPaintClip, AncestorWithoutClipSiblingsLetsItsChildrenPaintOverTheSiblingsAboveIt) {
    MakeTop(0);
    HWND panelAbove = Make(top, WS_CHILD, 10, 10, 80, 60, green);
    HWND panelBelow = Make(top, WS_CHILD, 50, 40, 80, 60, blue);
    HWND inner = Make(panelBelow, WS_CHILD, 0, 0, 40, 40, yellow);
    testhooks::PumpMessages();

    RepaintAlone(inner, magenta);
    EXPECT_EQ(PixelsOtherThan(top, {50, 40, 90, 80}, magenta), 0)
        << "the whole child painted, overlap included";
    EXPECT_EQ(PixelsOtherThan(panelAbove, {0, 0, 40, 30}, green), 0);
}

TEST_F(UserPaintClip, EveryKindOfDrawingStaysOutOfClippedChildren) {
    MakeTop(WS_CLIPCHILDREN);
    HWND child = Make(top, WS_CHILD, 60, 40, 80, 70, green);
    testhooks::PumpMessages();
    const RECT whole{0, 0, 80, 70};
    HDC dc = GetDC(top);

    HPEN pen = CreatePen(PS_SOLID, 1, black);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    for (int y = 0; y < 150; y += 3) {
        MoveToEx(dc, 0, y, nullptr);
        LineTo(dc, 200, y);
    }
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "lines";
    EXPECT_EQ(testhooks::ClientPixel(top, 150, 45), black) << "a line beside the child";

    HBRUSH brush = CreateSolidBrush(blue);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    Ellipse(dc, 10, 10, 190, 140);
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "a filled shape";
    EXPECT_EQ(testhooks::ClientPixel(top, 50, 75), blue) << "the ellipse left of the child";

    PatBlt(dc, 0, 0, 200, 150, PATCOPY);
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "a pattern transfer";
    EXPECT_EQ(testhooks::ClientPixel(top, 5, 5), blue);

    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, 200, 150);
    HGDIOBJ oldBitmap = SelectObject(memory, bitmap);
    const RECT all{0, 0, 200, 150};
    HBRUSH magentaBrush = CreateSolidBrush(magenta);
    FillRect(memory, &all, magentaBrush);
    BitBlt(dc, 0, 0, 200, 150, memory, 0, 0, SRCCOPY);
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "a bitmap transfer";
    EXPECT_EQ(testhooks::ClientPixel(top, 199, 149), magenta);

    SetBkColor(dc, yellow);
    for (int y = 30; y < 120; y += 10) {
        TextOutA(dc, 0, y, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW", 40);
    }
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "text with an opaque background";
    EXPECT_GT(PixelsOtherThan(top, {0, 30, 60, 120}, magenta), 500) << "the text was drawn beside the child";

    RECT textArea{0, 50, 200, 100};
    DrawTextA(dc, "MMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMMM", -1, &textArea, DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(PixelsOtherThan(child, whole, green), 0) << "text clipped to its rectangle";

    SelectObject(memory, oldBitmap);
    DeleteObject(bitmap);
    DeleteDC(memory);
    DeleteObject(magentaBrush);
    SelectObject(dc, oldBrush);
    DeleteObject(brush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    ReleaseDC(top, dc);
}

TEST_F(UserPaintClip, ClipBoxBoundsWhatTheWindowMayPaint) {
    MakeTop(WS_CLIPCHILDREN);
    HWND middle = Make(top, WS_CHILD, 20, 20, 60, 40, green);
    HWND straddling = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 170, 130, 60, 40, blue);
    HWND bitten = Make(top, WS_CHILD | WS_CLIPSIBLINGS, 60, 50, 40, 40, yellow);
    testhooks::PumpMessages();
    RECT box{};

    HDC dc = GetDC(top);
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION) << "the parent has holes where its children are";
    EXPECT_TRUE(SameRect(box, {0, 0, 200, 150})) << Describe(box);
    EXPECT_EQ(IntersectClipRect(dc, 30, 30, 50, 50), NULLREGION) << "a clip inside a child leaves nothing";
    EXPECT_EQ(GetClipBox(dc, &box), NULLREGION);
    EXPECT_TRUE(SameRect(box, {0, 0, 0, 0})) << Describe(box);
    EXPECT_EQ(SelectClipRgn(dc, nullptr), COMPLEXREGION) << "dropping the own clip brings the holes back";
    EXPECT_EQ(IntersectClipRect(dc, 0, 0, 20, 150), SIMPLEREGION) << "a strip beside every child";
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION);
    EXPECT_TRUE(SameRect(box, {0, 0, 20, 150})) << Describe(box);
    SelectClipRgn(dc, nullptr);
    HRGN wide = CreateRectRgn(-50, -50, 500, 500);
    EXPECT_EQ(SelectClipRgn(dc, wide), COMPLEXREGION)
        << "no clip of the context widens what the window may paint";
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_TRUE(SameRect(box, {0, 0, 200, 150})) << Describe(box);
    DeleteObject(wide);
    SetViewportOrgEx(dc, 10, 5, nullptr);
    EXPECT_EQ(IntersectClipRect(dc, 0, 0, 30, 150), COMPLEXREGION) << "a strip that takes in part of a child";
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_TRUE(SameRect(box, {0, 0, 30, 145})) << "in logical coordinates: " << Describe(box);
    ReleaseDC(top, dc);

    dc = GetDC(straddling);
    EXPECT_EQ(GetClipBox(dc, &box), SIMPLEREGION) << "a child half outside its parent";
    EXPECT_TRUE(SameRect(box, {0, 0, 30, 20})) << Describe(box);
    ReleaseDC(straddling, dc);

    dc = GetDC(bitten);
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION) << "a sibling above takes a corner out of it";
    EXPECT_TRUE(SameRect(box, {0, 0, 40, 40})) << Describe(box);
    EXPECT_EQ(IntersectClipRect(dc, 0, 10, 40, 40), SIMPLEREGION) << "below the corner";
    ReleaseDC(bitten, dc);
    (void)middle;
}

TEST_F(UserPaintClip, ScrollingACutWindowInvalidatesAllItScrolledAndRepaintsMovedChildren) {
    using testhooks::ClientPixel;
    MakeTop(WS_CLIPCHILDREN);
    HWND child = Make(top, WS_CHILD, 20, 20, 60, 40, green);
    testhooks::PumpMessages();

    // Scrolling up by 30: the pixels that land on 20..50 came from under the child, where the
    // parent never drew, so they cannot be copied as they stand.
    RECT update{};
    EXPECT_EQ(
        ScrollWindowEx(top, 0, -30, nullptr, nullptr, nullptr, &update, SW_INVALIDATE | SW_SCROLLCHILDREN),
        SIMPLEREGION);
    EXPECT_TRUE(SameRect(update, {0, 0, 200, 150})) << "all of what was scrolled: " << Describe(update);
    RECT invalid{};
    EXPECT_TRUE(GetUpdateRect(child, &invalid, FALSE)) << "the child moved along is to be repainted";
    RECT moved{};
    GetWindowRect(child, &moved);
    EXPECT_EQ(moved.top, 100 + 20 - 30) << "the child moved with the contents";
    SetWindowLongPtrA(child, GWLP_USERDATA, static_cast<LONG_PTR>(magenta));
    testhooks::PumpMessages();
    EXPECT_EQ(ClientPixel(child, 30, 20), magenta) << "and was repainted where it landed";
    EXPECT_EQ(ClientPixel(top, 50, 60), red) << "the parent repainted what came from under the child";

    // Without a cut the copied pixels are good and only the uncovered strip is invalid.
    HWND plain = Make(nullptr, WS_POPUP, 400, 100, 100, 80, yellow);
    testhooks::PumpMessages();
    EXPECT_EQ(ScrollWindowEx(plain, 0, -30, nullptr, nullptr, nullptr, &update, SW_INVALIDATE), SIMPLEREGION);
    EXPECT_TRUE(SameRect(update, {0, 50, 100, 80})) << Describe(update);
    DestroyWindow(plain);
}
