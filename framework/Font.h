#pragma once

#include "platform/Windows.h"

namespace framework {

// A font a window draws its text with.
class Font {
public:
    // Height in points at the screen's 96 dots per inch, as dialog templates give it.
    Font(const char* face, int points, bool bold = false, bool italic = false);
    // Adopts a font handle; an adopted stock font is never deleted.
    explicit Font(HFONT handle, bool owned = true) : handle(handle), isOwned(owned) {}
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font();

    HFONT Handle() const { return handle; }

private:
    HFONT handle;
    bool isOwned;
};

} // namespace framework
