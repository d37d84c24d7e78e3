#pragma once

// Hooks for tests: what a user would see of a window, read without reaching into its program.

#include "platform/Extras.h"
#include "platform/WinTypes.h"

#include <string>

namespace testhooks {

// Finding windows. Windows are searched in creation order, among all windows when `under` is
// null, else among the descendants of `under`; windows being destroyed are left out. Class
// names compare without regard to case, as Win32 compares them; captions compare exactly.
HWND FindWindowByClass(const std::string& className, HWND under = nullptr);
HWND FindWindowByCaption(const std::string& caption, HWND under = nullptr);
// The first descendant of parent, depth first, with the control id.
HWND FindControl(HWND parent, int id);

// What a user sees of a window.
std::string WindowText(HWND hwnd);
bool IsShown(HWND hwnd); // the window and all its parents are visible
bool IsEnabled(HWND hwnd);
bool IsChecked(HWND hwnd); // BM_GETCHECK answers BST_CHECKED; false for every class but BUTTON

// Acting as a user. Input goes through the display's own input path, so the window's own
// handling runs. For the calling thread's windows each call then dispatches what is waiting for
// that thread; for another thread's window (one whose thread runs a modal loop, say) it waits
// until that thread has dispatched the input, and answers false when it does not within ten
// seconds. Keys for another thread's window go to that thread's focus window.
enum class Modifier : unsigned { None = 0, Shift = 1, Control = 2, Alt = 4 };
constexpr Modifier operator|(Modifier a, Modifier b) {
    return static_cast<Modifier>(static_cast<unsigned>(a) | static_cast<unsigned>(b));
}
// Presses and releases the left button at the centre of the window's client area, or at a point
// in its client coordinates.
bool Click(HWND hwnd);
bool ClickAt(HWND hwnd, POINT client);
// The left button's parts one by one, for drags and held buttons, and a double click; points are
// in hwnd's client coordinates and may lie outside its client area (on its scroll bars).
bool PressMouseAt(HWND hwnd, POINT client);
bool MoveMouseTo(HWND hwnd, POINT client);
bool ReleaseMouseAt(HWND hwnd, POINT client);
bool DoubleClickAt(HWND hwnd, POINT client);
// Turns the wheel by notches (away from the user is positive) with the mouse over hwnd's centre.
bool TurnWheel(HWND hwnd, int notches);
// Types each character as the key that makes it on a US keyboard, with Shift held where needed:
// WM_KEYDOWN, WM_CHAR (made by TranslateMessage) and WM_KEYUP reach the focus window.
bool TypeText(HWND hwnd, const std::string& text);
// Presses and releases a virtual key with modifiers held around it.
bool PressKey(HWND hwnd, int virtualKey, Modifier modifiers = Modifier::None);

// The window tree below and including root, one line per window, children indented by two
// blanks per level, in z-order:
//   <class> id=<id> "<text>" (<left>,<top>)-(<right>,<bottom>) visible|hidden enabled|disabled
//   checked|unchecked
// The rectangle is in the parent's client coordinates (the screen for a top-level window);
// visible is the window's own WS_VISIBLE; a quote, backslash or control character in the text
// is written as \", \\ or \xNN.
// A visible control whose text does not fit the room it draws it in ends its line with
// " CLIPPED" (see user/TextFitCheck.h), so a dump compared with an expected one fails on it.
std::string DumpWindowTree(HWND root);

// The colour of a pixel of a window's client area as it stands on its top-level surface
// (0x00BBGGRR, as COLORREF); CLR_INVALID outside the surface.
COLORREF ClientPixel(HWND hwnd, int x, int y);
// Dispatches every message waiting for the calling thread, paint included.
void PumpMessages();
// Keeps dispatching for a while, timers included, as a user's held button would let them run.
void PumpMessagesFor(DWORD milliseconds);

} // namespace testhooks
