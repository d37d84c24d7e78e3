#pragma once

// Helpers the standard controls share (internal to platform/): the state record each control
// keeps behind the pointer in its first extra bytes, the notifications to its parent, and the
// font and scroll handling they have in common.

#include "platform/user/Constants.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/Windows.h"

#include <optional>

namespace platform::user {

// The control's state of type State, made at WM_NCCREATE and deleted at WM_NCDESTROY.
template <typename State> State* StateOf(HWND hwnd) {
    return reinterpret_cast<State*>(GetWindowLongPtrA(hwnd, 0));
}

template <typename State> State* MakeState(HWND hwnd) {
    auto* state = new State;
    SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(state));
    return state;
}

template <typename State> void DropState(HWND hwnd) {
    delete StateOf<State>(hwnd);
    SetWindowLongPtrA(hwnd, 0, 0);
}

inline DWORD StyleOf(HWND hwnd) {
    return static_cast<DWORD>(GetWindowLongA(hwnd, GWL_STYLE));
}

// WM_SETFONT for a control that draws with the font it was given and nothing else depends on it.
inline void StoreFont(HWND hwnd, HFONT& font, WPARAM wParam, LPARAM lParam) {
    font = reinterpret_cast<HFONT>(wParam);
    if (lParam) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

// The header of a WM_NOTIFY from the control.
inline NMHDR NoticeHeader(HWND hwnd, UINT code) {
    return NMHDR{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), code};
}

// WM_NOTIFY to the parent; header begins the notice the parent reads.
inline LRESULT SendNotice(HWND hwnd, NMHDR& header) {
    return SendMessageA(GetParent(hwnd), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
}

// The first shown row a WM_VSCROLL asks for, or nothing for a code that moves nothing; the
// caller clamps it. page is how many rows a page step moves, end is the row count.
inline std::optional<int> ScrolledTop(WPARAM wParam, int top, int page, int end) {
    switch (LOWORD(wParam)) {
    case SB_LINEUP:
        return top - 1;
    case SB_LINEDOWN:
        return top + 1;
    case SB_PAGEUP:
        return top - page;
    case SB_PAGEDOWN:
        return top + page;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        return static_cast<SHORT>(HIWORD(wParam));
    case SB_TOP:
        return 0;
    case SB_BOTTOM:
        return end;
    default:
        return std::nullopt;
    }
}

// WM_COMMAND to the parent with the control's id and the notification code.
inline void NotifyParent(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), code),
                     reinterpret_cast<LPARAM>(hwnd));
    }
}

} // namespace platform::user
