#pragma once

#include "platform/Windows.h"

#include <cstdint>

namespace framework {

class Window;

// The answer of a message box: the system's button code (IDOK 1, IDCANCEL 2, IDYES 6, IDNO 7, ...)
// and, for the framework's own box, whether the user chose "to all".
struct MessageBoxResult {
    int32_t answer = 6;
    uint32_t toAll = 0;
};

// Every message the framework shows goes through these two. They find an owner when the caller
// gives none (the application's main window), keep the application's other windows disabled and
// the arrow cursor up while the box is shown, and give the keyboard focus back afterwards.
//
// In an unattended run (Application::SetUnattended) nothing is shown: the box is written to the
// application's message log as "\n<caption>: <text> (<answer>)" and answers by itself, OK for a
// box that has an OK button (OK, OK/Cancel, Abort/Retry/Ignore), Yes for every other.
//
// Window thread only.

// type is the system's message-box type word: buttons in the low four bits, the icon above.
// useOwnBox shows the framework's own box (template 1015) instead of the system's.
MessageBoxResult ShowMessage(Window* owner, const char* text, const char* caption, uint32_t type,
                             bool useOwnBox = false);

// An information box with printf-style text (at most 1,023 characters) and the caption
// "Information" (framework text 1041).
MessageBoxResult ShowInfo(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace framework
