// The extras on Linux: the display is the stand-in's own (SDL on a screen, SDL's offscreen driver
// without one). The comm-work wait, the thread wait point, the system's name and the screenshot
// are defined beside the stand-in modules they belong to.

#include "platform/Extras.h"

#include "platform/Display.h"

#include <cstdlib>

namespace platform {

Screen StartDisplay(Screen wanted) {
    if (wanted == Screen::Offscreen && std::getenv("TOLVA_DISPLAY") == nullptr) {
        setenv("TOLVA_DISPLAY", "offscreen", 1);
    }
    if (InitialiseDisplay(DisplayKind::Automatic) == DisplayKind::Null) {
        // No screen: SDL's offscreen driver stands in.
        setenv("TOLVA_DISPLAY", "offscreen", 1);
        InitialiseDisplay(DisplayKind::Automatic);
        return Screen::Offscreen;
    }
    return wanted;
}

void StopDisplay() { ShutdownDisplay(); }

} // namespace platform
