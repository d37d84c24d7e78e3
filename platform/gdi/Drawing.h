#pragma once

// Filling, lines, shapes and single pixels, with Win32's pixel rules:
//  - rectangles cover left..right-1 and top..bottom-1 (FillRect, FrameRect, InvertRect, and the
//    outline of Rectangle);
//  - a line covers its start point and not its end point, so joined lines draw each corner once;
//  - pens of one pixel draw on pixel centres without antialiasing, and so do shapes. Wider pens
//    are centred on the outline (PS_INSIDEFRAME keeps them inside the bounding box).
// One-pixel lines are laid out by Bresenham's rule; the dashed styles repeat their Win32 patterns
// (dots of 3 pixels on and 3 off, dashes of 18 on and 6 off), with the gaps in the background
// colour when the background mode is OPAQUE.
//
// Every call takes a brush handle or a system colour index plus one where a brush is asked for.

#include "platform/WinTypes.h"

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr);
BOOL InvertRect(HDC hDC, const RECT* lprc);

// The outline with the selected pen, the inside with the selected brush. With the null pen the
// filled area is one pixel narrower and lower than the bounding box, as in Win32.
BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom);
BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom);

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt);
BOOL LineTo(HDC hdc, int x, int y);
BOOL Polyline(HDC hdc, const POINT* apt, int cpt);
// Filled with the selected brush by the fill mode (ALTERNATE or WINDING), closed and outlined with
// the selected pen.
BOOL Polygon(HDC hdc, const POINT* apt, int cpt);

// The colour actually set (black or white on a monochrome bitmap), or CLR_INVALID outside the clip.
COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color);
BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color);
// CLR_INVALID outside the clip.
COLORREF GetPixel(HDC hdc, int x, int y);
