#include "platform/UserPaint.h"

#include "platform/KernelErrors.h"
#include "platform/UserMessages.h"
#include "platform/UserState.h"

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
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
        *lpPaint = PAINTSTRUCT{};
        lpPaint->rcPaint = record->update;
        erase = record->eraseBackground;
        record->update = RECT{};
        record->eraseBackground = false;
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

// FIXME: device contexts come with the drawing module; until then windows get no DC to draw with
// and GetDC returns null.
HDC GetDC(HWND) { return nullptr; }

int ReleaseDC(HWND, HDC hDC) { return hDC != nullptr ? 1 : 0; }
