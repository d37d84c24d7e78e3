#pragma once

// Surfaces: the pixels of one top-level window, drawn through device contexts and presented by the
// display backend. The window module creates one per top-level window, resizes it with the window
// and hands out contexts on it for each window inside (BeginPaint, GetDC); the backend reads its
// pixels to show them; the test hooks save it as PNG.
//
// Pixels are 32 bits each, 0x00RRGGBB in the machine's byte order (blue first in memory), rows top
// to bottom, `stride` bytes apart. A new surface, and the area a surface gains when it grows, has
// the button-face colour.
//
// A surface and the contexts on it belong to the window thread. A context that outlives its
// surface (DestroySurface while it is still open) keeps the pixels alive and draws where nobody
// looks; nothing breaks.

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct Surface;

// Sizes below 1 x 1 are taken as 1 x 1.
Surface* CreateSurface(int width, int height);
// Keeps the pixels of the top-left part that both sizes share.
void ResizeSurface(Surface* surface, int width, int height);
void DestroySurface(Surface* surface);

const uint8_t* SurfacePixels(Surface* surface, int* stride);
SIZE SurfaceSize(Surface* surface);
bool SaveSurfacePng(Surface* surface, const std::string& path);

// The size of the screen: what a screen device context measures and where top-level windows are
// placed. 1920 x 1080 until the display backend, which knows the real one, sets it.
void SetScreenSize(int width, int height);
SIZE ScreenSize();

// An area made of rectangles that do not overlap, such as what is left of a window once its
// children and the siblings above it are cut out. The operations keep no empty rectangle and join
// neighbours that make one rectangle together, so a plain rectangle stays a single entry.
using RectangleList = std::vector<RECT>;

RectangleList IntersectArea(const RectangleList& area, const RECT& with);
RectangleList SubtractFromArea(const RectangleList& area, const RECT& cut);
// The smallest rectangle around the area; all zero for an empty one.
RECT AreaBounds(const RectangleList& area);

// A context whose logical and device (0, 0) is `origin` on the surface (a child window's top-left
// corner in its top-level window) and which never draws outside `visible` (surface coordinates):
// the part of the window that may be painted.
HDC CreateSurfaceDC(Surface* surface, POINT origin, const RectangleList& visible);
HDC CreateSurfaceDC(Surface* surface, POINT origin, const RECT& clip);
void DeleteSurfaceDC(HDC hdc);

} // namespace platform
