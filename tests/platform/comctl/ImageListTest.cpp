#include "platform/Windows.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr COLORREF LightGrey = RGB(192, 192, 192);
constexpr COLORREF Blue = RGB(0, 0, 255);
constexpr COLORREF Yellow = RGB(255, 255, 0);

// A strip of 16 x 16 pictures on light grey: picture n has a 4 x 4 square of colours[n] at (6, 6).
HBITMAP Strip(const std::vector<COLORREF>& colours) {
    const int width = 16 * static_cast<int>(colours.size());
    std::vector<uint8_t> bits(static_cast<size_t>(width) * 16 * 4);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool inSquare = x % 16 >= 6 && x % 16 < 10 && y >= 6 && y < 10;
            const COLORREF colour = inSquare ? colours[x / 16] : LightGrey;
            uint8_t* pixel = &bits[(static_cast<size_t>(y) * width + x) * 4];
            pixel[0] = GetBValue(colour);
            pixel[1] = GetGValue(colour);
            pixel[2] = GetRValue(colour);
        }
    }
    return CreateBitmap(width, 16, 1, 32, bits.data());
}

// A 40 x 20 colour target filled with one colour.
struct Target {
    explicit Target(COLORREF fill)
        : dc(CreateCompatibleDC(nullptr)), bitmap(CreateBitmap(40, 20, 1, 32, nullptr)) {
        previous = SelectObject(dc, bitmap);
        HBRUSH brush = CreateSolidBrush(fill);
        const RECT all{0, 0, 40, 20};
        FillRect(dc, &all, brush);
        DeleteObject(brush);
    }
    ~Target() {
        SelectObject(dc, previous);
        DeleteDC(dc);
        DeleteObject(bitmap);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ previous = nullptr;
};

TEST(ImageListTest, MaskedStripIsSplitAndDrawnTransparently) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 0, 1);
    ASSERT_NE(list, nullptr);
    HBITMAP strip = Strip({RGB(255, 0, 0), RGB(0, 128, 0)});
    EXPECT_EQ(ImageList_AddMasked(list, strip, LightGrey), 0);
    EXPECT_EQ(ImageList_AddMasked(list, strip, LightGrey), 2);
    EXPECT_EQ(ImageList_GetImageCount(list), 4);
    int cx = 0;
    int cy = 0;
    ASSERT_TRUE(ImageList_GetIconSize(list, &cx, &cy));
    EXPECT_EQ(cx, 16);
    EXPECT_EQ(cy, 16);

    Target target(Blue);
    ASSERT_TRUE(ImageList_DrawEx(list, 1, target.dc, 10, 2, 0, 0, CLR_NONE, CLR_NONE, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(target.dc, 10 + 7, 2 + 7), RGB(0, 128, 0)); // the square
    EXPECT_EQ(GetPixel(target.dc, 10 + 1, 2 + 1), Blue);           // light grey let the blue through
    EXPECT_EQ(GetPixel(target.dc, 5, 5), Blue);                    // outside the picture

    // A background colour fills the transparent pixels instead.
    ASSERT_TRUE(ImageList_DrawEx(list, 0, target.dc, 0, 0, 0, 0, Yellow, CLR_NONE, ILD_NORMAL));
    EXPECT_EQ(GetPixel(target.dc, 1, 1), Yellow);
    EXPECT_EQ(GetPixel(target.dc, 7, 7), RGB(255, 0, 0));
    DeleteObject(strip);
    EXPECT_TRUE(ImageList_Destroy(list));
    EXPECT_FALSE(ImageList_Destroy(list));
    EXPECT_EQ(ImageList_AddMasked(list, strip, LightGrey), -1);
}

TEST(ImageListTest, ListWithoutMasksCopiesThePictureWhole) {
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32, 0, 1);
    HBITMAP strip = Strip({RGB(255, 0, 0)});
    EXPECT_EQ(ImageList_AddMasked(list, strip, LightGrey), 0);
    Target target(Blue);
    ASSERT_TRUE(ImageList_Draw(list, 0, target.dc, 0, 0, ILD_TRANSPARENT));
    EXPECT_EQ(GetPixel(target.dc, 1, 1), LightGrey);
    EXPECT_FALSE(ImageList_Draw(list, 1, target.dc, 0, 0, ILD_TRANSPARENT)); // no such picture
    DeleteObject(strip);
    ImageList_Destroy(list);
    EXPECT_EQ(ImageList_Create(0, 16, ILC_MASK, 0, 1), nullptr);
}

} // namespace

namespace {

// As in Win32 (and Wine's comctl32): a strip gives as many pictures as whole widths it holds, so
// a bitmap narrower than the list's pictures adds none, and a part of a width is left out.
TEST(ImageListTest, AStripAddsOnlyTheWholePicturesItHolds) {
    HIMAGELIST list = ImageList_Create(32, 16, ILC_COLOR32 | ILC_MASK, 0, 1);
    HBITMAP narrow = Strip({Blue});
    EXPECT_EQ(ImageList_AddMasked(list, narrow, LightGrey), 0) << "the index the next picture would have";
    EXPECT_EQ(ImageList_GetImageCount(list), 0) << "16 pixels make no 32-pixel picture";
    HBITMAP wide = Strip({Blue, Yellow, Blue});
    EXPECT_EQ(ImageList_AddMasked(list, wide, LightGrey), 0);
    EXPECT_EQ(ImageList_GetImageCount(list), 1) << "48 pixels make one 32-pixel picture";
    EXPECT_EQ(ImageList_Add(list, nullptr, nullptr), -1) << "no bitmap at all is refused";
    DeleteObject(narrow);
    DeleteObject(wide);
    ImageList_Destroy(list);
}

} // namespace
