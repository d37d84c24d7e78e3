#include "platform/user/Paint.h"

#include "platform/display/Backend.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Errors.h"
#include "platform/user/Messages.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"

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

// Cuts the visible windows of a child list, from the top of the z-order down to `stop` (not
// included; null for all of them), out of an area. `at` is their parent's client origin on the
// surface.
void CutOutWindows(platform::RectangleList& area, const std::vector<HWND>& windows, HWND stop, POINT at) {
    for (HWND window : windows) {
        if (window == stop) {
            return;
        }
        const WindowRecord* record = FindWindow(window);
        if (record != nullptr && (record->style & WS_VISIBLE)) {
            area = platform::SubtractFromArea(area, Offset(record->rect, at));
        }
    }
}

// A child that is hidden, or sits in a hidden child, shows nothing and may paint nothing. A
// hidden top-level window still paints its own surface, so it is ready when it is shown.
bool IsHiddenChild(const WindowRecord& record) {
    for (const WindowRecord* window = &record; window != nullptr && window->parent != nullptr;
         window = FindWindow(window->parent)) {
        if ((window->style & WS_VISIBLE) == 0) {
            return true;
        }
    }
    return false;
}

// What a context on a window may paint, on its top-level window's surface, whose (0, 0) is the
// top-level window's client origin at `rootOrigin` on the screen. It starts as the client area, or
// the whole window with `wholeWindow`. A window with WS_CLIPCHILDREN loses its visible children,
// except in a whole-window context, which is for the frame. Then, going up through the parents:
// a window with WS_CLIPSIBLINGS loses the visible siblings above it, and each parent cuts the area
// to its client area. Windows that clip neither are painted over by their parent and by siblings
// painted after them; InvalidateRect repaints a parent's children with it for that reason.
platform::RectangleList VisibleArea(const WindowRecord& record, bool wholeWindow, POINT rootOrigin) {
    auto onSurface = [rootOrigin](const WindowRecord& window) {
        const POINT at = ClientOriginOnScreen(window);
        return POINT{at.x - rootOrigin.x, at.y - rootOrigin.y};
    };
    const POINT client = onSurface(record);
    RECT area = Offset(ClientRectOf(record), client);
    if (wholeWindow) {
        const POINT offset = ClientOffsetOf(record);
        const POINT corner{client.x - offset.x, client.y - offset.y};
        area = Offset(RECT{0, 0, record.rect.right - record.rect.left, record.rect.bottom - record.rect.top},
                      corner);
    }
    platform::RectangleList visible;
    if (!IsEmpty(area) && !IsHiddenChild(record)) {
        visible.push_back(area);
    }
    if (!wholeWindow && (record.style & WS_CLIPCHILDREN)) {
        CutOutWindows(visible, record.children, nullptr, client);
    }
    for (const WindowRecord* window = &record; !visible.empty();) {
        const WindowRecord* parent = FindWindow(window->parent);
        if (parent == nullptr) {
            break;
        }
        const POINT parentClient = onSurface(*parent);
        if (window->style & WS_CLIPSIBLINGS) {
            CutOutWindows(visible, parent->children, window->handle, parentClient);
        }
        visible = platform::IntersectArea(visible, Offset(ClientRectOf(*parent), parentClient));
        window = parent;
    }
    return visible;
}

HDC SurfaceContext(HWND hWnd, bool wholeWindow) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    const WindowRecord* root = record;
    while (root != nullptr && FindWindow(root->parent) != nullptr) {
        root = FindWindow(root->parent);
    }
    if (root == nullptr || root->surface == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    const POINT rootOrigin = ClientOriginOnScreen(*root);
    const POINT client = ClientOriginOnScreen(*record);
    const POINT offset = wholeWindow ? ClientOffsetOf(*record) : POINT{0, 0};
    const POINT origin{client.x - offset.x - rootOrigin.x, client.y - offset.y - rootOrigin.y};
    return platform::CreateSurfaceDC(root->surface, origin, VisibleArea(*record, wholeWindow, rootOrigin));
}

} // namespace

// The screen's context (no window) measures text and draws nowhere: nothing outside the
// program's own windows is ever drawn on.
HDC GetDC(HWND hWnd) {
    return hWnd == nullptr ? CreateCompatibleDC(nullptr) : SurfaceContext(hWnd, false);
}

HDC GetWindowDC(HWND hWnd) {
    return hWnd == nullptr ? CreateCompatibleDC(nullptr) : SurfaceContext(hWnd, true);
}

// Pixels scrolled in from under a window the context cuts out were never drawn there, so in a
// window whose context is cut (its clip box is a complex region) the whole scrolled area becomes
// invalid: the invalid area is one rectangle, and a repaint of all of it is always right. Children
// moved along are repainted where they land.
int ScrollWindowEx(HWND hWnd, int dx, int dy, const RECT* prcScroll, const RECT* prcClip, HRGN hrgnUpdate,
                   LPRECT prcUpdate, UINT flags) {
    HDC dc = GetDC(hWnd);
    if (dc == nullptr) {
        return 0; // ERROR
    }
    RECT paintable{};
    const bool isCut = GetClipBox(dc, &paintable) == COMPLEXREGION;
    RECT uncovered{};
    ScrollDC(dc, dx, dy, prcScroll, prcClip, hrgnUpdate, &uncovered);
    ReleaseDC(hWnd, dc);
    if (isCut) {
        RECT scrolled = prcScroll != nullptr ? Intersection(*prcScroll, paintable) : paintable;
        if (prcClip != nullptr) {
            scrolled = Intersection(scrolled, *prcClip);
        }
        uncovered = scrolled;
        if (hrgnUpdate != nullptr) {
            SetRectRgn(hrgnUpdate, scrolled.left, scrolled.top, scrolled.right, scrolled.bottom);
        }
    }
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
            RedrawWindow(child, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        }
    }
    if ((flags & SW_INVALIDATE) && !IsEmpty(uncovered)) {
        InvalidateRect(hWnd, &uncovered, (flags & SW_ERASE) ? TRUE : FALSE);
    }
    if (prcUpdate != nullptr) {
        *prcUpdate = uncovered;
    }
    return IsEmpty(uncovered) ? NULLREGION : SIMPLEREGION;
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
