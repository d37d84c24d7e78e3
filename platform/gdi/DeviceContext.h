#pragma once

// Device contexts: what is selected into them, their colours and modes, their coordinate origins
// and their clipping.
//
// There are two kinds. A surface context draws into a window's surface (gdi/Surface.h): its device
// (0, 0) is the child window's top-left corner on the top-level window's surface, and the window
// module gives it the part of the window that may be painted, the "system region" of Win32, that
// no call here can widen. It is a set of rectangles: a window that clips its children or its
// siblings has them cut out of it. A
// memory context (CreateCompatibleDC) draws into the bitmap selected into it; it starts with the
// 1 x 1 monochrome stock bitmap, as in Win32, so a bitmap made compatible with a fresh memory
// context is monochrome.
//
// Coordinates: device = logical - window origin + viewport origin. There is no scaling (MM_TEXT
// only). Clip rectangles are kept in device coordinates, so moving an origin after clipping does
// not move the clip, as in Win32.
//
// A new context holds the stock WHITE_BRUSH, BLACK_PEN and SYSTEM_FONT, black text on a white
// opaque background, TA_LEFT | TA_TOP, BLACKONWHITE stretching and no clip of its own.

#include "platform/WinTypes.h"

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

constexpr int BLACKONWHITE = 1;
constexpr int WHITEONBLACK = 2;
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE;
constexpr int STRETCH_ORSCANS = WHITEONBLACK;
constexpr int STRETCH_DELETESCANS = COLORONCOLOR;
constexpr int STRETCH_HALFTONE = HALFTONE;

constexpr int ALTERNATE = 1;
constexpr int WINDING = 2;

// GetDeviceCaps indexes.
constexpr int DRIVERVERSION = 0;
constexpr int TECHNOLOGY = 2;
constexpr int HORZSIZE = 4;
constexpr int VERTSIZE = 6;
constexpr int HORZRES = 8;
constexpr int VERTRES = 10;
constexpr int BITSPIXEL = 12;
constexpr int PLANES = 14;
constexpr int NUMBRUSHES = 16;
constexpr int NUMPENS = 18;
constexpr int NUMFONTS = 22;
constexpr int NUMCOLORS = 24;
constexpr int RASTERCAPS = 38;
constexpr int ASPECTX = 40;
constexpr int ASPECTY = 42;
constexpr int ASPECTXY = 44;
constexpr int LOGPIXELSX = 88;
constexpr int LOGPIXELSY = 90;
constexpr int SIZEPALETTE = 104;
constexpr int COLORRES = 108;

constexpr int DT_RASDISPLAY = 1;
constexpr int RC_BITBLT = 0x0001;
constexpr int RC_BITMAP64 = 0x0008;
constexpr int RC_DI_BITMAP = 0x0080;
constexpr int RC_DIBTODEV = 0x0200;
constexpr int RC_STRETCHBLT = 0x0800;
constexpr int RC_STRETCHDIB = 0x2000;

// A memory context over the stock monochrome bitmap. Any valid context, or null, may be given.
HDC CreateCompatibleDC(HDC hdc);

// Deletes a memory context, or a surface context as DeleteSurfaceDC does; the bitmap selected into
// it is free again.
BOOL DeleteDC(HDC hdc);

// Selects a brush, pen, font or bitmap and returns the one it replaces; null on failure (an invalid
// handle, a bitmap into a surface context, or a bitmap already selected into another context).
// A region becomes the clip region and the region type is returned, or HGDI_ERROR.
HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h);

// The brush, pen, font or bitmap (OBJ_ type) now selected, or null.
HGDIOBJ GetCurrentObject(HDC hdc, UINT type);

// Saves the whole state (objects, colours, modes, origins, clip, current position) and returns the
// new depth, or 0 on failure. RestoreDC takes a depth (1 the first save) or a negative count back
// from the newest (-1); states saved after the one restored are dropped.
int SaveDC(HDC hdc);
BOOL RestoreDC(HDC hdc, int nSavedDC);

COLORREF SetTextColor(HDC hdc, COLORREF color);
COLORREF GetTextColor(HDC hdc);
COLORREF SetBkColor(HDC hdc, COLORREF color);
COLORREF GetBkColor(HDC hdc);
// The previous mode, or 0 for an invalid context or mode.
int SetBkMode(HDC hdc, int mode);
int GetBkMode(HDC hdc);
int SetStretchBltMode(HDC hdc, int mode);
int GetStretchBltMode(HDC hdc);
int SetPolyFillMode(HDC hdc, int mode);
int GetPolyFillMode(HDC hdc);

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint);
BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint);
BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c);
BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c);
BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt);

// The context's own clip is a rectangle; what can be drawn is that rectangle within the system
// region. The clip calls return the region type of what can be drawn (NULLREGION when nothing any
// more, SIMPLEREGION for one rectangle, COMPLEXREGION for several), or ERROR. IntersectClipRect
// takes logical coordinates; SelectClipRgn takes its region in device coordinates and copies it,
// and a null region removes the context's own clip. GetClipBox gives the bounds of what can be
// drawn, in logical coordinates.
int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom);
int SelectClipRgn(HDC hdc, HRGN hrgn);
int GetClipBox(HDC hdc, LPRECT lprect);

// 96 dots per inch, 32 bits per pixel; HORZRES and VERTRES are the size of the surface for a
// surface context and of the screen (GetSystemMetrics) for a memory context.
int GetDeviceCaps(HDC hdc, int index);
