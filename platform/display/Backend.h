#pragma once

// The interface a display implements, and the hook points the window and message modules call
// (internal to platform/). The hooks are called without the user lock held, except WakeDisplay,
// which Wake calls with it held and which therefore must not take it.
//
// Top-level windows of every thread reach the hooks, from the thread that changes them.

#include "platform/WinTypes.h"
#include "platform/display/Display.h"
#include "platform/user/State.h"

#include <mutex>

namespace platform {

class DisplayBackend {
public:
    virtual ~DisplayBackend() = default;
    virtual DisplayKind Kind() const = 0;

    // A top-level window was created, shown, hidden, moved, resized or renamed.
    virtual void WindowChanged(HWND topLevel) = 0;
    virtual void WindowDestroyed(HWND topLevel) = 0;
    // Something was drawn on a top-level window's surface; it is presented when its thread's
    // queue next runs empty.
    virtual void WindowDrawn(HWND topLevel) = 0;
    // SetCursor chose another cursor (a system cursor, IDC_*, or null for none).
    virtual void CursorChanged(HCURSOR cursor) = 0;
    // The calling thread's queue is empty: present what was drawn.
    virtual void Idle() = 0;
    // Waits for input or a wake-up until `due`, when the calling thread is the display's window
    // thread, and returns true; returns false at once for every other thread, which then waits on
    // its queue's condition variable. Called and returns with the lock held.
    virtual bool Wait(std::unique_lock<std::mutex>& lock, user::Clock::time_point due) = 0;
    // Ends a Wait of the given thread early; called with the user lock held.
    virtual void Wake(DWORD threadId) = 0;
};

// Hook points for the user modules.
void DisplayWindowChanged(HWND hwnd);   // any window; only top-level windows reach the display
void DisplayWindowDestroyed(HWND hwnd); // likewise
void DisplayWindowDrawn(HWND hwnd);     // any window; its top-level window is presented
void DisplayCursorChanged(HCURSOR cursor);
void DisplayIdle();
bool DisplayWait(std::unique_lock<std::mutex>& lock, user::Clock::time_point due);
void WakeDisplay(DWORD threadId);

// The SDL display, started on the calling thread; null when SDL cannot open a display.
DisplayBackend* CreateSdlBackend(bool isOffscreen);

} // namespace platform
