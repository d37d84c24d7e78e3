#pragma once

#include "platform/UserMessageBox.h"

#include <cstdint>

namespace framework {

class Window;

// The answer of a message box: the system's button code (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7, ...)
// and, for the framework's own box, whether the user chose "to all".
struct MessageBoxResult {
    int32_t answer = 6;
    uint32_t toAll = 0;
};

// Shows a message box owned by owner (the application's main window when null). type is the
// system's message-box type word: buttons in the low four bits, the icon above.
MessageBoxResult ShowMessage(Window* owner, const char* text, const char* caption, uint32_t type,
                             bool useOwnBox = false);

} // namespace framework
