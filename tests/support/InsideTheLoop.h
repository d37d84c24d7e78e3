#pragma once

// Runs an action from inside a modal loop that is about to start on this thread: a thread timer
// fires once the loop waits for messages. Pair every use with a Watchdog.

#include "platform/Windows.h"
#include "testhooks/TestHooks.h"

#include <functional>
#include <utility>

namespace testsupport {

namespace detail {
inline std::function<void()>& PendingAction() {
    static std::function<void()> action;
    return action;
}
inline void RunPendingAction(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto action = std::move(PendingAction());
    PendingAction() = nullptr;
    if (action) {
        action();
    }
}
} // namespace detail

inline void SoonInsideTheLoop(std::function<void()> action) {
    detail::PendingAction() = std::move(action);
    SetTimer(nullptr, 0, 10, detail::RunPendingAction);
}

// Acts on the window with this caption once it is there: the timer may fire while the window's
// modal loop is still being reached (a slow machine, a sanitizer), so it asks again until then.
inline void SoonOnWindow(const char* caption, std::function<void(HWND)> action) {
    HWND window = testhooks::FindWindowByCaption(caption);
    if (window == nullptr) {
        SoonInsideTheLoop(
            [caption, action = std::move(action)]() mutable { SoonOnWindow(caption, std::move(action)); });
        return;
    }
    action(window);
}

} // namespace testsupport
