// The extras on Linux: the display is the stand-in's own (SDL on a screen, the null display
// without one), and a screenshot is the surface the window is drawn on. The comm-work wait, the
// thread wait point and the system's name are defined beside the stand-in modules they belong to.

#include "platform/Extras.h"

#include "platform/display/Display.h"
#include "platform/gdi/Surface.h"
#include "platform/user/State.h"

#include <cstdlib>

namespace platform {

// Without a screen the windows are drawn all the same, into memory of their own (a screenshot
// shows them); nothing is presented and no input comes, so no display library is needed.
Screen StartDisplay(Screen wanted) {
    if (wanted == Screen::Offscreen && std::getenv("TOLVA_DISPLAY") == nullptr) {
        setenv("TOLVA_DISPLAY", "null", 1);
    }
    if (InitialiseDisplay(DisplayKind::Automatic) != DisplayKind::Sdl) {
        return Screen::Offscreen;
    }
    return wanted;
}

void StopDisplay() { ShutdownDisplay(); }

bool SnapshotPng(HWND hwnd, const std::string& path) {
    POINT origin{};
    Surface* surface = user::TopLevelSurfaceOf(hwnd, origin);
    return surface != nullptr && SaveSurfacePng(surface, path);
}

} // namespace platform
