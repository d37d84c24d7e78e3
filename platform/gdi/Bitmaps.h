#pragma once

// Bitmaps and the block transfers between device contexts.
//
// A bitmap is either colour (32 bits per pixel, like the screen) or monochrome (1 bit). Transfers
// between the two follow Win32: from colour to monochrome, the pixels of the source context's
// background colour become white and all others black; from monochrome to colour, black becomes
// the destination context's text colour and white its background colour. That is what image lists
// and transparency masks rely on.
//
// A DIB section (CreateDIBSection, 24 or 32 bits, bottom-up or top-down) also gives the caller its
// pixel memory in the DIB layout. Drawing keeps the two in step: the memory is read before and
// written after each call that uses the bitmap, so the caller may write pixels and then blit them,
// or draw and then read the memory, without GdiFlush.
//
// Raster operations are the 256 ternary operations of Win32 on pattern (the selected brush),
// source and destination; the named ones are below. Destination pixels whose source lies outside
// the source bitmap or surface are left alone.
//
// Stretching maps each destination pixel to the source pixels it covers: COLORONCOLOR takes the
// middle one, BLACKONWHITE keeps the darker (AND) and WHITEONBLACK the lighter (OR) of those
// dropped when shrinking, HALFTONE averages them. Negative widths or heights mirror, as in Win32.

#include "platform/WinTypes.h"

constexpr DWORD SRCCOPY = 0x00CC0020;
constexpr DWORD SRCPAINT = 0x00EE0086;
constexpr DWORD SRCAND = 0x008800C6;
constexpr DWORD SRCINVERT = 0x00660046;
constexpr DWORD SRCERASE = 0x00440328;
constexpr DWORD NOTSRCCOPY = 0x00330008;
constexpr DWORD NOTSRCERASE = 0x001100A6;
constexpr DWORD MERGECOPY = 0x00C000CA;
constexpr DWORD MERGEPAINT = 0x00BB0226;
constexpr DWORD PATCOPY = 0x00F00021;
constexpr DWORD PATPAINT = 0x00FB0A09;
constexpr DWORD PATINVERT = 0x005A0049;
constexpr DWORD DSTINVERT = 0x00550009;
constexpr DWORD BLACKNESS = 0x00000042;
constexpr DWORD WHITENESS = 0x00FF0062;

constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;

constexpr UINT DIB_RGB_COLORS = 0;
constexpr UINT DIB_PAL_COLORS = 1;

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
using LPBITMAP = BITMAP*;

struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
using LPBITMAPINFOHEADER = BITMAPINFOHEADER*;

struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
using LPBITMAPINFO = BITMAPINFO*;

#pragma pack(push, 2)
struct BITMAPFILEHEADER {
    WORD bfType;
    DWORD bfSize;
    WORD bfReserved1;
    WORD bfReserved2;
    DWORD bfOffBits;
};
#pragma pack(pop)

static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(BITMAPFILEHEADER) == 14 && sizeof(RGBQUAD) == 4);

// A bitmap of 1 bit per pixel (monochrome) or 24 or 32 bits (colour), with its rows in lpBits
// when given: rows padded to 16 bits, top row first; 24 and 32-bit pixels in blue, green, red
// order. Its pixels are black otherwise. A width or height of 0 gives the stock 1 x 1 monochrome
// bitmap; other bit counts fail with ERROR_INVALID_PARAMETER.
HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits);

// A bitmap of the format of the bitmap selected into the context (monochrome for a fresh memory
// context) or colour for a surface context, black.
HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy);

// BI_RGB with 24 or 32 bits per pixel; others fail with ERROR_INVALID_PARAMETER. The memory is
// zeroed and stays valid until the bitmap is deleted; hSection must be null.
HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD offset);

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop);
BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop);
// A raster operation with the selected brush and no source (PATCOPY, PATINVERT, DSTINVERT,
// BLACKNESS, WHITENESS); one that needs a source fails.
BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop);

// A copy, stretched as COLORONCOLOR, that leaves out the source pixels of colour crTransparent.
// Negative sizes fail.
BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                    int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent);

// Moves the pixels of lprcScroll (all of the context when null) by (dx, dy), within lprcClip when
// given, and reports the area left uncovered: as a rectangle in lprcUpdate and as a region in
// hrgnUpdate (the bounding rectangle when the uncovered area has two parts). Logical coordinates.
BOOL ScrollDC(HDC hDC, int dx, int dy, const RECT* lprcScroll, const RECT* lprcClip, HRGN hrgnUpdate,
              LPRECT lprcUpdate);
