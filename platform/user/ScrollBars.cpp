#include "platform/user/ScrollBars.h"

#include "platform/gdi/Drawing.h"
#include "platform/gdi/SystemColours.h"
#include "platform/kernel/Errors.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/ScrollBarModel.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"

#include <map>
#include <mutex>
#include <utility>

using namespace platform::user;

namespace {

constexpr UINT_PTR RepeatTimer = 0xFFFA;

struct WindowBars {
    ScrollBarModel horizontal;
    ScrollBarModel vertical;
    int trackedBar = -1; // SB_HORZ or SB_VERT while the mouse holds one
    bool isRepeating = false;
};

// Only the window's own thread changes its bars, but any thread may read them.
std::mutex barsMutex;
std::map<HWND, WindowBars>& AllBars() {
    static auto* bars = new std::map<HWND, WindowBars>;
    return *bars;
}

ScrollBarModel& ModelOf(WindowBars& bars, int bar) {
    return bar == SB_HORZ ? bars.horizontal : bars.vertical;
}

DWORD StyleBitOf(int bar) {
    switch (bar) {
    case SB_HORZ:
        return WS_HSCROLL;
    case SB_VERT:
        return WS_VSCROLL;
    case SB_BOTH:
        return WS_HSCROLL | WS_VSCROLL;
    default:
        return 0;
    }
}

// The bar's rectangle in window coordinates (the frame's top-left corner is 0, 0); false when the
// window does not show it.
bool BarRect(HWND hwnd, int bar, RECT& rect) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr || (record->style & StyleBitOf(bar)) == 0) {
        return false;
    }
    const POINT offset = ClientOffsetOf(*record);
    const RECT client = ClientRectOf(*record);
    if (bar == SB_VERT) {
        rect = RECT{offset.x + client.right, offset.y,
                    offset.x + client.right + GetSystemMetrics(SM_CXVSCROLL), offset.y + client.bottom};
    } else {
        rect = RECT{offset.x, offset.y + client.bottom, offset.x + client.right,
                    offset.y + client.bottom + GetSystemMetrics(SM_CYHSCROLL)};
    }
    return true;
}

// The window-coordinate origin on the screen.
POINT WindowOrigin(HWND hwnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return {};
    }
    const POINT client = ClientOriginOnScreen(*record);
    const POINT offset = ClientOffsetOf(*record);
    return POINT{client.x - offset.x, client.y - offset.y};
}

POINT ClientToWindow(HWND hwnd, LPARAM lParam) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    const POINT offset = record ? ClientOffsetOf(*record) : POINT{};
    return POINT{GET_X_LPARAM(lParam) + offset.x, GET_Y_LPARAM(lParam) + offset.y};
}

// Shows or hides bars by their style bits; the client area changes, so the window hears WM_SIZE.
void SetBarsShown(HWND hwnd, int bar, bool show) {
    RECT client{};
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr) {
            return;
        }
        const DWORD bits = StyleBitOf(bar);
        const DWORD style = show ? (record->style | bits) : (record->style & ~bits);
        if (style == record->style) {
            return;
        }
        record->style = style;
        client = ClientRectOf(*record);
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
}

void DrawBar(HWND hwnd, int bar) {
    RECT rect{};
    if (!IsWindowVisible(hwnd) || !BarRect(hwnd, bar, rect)) {
        return;
    }
    ScrollBarModel model;
    {
        std::lock_guard lock(barsMutex);
        auto found = AllBars().find(hwnd);
        if (found != AllBars().end()) {
            model = ModelOf(found->second, bar);
        }
    }
    HDC dc = GetWindowDC(hwnd);
    if (dc == nullptr) {
        return;
    }
    model.Draw(dc, rect, bar == SB_VERT, IsWindowEnabled(hwnd) != FALSE);
    ReleaseDC(hwnd, dc);
}

void SendRequests(HWND hwnd, int bar, const std::vector<ScrollBarModel::Request>& requests) {
    for (const ScrollBarModel::Request& request : requests) {
        SendMessageA(hwnd, bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL,
                     MAKEWPARAM(request.code, static_cast<WORD>(request.position)), 0);
    }
    if (bar >= 0) {
        DrawBar(hwnd, bar);
    }
}

// Runs one step of the held bar's tracking under the lock and hands back its requests.
template <typename Step> std::vector<ScrollBarModel::Request> TrackStep(HWND hwnd, int& bar, Step step) {
    std::lock_guard lock(barsMutex);
    auto found = AllBars().find(hwnd);
    if (found == AllBars().end() || found->second.trackedBar < 0) {
        bar = -1;
        return {};
    }
    bar = found->second.trackedBar;
    return step(found->second, ModelOf(found->second, bar));
}

void RepeatTick(HWND hwnd, UINT, UINT_PTR, DWORD);

void EndTracking(HWND hwnd) {
    int bar = -1;
    auto requests = TrackStep(hwnd, bar, [](WindowBars& bars, ScrollBarModel& model) {
        bars.trackedBar = -1;
        return model.Release();
    });
    if (bar < 0) {
        return;
    }
    KillTimer(hwnd, RepeatTimer);
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    SendRequests(hwnd, bar, requests);
}

void RepeatTick(HWND hwnd, UINT, UINT_PTR, DWORD) {
    int bar = -1;
    bool isFirst = false;
    auto requests = TrackStep(hwnd, bar, [&](WindowBars& bars, ScrollBarModel& model) {
        isFirst = !std::exchange(bars.isRepeating, true);
        return model.Repeat();
    });
    if (bar < 0) {
        KillTimer(hwnd, RepeatTimer);
        return;
    }
    if (isFirst) {
        SetTimer(hwnd, RepeatTimer, ScrollRepeatDelay, RepeatTick);
    }
    SendRequests(hwnd, bar, requests);
}

bool Press(HWND hwnd, LRESULT hit, LPARAM screenPoint) {
    const int bar = hit == HTVSCROLL ? SB_VERT : SB_HORZ;
    RECT rect{};
    if (!BarRect(hwnd, bar, rect) || !IsWindowEnabled(hwnd)) {
        return false;
    }
    const POINT origin = WindowOrigin(hwnd);
    const POINT point{GET_X_LPARAM(screenPoint) - origin.x, GET_Y_LPARAM(screenPoint) - origin.y};
    std::vector<ScrollBarModel::Request> requests;
    bool isTracking = false;
    bool isRepeating = false;
    {
        std::lock_guard lock(barsMutex);
        WindowBars& bars = AllBars()[hwnd];
        ScrollBarModel& model = ModelOf(bars, bar);
        requests = model.Press(rect, bar == SB_VERT, point);
        isTracking = model.IsTracking();
        isRepeating = model.IsRepeating();
        bars.trackedBar = isTracking ? bar : -1;
        bars.isRepeating = false;
    }
    if (!isTracking) {
        return true;
    }
    SetCapture(hwnd);
    if (isRepeating) {
        SetTimer(hwnd, RepeatTimer, ScrollFirstDelay, RepeatTick);
    }
    SendRequests(hwnd, bar, requests);
    return true;
}

bool IsTracking(HWND hwnd) {
    std::lock_guard lock(barsMutex);
    auto found = AllBars().find(hwnd);
    return found != AllBars().end() && found->second.trackedBar >= 0;
}

LRESULT HitTest(HWND hwnd, LPARAM screenPoint) {
    const POINT origin = WindowOrigin(hwnd);
    const POINT point{GET_X_LPARAM(screenPoint) - origin.x, GET_Y_LPARAM(screenPoint) - origin.y};
    for (int bar : {SB_VERT, SB_HORZ}) {
        RECT rect{};
        if (BarRect(hwnd, bar, rect) && point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
            point.y < rect.bottom) {
            return bar == SB_VERT ? HTVSCROLL : HTHSCROLL;
        }
    }
    return HTNOWHERE;
}

} // namespace

namespace platform::user {

void DrawWindowScrollBars(HWND hwnd) {
    DrawBar(hwnd, SB_VERT);
    DrawBar(hwnd, SB_HORZ);
    RECT vertical{};
    RECT horizontal{};
    if (BarRect(hwnd, SB_VERT, vertical) && BarRect(hwnd, SB_HORZ, horizontal) && IsWindowVisible(hwnd)) {
        HDC dc = GetWindowDC(hwnd);
        const RECT corner{vertical.left, horizontal.top, vertical.right, horizontal.bottom};
        FillRect(dc, &corner, GetSysColorBrush(COLOR_BTNFACE));
        ReleaseDC(hwnd, dc);
    }
}

bool HandleWindowScrollBarMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    result = 0;
    switch (message) {
    case WM_NCHITTEST:
        result = HitTest(hwnd, lParam);
        return result != HTNOWHERE;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        return (wParam == static_cast<WPARAM>(HTVSCROLL) || wParam == static_cast<WPARAM>(HTHSCROLL)) &&
               Press(hwnd, static_cast<LRESULT>(wParam), lParam);
    case WM_NCMOUSEMOVE:
    case WM_MOUSEMOVE: {
        if (!IsTracking(hwnd)) {
            return false;
        }
        const POINT origin = WindowOrigin(hwnd);
        const POINT point = message == WM_MOUSEMOVE
                                ? ClientToWindow(hwnd, lParam)
                                : POINT{GET_X_LPARAM(lParam) - origin.x, GET_Y_LPARAM(lParam) - origin.y};
        int bar = -1;
        auto requests =
            TrackStep(hwnd, bar, [&](WindowBars&, ScrollBarModel& model) { return model.Move(point); });
        SendRequests(hwnd, bar, requests);
        return true;
    }
    case WM_NCLBUTTONUP:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        if (!IsTracking(hwnd)) {
            return false;
        }
        EndTracking(hwnd);
        return true;
    default:
        return false;
    }
}

LRESULT TrackedScrollBarHit(HWND hwnd) {
    std::lock_guard lock(barsMutex);
    auto found = AllBars().find(hwnd);
    if (found == AllBars().end() || found->second.trackedBar < 0) {
        return HTNOWHERE;
    }
    return found->second.trackedBar == SB_VERT ? HTVSCROLL : HTHSCROLL;
}

void ForgetWindowScrollBars(HWND hwnd) {
    std::lock_guard lock(barsMutex);
    AllBars().erase(hwnd);
}

} // namespace platform::user

// --- The calls ----------------------------------------------------------------------------------

namespace {

bool IsValidBar(int bar) {
    return bar == SB_HORZ || bar == SB_VERT;
}

} // namespace

int SetScrollInfo(HWND hwnd, int nBar, LPCSCROLLINFO lpsi, BOOL redraw) {
    if (lpsi == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (nBar == SB_CTL) {
        return static_cast<int>(
            SendMessageA(hwnd, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(lpsi)));
    }
    if (!IsValidBar(nBar) || !IsWindow(hwnd)) {
        SetLastError(IsValidBar(nBar) ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    ScrollBarModel::Visibility visibility = ScrollBarModel::Visibility::Keep;
    int position = 0;
    {
        std::lock_guard lock(barsMutex);
        ScrollBarModel& model = ModelOf(AllBars()[hwnd], nBar);
        visibility = model.SetInfo(*lpsi, false);
        position = model.Position();
    }
    if (visibility != ScrollBarModel::Visibility::Keep) {
        SetBarsShown(hwnd, nBar, visibility == ScrollBarModel::Visibility::Show);
    }
    if (redraw) {
        DrawBar(hwnd, nBar);
    }
    return position;
}

BOOL GetScrollInfo(HWND hwnd, int nBar, LPSCROLLINFO lpsi) {
    if (lpsi == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (nBar == SB_CTL) {
        return static_cast<BOOL>(SendMessageA(hwnd, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(lpsi)));
    }
    if (!IsValidBar(nBar)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool hasStyle = (GetWindowLongPtrA(hwnd, GWL_STYLE) & StyleBitOf(nBar)) != 0;
    std::lock_guard lock(barsMutex);
    auto found = AllBars().find(hwnd);
    if (found == AllBars().end() && !hasStyle) {
        // A window that never had the bar has no scroll information, as in Win32.
        SetLastError(ERROR_NO_SCROLLBARS);
        return FALSE;
    }
    const ScrollBarModel model = found != AllBars().end() ? ModelOf(found->second, nBar) : ScrollBarModel{};
    model.GetInfo(*lpsi);
    return TRUE;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw) {
    const int previous = GetScrollPos(hWnd, nBar);
    const SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, nPos, 0};
    SetScrollInfo(hWnd, nBar, &info, bRedraw);
    return previous;
}

int GetScrollPos(HWND hWnd, int nBar) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
    return GetScrollInfo(hWnd, nBar, &info) ? info.nPos : 0;
}

BOOL SetScrollRange(HWND hWnd, int nBar, int nMinPos, int nMaxPos, BOOL bRedraw) {
    const SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, nMinPos, nMaxPos, 0, 0, 0};
    SetScrollInfo(hWnd, nBar, &info, bRedraw);
    return TRUE;
}

BOOL GetScrollRange(HWND hWnd, int nBar, int* lpMinPos, int* lpMaxPos) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
    if (lpMinPos == nullptr || lpMaxPos == nullptr || !GetScrollInfo(hWnd, nBar, &info)) {
        return FALSE;
    }
    *lpMinPos = info.nMin;
    *lpMaxPos = info.nMax;
    return TRUE;
}

BOOL ShowScrollBar(HWND hWnd, int wBar, BOOL bShow) {
    if (!IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (wBar == SB_CTL) {
        ShowWindow(hWnd, bShow ? SW_SHOW : SW_HIDE);
        return TRUE;
    }
    if (StyleBitOf(wBar) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SetBarsShown(hWnd, wBar, bShow != FALSE);
    return TRUE;
}

BOOL EnableScrollBar(HWND hWnd, UINT wSBflags, UINT wArrows) {
    const int which = static_cast<int>(wSBflags);
    if (which == SB_CTL) {
        return static_cast<BOOL>(SendMessageA(hWnd, SBM_ENABLE_ARROWS, wArrows, 0));
    }
    if (StyleBitOf(which) == 0 || !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    bool isChanged = false;
    {
        std::lock_guard lock(barsMutex);
        WindowBars& bars = AllBars()[hWnd];
        for (int bar : {SB_HORZ, SB_VERT}) {
            if (which == SB_BOTH || which == bar) {
                ScrollBarModel& model = ModelOf(bars, bar);
                isChanged = isChanged || model.DisabledArrows() != (wArrows & ESB_DISABLE_BOTH);
                model.SetDisabledArrows(wArrows);
            }
        }
    }
    DrawWindowScrollBars(hWnd);
    // Win32 answers FALSE when the arrows were already in the state asked for.
    return isChanged ? TRUE : FALSE;
}
