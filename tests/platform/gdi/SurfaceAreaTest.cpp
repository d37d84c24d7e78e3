#include "platform/Windows.h"
#include "platform/gdi/Surface.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>

// Areas of rectangles, and contexts whose system region is such an area. Areas are checked cell by
// cell on a small grid: every cell must be covered exactly as often as the area says (once inside,
// never outside), which catches both gaps and overlaps.

namespace {

constexpr int gridSize = 24;

bool Inside(const RECT& rect, int x, int y) {
    return x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
}

// The cells the area covers, one letter per cell, rows separated by '/': '#' once, '.' never,
// '2' and up for overlaps.
std::string Cover(const platform::RectangleList& area, const RECT& window) {
    std::string map;
    for (int y = window.top; y < window.bottom; ++y) {
        for (int x = window.left; x < window.right; ++x) {
            int count = 0;
            for (const RECT& piece : area)
                count += Inside(piece, x, y) ? 1 : 0;
            map += count == 0 ? '.' : count == 1 ? '#' : static_cast<char>('0' + count);
        }
        map += '/';
    }
    return map;
}

// The same map drawn from rectangles to include and to leave out, independently of the code under
// test.
std::string Expected(std::initializer_list<RECT> included, std::initializer_list<RECT> excluded,
                     const RECT& window) {
    std::string map;
    for (int y = window.top; y < window.bottom; ++y) {
        for (int x = window.left; x < window.right; ++x) {
            bool in = false;
            for (const RECT& rect : included)
                in = in || Inside(rect, x, y);
            for (const RECT& rect : excluded)
                in = in && !Inside(rect, x, y);
            map += in ? '#' : '.';
        }
        map += '/';
    }
    return map;
}

constexpr RECT grid{0, 0, gridSize, gridSize};

} // namespace

TEST(GdiSurfaceArea, SubtractingLeavesEveryOtherCellOnce) {
    const RECT base{2, 3, 20, 18};
    const RECT hole{6, 7, 11, 12};
    platform::RectangleList area = platform::SubtractFromArea({base}, hole);
    EXPECT_EQ(Cover(area, grid), Expected({base}, {hole}, grid)) << "a hole in the middle";
    EXPECT_EQ(area.size(), 4u) << "above, below, left and right of the hole";

    const RECT corner{15, 0, 30, 8};
    const RECT edge{0, 16, 4, 30};
    area = platform::SubtractFromArea(platform::SubtractFromArea(area, corner), edge);
    EXPECT_EQ(Cover(area, grid), Expected({base}, {hole, corner, edge}, grid)) << "cuts across the border";

    area = platform::SubtractFromArea(area, {0, 0, 0, 0});
    EXPECT_EQ(Cover(area, grid), Expected({base}, {hole, corner, edge}, grid))
        << "an empty cut changes nothing";
    area = platform::SubtractFromArea(area, base);
    EXPECT_TRUE(area.empty()) << "cutting the whole leaves nothing";
}

TEST(GdiSurfaceArea, AnAreaThatIsOneRectangleIsHeldAsOne) {
    const RECT base{0, 0, 20, 20};
    platform::RectangleList area = platform::SubtractFromArea({base}, {0, 0, 5, 20});
    ASSERT_EQ(area.size(), 1u) << "a strip off one side";
    EXPECT_EQ(area[0].left, 5);

    area = platform::SubtractFromArea({base}, {8, 8, 12, 12});
    platform::RectangleList strip = platform::IntersectArea(area, {0, 0, 4, 20});
    ASSERT_EQ(strip.size(), 1u) << "the pieces beside the hole join again";
    EXPECT_EQ(Cover(strip, grid), Expected({{0, 0, 4, 20}}, {}, grid));

    platform::RectangleList band = platform::IntersectArea(area, {0, 9, 20, 11});
    EXPECT_EQ(band.size(), 2u) << "either side of the hole";
    EXPECT_EQ(Cover(band, grid), Expected({{0, 9, 20, 11}}, {{8, 8, 12, 12}}, grid));

    const RECT bounds = platform::AreaBounds(band);
    EXPECT_EQ(bounds.left, 0);
    EXPECT_EQ(bounds.top, 9);
    EXPECT_EQ(bounds.right, 20);
    EXPECT_EQ(bounds.bottom, 11);
    EXPECT_TRUE(platform::IntersectArea(area, {8, 8, 12, 12}).empty()) << "only the hole";
}

TEST(GdiSurfaceArea, ContextDrawsInsideItsRegionOnly) {
    platform::Surface* surface = platform::CreateSurface(gridSize, gridSize);
    const RECT left{2, 2, 8, 20};
    const RECT right{14, 4, 22, 10};
    HDC dc = platform::CreateSurfaceDC(surface, {1, 1}, platform::RectangleList{left, right});
    RECT box{};
    EXPECT_EQ(GetClipBox(dc, &box), COMPLEXREGION);
    EXPECT_EQ(box.left, 1) << "logical coordinates, one pixel off the surface's";
    EXPECT_EQ(box.right, 21);

    auto drawn = [surface] {
        std::string map;
        int stride = 0;
        const uint8_t* pixels = platform::SurfacePixels(surface, &stride);
        for (int y = 0; y < gridSize; ++y) {
            for (int x = 0; x < gridSize; ++x)
                map += pixels[y * stride + x * 4] == 0 ? '#' : '.';
            map += '/';
        }
        return map;
    };

    HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, -1, 11, nullptr);
    LineTo(dc, 30, 11);
    EXPECT_EQ(drawn(), Expected({{2, 12, 8, 13}}, {}, grid)) << "a line across both rectangles and the gap";

    const RECT all{-5, -5, 40, 40};
    HBRUSH black = CreateSolidBrush(RGB(0, 0, 0));
    FillRect(dc, &all, black);
    EXPECT_EQ(drawn(), Expected({left, right}, {}, grid)) << "a fill over everything";

    SelectObject(dc, oldPen);
    platform::DeleteSurfaceDC(dc);
    DeleteObject(pen);
    DeleteObject(black);
    platform::DestroySurface(surface);
}
