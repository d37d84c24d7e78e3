#include "platform/Windows.h"
#include "platform/gdi/Surface.h"

#include <gtest/gtest.h>
#include <string>

namespace {

COLORREF BrushColourOf(HGDIOBJ brush) {
    LOGBRUSH record{};
    EXPECT_EQ(GetObjectA(brush, sizeof record, &record), static_cast<int>(sizeof record));
    return record.lbColor;
}

TEST(GdiObjectsTest, StockObjectsAreSharedAndSurviveDeletion) {
    HGDIOBJ white = GetStockObject(WHITE_BRUSH);
    ASSERT_NE(white, nullptr);
    EXPECT_EQ(GetStockObject(WHITE_BRUSH), white);
    EXPECT_TRUE(DeleteObject(white));
    EXPECT_EQ(GetObjectType(white), OBJ_BRUSH) << "a stock object stays after DeleteObject";
    EXPECT_EQ(BrushColourOf(white), RGB(255, 255, 255));
    EXPECT_EQ(GetStockObject(99), nullptr);
    EXPECT_EQ(GetStockObject(-1), nullptr);
}

TEST(GdiObjectsTest, StockBrushesPensAndFontsHaveTheirWin32Values) {
    struct Case {
        int index;
        COLORREF colour;
    };
    for (const Case& check : {Case{WHITE_BRUSH, RGB(255, 255, 255)}, Case{LTGRAY_BRUSH, RGB(192, 192, 192)},
                              Case{GRAY_BRUSH, RGB(128, 128, 128)}, Case{DKGRAY_BRUSH, RGB(64, 64, 64)},
                              Case{BLACK_BRUSH, RGB(0, 0, 0)}}) {
        EXPECT_EQ(BrushColourOf(GetStockObject(check.index)), check.colour) << "stock brush " << check.index;
    }
    LOGBRUSH hollow{};
    GetObjectA(GetStockObject(HOLLOW_BRUSH), sizeof hollow, &hollow);
    EXPECT_EQ(hollow.lbStyle, BS_NULL);

    LOGPEN pen{};
    GetObjectA(GetStockObject(WHITE_PEN), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_SOLID));
    EXPECT_EQ(pen.lopnColor, RGB(255, 255, 255));
    GetObjectA(GetStockObject(BLACK_PEN), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnColor, RGB(0, 0, 0));
    GetObjectA(GetStockObject(NULL_PEN), sizeof pen, &pen);
    EXPECT_EQ(pen.lopnStyle, static_cast<UINT>(PS_NULL));

    for (int font : {DEFAULT_GUI_FONT, SYSTEM_FONT, ANSI_VAR_FONT, ANSI_FIXED_FONT}) {
        EXPECT_EQ(GetObjectType(GetStockObject(font)), OBJ_FONT) << "stock font " << font;
    }
    LOGFONTA gui{};
    ASSERT_EQ(GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof gui, &gui), static_cast<int>(sizeof gui));
    EXPECT_EQ(gui.lfHeight, -11);
    EXPECT_STREQ(gui.lfFaceName, "MS Shell Dlg");
    LOGFONTA system{};
    GetObjectA(GetStockObject(SYSTEM_FONT), sizeof system, &system);
    EXPECT_EQ(system.lfWeight, FW_BOLD);
}

TEST(GdiObjectsTest, CreatedObjectsDescribeThemselves) {
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    EXPECT_EQ(GetObjectType(brush), OBJ_BRUSH);
    EXPECT_EQ(BrushColourOf(brush), RGB(1, 2, 3));

    HPEN pen = CreatePen(PS_DOT, 0, RGB(4, 5, 6));
    LOGPEN record{};
    EXPECT_EQ(GetObjectType(pen), OBJ_PEN);
    GetObjectA(pen, sizeof record, &record);
    EXPECT_EQ(record.lopnStyle, static_cast<UINT>(PS_DOT));
    EXPECT_EQ(record.lopnWidth.x, 1) << "width 0 is one pixel";
    EXPECT_EQ(record.lopnColor, RGB(4, 5, 6));

    HPEN wideDotted = CreatePen(PS_DOT, 3, 0);
    GetObjectA(wideDotted, sizeof record, &record);
    EXPECT_EQ(record.lopnStyle, static_cast<UINT>(PS_SOLID)) << "patterns exist for one-pixel pens only";
    EXPECT_EQ(record.lopnWidth.x, 3);
    EXPECT_EQ(CreatePen(9, 1, 0), nullptr);

    LOGBRUSH hatched{2, 0, 0};
    EXPECT_EQ(CreateBrushIndirect(&hatched), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(brush), static_cast<HGDIOBJ>(pen), static_cast<HGDIOBJ>(wideDotted)})
        EXPECT_TRUE(DeleteObject(object));
}

TEST(GdiObjectsTest, DeletedHandlesAreInvalid) {
    HBRUSH brush = CreateSolidBrush(RGB(9, 9, 9));
    ASSERT_TRUE(DeleteObject(brush));
    EXPECT_EQ(GetObjectType(brush), 0u);
    SetLastError(0);
    EXPECT_FALSE(DeleteObject(brush));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    LOGBRUSH record{};
    EXPECT_EQ(GetObjectA(brush, sizeof record, &record), 0);
    EXPECT_FALSE(DeleteObject(nullptr));
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SelectObject(dc, brush), nullptr);
    EXPECT_FALSE(DeleteObject(dc)) << "contexts go through DeleteDC";
    EXPECT_TRUE(DeleteDC(dc));
    EXPECT_FALSE(DeleteDC(dc));
}

TEST(GdiObjectsTest, GetObjectGivesTheSizeAndCutsShortBuffers) {
    HFONT font = CreateFontA(-13, 0, 0, 0, FW_BOLD, TRUE, FALSE, FALSE, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(GetObjectA(font, 0, nullptr), static_cast<int>(sizeof(LOGFONTA)));
    LOGFONTA record{};
    EXPECT_EQ(GetObjectA(font, sizeof record, &record), static_cast<int>(sizeof record));
    EXPECT_EQ(record.lfHeight, -13);
    EXPECT_EQ(record.lfWeight, FW_BOLD);
    EXPECT_EQ(record.lfItalic, TRUE);
    EXPECT_STREQ(record.lfFaceName, "Arial");

    LOGFONTA partial{};
    partial.lfWeight = 12345;
    EXPECT_EQ(GetObjectA(font, 8, &partial), 8);
    EXPECT_EQ(partial.lfHeight, -13);
    EXPECT_EQ(partial.lfWeight, 12345) << "nothing past the buffer's size is written";
    DeleteObject(font);

    HBITMAP bitmap = CreateBitmap(10, 3, 1, 1, nullptr);
    BITMAP description{};
    EXPECT_EQ(GetObjectA(bitmap, sizeof description, &description), static_cast<int>(sizeof description));
    EXPECT_EQ(description.bmWidth, 10);
    EXPECT_EQ(description.bmHeight, 3);
    EXPECT_EQ(description.bmBitsPixel, 1);
    EXPECT_EQ(description.bmWidthBytes, 2) << "rows of device bitmaps are padded to 16 bits";
    DeleteObject(bitmap);
}

TEST(GdiObjectsTest, SelectObjectReturnsWhatItReplaces) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH first = CreateSolidBrush(RGB(1, 0, 0));
    HBRUSH second = CreateSolidBrush(RGB(2, 0, 0));
    EXPECT_EQ(SelectObject(dc, first), GetStockObject(WHITE_BRUSH)) << "a new context holds the white brush";
    EXPECT_EQ(SelectObject(dc, second), first);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), second);
    EXPECT_EQ(SelectObject(dc, GetStockObject(WHITE_BRUSH)), second);

    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    EXPECT_EQ(SelectObject(dc, pen), GetStockObject(BLACK_PEN));
    EXPECT_EQ(SelectObject(dc, GetStockObject(NULL_PEN)), pen);

    HFONT font = CreateFontA(-11, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, "Arial");
    EXPECT_EQ(SelectObject(dc, font), GetStockObject(SYSTEM_FONT)) << "a new context holds the system font";
    EXPECT_EQ(GetCurrentObject(dc, OBJ_FONT), font);

    HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    ASSERT_NE(original, nullptr);
    BITMAP stock{};
    GetObjectA(original, sizeof stock, &stock);
    EXPECT_EQ(stock.bmWidth, 1);
    EXPECT_EQ(stock.bmHeight, 1);
    EXPECT_EQ(stock.bmBitsPixel, 1) << "memory contexts start on a 1 x 1 monochrome bitmap";
    EXPECT_EQ(SelectObject(dc, original), bitmap);

    DeleteDC(dc);
    for (HGDIOBJ object :
         {static_cast<HGDIOBJ>(first), static_cast<HGDIOBJ>(second), static_cast<HGDIOBJ>(pen),
          static_cast<HGDIOBJ>(font), static_cast<HGDIOBJ>(bitmap)})
        EXPECT_TRUE(DeleteObject(object));
}

TEST(GdiObjectsTest, ABitmapIsSelectedIntoOneMemoryContextAtATime) {
    HDC first = CreateCompatibleDC(nullptr);
    HDC second = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 32, nullptr);
    HGDIOBJ original = SelectObject(first, bitmap);
    ASSERT_NE(original, nullptr);
    EXPECT_EQ(SelectObject(second, bitmap), nullptr);
    EXPECT_FALSE(DeleteObject(bitmap)) << "a selected bitmap cannot be deleted";
    EXPECT_EQ(GetObjectType(bitmap), OBJ_BITMAP);

    platform::Surface* surface = platform::CreateSurface(8, 8);
    HDC window = platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, 8, 8});
    EXPECT_EQ(SelectObject(window, CreateBitmap(2, 2, 1, 32, nullptr)), nullptr)
        << "bitmaps go into memory contexts only";

    SelectObject(first, original);
    EXPECT_NE(SelectObject(second, bitmap), nullptr) << "free again once deselected";
    DeleteDC(second);
    EXPECT_TRUE(DeleteObject(bitmap)) << "deleting the context frees its bitmap";
    DeleteDC(first);
    platform::DeleteSurfaceDC(window);
    platform::DestroySurface(surface);
}

TEST(GdiObjectsTest, ABrushDeletedWhileSelectedKeepsDrawingThere) {
    platform::Surface* surface = platform::CreateSurface(4, 4);
    HDC dc = platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, 4, 4});
    HBRUSH brush = CreateSolidBrush(RGB(10, 20, 30));
    SelectObject(dc, brush);
    SelectObject(dc, GetStockObject(NULL_PEN));
    EXPECT_TRUE(DeleteObject(brush));
    Rectangle(dc, 0, 0, 4, 4);
    EXPECT_EQ(GetPixel(dc, 1, 1), RGB(10, 20, 30));
    platform::DeleteSurfaceDC(dc);
    platform::DestroySurface(surface);
}

TEST(GdiObjectsTest, SystemColoursAreTheClassicGreyScheme) {
    struct Case {
        int index;
        COLORREF colour;
        const char* name;
    };
    const Case cases[] = {
        {COLOR_SCROLLBAR, RGB(192, 192, 192), "scroll bar"},
        {COLOR_BACKGROUND, RGB(0, 128, 128), "desktop"},
        {COLOR_ACTIVECAPTION, RGB(0, 0, 128), "active caption"},
        {COLOR_INACTIVECAPTION, RGB(128, 128, 128), "inactive caption"},
        {COLOR_MENU, RGB(192, 192, 192), "menu"},
        {COLOR_WINDOW, RGB(255, 255, 255), "window"},
        {COLOR_WINDOWFRAME, RGB(0, 0, 0), "window frame"},
        {COLOR_MENUTEXT, RGB(0, 0, 0), "menu text"},
        {COLOR_WINDOWTEXT, RGB(0, 0, 0), "window text"},
        {COLOR_CAPTIONTEXT, RGB(255, 255, 255), "caption text"},
        {COLOR_APPWORKSPACE, RGB(128, 128, 128), "application workspace"},
        {COLOR_HIGHLIGHT, RGB(0, 0, 128), "highlight"},
        {COLOR_HIGHLIGHTTEXT, RGB(255, 255, 255), "highlight text"},
        {COLOR_BTNFACE, RGB(192, 192, 192), "button face"},
        {COLOR_BTNSHADOW, RGB(128, 128, 128), "button shadow"},
        {COLOR_GRAYTEXT, RGB(128, 128, 128), "grey text"},
        {COLOR_BTNTEXT, RGB(0, 0, 0), "button text"},
        {COLOR_INACTIVECAPTIONTEXT, RGB(192, 192, 192), "inactive caption text"},
        {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255), "button highlight"},
        {COLOR_3DDKSHADOW, RGB(0, 0, 0), "3D dark shadow"},
        {COLOR_3DLIGHT, RGB(192, 192, 192), "3D light"},
        {COLOR_INFOTEXT, RGB(0, 0, 0), "tooltip text"},
        {COLOR_INFOBK, RGB(255, 255, 225), "tooltip background"},
    };
    for (const Case& check : cases) {
        EXPECT_EQ(GetSysColor(check.index), check.colour) << check.name;
        HBRUSH brush = GetSysColorBrush(check.index);
        ASSERT_NE(brush, nullptr) << check.name;
        EXPECT_EQ(GetSysColorBrush(check.index), brush) << check.name << ": one brush per colour";
        EXPECT_EQ(BrushColourOf(brush), check.colour) << check.name;
    }
    EXPECT_EQ(GetSysColor(-1), 0u);
    EXPECT_EQ(GetSysColor(200), 0u);
    EXPECT_EQ(GetSysColorBrush(200), nullptr);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    EXPECT_TRUE(DeleteObject(face));
    EXPECT_EQ(GetObjectType(face), OBJ_BRUSH) << "system colour brushes cannot be deleted";
}

TEST(GdiObjectsTest, SaveAndRestoreBringBackTheWholeState) {
    HDC dc = CreateCompatibleDC(nullptr);
    HBRUSH brush = CreateSolidBrush(RGB(5, 5, 5));
    SetTextColor(dc, RGB(1, 1, 1));
    EXPECT_EQ(SaveDC(dc), 1);
    SelectObject(dc, brush);
    SetTextColor(dc, RGB(2, 2, 2));
    SetBkMode(dc, TRANSPARENT);
    SetViewportOrgEx(dc, 7, 8, nullptr);
    EXPECT_EQ(SaveDC(dc), 2);
    SetTextColor(dc, RGB(3, 3, 3));
    EXPECT_EQ(SaveDC(dc), 3);

    EXPECT_TRUE(RestoreDC(dc, -1));
    EXPECT_EQ(GetTextColor(dc), RGB(3, 3, 3));
    EXPECT_TRUE(RestoreDC(dc, 1)) << "restoring level 1 drops level 2 too";
    EXPECT_EQ(GetTextColor(dc), RGB(1, 1, 1));
    EXPECT_EQ(GetBkMode(dc), OPAQUE);
    EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), GetStockObject(WHITE_BRUSH));
    POINT origin{};
    GetViewportOrgEx(dc, &origin);
    EXPECT_EQ(origin.x, 0);
    EXPECT_EQ(origin.y, 0);
    EXPECT_FALSE(RestoreDC(dc, -1)) << "nothing left to restore";
    EXPECT_FALSE(RestoreDC(dc, 0));
    DeleteDC(dc);
    DeleteObject(brush);
}

TEST(GdiObjectsTest, ModesAndColoursReturnTheirPreviousValues) {
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ(SetTextColor(dc, RGB(1, 2, 3)), RGB(0, 0, 0));
    EXPECT_EQ(SetBkColor(dc, RGB(4, 5, 6)), RGB(255, 255, 255));
    EXPECT_EQ(SetBkMode(dc, TRANSPARENT), OPAQUE);
    EXPECT_EQ(SetBkMode(dc, 7), 0) << "no such mode";
    EXPECT_EQ(GetBkMode(dc), TRANSPARENT);
    EXPECT_EQ(SetStretchBltMode(dc, HALFTONE), BLACKONWHITE);
    EXPECT_EQ(SetTextAlign(dc, TA_RIGHT | TA_BASELINE), TA_LEFT | TA_TOP);
    EXPECT_EQ(GetTextAlign(dc), TA_RIGHT | TA_BASELINE);
    EXPECT_EQ(SetPolyFillMode(dc, WINDING), ALTERNATE);
    DeleteDC(dc);
    EXPECT_EQ(SetTextColor(dc, 0), CLR_INVALID);
    EXPECT_EQ(SetTextAlign(dc, 0), GDI_ERROR);
}

TEST(GdiObjectsTest, RegionsAreOrderedRectangles) {
    HRGN region = CreateRectRgn(30, 40, 10, 20);
    RECT box{};
    EXPECT_EQ(GetRgnBox(region, &box), SIMPLEREGION);
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.top, 20);
    EXPECT_EQ(box.right, 30);
    EXPECT_EQ(box.bottom, 40);
    EXPECT_TRUE(SetRectRgn(region, 5, 5, 5, 9));
    EXPECT_EQ(GetRgnBox(region, &box), NULLREGION);
    EXPECT_EQ(GetObjectType(region), OBJ_REGION);
    EXPECT_TRUE(DeleteObject(region));
    EXPECT_EQ(GetRgnBox(region, &box), ERROR);
}

TEST(GdiObjectsTest, DeviceCapsDescribeA96DpiTrueColourScreen) {
    platform::Surface* surface = platform::CreateSurface(320, 200);
    HDC window = platform::CreateSurfaceDC(surface, {0, 0}, {0, 0, 320, 200});
    HDC memory = CreateCompatibleDC(window);
    EXPECT_EQ(GetDeviceCaps(window, LOGPIXELSX), 96);
    EXPECT_EQ(GetDeviceCaps(window, LOGPIXELSY), 96);
    EXPECT_EQ(GetDeviceCaps(window, BITSPIXEL), 32);
    EXPECT_EQ(GetDeviceCaps(window, PLANES), 1);
    EXPECT_EQ(GetDeviceCaps(window, HORZRES), 320);
    EXPECT_EQ(GetDeviceCaps(window, VERTRES), 200);
    EXPECT_TRUE(GetDeviceCaps(window, RASTERCAPS) & RC_STRETCHBLT);
    EXPECT_EQ(GetDeviceCaps(memory, HORZRES), GetSystemMetrics(SM_CXSCREEN))
        << "memory contexts tell the screen";
    EXPECT_EQ(GetDeviceCaps(memory, VERTRES), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(GetDeviceCaps(window, HORZSIZE), 320 * 254 / 960) << "millimetres at 96 dpi";
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 0);
    DeleteDC(memory);
    platform::DeleteSurfaceDC(window);
    platform::DestroySurface(surface);
}

} // namespace
