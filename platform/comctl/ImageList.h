#pragma once

// Image lists of the common controls: pictures of one size kept side by side, each with a
// monochrome mask when the list was made with ILC_MASK. A masked picture is stored with its
// transparent pixels black, so drawing it transparently is the mask ANDed onto the destination
// and the picture ORed over it, as Win32 does.
//
// One thread uses a list at a time; lists themselves may be made on any thread.

#include "platform/WinTypes.h"

using HIMAGELIST = struct HIMAGELIST__*;

constexpr UINT ILC_MASK = 0x0001;
constexpr UINT ILC_COLOR = 0x0000;
constexpr UINT ILC_COLORDDB = 0x00FE;
constexpr UINT ILC_COLOR4 = 0x0004;
constexpr UINT ILC_COLOR8 = 0x0008;
constexpr UINT ILC_COLOR16 = 0x0010;
constexpr UINT ILC_COLOR24 = 0x0018;
constexpr UINT ILC_COLOR32 = 0x0020;

constexpr UINT ILD_NORMAL = 0x0000;
constexpr UINT ILD_TRANSPARENT = 0x0001;
constexpr UINT ILD_MASK = 0x0010;

constexpr COLORREF CLR_NONE = 0xFFFFFFFF;
constexpr COLORREF CLR_DEFAULT = 0xFF000000;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
BOOL ImageList_Destroy(HIMAGELIST himl);
int ImageList_GetImageCount(HIMAGELIST himl);
BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
COLORREF ImageList_GetBkColor(HIMAGELIST himl);

// Adds the pictures of a bitmap (as many as its width holds, at least one) with a mask, when the
// list keeps masks, from another bitmap. Returns the index of the first, or -1.
int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// As ImageList_Add, the mask made from the pixels of colour crMask, which become transparent.
int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);

// Draws a picture at its own size (dx, dy of 0) or the top-left dx x dy of it. ILD_TRANSPARENT,
// or a background of CLR_NONE, leaves the masked pixels alone; another background colour fills
// them; ILD_MASK draws the mask itself. The foreground colour (blending) is not used.
BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle);
BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
