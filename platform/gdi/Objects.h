#pragma once

// Drawing objects: brushes, pens, regions and the stock objects, with the calls that every kind of
// drawing object shares (DeleteObject, GetObjectA, GetObjectType). Fonts are in gdi/Fonts.h,
// bitmaps in gdi/Bitmaps.h, device contexts in gdi/DeviceContext.h.
//
// Every object lives in one process-wide table and is reached through its handle, so a handle that
// was deleted, or never issued, fails cleanly instead of reaching freed memory. Objects can be
// created and deleted on any thread; a device context and what is drawn through it belong to one
// thread at a time, as in Win32.
//
// An object that is deleted while it is still selected into a device context keeps drawing there
// until it is replaced: the context holds on to it. Win32 leaves that case undefined; here it is
// harmless. A bitmap selected into a memory context cannot be deleted (DeleteObject fails), as in
// Win32. Deleting a stock object succeeds and changes nothing.
//
// Regions are rectangles: CreateRectRgn and the clip calls are all the painting code needs, so no
// region object here is ever COMPLEXREGION. Only the area a window's context may paint can be
// several rectangles (gdi/DeviceContext.h), and the clip calls report that as COMPLEXREGION.

#include "platform/WinTypes.h"

// Object types of GetObjectType and GetCurrentObject.
constexpr DWORD OBJ_PEN = 1;
constexpr DWORD OBJ_BRUSH = 2;
constexpr DWORD OBJ_DC = 3;
constexpr DWORD OBJ_FONT = 6;
constexpr DWORD OBJ_BITMAP = 7;
constexpr DWORD OBJ_REGION = 8;
constexpr DWORD OBJ_MEMDC = 10;

// Stock objects.
constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;
constexpr int HOLLOW_BRUSH = NULL_BRUSH;
constexpr int WHITE_PEN = 6;
constexpr int BLACK_PEN = 7;
constexpr int NULL_PEN = 8;
constexpr int OEM_FIXED_FONT = 10;
constexpr int ANSI_FIXED_FONT = 11;
constexpr int ANSI_VAR_FONT = 12;
constexpr int SYSTEM_FONT = 13;
constexpr int DEVICE_DEFAULT_FONT = 14;
constexpr int SYSTEM_FIXED_FONT = 16;
constexpr int DEFAULT_GUI_FONT = 17;

// Brush styles.
constexpr UINT BS_SOLID = 0;
constexpr UINT BS_NULL = 1;
constexpr UINT BS_HOLLOW = BS_NULL;

// Pen styles. Wider pens than one pixel are always solid, as in Win32.
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;
constexpr int PS_DOT = 2;
constexpr int PS_DASHDOT = 3;
constexpr int PS_DASHDOTDOT = 4;
constexpr int PS_NULL = 5;
constexpr int PS_INSIDEFRAME = 6;
constexpr int PS_STYLE_MASK = 0x0000000F;

// Region types, also returned by the clip calls.
constexpr int ERROR = 0;
constexpr int RGN_ERROR = ERROR;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;
inline const HGDIOBJ HGDI_ERROR = reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(-1));

struct LOGBRUSH {
    UINT lbStyle;
    COLORREF lbColor;
    ULONG_PTR lbHatch;
};
using LPLOGBRUSH = LOGBRUSH*;

struct LOGPEN {
    UINT lopnStyle;
    POINT lopnWidth;
    COLORREF lopnColor;
};
using LPLOGPEN = LOGPEN*;

HGDIOBJ GetStockObject(int i);

HBRUSH CreateSolidBrush(COLORREF color);
// BS_SOLID and BS_NULL only; other styles fail with ERROR_INVALID_PARAMETER.
HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush);

// PS_SOLID, the dashed and dotted styles (cosmetic patterns of one pixel width), PS_NULL and
// PS_INSIDEFRAME. A width of 0 is one pixel.
HPEN CreatePen(int iStyle, int cWidth, COLORREF color);

// Fails for a null, unknown or already deleted handle, for a device context (DeleteDC deletes
// those) and for a bitmap still selected into a memory context.
BOOL DeleteObject(HGDIOBJ ho);

// Copies the object's description: LOGPEN, LOGBRUSH, LOGFONTA or BITMAP. With a null buffer it
// returns the size needed; with a buffer too small for the whole record it copies what fits (as
// Win32 does for LOGFONTA) and returns that count; 0 on an invalid handle.
int GetObjectA(HANDLE h, int c, LPVOID pv);

// One of the OBJ_ values, or 0 for an invalid handle.
DWORD GetObjectType(HGDIOBJ h);

HRGN CreateRectRgn(int x1, int y1, int x2, int y2);
HRGN CreateRectRgnIndirect(const RECT* lprect);
BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom);
int GetRgnBox(HRGN hrgn, LPRECT lprc);
