#include "platform/user/ScrollBar.h"

#include "platform/user/ControlState.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBarModel.h"
#include "platform/user/Windows.h"

#include <utility>

// The SCROLLBAR control: a bar filling its client area, horizontal or with SBS_VERT vertical.
// It reports to its parent and takes arrows, pages, Home and End from the keyboard when it has
// the focus (a tab stop in a dialog).

namespace platform::user {

namespace {

constexpr UINT_PTR RepeatTimer = 1;
constexpr LRESULT DlgcWantArrows = 0x0001;

struct ScrollBarControl {
    ScrollBarModel model;
    bool isRepeating = false;
};

bool IsVertical(HWND hwnd) {
    return (StyleOf(hwnd) & SBS_VERT) != 0;
}

RECT Bar(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return client;
}

void Notify(HWND hwnd, const std::vector<ScrollBarModel::Request>& requests) {
    const UINT message = IsVertical(hwnd) ? WM_VSCROLL : WM_HSCROLL;
    for (const ScrollBarModel::Request& request : requests) {
        SendMessageA(GetParent(hwnd), message, MAKEWPARAM(request.code, static_cast<WORD>(request.position)),
                     reinterpret_cast<LPARAM>(hwnd));
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

POINT PointOf(LPARAM lParam) {
    return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

void Paint(HWND hwnd, ScrollBarControl& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    state.model.Draw(dc, Bar(hwnd), IsVertical(hwnd), IsWindowEnabled(hwnd) != FALSE);
    EndPaint(hwnd, &paint);
}

void Press(HWND hwnd, ScrollBarControl& state, LPARAM lParam) {
    if (StyleOf(hwnd) & WS_TABSTOP) {
        SetFocus(hwnd);
    }
    auto requests = state.model.Press(Bar(hwnd), IsVertical(hwnd), PointOf(lParam));
    if (!state.model.IsTracking()) {
        return;
    }
    SetCapture(hwnd);
    state.isRepeating = false;
    if (state.model.IsRepeating()) {
        SetTimer(hwnd, RepeatTimer, ScrollFirstDelay, nullptr);
    }
    Notify(hwnd, requests);
}

void Release(HWND hwnd, ScrollBarControl& state) {
    if (!state.model.IsTracking()) {
        return;
    }
    auto requests = state.model.Release();
    KillTimer(hwnd, RepeatTimer);
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    Notify(hwnd, requests);
}

void Repeat(HWND hwnd, ScrollBarControl& state) {
    if (!std::exchange(state.isRepeating, true)) {
        SetTimer(hwnd, RepeatTimer, ScrollRepeatDelay, nullptr);
    }
    Notify(hwnd, state.model.Repeat());
}

void Key(HWND hwnd, WPARAM key) {
    WORD code = 0;
    if (IsWindowEnabled(hwnd) && ScrollBarModel::KeyRequest(static_cast<int>(key), code)) {
        Notify(hwnd, {{code, 0}, {SB_ENDSCROLL, 0}});
    }
}

LRESULT SetInfo(HWND hwnd, ScrollBarControl& state, const SCROLLINFO& info, bool redraw) {
    state.model.SetInfo(info, true);
    if (redraw) {
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    return state.model.Position();
}

LRESULT Set(HWND hwnd, ScrollBarControl& state, UINT mask, int first, int second, bool redraw) {
    SCROLLINFO info{sizeof(SCROLLINFO), mask, first, second, 0, first, 0};
    return SetInfo(hwnd, state, info, redraw);
}

LRESULT ScrollBarMessage(HWND hwnd, ScrollBarControl& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case SBM_SETSCROLLINFO:
        return lParam ? SetInfo(hwnd, state, *reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0) : 0;
    case SBM_GETSCROLLINFO:
        if (lParam == 0) {
            return FALSE;
        }
        state.model.GetInfo(*reinterpret_cast<SCROLLINFO*>(lParam));
        return TRUE;
    case SBM_SETPOS: {
        const int previous = state.model.Position();
        Set(hwnd, state, SIF_POS, static_cast<int>(wParam), 0, lParam != 0);
        return previous;
    }
    case SBM_GETPOS:
        return state.model.Position();
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
        const int previous = state.model.Position();
        Set(hwnd, state, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam),
            message == SBM_SETRANGEREDRAW);
        return previous;
    }
    case SBM_GETRANGE:
        if (wParam != 0 && lParam != 0) {
            *reinterpret_cast<int*>(wParam) = state.model.Minimum();
            *reinterpret_cast<int*>(lParam) = state.model.Maximum();
        }
        return 0;
    case SBM_ENABLE_ARROWS: {
        const bool isChanged = state.model.DisabledArrows() != (wParam & ESB_DISABLE_BOTH);
        state.model.SetDisabledArrows(static_cast<UINT>(wParam));
        InvalidateRect(hwnd, nullptr, FALSE);
        return isChanged ? TRUE : FALSE;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

LRESULT ScrollBarControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ScrollBarControl* state = StateOf<ScrollBarControl>(hwnd);
    if (message == WM_NCCREATE) {
        // A control's range starts empty; a window's own bars start at 0 to 100.
        MakeState<ScrollBarControl>(hwnd)->model.SetInfo(
            SCROLLINFO{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0}, true);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<ScrollBarControl>(hwnd);
        return 0;
    case WM_PAINT:
        Paint(hwnd, *state);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Press(hwnd, *state, lParam);
        return 0;
    case WM_MOUSEMOVE:
        if (state->model.IsTracking()) {
            Notify(hwnd, state->model.Move(PointOf(lParam)));
        }
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        Release(hwnd, *state);
        return 0;
    case WM_TIMER:
        if (wParam == RepeatTimer) {
            Repeat(hwnd, *state);
        }
        return 0;
    case WM_KEYDOWN:
        Key(hwnd, wParam);
        return 0;
    case WM_GETDLGCODE:
        return DlgcWantArrows;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    default:
        return ScrollBarMessage(hwnd, *state, message, wParam, lParam);
    }
}

} // namespace platform::user
