#pragma once

// Helpers the standard controls share (internal to platform/): the state record each control
// keeps behind the pointer in its first extra bytes, and the notification to its parent.

#include "platform/UserMessages.h"
#include "platform/UserWindows.h"

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

// WM_COMMAND to the parent with the control's id and the notification code.
inline void NotifyParent(HWND hwnd, WORD code) {
    HWND parent = GetParent(hwnd);
    if (parent != nullptr && (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) {
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), code),
                     reinterpret_cast<LPARAM>(hwnd));
    }
}

} // namespace platform::user
