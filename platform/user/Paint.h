#pragma once

// Invalid areas and painting. Each window keeps the bounding rectangle of its invalid area; a
// thread's message loop produces WM_PAINT for a visible window that has one, and BeginPaint hands
// out a device context for it and validates it. Every context on a window (BeginPaint, GetDC,
// GetWindowDC) is clipped to the window within its parents' client areas, less its visible
// children with WS_CLIPCHILDREN and less the visible siblings above it, or above an ancestor, that
// has WS_CLIPSIBLINGS.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase);
BOOL ValidateRect(HWND hWnd, const RECT* lpRect);
BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL bErase);
BOOL UpdateWindow(HWND hWnd);
HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint);
BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint);
HDC GetDC(HWND hWnd);
// A context on the whole window, frame included, with (0, 0) at its top-left corner.
HDC GetWindowDC(HWND hWnd);
int ReleaseDC(HWND hWnd, HDC hDC);

constexpr UINT SW_SCROLLCHILDREN = 0x0001;
constexpr UINT SW_INVALIDATE = 0x0002;
constexpr UINT SW_ERASE = 0x0004;
// Moves the pixels of the client area (or of prcScroll, within prcClip) by (dx, dy) and reports
// the uncovered area, invalidating it with SW_INVALIDATE; SW_SCROLLCHILDREN moves the children too.
int ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                   LPRECT prcUpdate, UINT flags);

constexpr UINT RDW_INVALIDATE = 0x0001;
constexpr UINT RDW_ERASE = 0x0004;
constexpr UINT RDW_VALIDATE = 0x0008;
constexpr UINT RDW_ALLCHILDREN = 0x0080;
constexpr UINT RDW_UPDATENOW = 0x0100;
constexpr UINT RDW_ERASENOW = 0x0200;
constexpr UINT RDW_FRAME = 0x0400;
BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN hrgnUpdate, UINT flags);
