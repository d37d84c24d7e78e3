#include "platform/user/Clipboard.h"

#include "platform/display/Display.h"

#include <SDL.h>
#include <mutex>

namespace platform {

namespace {

std::mutex clipboardMutex;
std::string processClipboard;

bool UsesSdl() {
    return CurrentDisplay() == DisplayKind::Sdl && SDL_WasInit(SDL_INIT_VIDEO) != 0;
}

} // namespace

void SetClipboardText(const std::string& text) {
    if (UsesSdl()) {
        SDL_SetClipboardText(text.c_str());
        return;
    }
    std::lock_guard lock(clipboardMutex);
    processClipboard = text;
}

std::string ClipboardText() {
    if (UsesSdl()) {
        char* text = SDL_GetClipboardText();
        std::string copy = text != nullptr ? text : "";
        SDL_free(text);
        return copy;
    }
    std::lock_guard lock(clipboardMutex);
    return processClipboard;
}

} // namespace platform
