#pragma once

// How a dialog procedure's answer becomes a message's result: one rule for the stand-in's dialog
// manager and for the framework's dialogs, which must hand their results over the same way on
// either platform.

#if defined(_WIN32)
#include "platform/Windows.h"
#else
#include "platform/user/Constants.h"
#endif

namespace platform {

// Messages whose dialog-procedure answer is the message's result; for every other message the
// dialog manager takes the result from the window's DWLP_MSGRESULT word.
inline bool DialogProcAnswersDirectly(UINT message) {
    switch (message) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_INITDIALOG:
        return true;
    default:
        return false;
    }
}

} // namespace platform
