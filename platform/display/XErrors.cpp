#include "platform/display/XErrors.h"

// Xlib's names (None, Status, Bool and others) are macros: this file keeps them away from the rest
// of the display.
#include <X11/Xlib.h>
#include <cstdio>
#include <cstdlib>

namespace platform {

namespace {

// As Xlib's own handler, which SDL hands every error it does not expect to: the error is printed
// and the program ends; except that a request about a window that has gone is harmless to a
// program that no longer needs the window. Every SDL video start installs this again, as SDL puts
// its own in place; SDL's short-lived handlers around single requests put this one back after.
int HandleXError(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow) {
        return 0;
    }
    char text[256] = "";
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X Error of failed request: %s (request %d, resource 0x%lx)\n", text,
                 static_cast<int>(error->request_code), error->resourceid);
    std::exit(1);
}

} // namespace

void PassGoneWindowErrors() {
    XSetErrorHandler(HandleXError);
}

} // namespace platform
