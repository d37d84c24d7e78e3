#include "services/MessageBoxes.h"

#include <cstdio>

namespace framework {

// FIXME: message boxes are not drawn yet; until the dialog machinery exists every message goes to
// standard error and is answered as an unattended run answers it (OK for boxes whose buttons
// include OK, Yes otherwise).
MessageBoxResult ShowMessage(Window* owner, const char* text, const char* caption, uint32_t type,
                             bool useOwnBox) {
    MessageBoxResult result;
    std::fprintf(stderr, "\n%s: %s", caption ? caption : "", text ? text : "");
    const bool hasOkButton = (type & 4) == 0 && (type & 3) != 3;
    std::fprintf(stderr, " (%s)\n", hasOkButton ? "OK" : "Yes");
    std::fflush(stderr);
    if (hasOkButton) {
        result.answer = 1;
    }
    return result;
}

} // namespace framework
