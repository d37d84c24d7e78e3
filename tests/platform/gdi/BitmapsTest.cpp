#include "platform/Windows.h"
#include "platform/gdi/Surface.h"
#include "support/PlatformSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testsupport::ReadWholeFile;
using testsupport::TemporaryFolder;

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF black = RGB(0, 0, 0);
constexpr COLORREF face = RGB(192, 192, 192);

enum class Ownership { Owned, Borrowed };

// A memory context with a bitmap selected, for sources and destinations of transfers.
class MemoryBitmap {
public:
    explicit MemoryBitmap(HBITMAP bitmap, Ownership ownership = Ownership::Owned)
        : dc(CreateCompatibleDC(nullptr)), bitmap(bitmap), ownership(ownership) {
        original = SelectObject(dc, bitmap);
    }
    ~MemoryBitmap() {
        SelectObject(dc, original);
        DeleteDC(dc);
        if (ownership == Ownership::Owned) {
            EXPECT_TRUE(DeleteObject(bitmap));
        }
    }
    MemoryBitmap(const MemoryBitmap&) = delete;
    MemoryBitmap& operator=(const MemoryBitmap&) = delete;

    HDC dc;
    HBITMAP bitmap;
    Ownership ownership;
    HGDIOBJ original = nullptr;
};

// A colour bitmap from rows of COLORREF values.
HBITMAP ColourBitmap(const std::vector<std::vector<COLORREF>>& rows) {
    int width = static_cast<int>(rows[0].size());
    std::vector<uint8_t> bits;
    for (const auto& row : rows) {
        for (COLORREF colour : row) {
            bits.push_back(GetBValue(colour));
            bits.push_back(GetGValue(colour));
            bits.push_back(GetRValue(colour));
            bits.push_back(0);
        }
    }
    return CreateBitmap(width, static_cast<int>(rows.size()), 1, 32, bits.data());
}

class GdiBitmapsTest : public ::testing::Test {
protected:
    GdiBitmapsTest()
        : surface(platform::CreateSurface(width, height)),
          dc(platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, width, height})) {}
    ~GdiBitmapsTest() override {
        platform::DeleteSurfaceDC(dc);
        platform::DestroySurface(surface);
    }

    COLORREF Pixel(int x, int y) const {
        int stride = 0;
        const uint8_t* pixel = platform::SurfacePixels(surface, &stride) + y * stride + x * 4;
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

    void Fill(const RECT& area, COLORREF colour) {
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc, &area, brush);
        DeleteObject(brush);
    }

    static constexpr int width = 64;
    static constexpr int height = 32;
    platform::Surface* surface;
    HDC dc;
};

TEST_F(GdiBitmapsTest, BitBltCopiesEveryPixelOfAKnownBitmap) {
    std::vector<std::vector<COLORREF>> rows = {
        {RGB(1, 2, 3), RGB(10, 20, 30), RGB(100, 0, 0), RGB(0, 100, 0)},
        {RGB(0, 0, 100), RGB(255, 255, 255), RGB(0, 0, 0), RGB(7, 8, 9)},
        {RGB(200, 100, 50), RGB(50, 100, 200), RGB(11, 22, 33), RGB(44, 55, 66)},
    };
    MemoryBitmap source(ColourBitmap(rows));
    EXPECT_TRUE(BitBlt(dc, 10, 5, 4, 3, source.dc, 0, 0, SRCCOPY));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Pixel(10 + x, 5 + y), rows[y][x]) << x << ", " << y;
    EXPECT_EQ(Pixel(14, 5), face);
    EXPECT_EQ(Pixel(10, 8), face);

    EXPECT_TRUE(BitBlt(dc, 30, 5, 10, 10, source.dc, 2, 1, SRCCOPY));
    EXPECT_EQ(Pixel(30, 5), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(31, 6), RGB(44, 55, 66));
    EXPECT_EQ(Pixel(32, 5), face) << "pixels whose source is outside the bitmap are left alone";
    EXPECT_FALSE(BitBlt(dc, 0, 0, 1, 1, nullptr, 0, 0, SRCCOPY)) << "a copy needs a source";
}

struct RopCase {
    const char* name;
    DWORD rop;
    COLORREF expected;
};

TEST_F(GdiBitmapsTest, RasterOperationsCombinePatternSourceAndDestination) {
    constexpr COLORREF source = RGB(0xF0, 0x0F, 0x55);
    constexpr COLORREF destination = RGB(0xCC, 0x33, 0xFF);
    constexpr COLORREF pattern = RGB(0x12, 0x34, 0x56);
    const RopCase cases[] = {
        {"SRCCOPY", SRCCOPY, source},
        {"SRCPAINT", SRCPAINT, RGB(0xFC, 0x3F, 0xFF)},
        {"SRCAND", SRCAND, RGB(0xC0, 0x03, 0x55)},
        {"SRCINVERT", SRCINVERT, RGB(0x3C, 0x3C, 0xAA)},
        {"SRCERASE", SRCERASE, RGB(0x30, 0x0C, 0x00)},
        {"NOTSRCCOPY", NOTSRCCOPY, RGB(0x0F, 0xF0, 0xAA)},
        {"NOTSRCERASE", NOTSRCERASE, RGB(0x03, 0xC0, 0x00)},
        {"MERGECOPY", MERGECOPY, RGB(0x10, 0x04, 0x54)},
        {"MERGEPAINT", MERGEPAINT, RGB(0xCF, 0xF3, 0xFF)},
        {"PATCOPY", PATCOPY, pattern},
        {"PATINVERT", PATINVERT, RGB(0xDE, 0x07, 0xA9)},
        {"DSTINVERT", DSTINVERT, RGB(0x33, 0xCC, 0x00)},
        {"BLACKNESS", BLACKNESS, black},
        {"WHITENESS", WHITENESS, white},
    };
    MemoryBitmap sourceBitmap(ColourBitmap({{source}}));
    HBRUSH brush = CreateSolidBrush(pattern);
    SelectObject(dc, brush);
    for (const RopCase& check : cases) {
        Fill({0, 0, 1, 1}, destination);
        EXPECT_TRUE(BitBlt(dc, 0, 0, 1, 1, sourceBitmap.dc, 0, 0, check.rop)) << check.name;
        EXPECT_EQ(Pixel(0, 0), check.expected) << check.name;
    }
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    DeleteObject(brush);
}

TEST_F(GdiBitmapsTest, PatBltUsesTheBrushAndNeedsNoSource) {
    Fill({0, 0, width, height}, RGB(10, 20, 30));
    SelectObject(dc, GetSysColorBrush(COLOR_HIGHLIGHT));
    EXPECT_TRUE(PatBlt(dc, 2, 2, 3, 3, PATCOPY));
    EXPECT_EQ(Pixel(4, 4), RGB(0, 0, 128));
    EXPECT_EQ(Pixel(5, 4), RGB(10, 20, 30));
    EXPECT_TRUE(PatBlt(dc, 10, 10, -2, -2, DSTINVERT)) << "negative sizes extend left and up";
    EXPECT_EQ(Pixel(8, 8), RGB(245, 235, 225));
    EXPECT_EQ(Pixel(10, 10), RGB(10, 20, 30));
    EXPECT_FALSE(PatBlt(dc, 0, 0, 1, 1, SRCCOPY));
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    EXPECT_TRUE(PatBlt(dc, 20, 20, 2, 2, PATCOPY));
    EXPECT_EQ(Pixel(20, 20), RGB(10, 20, 30)) << "the null brush paints nothing";
}

TEST_F(GdiBitmapsTest, OverlappingCopiesWithinOneSurfaceDoNotSmear) {
    for (int x = 0; x < 8; ++x)
        SetPixel(dc, x, 0, RGB(x * 10, 0, 0));
    BitBlt(dc, 1, 0, 7, 1, dc, 0, 0, SRCCOPY);
    for (int x = 1; x < 8; ++x)
        EXPECT_EQ(Pixel(x, 0), RGB((x - 1) * 10, 0, 0)) << x;

    RECT update{};
    EXPECT_TRUE(ScrollDC(dc, 0, -1, nullptr, nullptr, nullptr, &update));
    EXPECT_EQ(update.left, 0);
    EXPECT_EQ(update.top, height - 1);
    EXPECT_EQ(update.right, width);
    EXPECT_EQ(update.bottom, height);

    for (int y = 0; y < 4; ++y)
        SetPixel(dc, 40, y, RGB(0, y * 50, 0));
    RECT area{40, 0, 41, 4};
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ScrollDC(dc, 0, 2, &area, &area, region, &update);
    EXPECT_EQ(Pixel(40, 2), RGB(0, 0, 0));
    EXPECT_EQ(Pixel(40, 3), RGB(0, 50, 0));
    EXPECT_EQ(Pixel(40, 4), face) << "nothing moves outside the clip rectangle";
    RECT box{};
    GetRgnBox(region, &box);
    EXPECT_EQ(box.top, 0);
    EXPECT_EQ(box.bottom, 2);
    DeleteObject(region);
}

TEST_F(GdiBitmapsTest, StretchBltScalesMirrorsAndShrinksByTheMode) {
    MemoryBitmap source(ColourBitmap({{RGB(255, 0, 0), RGB(0, 255, 0)}, {RGB(0, 0, 255), RGB(255, 255, 0)}}));
    EXPECT_TRUE(StretchBlt(dc, 0, 0, 4, 4, source.dc, 0, 0, 2, 2, SRCCOPY));
    EXPECT_EQ(Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(2, 1), RGB(0, 255, 0));
    EXPECT_EQ(Pixel(1, 2), RGB(0, 0, 255));
    EXPECT_EQ(Pixel(3, 3), RGB(255, 255, 0));
    EXPECT_EQ(Pixel(4, 0), face);

    StretchBlt(dc, 13, 0, -4, 2, source.dc, 0, 0, 2, 2, SRCCOPY);
    EXPECT_EQ(Pixel(9, 0), RGB(0, 255, 0)) << "a negative width mirrors";
    EXPECT_EQ(Pixel(12, 0), RGB(255, 0, 0));

    MemoryBitmap pair(ColourBitmap({{black, white}}));
    struct ModeCase {
        int mode;
        COLORREF expected;
    };
    for (const ModeCase& check : {ModeCase{BLACKONWHITE, black}, ModeCase{WHITEONBLACK, white},
                                  ModeCase{HALFTONE, RGB(128, 128, 128)}}) {
        SetStretchBltMode(dc, check.mode);
        StretchBlt(dc, 20, 0, 1, 1, pair.dc, 0, 0, 2, 1, SRCCOPY);
        EXPECT_EQ(Pixel(20, 0), check.expected) << "stretch mode " << check.mode;
    }
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 21, 0, 1, 1, pair.dc, 0, 0, 2, 1, SRCCOPY);
    COLORREF sampled = Pixel(21, 0);
    EXPECT_TRUE(sampled == black || sampled == white) << "COLORONCOLOR takes one of the pixels";
}

TEST_F(GdiBitmapsTest, MonochromeAndColourConvertThroughTheContextColours) {
    const uint8_t rows[] = {0xF0, 0x00};
    MemoryBitmap mask(CreateBitmap(8, 1, 1, 1, rows));
    SetTextColor(dc, RGB(200, 0, 0));
    SetBkColor(dc, RGB(0, 0, 200));
    BitBlt(dc, 0, 0, 8, 1, mask.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(Pixel(0, 0), RGB(0, 0, 200)) << "white (1) becomes the background colour";
    EXPECT_EQ(Pixel(7, 0), RGB(200, 0, 0)) << "black (0) becomes the text colour";

    MemoryBitmap picture(ColourBitmap({{face, RGB(1, 2, 3), face}}));
    MemoryBitmap monochrome(CreateBitmap(3, 1, 1, 1, nullptr));
    SetBkColor(picture.dc, face);
    BitBlt(monochrome.dc, 0, 0, 3, 1, picture.dc, 0, 0, SRCCOPY);
    EXPECT_EQ(GetPixel(monochrome.dc, 0, 0), white) << "the source's background colour becomes white";
    EXPECT_EQ(GetPixel(monochrome.dc, 1, 0), black);
    EXPECT_EQ(GetPixel(monochrome.dc, 2, 0), white);
}

TEST_F(GdiBitmapsTest, TransparentBltLeavesTheMaskColourOut) {
    Fill({0, 0, width, height}, RGB(0, 128, 0));
    MemoryBitmap lamp(ColourBitmap({{face, RGB(255, 0, 0)}, {RGB(255, 0, 0), face}}));
    EXPECT_TRUE(TransparentBlt(dc, 2, 2, 2, 2, lamp.dc, 0, 0, 2, 2, face));
    EXPECT_EQ(Pixel(2, 2), RGB(0, 128, 0));
    EXPECT_EQ(Pixel(3, 2), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(Pixel(3, 3), RGB(0, 128, 0));
    EXPECT_TRUE(TransparentBlt(dc, 10, 10, 4, 4, lamp.dc, 0, 0, 2, 2, face));
    EXPECT_EQ(Pixel(12, 11), RGB(255, 0, 0)) << "stretched";
    EXPECT_EQ(Pixel(13, 13), RGB(0, 128, 0));
    EXPECT_FALSE(TransparentBlt(dc, 0, 0, -1, 1, lamp.dc, 0, 0, 1, 1, face));
}

TEST_F(GdiBitmapsTest, CompatibleBitmapsFollowTheContext) {
    HBITMAP colour = CreateCompatibleBitmap(dc, 5, 5);
    BITMAP description{};
    GetObjectA(colour, sizeof description, &description);
    EXPECT_EQ(description.bmBitsPixel, 32);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP monochrome = CreateCompatibleBitmap(memory, 5, 5);
    GetObjectA(monochrome, sizeof description, &description);
    EXPECT_EQ(description.bmBitsPixel, 1) << "the classic pitfall: a fresh memory context is monochrome";
    HBITMAP empty = CreateCompatibleBitmap(dc, 0, 5);
    GetObjectA(empty, sizeof description, &description);
    EXPECT_EQ(description.bmWidth, 1);
    EXPECT_EQ(description.bmBitsPixel, 1);
    EXPECT_EQ(CreateBitmap(4, 4, 1, 7, nullptr), nullptr);
    EXPECT_EQ(CreateBitmap(-4, 4, 1, 32, nullptr), nullptr);
    DeleteDC(memory);
    DeleteObject(colour);
    DeleteObject(monochrome);
}

TEST_F(GdiBitmapsTest, DibSectionMemoryAndDrawingStayInStep) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = 3;
    info.bmiHeader.biHeight = 2; // bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP section = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(section, nullptr);
    ASSERT_NE(bits, nullptr);
    auto* bytes = static_cast<uint8_t*>(bits);
    constexpr int stride = 12; // 9 bytes padded to 4
    bytes[0] = 0x30;           // bottom row, first pixel: blue, green, red
    bytes[1] = 0x20;
    bytes[2] = 0x10;
    bytes[stride + 6] = 0xFF; // top row, third pixel: pure blue

    MemoryBitmap memory(section);
    EXPECT_EQ(GetPixel(memory.dc, 0, 1), RGB(0x10, 0x20, 0x30))
        << "the first row in memory is the bottom one";
    EXPECT_EQ(GetPixel(memory.dc, 2, 0), RGB(0, 0, 0xFF));
    SetPixel(memory.dc, 1, 0, RGB(0xAA, 0xBB, 0xCC));
    EXPECT_EQ(bytes[stride + 3], 0xCC);
    EXPECT_EQ(bytes[stride + 4], 0xBB);
    EXPECT_EQ(bytes[stride + 5], 0xAA);
    BITMAP description{};
    GetObjectA(section, sizeof description, &description);
    EXPECT_EQ(description.bmBits, bits);
    EXPECT_EQ(description.bmWidthBytes, stride);
    EXPECT_EQ(description.bmBitsPixel, 24);

    info.bmiHeader.biBitCount = 8;
    EXPECT_EQ(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0), nullptr);
    EXPECT_EQ(bits, nullptr);
}

// ---- BMP images from memory ----

// Builds BMP bytes by hand: the file header (unless packed), a 40-byte info header, the palette and
// the rows as given (already padded).
std::vector<uint8_t> BmpBytes(int bmpWidth, int bmpHeight, int bitCount, const std::vector<uint32_t>& palette,
                              const std::vector<uint8_t>& pixels, bool isPacked = false) {
    std::vector<uint8_t> bytes;
    auto word = [&](uint32_t value) {
        bytes.push_back(static_cast<uint8_t>(value));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    };
    auto dword = [&](uint32_t value) {
        word(value & 0xFFFF);
        word(value >> 16);
    };
    uint32_t offset = 14 + 40 + static_cast<uint32_t>(palette.size()) * 4;
    if (!isPacked) {
        bytes.push_back('B');
        bytes.push_back('M');
        dword(offset + static_cast<uint32_t>(pixels.size()));
        dword(0);
        dword(offset);
    }
    dword(40);
    dword(static_cast<uint32_t>(bmpWidth));
    dword(static_cast<uint32_t>(bmpHeight));
    word(1);
    word(static_cast<uint32_t>(bitCount));
    dword(BI_RGB);
    dword(static_cast<uint32_t>(pixels.size()));
    dword(2835);
    dword(2835);
    dword(static_cast<uint32_t>(palette.size()));
    dword(0);
    for (uint32_t entry : palette)
        dword(entry); // 0x00RRGGBB is blue, green, red, 0 in memory
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

std::vector<COLORREF> PixelsOf(HBITMAP bitmap) {
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    MemoryBitmap memory(bitmap, Ownership::Borrowed);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < description.bmHeight; ++y)
        for (int x = 0; x < description.bmWidth; ++x)
            pixels.push_back(GetPixel(memory.dc, x, y));
    return pixels;
}

TEST(GdiBmpFileTest, ReadsMonochromeBottomUpImages) {
    // 10 x 2, one bit per pixel: the bottom row first, each padded to 4 bytes.
    std::vector<uint8_t> rows = {0xFF, 0xC0, 0, 0, 0xA0, 0x40, 0, 0};
    std::vector<uint8_t> bytes = BmpBytes(10, 2, 1, {0x00FF0000, 0x000000FF}, rows);
    HBITMAP bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    std::vector<COLORREF> pixels = PixelsOf(bitmap);
    const COLORREF r = RGB(255, 0, 0);
    const COLORREF b = RGB(0, 0, 255);
    std::vector<COLORREF> expected = {b, r, b, r, r, r, r, r, r, b, // top: 0xA0 0x40
                                      b, b, b, b, b, b, b, b, b, b};
    EXPECT_EQ(pixels, expected);
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    EXPECT_EQ(description.bmBitsPixel, 32) << "loaded images are colour bitmaps";
    DeleteObject(bitmap);
}

TEST(GdiBmpFileTest, ReadsFourAndEightBitPalettesAndTopDownPackedImages) {
    std::vector<uint8_t> four = {0x01, 0x2F, 0, 0}; // 4 x 1: indexes 0, 1, 2 and 15, which has no entry
    std::vector<uint8_t> bytes = BmpBytes(4, 1, 4, {0x00000000, 0x00112233, 0x00445566}, four);
    HBITMAP bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(0, 0, 0), RGB(0x11, 0x22, 0x33),
                                                       RGB(0x44, 0x55, 0x66), RGB(0, 0, 0)}));
    DeleteObject(bitmap);

    std::vector<uint8_t> eight = {2, 1, 0, 0, 0, 1, 2, 0}; // 3 x 2, rows padded to 4 bytes
    std::vector<uint32_t> palette = {0x00FF0000, 0x0000FF00, 0x000000FF};
    bytes = BmpBytes(3, -2, 8, palette, eight, true);
    bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr) << "a packed DIB as resources store it, top-down";
    const COLORREF r = RGB(255, 0, 0), g = RGB(0, 255, 0), b = RGB(0, 0, 255);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{b, g, r, r, g, b}));
    DeleteObject(bitmap);
}

TEST(GdiBmpFileTest, ReadsSixteenTwentyFourAndThirtyTwoBitImages) {
    std::vector<uint8_t> rows24 = {0x30, 0x20, 0x10, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x80, 0, 0, 0};
    std::vector<uint8_t> bytes = BmpBytes(3, 1, 24, {}, rows24);
    HBITMAP bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap),
              (std::vector<COLORREF>{RGB(0x10, 0x20, 0x30), RGB(255, 255, 255), RGB(0x80, 0, 0)}));
    DeleteObject(bitmap);

    std::vector<uint8_t> rows32 = {1, 2, 3, 0xFF, 4, 5, 6, 0};
    bytes = BmpBytes(1, 2, 32, {}, rows32);
    bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(6, 5, 4), RGB(3, 2, 1)}));
    DeleteObject(bitmap);

    std::vector<uint8_t> rows16 = {0x00, 0x7C, 0xE0, 0x03}; // 5-5-5: red, then green
    bytes = BmpBytes(2, 1, 16, {}, rows16);
    bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(255, 0, 0), RGB(0, 255, 0)}));
    DeleteObject(bitmap);
}

TEST(GdiBmpFileTest, HonoursTheDeclaredPixelOffset) {
    std::vector<uint8_t> bytes = BmpBytes(1, 1, 24, {}, {0, 0, 0, 0});
    // Move the pixels four bytes further and say so in the file header.
    bytes.insert(bytes.begin() + 54, {9, 9, 9, 9});
    bytes[10] = 58;
    bytes[58] = 0x33;
    bytes[59] = 0x22;
    bytes[60] = 0x11;
    HBITMAP bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(PixelsOf(bitmap), (std::vector<COLORREF>{RGB(0x11, 0x22, 0x33)}));
    DeleteObject(bitmap);
}

TEST(GdiBmpFileTest, EveryTruncationIsRefused) {
    std::vector<uint8_t> rows = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    std::vector<uint8_t> bytes = BmpBytes(8, 2, 4, std::vector<uint32_t>(16, 0x00808080), rows);
    for (size_t size = 0; size < bytes.size(); ++size) {
        std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(size));
        SetLastError(0);
        EXPECT_EQ(platform::LoadBitmapFromBmp(cut.data(), cut.size()), nullptr) << size << " bytes";
        EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << size << " bytes";
    }
    HBITMAP whole = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    EXPECT_NE(whole, nullptr);
    DeleteObject(whole);
    EXPECT_EQ(platform::LoadBitmapFromBmp(nullptr, 10), nullptr);
}

TEST(GdiBmpFileTest, MalformedHeadersAreRefused) {
    struct Case {
        const char* name;
        size_t offset;
        std::vector<uint8_t> patch;
    };
    const std::vector<uint8_t> valid = BmpBytes(2, 2, 8, {0x00FF0000, 0x0000FF00}, {0, 1, 0, 0, 1, 0, 0, 0});
    const Case cases[] = {
        {"unknown header size", 14, {41, 0, 0, 0}},
        {"zero width", 18, {0, 0, 0, 0}},
        {"negative width", 18, {0xFE, 0xFF, 0xFF, 0xFF}},
        {"zero height", 22, {0, 0, 0, 0}},
        {"smallest height", 22, {0, 0, 0, 0x80}},
        {"huge width", 18, {0, 0, 1, 0}},
        {"two planes", 26, {2, 0}},
        {"seven bits", 28, {7, 0}},
        {"run-length compression", 30, {BI_RLE8, 0, 0, 0}},
        {"bit fields", 30, {BI_BITFIELDS, 0, 0, 0}},
        {"more colours than the bit count allows", 46, {1, 1, 0, 0}},
        {"palette past the end", 46, {0xFF, 0, 0, 0}},
        {"pixels inside the palette", 10, {54, 0, 0, 0}},
        {"pixels past the end", 10, {0xF0, 0, 0, 0}},
        {"pixel offset overflowing", 10, {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const Case& check : cases) {
        std::vector<uint8_t> bytes = valid;
        std::copy(check.patch.begin(), check.patch.end(),
                  bytes.begin() + static_cast<ptrdiff_t>(check.offset));
        SetLastError(0);
        EXPECT_EQ(platform::LoadBitmapFromBmp(bytes.data(), bytes.size()), nullptr) << check.name;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_DATA) << check.name;
    }
    HBITMAP bitmap = platform::LoadBitmapFromBmp(valid.data(), valid.size());
    EXPECT_NE(bitmap, nullptr) << "the unpatched image loads";
    DeleteObject(bitmap);

    // A tiny monochrome header cannot make us allocate an enormous image: 32767 x 32767 needs more
    // pixel bytes than are there.
    std::vector<uint8_t> huge = BmpBytes(32767, 32767, 1, {0, 0xFFFFFF}, {0, 0, 0, 0});
    EXPECT_EQ(platform::LoadBitmapFromBmp(huge.data(), huge.size()), nullptr);
}

// ---- Surfaces ----

TEST(GdiSurfaceTest, ResizingKeepsTheTopLeftAndFillsTheRestWithButtonFace) {
    platform::Surface* surface = platform::CreateSurface(4, 4);
    HDC dc = platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, 4, 4});
    RECT all{0, 0, 4, 4};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    platform::ResizeSurface(surface, 6, 3);
    SIZE size = platform::SurfaceSize(surface);
    EXPECT_EQ(size.cx, 6);
    EXPECT_EQ(size.cy, 3);
    int stride = 0;
    const uint8_t* pixels = platform::SurfacePixels(surface, &stride);
    EXPECT_GE(stride, 6 * 4);
    auto at = [&](int x, int y) {
        const uint8_t* pixel = pixels + y * stride + x * 4;
        return RGB(pixel[2], pixel[1], pixel[0]);
    };
    EXPECT_EQ(at(3, 2), black);
    EXPECT_EQ(at(4, 0), face);
    EXPECT_EQ(at(5, 2), face);
    EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 6) << "an open context sees the new size";
    SetPixel(dc, 5, 2, white);
    EXPECT_EQ(at(5, 2), face) << "but still draws only inside the clip it was given";
    platform::DestroySurface(surface);
    EXPECT_EQ(SetPixel(dc, 1, 1, white), white) << "a context outliving its surface is harmless";
    platform::DeleteSurfaceDC(dc);
}

TEST(GdiSurfaceTest, SavesAReadablePng) {
    TemporaryFolder folder;
    platform::Surface* surface = platform::CreateSurface(37, 21);
    std::string path = folder.PathOf("window.png");
    ASSERT_TRUE(platform::SaveSurfacePng(surface, path));
    std::string png = ReadWholeFile(path);
    ASSERT_GE(png.size(), 24u);
    EXPECT_EQ(png.substr(0, 8), std::string("\x89PNG\r\n\x1A\n", 8));
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    auto bigEndian = [&](size_t offset) {
        return static_cast<uint32_t>(static_cast<uint8_t>(png[offset])) << 24 |
               static_cast<uint32_t>(static_cast<uint8_t>(png[offset + 1])) << 16 |
               static_cast<uint32_t>(static_cast<uint8_t>(png[offset + 2])) << 8 |
               static_cast<uint32_t>(static_cast<uint8_t>(png[offset + 3]));
    };
    EXPECT_EQ(bigEndian(16), 37u);
    EXPECT_EQ(bigEndian(20), 21u);
    EXPECT_FALSE(platform::SaveSurfacePng(surface, folder.PathOf("missing/window.png")));
    platform::DestroySurface(surface);
}

} // namespace
