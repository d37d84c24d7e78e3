#pragma once

// The scroll bars of a window's frame (internal to platform/): WS_VSCROLL puts one along the
// right edge of the client area and WS_HSCROLL one along its bottom, inside the border, with a
// grey corner where both meet. Each window's two bars keep their state here from the first call
// that touches them; the window manager calls the hooks below from DefWindowProcA (painting the
// frame, hit tests, and the mouse while a bar is held) and when the window is destroyed.
//
// A press on a bar arrives as WM_NCLBUTTONDOWN; the window then holds the mouse capture until the
// release, and the input path turns the moves and the release into WM_NCMOUSEMOVE and
// WM_NCLBUTTONUP for the held bar, which DefWindowProcA hands back here. The repeat timer runs
// through a timer procedure of its own.

#include "platform/WinTypes.h"

namespace platform::user {

void DrawWindowScrollBars(HWND hwnd);
// Handles what belongs to the window's bars; false leaves the message to DefWindowProcA.
bool HandleWindowScrollBarMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
void ForgetWindowScrollBars(HWND hwnd);
// HTVSCROLL or HTHSCROLL while the mouse holds one of the window's bars, else HTNOWHERE.
LRESULT TrackedScrollBarHit(HWND hwnd);

} // namespace platform::user
