#include "platform/Windows.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr COLORREF red = RGB(255, 0, 0);
constexpr COLORREF green = RGB(0, 160, 0);
constexpr COLORREF blue = RGB(0, 0, 255);
constexpr COLORREF face = RGB(192, 192, 192);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF shadow = RGB(128, 128, 128);

// A window-sized surface with a context over all of it. Pixels are read straight from the
// surface's memory, not through GetPixel, so the checks do not depend on the code under test.
class GdiDrawingTest : public ::testing::Test {
protected:
    GdiDrawingTest()
        : surface(platform::CreateSurface(width, height)),
          dc(platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, width, height})) {}
    ~GdiDrawingTest() override {
        platform::DeleteSurfaceDC(dc);
        platform::DestroySurface(surface);
        for (HGDIOBJ object : objects)
            DeleteObject(object);
    }

    COLORREF Pixel(int x, int y) const {
        int stride = 0;
        const uint8_t* pixel = platform::SurfacePixels(surface, &stride) + y * stride + x * 4;
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

    template <typename Handle> Handle Keep(Handle object) {
        objects.push_back(object);
        return object;
    }
    HBRUSH Brush(COLORREF colour) { return Keep(CreateSolidBrush(colour)); }

    void Fill(const RECT& area, COLORREF colour) { FillRect(dc, &area, Brush(colour)); }

    // The pixels of a row from `from` to `to` (exclusive) as a string of one letter per colour.
    std::string Row(int y, int from, int to) const {
        std::string letters;
        for (int x = from; x < to; ++x)
            letters += Letter(Pixel(x, y));
        return letters;
    }
    std::string Column(int x, int from, int to) const {
        std::string letters;
        for (int y = from; y < to; ++y)
            letters += Letter(Pixel(x, y));
        return letters;
    }
    static char Letter(COLORREF colour) {
        switch (colour) {
        case red:
            return 'r';
        case green:
            return 'g';
        case blue:
            return 'b';
        case face:
            return 'f';
        case white:
            return 'w';
        case black:
            return 'k';
        case shadow:
            return 's';
        default:
            return '?';
        }
    }

    static constexpr int width = 64;
    static constexpr int height = 48;
    platform::Surface* surface;
    HDC dc;
    std::vector<HGDIOBJ> objects;
};

TEST_F(GdiDrawingTest, ANewSurfaceHasTheButtonFaceColour) {
    EXPECT_EQ(Pixel(0, 0), face);
    EXPECT_EQ(Pixel(width - 1, height - 1), face);
    SIZE size = platform::SurfaceSize(surface);
    EXPECT_EQ(size.cx, width);
    EXPECT_EQ(size.cy, height);
}

TEST_F(GdiDrawingTest, FillRectCoversLeftAndTopButNotRightAndBottom) {
    RECT area{10, 10, 20, 15};
    EXPECT_NE(FillRect(dc, &area, Brush(red)), 0);
    EXPECT_EQ(Row(10, 9, 21), "frrrrrrrrrrf");
    EXPECT_EQ(Column(10, 9, 16), "frrrrrf");
    EXPECT_EQ(Pixel(19, 14), red);
    EXPECT_EQ(Pixel(20, 14), face);
    EXPECT_EQ(Pixel(19, 15), face);
}

TEST_F(GdiDrawingTest, FillRectTakesSystemColourIndexesAndTheNullBrush) {
    RECT area{0, 0, 4, 4};
    EXPECT_NE(FillRect(dc, &area, reinterpret_cast<HBRUSH>(COLOR_HIGHLIGHT + 1)), 0);
    EXPECT_EQ(Pixel(3, 3), RGB(0, 0, 128));
    EXPECT_NE(FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(NULL_BRUSH))), 0);
    EXPECT_EQ(Pixel(3, 3), RGB(0, 0, 128)) << "the null brush paints nothing";
    HBRUSH deleted = CreateSolidBrush(red);
    DeleteObject(deleted);
    EXPECT_EQ(FillRect(dc, &area, deleted), 0);
    EXPECT_EQ(FillRect(dc, &area, nullptr), 0);
    RECT inverted{4, 4, 0, 0};
    EXPECT_NE(FillRect(dc, &inverted, Brush(red)), 0);
    EXPECT_EQ(Pixel(2, 2), RGB(0, 0, 128)) << "a rectangle with right < left is empty";
}

TEST_F(GdiDrawingTest, FrameRectDrawsOnePixelInsideTheRectangle) {
    RECT area{2, 2, 8, 6};
    FrameRect(dc, &area, Brush(blue));
    EXPECT_EQ(Row(2, 1, 9), "fbbbbbbf");
    EXPECT_EQ(Row(3, 1, 9), "fbffffbf");
    EXPECT_EQ(Row(5, 1, 9), "fbbbbbbf");
    EXPECT_EQ(Row(6, 1, 9), "ffffffff");
}

TEST_F(GdiDrawingTest, InvertRectTwiceRestoresThePixels) {
    Fill({0, 0, 8, 8}, RGB(10, 200, 30));
    RECT area{2, 2, 4, 4};
    InvertRect(dc, &area);
    EXPECT_EQ(Pixel(2, 2), RGB(245, 55, 225));
    EXPECT_EQ(Pixel(4, 4), RGB(10, 200, 30));
    InvertRect(dc, &area);
    EXPECT_EQ(Pixel(3, 3), RGB(10, 200, 30));
}

TEST_F(GdiDrawingTest, LinesCoverTheirStartAndNotTheirEnd) {
    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, red)));
    POINT previous{-1, -1};
    EXPECT_TRUE(MoveToEx(dc, 2, 3, &previous));
    EXPECT_EQ(previous.x, 0);
    EXPECT_EQ(previous.y, 0);
    EXPECT_TRUE(LineTo(dc, 8, 3));
    EXPECT_EQ(Row(3, 1, 9), "frrrrrrf");
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 8);
    EXPECT_EQ(position.y, 3);

    MoveToEx(dc, 20, 10, nullptr);
    LineTo(dc, 20, 5);
    EXPECT_EQ(Column(20, 4, 12), "ffrrrrrf") << "upwards: 10 up to 6";

    MoveToEx(dc, 30, 0, nullptr);
    LineTo(dc, 34, 4);
    for (int step = 0; step < 4; ++step)
        EXPECT_EQ(Pixel(30 + step, step), red) << "diagonal step " << step;
    EXPECT_EQ(Pixel(34, 4), face);
}

TEST_F(GdiDrawingTest, PolylineJoinsSegmentsAndLeavesItsLastPointOut) {
    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, blue)));
    POINT points[] = {{2, 2}, {6, 2}, {6, 6}, {2, 6}};
    EXPECT_TRUE(Polyline(dc, points, 4));
    EXPECT_EQ(Row(2, 1, 8), "fbbbbbf");
    EXPECT_EQ(Column(6, 1, 8), "fbbbbbf");
    EXPECT_EQ(Row(6, 1, 8), "ffbbbbf");
    EXPECT_FALSE(Polyline(dc, points, 1));
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 0) << "Polyline leaves the current position alone";
}

TEST_F(GdiDrawingTest, DottedPensRepeatThreeOnThreeOffWithOpaqueGaps) {
    SelectObject(dc, Keep(CreatePen(PS_DOT, 1, black)));
    SetBkColor(dc, white);
    MoveToEx(dc, 0, 1, nullptr);
    LineTo(dc, 14, 1);
    EXPECT_EQ(Row(1, 0, 15), "kkkwwwkkkwwwkkf");
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, 0, 2, nullptr);
    LineTo(dc, 14, 2);
    EXPECT_EQ(Row(2, 0, 15), "kkkfffkkkfffkkf");
    SelectObject(dc, GetStockObject(NULL_PEN));
    MoveToEx(dc, 0, 3, nullptr);
    LineTo(dc, 14, 3);
    EXPECT_EQ(Row(3, 0, 15), std::string(15, 'f'));
}

TEST_F(GdiDrawingTest, RectangleOutlinesWithThePenAndFillsWithTheBrush) {
    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, blue)));
    SelectObject(dc, Brush(red));
    EXPECT_TRUE(Rectangle(dc, 2, 2, 8, 6));
    EXPECT_EQ(Row(2, 1, 9), "fbbbbbbf");
    EXPECT_EQ(Row(3, 1, 9), "fbrrrrbf");
    EXPECT_EQ(Row(5, 1, 9), "fbbbbbbf");
    EXPECT_EQ(Row(6, 1, 9), "ffffffff");

    SelectObject(dc, GetStockObject(NULL_PEN));
    Rectangle(dc, 20, 2, 26, 6);
    EXPECT_EQ(Row(2, 19, 27), "frrrrrff") << "with the null pen the fill is one pixel smaller";
    EXPECT_EQ(Column(20, 1, 7), "frrrff");

    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, blue)));
    SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    Rectangle(dc, 40, 8, 34, 2);
    EXPECT_EQ(Row(2, 33, 41), "fbbbbbbf") << "corners are put in order";
    EXPECT_EQ(Row(4, 33, 41), "fbffffbf") << "the hollow brush leaves the inside";
}

TEST_F(GdiDrawingTest, EllipseStaysInsideItsBoundingBox) {
    Fill({0, 0, width, height}, white);
    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, blue)));
    SelectObject(dc, Brush(red));
    EXPECT_TRUE(Ellipse(dc, 10, 10, 30, 24));
    EXPECT_EQ(Pixel(20, 17), red) << "filled in the middle";
    EXPECT_EQ(Pixel(10, 10), white) << "the corners of the box stay";
    EXPECT_EQ(Pixel(29, 23), white);
    EXPECT_EQ(Pixel(20, 10), blue) << "top of the outline";
    EXPECT_EQ(Pixel(10, 17), blue) << "left of the outline";
    EXPECT_EQ(Pixel(29, 17), blue) << "right of the outline";
    EXPECT_EQ(Pixel(20, 23), blue) << "bottom of the outline";
    for (int x = 0; x < width; ++x) {
        EXPECT_EQ(Pixel(x, 9), white) << x;
        EXPECT_EQ(Pixel(x, 24), white) << x;
    }
    for (int y = 0; y < height; ++y) {
        EXPECT_EQ(Pixel(9, y), white) << y;
        EXPECT_EQ(Pixel(30, y), white) << y;
    }
}

TEST_F(GdiDrawingTest, PolygonFillsItsInsideAndOutlinesEveryEdge) {
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, Brush(red));
    POINT square[] = {{2, 2}, {8, 2}, {8, 6}, {2, 6}};
    EXPECT_TRUE(Polygon(dc, square, 4));
    EXPECT_EQ(Row(2, 1, 10), "frrrrrrff") << "the right and bottom edges are outside the fill";
    EXPECT_EQ(Column(2, 1, 8), "frrrrff");

    SelectObject(dc, Keep(CreatePen(PS_SOLID, 1, blue)));
    POINT triangle[] = {{20, 2}, {30, 2}, {20, 12}};
    Polygon(dc, triangle, 3);
    EXPECT_EQ(Pixel(20, 2), blue);
    EXPECT_EQ(Pixel(29, 2), blue);
    EXPECT_EQ(Pixel(20, 11), blue);
    EXPECT_EQ(Pixel(22, 4), red);
    EXPECT_EQ(Pixel(28, 10), face) << "outside the diagonal";
}

TEST_F(GdiDrawingTest, ASurfaceContextDrawsFromItsOriginAndStaysInItsClip) {
    HDC child = platform::CreateSurfaceDC(surface, {10, 5}, {10, 5, 30, 20});
    RECT everything{-100, -100, 100, 100};
    FillRect(child, &everything, Brush(green));
    EXPECT_EQ(Pixel(10, 5), green);
    EXPECT_EQ(Pixel(29, 19), green);
    EXPECT_EQ(Pixel(9, 5), face);
    EXPECT_EQ(Pixel(30, 19), face);
    EXPECT_EQ(Pixel(29, 20), face);
    EXPECT_EQ(Pixel(10, 4), face);

    RECT corner{0, 0, 1, 1};
    FillRect(child, &corner, Brush(red));
    EXPECT_EQ(Pixel(10, 5), red) << "logical (0, 0) is the origin on the surface";
    EXPECT_EQ(SetPixel(child, 3, 2, blue), blue);
    EXPECT_EQ(Pixel(13, 7), blue);
    EXPECT_EQ(GetPixel(child, 3, 2), blue);
    EXPECT_EQ(GetPixel(child, 25, 2), CLR_INVALID) << "outside the clip";
    EXPECT_EQ(SetPixel(child, -1, 0, blue), CLR_INVALID);
    EXPECT_EQ(SelectClipRgn(child, nullptr), SIMPLEREGION);
    EXPECT_EQ(GetPixel(child, 25, 2), CLR_INVALID)
        << "removing the context's clip cannot widen the system clip";
    RECT box{};
    EXPECT_EQ(GetClipBox(child, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 15);
    platform::DeleteSurfaceDC(child);
}

TEST_F(GdiDrawingTest, ClipRectanglesNarrowAndSaveDCKeepsThem) {
    EXPECT_EQ(IntersectClipRect(dc, 5, 5, 20, 20), SIMPLEREGION);
    EXPECT_EQ(SaveDC(dc), 1);
    EXPECT_EQ(IntersectClipRect(dc, 10, 0, 30, 8), SIMPLEREGION);
    RECT box{};
    GetClipBox(dc, &box);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 5);
    EXPECT_EQ(box.right, 20);
    EXPECT_EQ(box.bottom, 8);
    Fill({0, 0, width, height}, red);
    EXPECT_EQ(Row(6, 8, 22), "ffrrrrrrrrrrff");
    EXPECT_EQ(Pixel(12, 8), face);
    EXPECT_EQ(IntersectClipRect(dc, 40, 40, 50, 50), NULLREGION);

    RestoreDC(dc, -1);
    Fill({0, 0, width, height}, blue);
    EXPECT_EQ(Pixel(5, 19), blue) << "the first clip is back";
    EXPECT_EQ(Pixel(4, 19), face);

    HRGN region = Keep(CreateRectRgn(30, 30, 32, 32));
    EXPECT_EQ(SelectClipRgn(dc, region), SIMPLEREGION);
    SetRectRgn(region, 0, 0, 64, 48);
    Fill({0, 0, width, height}, green);
    EXPECT_EQ(Pixel(31, 31), green);
    EXPECT_EQ(Pixel(32, 31), face) << "the context keeps a copy of the region";
    EXPECT_EQ(reinterpret_cast<INT_PTR>(SelectObject(dc, region)), SIMPLEREGION);
    Fill({0, 0, width, height}, red);
    EXPECT_EQ(Pixel(0, 0), red);
}

TEST_F(GdiDrawingTest, ViewportOriginMovesDrawingButNotTheClip) {
    IntersectClipRect(dc, 0, 0, 10, 10);
    POINT previous{-1, -1};
    EXPECT_TRUE(SetViewportOrgEx(dc, 5, 6, &previous));
    EXPECT_EQ(previous.x, 0);
    Fill({0, 0, 1, 1}, red);
    EXPECT_EQ(Pixel(5, 6), red);
    Fill({0, 0, 20, 20}, blue);
    EXPECT_EQ(Pixel(9, 9), blue);
    EXPECT_EQ(Pixel(10, 9), face) << "the clip stays where it was set, in device coordinates";
    EXPECT_TRUE(OffsetViewportOrgEx(dc, -5, -6, nullptr));
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    SetWindowOrgEx(dc, 2, 2, nullptr);
    POINT point{2, 3};
    LPtoDP(dc, &point, 1);
    EXPECT_EQ(point.x, 0);
    EXPECT_EQ(point.y, 1);
}

TEST_F(GdiDrawingTest, MonochromeBitmapsTakeTheNearerOfBlackAndWhite) {
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = Keep(CreateCompatibleBitmap(memory, 4, 1));
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    EXPECT_EQ(description.bmBitsPixel, 1) << "compatible with a fresh memory context";
    HGDIOBJ old = SelectObject(memory, bitmap);
    RECT left{0, 0, 2, 1};
    RECT right{2, 0, 4, 1};
    FillRect(memory, &left, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    FillRect(memory, &right, reinterpret_cast<HBRUSH>(COLOR_3DDKSHADOW + 1));
    EXPECT_EQ(GetPixel(memory, 0, 0), white);
    EXPECT_EQ(GetPixel(memory, 3, 0), black);
    EXPECT_EQ(SetPixel(memory, 1, 0, RGB(20, 20, 20)), black);
    SelectObject(memory, old);
    DeleteDC(memory);
}

// ---- The classic three-dimensional look ----

struct EdgeCase {
    const char* name;
    UINT edge;
    UINT flags;
    COLORREF outerTopLeft;
    COLORREF outerBottomRight;
    COLORREF innerTopLeft;
    COLORREF innerBottomRight;
};

TEST_F(GdiDrawingTest, EdgesUseTheClassicColours) {
    const COLORREF light = face;
    const EdgeCase cases[] = {
        {"raised", EDGE_RAISED, BF_RECT, light, black, white, shadow},
        {"sunken", EDGE_SUNKEN, BF_RECT, shadow, white, black, light},
        {"etched", EDGE_ETCHED, BF_RECT, shadow, white, white, shadow},
        {"bump", EDGE_BUMP, BF_RECT, light, black, black, light},
        {"raised soft", EDGE_RAISED, BF_RECT | BF_SOFT, white, black, light, shadow},
        {"sunken soft", EDGE_SUNKEN, BF_RECT | BF_SOFT, black, white, shadow, light},
        {"flat", EDGE_SUNKEN, BF_RECT | BF_FLAT, shadow, shadow, face, face},
        {"mono", EDGE_RAISED, BF_RECT | BF_MONO, black, black, white, white},
    };
    for (const EdgeCase& check : cases) {
        Fill({0, 0, width, height}, green);
        RECT r{2, 2, 12, 10};
        EXPECT_TRUE(DrawEdge(dc, &r, check.edge, check.flags)) << check.name;
        EXPECT_EQ(Pixel(2, 2), check.outerTopLeft) << check.name << ": outer top-left corner";
        EXPECT_EQ(Pixel(10, 2), check.outerTopLeft) << check.name << ": outer top";
        EXPECT_EQ(Pixel(2, 8), check.outerTopLeft) << check.name << ": outer left";
        EXPECT_EQ(Pixel(11, 2), check.outerBottomRight)
            << check.name << ": the top-right corner is bottom-right's";
        EXPECT_EQ(Pixel(2, 9), check.outerBottomRight)
            << check.name << ": the bottom-left corner is bottom-right's";
        EXPECT_EQ(Pixel(11, 9), check.outerBottomRight) << check.name << ": outer bottom-right";
        EXPECT_EQ(Pixel(3, 3), check.innerTopLeft) << check.name << ": inner top-left";
        EXPECT_EQ(Pixel(9, 3), check.innerTopLeft) << check.name << ": inner top";
        EXPECT_EQ(Pixel(10, 3), check.innerBottomRight) << check.name << ": inner top-right";
        EXPECT_EQ(Pixel(10, 8), check.innerBottomRight) << check.name << ": inner bottom-right";
        EXPECT_EQ(Pixel(5, 5), green) << check.name << ": the middle stays without BF_MIDDLE";
        EXPECT_EQ(Pixel(12, 5), green) << check.name << ": nothing outside";
        EXPECT_EQ(r.left, 2) << check.name << ": the rectangle stays without BF_ADJUST";
    }
}

TEST_F(GdiDrawingTest, EdgesFillTheMiddleAndAdjustOnlyTheSidesDrawn) {
    Fill({0, 0, width, height}, green);
    RECT r{2, 2, 12, 10};
    DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT | BF_MIDDLE | BF_ADJUST);
    EXPECT_EQ(Pixel(6, 6), face);
    EXPECT_EQ(r.left, 4);
    EXPECT_EQ(r.top, 4);
    EXPECT_EQ(r.right, 10);
    EXPECT_EQ(r.bottom, 8);

    RECT top{20, 2, 30, 10};
    DrawEdge(dc, &top, BDR_RAISEDINNER, BF_TOP | BF_LEFT | BF_ADJUST);
    EXPECT_EQ(top.left, 21);
    EXPECT_EQ(top.top, 3);
    EXPECT_EQ(top.right, 30);
    EXPECT_EQ(top.bottom, 10);
    EXPECT_EQ(Pixel(29, 2), green) << "without BF_RIGHT the top line stops short of the right edge";
    EXPECT_EQ(Pixel(28, 2), white);
    EXPECT_EQ(Pixel(29, 9), green) << "no bottom or right line";

    RECT diagonal{0, 0, 5, 5};
    EXPECT_FALSE(DrawEdge(dc, &diagonal, EDGE_RAISED, BF_DIAGONAL));
}

TEST_F(GdiDrawingTest, FocusRectanglesInvertEveryOtherPixelAndUndoThemselves) {
    Fill({0, 0, width, height}, white);
    RECT r{2, 2, 9, 6};
    DrawFocusRect(dc, &r);
    EXPECT_EQ(Row(2, 2, 9), "kwkwkwk");
    EXPECT_EQ(Column(2, 2, 6), "kwkw");
    EXPECT_EQ(Row(3, 3, 8), "wwwww") << "the inside stays";
    DrawFocusRect(dc, &r);
    EXPECT_EQ(Row(2, 2, 9), "wwwwwww");
    EXPECT_EQ(Row(5, 2, 9), "wwwwwww");
}

TEST_F(GdiDrawingTest, CheckBoxesShowTheirStateInTheClassicLook) {
    auto draw = [&](int left, UINT state) {
        RECT box{left, 0, left + 13, 13};
        EXPECT_TRUE(DrawFrameControl(dc, &box, DFC_BUTTON, DFCS_BUTTONCHECK | state));
    };
    draw(0, 0);
    draw(20, DFCS_CHECKED);
    draw(40, DFCS_CHECKED | DFCS_INACTIVE);
    EXPECT_EQ(Pixel(0, 0), shadow) << "sunken outer edge";
    EXPECT_EQ(Pixel(1, 1), black) << "sunken inner edge";
    EXPECT_EQ(Pixel(12, 12), white);
    EXPECT_EQ(Pixel(6, 7), white) << "an empty box is white inside";
    EXPECT_EQ(Pixel(26, 7), black) << "the check mark";
    EXPECT_EQ(Pixel(23, 6), black);
    EXPECT_EQ(Pixel(29, 3), black);
    EXPECT_EQ(Pixel(22, 3), white) << "beside the check mark";
    EXPECT_EQ(Pixel(46, 7), shadow) << "an inactive check mark is grey";
    EXPECT_EQ(Pixel(43, 3), face) << "on the face colour";
}

TEST_F(GdiDrawingTest, RadioButtonsAreRingsWithADot) {
    RECT first{0, 0, 12, 12};
    RECT second{20, 0, 32, 12};
    DrawFrameControl(dc, &first, DFC_BUTTON, DFCS_BUTTONRADIO);
    DrawFrameControl(dc, &second, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
    EXPECT_EQ(Pixel(5, 0), shadow) << "outer ring, top";
    EXPECT_EQ(Pixel(5, 11), white) << "outer ring, bottom";
    EXPECT_EQ(Pixel(5, 1), black) << "inner ring, top";
    EXPECT_EQ(Pixel(0, 0), face) << "outside the circle";
    EXPECT_EQ(Pixel(5, 5), white) << "unchecked: white inside";
    EXPECT_EQ(Pixel(25, 5), black) << "checked: the dot";
    EXPECT_EQ(Pixel(24, 4), white) << "the dot's corners are cut";
}

TEST_F(GdiDrawingTest, PushButtonsAndScrollArrows) {
    Fill({0, 0, width, height}, green);
    RECT button{0, 0, 20, 10};
    EXPECT_TRUE(DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT));
    EXPECT_EQ(Pixel(0, 0), white);
    EXPECT_EQ(Pixel(19, 9), black);
    EXPECT_EQ(Pixel(10, 5), face);
    EXPECT_EQ(button.left, 2) << "DFCS_ADJUSTRECT gives the inside";
    EXPECT_EQ(button.bottom, 8);
    RECT pushed{30, 0, 50, 10};
    DrawFrameControl(dc, &pushed, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_PUSHED);
    EXPECT_EQ(Pixel(30, 0), black) << "pushed buttons are sunken";
    EXPECT_EQ(Pixel(49, 9), white);

    RECT arrow{0, 20, 16, 36};
    EXPECT_TRUE(DrawFrameControl(dc, &arrow, DFC_SCROLL, DFCS_SCROLLDOWN));
    // A 16-pixel button holds a 7 x 4 arrow, base on top, centred.
    EXPECT_EQ(Row(26, 4, 12), "kkkkkkkf");
    EXPECT_EQ(Row(29, 4, 12), "fffkffff");
    EXPECT_EQ(Row(30, 4, 12), "ffffffff");
    RECT up{20, 20, 36, 36};
    DrawFrameControl(dc, &up, DFC_SCROLL, DFCS_SCROLLUP);
    EXPECT_EQ(Row(26, 24, 32), "fffkffff");
    EXPECT_EQ(Row(29, 24, 32), "kkkkkkkf");
    RECT unknown{0, 0, 5, 5};
    EXPECT_FALSE(DrawFrameControl(dc, &unknown, DFC_CAPTION, 0));
}

} // namespace
