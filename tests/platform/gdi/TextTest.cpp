#include "platform/Windows.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF red = RGB(255, 0, 0);
// Arial 8 points at 96 dots per inch, as the dialog templates ask for it.
constexpr int dialogFontHeight = -((8 * 96 + 36) / 72);

class GdiTextTest : public ::testing::Test {
protected:
    GdiTextTest()
        : surface(platform::CreateSurface(width, height)),
          dc(platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, width, height})) {
        RECT all{0, 0, width, height};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetBkMode(dc, TRANSPARENT);
        SelectFont("Arial", dialogFontHeight);
    }
    ~GdiTextTest() override {
        platform::DeleteSurfaceDC(dc);
        platform::DestroySurface(surface);
        for (HFONT font : fonts)
            DeleteObject(font);
    }

    HFONT SelectFont(const char* face, int fontHeight, int weight = FW_NORMAL, bool isUnderlined = false) {
        HFONT font = CreateFontA(fontHeight, 0, 0, 0, weight, FALSE, isUnderlined, FALSE, ANSI_CHARSET, 0, 0,
                                 0, 0, face);
        fonts.push_back(font);
        SelectObject(dc, font);
        GetTextMetricsA(dc, &metrics);
        return font;
    }

    int Extent(const std::string& text) const {
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size));
        return size.cx;
    }

    COLORREF Pixel(int x, int y) const {
        int stride = 0;
        const uint8_t* pixel = platform::SurfacePixels(surface, &stride) + y * stride + x * 4;
        return RGB(pixel[2], pixel[1], pixel[0]);
    }

    // The smallest rectangle holding every pixel that is not white inside the area, or an empty one.
    RECT Ink(const RECT& area) const {
        RECT ink{width, height, 0, 0};
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                if (Pixel(x, y) == white)
                    continue;
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y),
                       std::max<LONG>(ink.right, x + 1), std::max<LONG>(ink.bottom, y + 1)};
            }
        }
        return ink.left < ink.right ? ink : RECT{0, 0, 0, 0};
    }

    // Whether the block at `first` looks exactly like the block at `second`.
    bool SameBlock(POINT first, POINT second, int blockWidth, int blockHeight) const {
        for (int y = 0; y < blockHeight; ++y)
            for (int x = 0; x < blockWidth; ++x)
                if (Pixel(first.x + x, first.y + y) != Pixel(second.x + x, second.y + y))
                    return false;
        return true;
    }

    // Draws with DrawTextA in the top half and the expected text with TextOutA in the bottom half and
    // tells whether they look the same.
    bool DrawsAs(const std::string& text, UINT format, int boxWidth, const std::string& expected) {
        RECT box{0, 0, boxWidth, metrics.tmHeight};
        DrawTextA(dc, text.c_str(), -1, &box, format | DT_SINGLELINE | DT_NOCLIP);
        TextOutA(dc, 0, half, expected.c_str(), static_cast<int>(expected.size()));
        return SameBlock({0, 0}, {0, half}, width, metrics.tmHeight);
    }

    static constexpr int width = 400;
    static constexpr int height = 120;
    static constexpr int half = 60;
    platform::Surface* surface;
    HDC dc;
    TEXTMETRICA metrics{};
    std::vector<HFONT> fonts;
};

TEST_F(GdiTextTest, WindowsFacesResolveToMetricCompatibleFaces) {
    struct Case {
        const char* face;
        BYTE pitchAndFamily;
        const char* family;
    };
    const Case cases[] = {
        {"Arial", 0, "Liberation Sans"},
        {"arial", 0, "Liberation Sans"},
        {"MS Sans Serif", 0, "Liberation Sans"},
        {"MS Shell Dlg", 0, "Liberation Sans"},
        {"Tahoma", 0, "Liberation Sans"},
        {"Courier New", 0, "Liberation Mono"},
        {"Times New Roman", 0, "Liberation Serif"},
        {"No Such Face Anywhere", 0, "Liberation Sans"},
        {"", FF_ROMAN, "Liberation Serif"},
        {"", FIXED_PITCH | FF_MODERN, "Liberation Mono"},
        {"", FF_SWISS, "Liberation Sans"},
    };
    for (const Case& check : cases) {
        HFONT font = CreateFontA(-12, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, check.pitchAndFamily, check.face);
        EXPECT_EQ(platform::RealisedFontFamily(font), check.family) << "face '" << check.face << "'";
        DeleteObject(font);
    }
    char face[LF_FACESIZE] = {};
    EXPECT_EQ(GetTextFaceA(dc, sizeof face, face), 5);
    EXPECT_STREQ(face, "Arial") << "the logical face name";
    EXPECT_EQ(platform::RealisedFontFamily(nullptr), "");
}

TEST_F(GdiTextTest, Arial8PointHasTheMeasuredMetrics) {
    EXPECT_EQ(dialogFontHeight, -11);
    EXPECT_NEAR(metrics.tmAscent, 10, 1);
    EXPECT_NEAR(metrics.tmDescent, 3, 1);
    EXPECT_NEAR(metrics.tmHeight, 13, 1);
    EXPECT_EQ(metrics.tmHeight, metrics.tmAscent + metrics.tmDescent);
    EXPECT_EQ(metrics.tmInternalLeading, metrics.tmHeight - 11) << "the em height is the 11 pixels asked for";
    EXPECT_GE(metrics.tmExternalLeading, 0);
    EXPECT_NEAR(metrics.tmAveCharWidth, 6, 1);
    EXPECT_NEAR(Extent("X"), 7, 1);
    EXPECT_GE(metrics.tmMaxCharWidth, Extent("W"));
    EXPECT_EQ(metrics.tmWeight, FW_NORMAL);
    EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_TRUETYPE);
    EXPECT_TRUE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << "the bit means variable pitch";

    // The average is what dialog base units are computed from.
    int letters = Extent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    EXPECT_EQ(metrics.tmAveCharWidth, (letters / 26 + 1) / 2);
    RecordProperty("AscentDescentHeight", std::to_string(metrics.tmAscent) + " " +
                                              std::to_string(metrics.tmDescent) + " " +
                                              std::to_string(metrics.tmHeight));
    RecordProperty("AverageWidthAndLetters",
                   std::to_string(metrics.tmAveCharWidth) + " " + std::to_string(letters));
}

TEST_F(GdiTextTest, HeightsFollowTheWin32SignConvention) {
    SelectFont("Arial", 20);
    EXPECT_NEAR(metrics.tmHeight, 20, 1) << "a positive height is the cell height";
    EXPECT_GT(metrics.tmInternalLeading, 0);
    SelectFont("Arial", -20);
    EXPECT_GT(metrics.tmHeight, 20) << "a negative height is the character height";
    EXPECT_EQ(metrics.tmInternalLeading, metrics.tmHeight - 20);
    SelectFont("Courier New", -12);
    EXPECT_EQ(Extent("i"), Extent("W")) << "monospaced";
    EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH);
}

TEST_F(GdiTextTest, ExtentsAreWholeAndAddUp) {
    EXPECT_EQ(Extent("HelloWorld"), Extent("Hello") + Extent("World"));
    EXPECT_EQ(Extent("Program 1234"), Extent("Program") + Extent(" ") + Extent("1234"));
    SIZE size{-1, -1};
    EXPECT_TRUE(GetTextExtentPoint32A(dc, "", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, metrics.tmHeight);
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "abc", -1, &size));

    int fit = -1;
    int widths[4] = {};
    EXPECT_TRUE(GetTextExtentExPointA(dc, "abcd", 4, Extent("abc"), &fit, widths, &size));
    EXPECT_EQ(fit, 3);
    EXPECT_EQ(widths[0], Extent("a"));
    EXPECT_EQ(widths[3], Extent("abcd"));
    EXPECT_EQ(size.cx, Extent("abcd"));

    int regular = Extent("Weight");
    SelectFont("Arial", dialogFontHeight, FW_BOLD);
    EXPECT_GT(Extent("Weight"), regular) << "bold uses the wider bold face";
    EXPECT_EQ(metrics.tmWeight, FW_BOLD);
}

TEST_F(GdiTextTest, TextOutDrawsInsideItsCellByTheAlignment) {
    const std::string text = "HHHH";
    int cx = Extent(text);
    TextOutA(dc, 10, 10, text.c_str(), 4);
    RECT ink = Ink({0, 0, width, half});
    EXPECT_GE(ink.left, 10);
    EXPECT_LE(ink.right, 10 + cx);
    EXPECT_GE(ink.top, 10);
    EXPECT_EQ(ink.bottom, 10 + metrics.tmAscent) << "capitals stand on the baseline";

    SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
    TextOutA(dc, 200, 40, text.c_str(), 4);
    ink = Ink({100, 0, 300, half});
    EXPECT_GE(ink.left, 200 - cx);
    EXPECT_LE(ink.right, 200);
    EXPECT_EQ(ink.bottom, 40);

    SetTextAlign(dc, TA_CENTER | TA_BOTTOM);
    TextOutA(dc, 350, 50, text.c_str(), 4);
    ink = Ink({300, 0, width, half});
    EXPECT_GE(ink.left, 350 - cx / 2);
    EXPECT_LE(ink.right, 350 - cx / 2 + cx);
    EXPECT_EQ(ink.bottom, 50 - metrics.tmDescent);
}

TEST_F(GdiTextTest, OpaqueModeFillsTheCellAndTransparentModeDoesNot) {
    SetBkColor(dc, red);
    TextOutA(dc, 10, 10, "  ", 2);
    EXPECT_EQ(Ink({0, 0, width, half}).left, 0) << "transparent blanks leave no trace";
    SetBkMode(dc, OPAQUE);
    TextOutA(dc, 10, 10, "  ", 2);
    int cx = Extent("  ");
    EXPECT_EQ(Pixel(10, 10), red);
    EXPECT_EQ(Pixel(10 + cx - 1, 10 + metrics.tmHeight - 1), red);
    EXPECT_EQ(Pixel(9, 10), white);
    EXPECT_EQ(Pixel(10 + cx, 10), white);
    EXPECT_EQ(Pixel(10, 10 + metrics.tmHeight), white);
}

TEST_F(GdiTextTest, ExtTextOutFillsAndClipsToItsRectangle) {
    SetBkColor(dc, red);
    RECT box{10, 10, 30, 20};
    EXPECT_TRUE(ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr));
    EXPECT_EQ(Pixel(10, 10), red);
    EXPECT_EQ(Pixel(29, 19), red);
    EXPECT_EQ(Pixel(30, 19), white);

    RECT clip{50, 0, 60, half};
    ExtTextOutA(dc, 50, 30, ETO_CLIPPED, &clip, "WWWWWWWW", 8, nullptr);
    RECT ink = Ink({40, 0, width, half});
    EXPECT_GE(ink.left, 50);
    EXPECT_LE(ink.right, 60);
    EXPECT_GT(ink.bottom, 30);

    const INT spacing[] = {40, 40};
    ExtTextOutA(dc, 100, 30, 0, nullptr, "II", 2, spacing);
    EXPECT_NE(Ink({100, 0, 140, half}).left, 0);
    ink = Ink({140, 0, 200, half});
    EXPECT_GE(ink.left, 140) << "the second character starts where lpDx says";
    EXPECT_LT(ink.left, 140 + Extent("I"));
}

TEST_F(GdiTextTest, UpdateCPMovesTheCurrentPosition) {
    SetTextAlign(dc, TA_UPDATECP);
    MoveToEx(dc, 5, 5, nullptr);
    TextOutA(dc, 300, 300, "abc", 3);
    TextOutA(dc, 300, 300, "de", 2);
    POINT position{};
    GetCurrentPositionEx(dc, &position);
    EXPECT_EQ(position.x, 5 + Extent("abc") + Extent("de"));
    EXPECT_EQ(position.y, 5);
    EXPECT_GE(Ink({0, 0, width, half}).left, 5);
}

TEST_F(GdiTextTest, UnderlinedFontsDrawALineUnderTheCell) {
    SelectFont("Arial", dialogFontHeight, FW_NORMAL, true);
    EXPECT_NE(metrics.tmUnderlined, 0);
    TextOutA(dc, 10, 10, "ab cd", 5);
    int cx = Extent("ab cd");
    int line = -1;
    for (int y = 10 + metrics.tmAscent; y < 10 + metrics.tmHeight && line < 0; ++y) {
        bool isSolid = true;
        for (int x = 10; x < 10 + cx; ++x)
            isSolid = isSolid && Pixel(x, y) == RGB(0, 0, 0);
        if (isSolid)
            line = y;
    }
    EXPECT_GT(line, 10 + metrics.tmAscent - 1) << "a solid line below the baseline, across the blank too";
}

// ---- DrawTextA ----

TEST_F(GdiTextTest, CalcRectMeasuresSingleAndBrokenLines) {
    RECT box{5, 7, 5, 7};
    EXPECT_EQ(DrawTextA(dc, "Hello", -1, &box, DT_CALCRECT | DT_SINGLELINE), metrics.tmHeight);
    EXPECT_EQ(box.left, 5);
    EXPECT_EQ(box.right, 5 + Extent("Hello"));
    EXPECT_EQ(box.bottom, 7 + metrics.tmHeight);
    EXPECT_EQ(Ink({0, 0, width, height}).left, 0) << "DT_CALCRECT draws nothing";

    box = {0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(dc, "one\r\ntwo\nthree\rfour", -1, &box, DT_CALCRECT), 4 * metrics.tmHeight);
    EXPECT_EQ(box.right, Extent("three"));
    box = {0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(dc, "one\r\ntwo", 3, &box, DT_CALCRECT), metrics.tmHeight) << "only the count given";
    box = {0, 0, 0, 0};
    EXPECT_EQ(DrawTextA(dc, "", -1, &box, DT_CALCRECT), metrics.tmHeight);
    EXPECT_EQ(box.right, 0);
    EXPECT_EQ(DrawTextA(dc, nullptr, -1, &box, 0), 0);
    EXPECT_EQ(DrawTextA(dc, "x", -1, nullptr, 0), 0);
}

TEST_F(GdiTextTest, WordBreakWrapsBetweenWordsAndDropsTheBlanks) {
    int lineWidth = std::max(Extent("alpha beta"), Extent("gamma delta"));
    ASSERT_GT(Extent("alpha beta gamma"), lineWidth);
    RECT box{0, 0, lineWidth, 0};
    EXPECT_EQ(DrawTextA(dc, "alpha beta gamma delta", -1, &box, DT_CALCRECT | DT_WORDBREAK),
              2 * metrics.tmHeight);
    EXPECT_EQ(box.right, lineWidth);

    box = {0, 0, lineWidth, half};
    DrawTextA(dc, "alpha beta   gamma delta", -1, &box, DT_WORDBREAK);
    TextOutA(dc, 0, half, "alpha beta", 10);
    TextOutA(dc, 0, half + metrics.tmHeight, "gamma delta", 11);
    // A glyph's antialiased edge may reach past its advance, where DrawTextA clips it.
    EXPECT_TRUE(SameBlock({0, 0}, {0, half}, lineWidth, 2 * metrics.tmHeight));

    box = {0, 0, 10, 0};
    EXPECT_EQ(DrawTextA(dc, "abcdefghij klm", -1, &box, DT_CALCRECT | DT_WORDBREAK), 2 * metrics.tmHeight)
        << "a word wider than the line stays whole";
    EXPECT_EQ(box.right, Extent("abcdefghij"));
    box = {0, 0, 10, 0};
    int broken = DrawTextA(dc, "abcdefghij", -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
    EXPECT_GT(broken, 2 * metrics.tmHeight) << "DT_EDITCONTROL breaks it between characters";
    EXPECT_LE(box.right, 10);

    box = {0, 0, 10, 0};
    EXPECT_EQ(DrawTextA(dc, "alpha beta", -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_SINGLELINE),
              metrics.tmHeight)
        << "DT_SINGLELINE wins";
}

TEST_F(GdiTextTest, LinesAreAlignedInTheRectangle) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, red);
    const char* text = "xxxx";
    int cx = Extent(text);
    auto startOfRow = [&](int y) {
        for (int x = 0; x < width; ++x)
            if (Pixel(x, y) == red)
                return x;
        return -1;
    };
    RECT box{20, 0, 120, 20};
    DrawTextA(dc, text, -1, &box, DT_SINGLELINE | DT_LEFT);
    EXPECT_EQ(startOfRow(0), 20);
    EXPECT_EQ(Pixel(20 + cx, 0), white);

    box = {20, 20, 120, 40};
    DrawTextA(dc, text, -1, &box, DT_SINGLELINE | DT_CENTER);
    EXPECT_EQ(startOfRow(20), 20 + (100 - cx) / 2);

    box = {20, 40, 120, 60};
    DrawTextA(dc, text, -1, &box, DT_SINGLELINE | DT_RIGHT);
    EXPECT_EQ(startOfRow(40), 120 - cx);
    EXPECT_EQ(Pixel(119, 40), red);
    EXPECT_EQ(Pixel(120, 40), white);

    box = {200, 0, 300, 40};
    int top = (40 - metrics.tmHeight) / 2;
    EXPECT_EQ(DrawTextA(dc, text, -1, &box, DT_SINGLELINE | DT_VCENTER), top + metrics.tmHeight)
        << "with DT_VCENTER the result is the bottom of the text";
    EXPECT_EQ(Pixel(200, top), red);
    EXPECT_EQ(Pixel(200, top - 1), white);

    box = {300, 0, 400, 40};
    EXPECT_EQ(DrawTextA(dc, text, -1, &box, DT_SINGLELINE | DT_BOTTOM), 40);
    EXPECT_EQ(Pixel(300, 40 - metrics.tmHeight), red);
    EXPECT_EQ(Pixel(300, 40 - metrics.tmHeight - 1), white);
}

TEST_F(GdiTextTest, TextIsClippedToTheRectangleUnlessNoClip) {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, red);
    RECT box{10, 0, 30, 20};
    DrawTextA(dc, "WWWWWWWWWWWW", -1, &box, DT_SINGLELINE);
    EXPECT_EQ(Pixel(29, 0), red);
    EXPECT_EQ(Pixel(30, 0), white);
    box = {10, 30, 30, 50};
    DrawTextA(dc, "WWWWWWWWWWWW", -1, &box, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(Pixel(30, 30), red);
}

TEST_F(GdiTextTest, EndEllipsisKeepsWhatFitsAndEndsWithDots) {
    const std::string text = "Transfer of program 1234 complete";
    int boxWidth = 80;
    size_t kept = 0;
    while (kept < text.size() && Extent(text.substr(0, kept + 1)) + Extent("...") <= boxWidth)
        ++kept;
    std::string expected = text.substr(0, kept) + "...";
    RECT box{0, 0, boxWidth, 0};
    DrawTextA(dc, text.c_str(), -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(box.right, Extent(expected));
    EXPECT_LE(box.right, boxWidth);
    EXPECT_TRUE(DrawsAs(text, DT_END_ELLIPSIS, boxWidth, expected)) << expected;

    box = {0, 0, 400, 0};
    DrawTextA(dc, "short", -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(box.right, Extent("short")) << "text that fits is left alone";
}

TEST_F(GdiTextTest, PathEllipsisKeepsTheFileName) {
    const std::string path = "C:\\Programs\\Cutting\\Jobs\\PART0001.NC";
    int boxWidth = Extent("C:\\Pr...\\PART0001.NC");
    EXPECT_TRUE(DrawsAs(path, DT_PATH_ELLIPSIS, boxWidth, "C:\\Pr...\\PART0001.NC"));

    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(DrawsAs(path, DT_PATH_ELLIPSIS, Extent("...\\PART0001.NC"), "...\\PART0001.NC"))
        << "the name stays whole even when nothing of the folders fits";

    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(DrawsAs("/home/cnc/jobs/PART0002.NC", DT_PATH_ELLIPSIS, Extent("/ho.../PART0002.NC"),
                        "/ho.../PART0002.NC"))
        << "forward slashes separate too";
}

TEST_F(GdiTextTest, AmpersandsMarkTheMnemonic) {
    EXPECT_TRUE(DrawsAs("A&&B", 0, width, "A&B"));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(DrawsAs("&File", DT_NOPREFIX, width, "&File"));
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_TRUE(DrawsAs("&File", DT_HIDEPREFIX, width, "File"));

    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_FALSE(DrawsAs("&File", 0, width, "File")) << "the mnemonic is underlined";
    int underline = metrics.tmAscent + 1;
    EXPECT_TRUE(SameBlock({0, 0}, {0, half}, width, underline)) << "above the underline all is the same";
    int mnemonicWidth = Extent("F");
    for (int x = 0; x < mnemonicWidth - 1; ++x)
        EXPECT_EQ(Pixel(x, underline), RGB(0, 0, 0)) << "under the F at " << x;
    for (int x = mnemonicWidth; x < Extent("File"); ++x)
        EXPECT_EQ(Pixel(x, underline), Pixel(x, half + underline)) << "only the F is underlined, at " << x;
}

TEST_F(GdiTextTest, TabsExpandToEightAverageCharacters) {
    RECT box{0, 0, 0, 0};
    DrawTextA(dc, "a\tb", -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(box.right, 8 * metrics.tmAveCharWidth + Extent("b"));
    // With DT_TABSTOP bits 8-15 are the tab width in characters, so it cannot go with DT_CALCRECT.
    box = {0, 0, width, metrics.tmHeight};
    DrawTextA(dc, "a\tb", -1, &box, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
    TextOutA(dc, 0, half, "a", 1);
    TextOutA(dc, 4 * metrics.tmAveCharWidth, half, "b", 1);
    EXPECT_TRUE(SameBlock({0, 0}, {0, half}, width, metrics.tmHeight));
    box = {0, 0, 0, 0};
    DrawTextA(dc, "a\tb", -1, &box, DT_CALCRECT | DT_SINGLELINE);
    EXPECT_EQ(box.right, Extent("a\tb")) << "without DT_EXPANDTABS a tab is a character";
}

} // namespace
