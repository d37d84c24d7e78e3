#pragma once

namespace platform {

// Under SDL's X11 driver: lets an X error about a window that has already gone (a menu closed while
// a request about it was on its way) pass, where Xlib's own answer to any error ends the program;
// every other error still ends it, as Xlib's does. Call each time SDL's video has started.
void PassGoneWindowErrors();

} // namespace platform
