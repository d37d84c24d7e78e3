#pragma once

// The display: what shows top-level windows to the user and brings the user's mouse and keyboard
// back as input messages. It is chosen once, at start-up, by the thread that will own the windows
// (the window thread); until then, and in unit tests, the null display is in force, which shows
// nothing and delivers nothing. Code above the platform never learns which display runs: it
// creates, paints and destroys windows as usual.
//
// TOLVA_DISPLAY overrides the choice: "null", "sdl" (real windows on X11 or Wayland) or
// "offscreen" (SDL without a screen, for unattended runs and tests).

namespace platform {

enum class DisplayKind {
    Null,
    Sdl,
    Automatic, // SDL when a display can be opened, else null
};

// Chooses and starts the display and returns the one in force (Null or Sdl): a display that
// cannot be opened leaves the null display in force. Call from the window thread, before it
// creates windows; SDL windows belong to that thread only.
DisplayKind InitialiseDisplay(DisplayKind kind);
// Closes the display's windows and returns to the null display; call from the window thread.
void ShutdownDisplay();
DisplayKind CurrentDisplay();

} // namespace platform
