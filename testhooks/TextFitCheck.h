#pragma once

// For the window-tree dumps of the tests: whether a control's text fits the room the control
// draws it in, measured with the control's own font the way the control lays it out. Statics
// (wrapped at words unless single-line), push buttons, check boxes and radio buttons, group
// boxes and drop-down lists are checked; edit fields scroll and never count as clipped, nor do
// texts the control shortens on purpose (ellipsis styles) or windows without text.

#include "platform/WinTypes.h"

namespace testhooks {

bool IsTextClipped(HWND control);

} // namespace testhooks
