#pragma once

// The clipboard of the edit controls (internal to platform/): text only. With the SDL display it
// is the desktop's clipboard (SDL's, which keeps its own copy where the video driver has none, as
// the offscreen driver has not); with the null display an in-process one. Call from the window
// thread.

#include <string>

namespace platform {

void SetClipboardText(const std::string& text);
std::string ClipboardText();

} // namespace platform
