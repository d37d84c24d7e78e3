#pragma once

// The one path by which user input becomes input messages (internal to platform/). The display
// backend calls it for what the user does with mouse and keyboard; the test hooks call it to act
// as a user would, so a control's own handling runs either way. Points are in the top-level
// window's client coordinates. Messages are posted, as Win32 posts input, to the window under
// the mouse (the capture window when there is one) or to the focus window of the top-level
// window's thread. Call without the user lock held.

#include "platform/WinTypes.h"

namespace platform::input {

enum class MouseButton { Left, Right, Middle };
enum class ButtonAction { Down, Up, DoubleClick };

void MouseMove(HWND topLevel, POINT point);
// DoubleClick becomes a double-click message only for classes with CS_DBLCLKS, a press otherwise.
void MouseButtonEvent(HWND topLevel, POINT point, MouseButton button, ButtonAction action);
// Notches away from the user are positive.
void MouseWheel(HWND topLevel, POINT point, int notches);
// A key goes down or up: GetKeyState follows, and WM_KEYDOWN/WM_KEYUP (WM_SYSKEYDOWN/UP with Alt)
// is posted. Left and right modifier keys (VK_LSHIFT, ...) are reported as the generic key.
void Key(HWND topLevel, int virtualKey, bool isDown, bool isRepeat);

} // namespace platform::input
