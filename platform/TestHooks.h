#pragma once

// Hooks for tests: what a user would see of a window, read without reaching into its program.

#include "platform/WinTypes.h"

#include <string>

namespace platform::testing {

// The colour of a pixel of a window's client area as it stands on its top-level surface
// (0x00BBGGRR, as COLORREF); CLR_INVALID outside the surface.
COLORREF ClientPixel(HWND hwnd, int x, int y);
// Saves the whole top-level window that holds hwnd as a PNG file.
bool SnapshotPng(HWND hwnd, const std::string& path);
// Dispatches every message waiting for the calling thread, paint included.
void PumpMessages();

} // namespace platform::testing
