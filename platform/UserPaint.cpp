#include "platform/UserPaint.h"

#include "platform/DisplayBackend.h"
#include "platform/GdiBitmaps.h"
#include "platform/GdiDeviceContext.h"
#include "platform/GdiSurface.h"
#include "platform/KernelErrors.h"
#include "platform/UserMessages.h"
#include "platform/UserState.h"
#include "platform/UserWindows.h"

#include <algorithm>
#include <vector>

using namespace platform::user;

namespace {

RECT Union(const RECT& a, const RECT& b) {
    if (IsEmpty(a)) {
        return b;
    }
    if (IsEmpty(b)) {
        return a;
    }
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                std::max(a.bottom, b.bottom)};
}

RECT Intersection(const RECT& a, const RECT& b) {
    RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    return IsEmpty(result) ? RECT{} : result;
}

bool Covers(const RECT& outer, const RECT& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
           outer.bottom >= inner.bottom;
}

void Invalidate(WindowRecord& record, const RECT* area, bool erase, bool allChildren) {
    const RECT client = ClientRectOf(record);
    const RECT wanted = area ? Intersection(*area, client) : client;
    if (!IsEmpty(wanted)) {
        record.update = Union(record.update, wanted);
        record.eraseBackground = record.eraseBackground || erase;
        Wake(QueueOf(record.threadId));
    }
    if (!allChildren) {
        return;
    }
    for (HWND child : record.children) {
        if (WindowRecord* childRecord = FindWindow(child)) {
            Invalidate(*childRecord, nullptr, erase, true);
        }
    }
}

} // namespace

BOOL InvalidateRect(HWND hWnd, const RECT* lpRect, BOOL bErase) {
    auto lock = UserLock();
    WindowRecord* record = FindWindow(hWnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // The stand-in draws every window of a top-level window on one surface, so a parent that is
    // repainted would cover its children: they are repainted with it.
    Invalidate(*record, lpRect, bErase != FALSE, lpRect == nullptr);
    return TRUE;
}

BOOL ValidateRect(HWND hWnd, const RECT* lpRect) {
    auto lock = UserLock();
    WindowRecord* record = FindWindow(hWnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // Only a rectangle that covers the whole invalid area can empty a bounding rectangle.
    if (lpRect == nullptr || Covers(*lpRect, record->update)) {
        record->update = RECT{};
        record->eraseBackground = false;
    }
    return TRUE;
}

BOOL GetUpdateRect(HWND hWnd, LPRECT lpRect, BOOL) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    if (record == nullptr) {
        return FALSE;
    }
    if (lpRect != nullptr) {
        *lpRect = record->update;
    }
    return IsEmpty(record->update) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND hWnd) {
    bool needsPaint = false;
    std::vector<HWND> children;
    {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        needsPaint = !IsEmpty(record->update) && IsVisibleChain(*record);
        children = record->children;
    }
    if (needsPaint) {
        SendMessageA(hWnd, WM_PAINT, 0, 0);
        ValidateRect(hWnd, nullptr);
    }
    for (HWND child : children) {
        UpdateWindow(child);
    }
    return TRUE;
}

BOOL RedrawWindow(HWND hWnd, const RECT* lprcUpdate, HRGN, UINT flags) {
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        if (flags & RDW_INVALIDATE) {
            Invalidate(*record, lprcUpdate, (flags & RDW_ERASE) != 0, (flags & RDW_ALLCHILDREN) != 0);
        }
        if (flags & RDW_VALIDATE) {
            record->update = RECT{};
        }
    }
    if (flags & RDW_UPDATENOW) {
        UpdateWindow(hWnd);
    }
    return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint) {
    if (lpPaint == nullptr) {
        return nullptr;
    }
    bool erase = false;
    bool hasFrame = false;
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        const POINT offset = ClientOffsetOf(*record);
        const RECT client = ClientRectOf(*record);
        hasFrame = offset.x > 0 || client.right + offset.x < record->rect.right - record->rect.left ||
                   client.bottom + offset.y < record->rect.bottom - record->rect.top;
        *lpPaint = PAINTSTRUCT{};
        lpPaint->rcPaint = record->update;
        erase = record->eraseBackground;
        record->update = RECT{};
        record->eraseBackground = false;
    }
    // The frame is drawn with every paint of the window, before its client area.
    if (hasFrame) {
        SendMessageA(hWnd, WM_NCPAINT, 1, 0);
    }
    lpPaint->hdc = GetDC(hWnd);
    lpPaint->fErase = erase && !SendMessageA(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(lpPaint->hdc), 0);
    return lpPaint->hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint) {
    if (lpPaint != nullptr && lpPaint->hdc != nullptr) {
        ReleaseDC(hWnd, lpPaint->hdc);
    }
    return TRUE;
}

namespace {

RECT Offset(RECT rect, POINT by) {
    return RECT{rect.left + by.x, rect.top + by.y, rect.right + by.x, rect.bottom + by.y};
}

// The client area of a window on its top-level window's surface, cut to every ancestor's client
// area, and its client origin there.
// FIXME: children and overlapping siblings are not cut out of the clip; a parent repaints its
// children with it (InvalidateRect invalidates them too), but a window painted alone can cover
// an overlapping sibling until that sibling is repainted.
bool PaintArea(HWND hwnd, bool wholeWindow, platform::Surface*& surface, POINT& origin, RECT& clip) {
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return false;
    }
    const WindowRecord* root = record;
    while (const WindowRecord* parent = FindWindow(root->parent)) {
        root = parent;
    }
    if (root->surface == nullptr) {
        return false;
    }
    surface = root->surface;
    const POINT rootOrigin = ClientOriginOnScreen(*root);
    POINT mine = ClientOriginOnScreen(*record);
    RECT area = ClientRectOf(*record);
    if (wholeWindow) {
        // The window's own rectangle, frame included: its top-left corner is the origin.
        const POINT offset = ClientOffsetOf(*record);
        mine = POINT{mine.x - offset.x, mine.y - offset.y};
        area = RECT{0, 0, record->rect.right - record->rect.left, record->rect.bottom - record->rect.top};
    }
    origin = POINT{mine.x - rootOrigin.x, mine.y - rootOrigin.y};
    clip = Offset(area, origin);
    for (const WindowRecord* ancestor = FindWindow(record->parent); ancestor != nullptr;
         ancestor = FindWindow(ancestor->parent)) {
        const POINT at = ClientOriginOnScreen(*ancestor);
        clip = Intersection(clip, Offset(ClientRectOf(*ancestor), POINT{at.x - rootOrigin.x, at.y - rootOrigin.y}));
    }
    return true;
}

} // namespace

namespace {

HDC SurfaceContext(HWND hWnd, bool wholeWindow) {
    auto lock = UserLock();
    platform::Surface* surface = nullptr;
    POINT origin{};
    RECT clip{};
    if (!PaintArea(hWnd, wholeWindow, surface, origin, clip)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    return platform::CreateSurfaceDC(surface, origin, clip);
}

} // namespace

// The screen's context (no window) measures text and draws nowhere: nothing outside the
// program's own windows is ever drawn on.
HDC GetDC(HWND hWnd) { return hWnd == nullptr ? CreateCompatibleDC(nullptr) : SurfaceContext(hWnd, false); }

HDC GetWindowDC(HWND hWnd) { return hWnd == nullptr ? CreateCompatibleDC(nullptr) : SurfaceContext(hWnd, true); }

int ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                   LPRECT prcUpdate, UINT flags) {
    HDC dc = GetDC(hWnd);
    if (dc == nullptr) {
        return 0; // ERROR
    }
    RECT uncovered{};
    ScrollDC(dc, dx, dy, prcScroll, prcClip, hrgnUpdate, &uncovered);
    ReleaseDC(hWnd, dc);
    if (flags & SW_SCROLLCHILDREN) {
        std::vector<HWND> children;
        {
            auto lock = UserLock();
            if (const WindowRecord* record = FindWindow(hWnd)) {
                children = record->children;
            }
        }
        for (HWND child : children) {
            RECT rect{};
            {
                auto lock = UserLock();
                if (const WindowRecord* record = FindWindow(child)) {
                    rect = record->rect;
                }
            }
            SetWindowPos(child, nullptr, rect.left + dx, rect.top + dy, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOREDRAW);
        }
    }
    if ((flags & SW_INVALIDATE) && !IsEmpty(uncovered)) {
        InvalidateRect(hWnd, &uncovered, (flags & SW_ERASE) ? TRUE : FALSE);
    }
    if (prcUpdate != nullptr) {
        *prcUpdate = uncovered;
    }
    return IsEmpty(uncovered) ? 1 /* NULLREGION */ : 2 /* SIMPLEREGION */;
}

int ReleaseDC(HWND hWnd, HDC hDC) {
    if (hDC == nullptr) {
        return 0;
    }
    platform::DeleteSurfaceDC(hDC);
    // Display hook: the top-level window is presented once its thread's queue runs empty.
    if (hWnd != nullptr) {
        platform::DisplayWindowDrawn(hWnd);
    }
    return 1;
}
