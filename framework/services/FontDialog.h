#pragma once

#include "framework/Colour.h"
#include "platform/Windows.h"

#include <memory>

namespace framework {

class Font;
class Window;

// The system's font chooser, prepared from an existing font and colour. Showing it disables the
// application's windows until the user has closed it. After a confirmed choice the dialog holds
// the chosen font as a framework font object, which the caller may take over.
class FontDialog {
public:
    FontDialog(Window* owner, Font* font, Colour colour, bool showNow);
    ~FontDialog();
    FontDialog(const FontDialog&) = delete;
    FontDialog& operator=(const FontDialog&) = delete;

    // Shows the chooser; the result is non-zero when the user confirmed it.
    BOOL Show();
    BOOL Result() const { return result; }
    const LOGFONTA& LogicalFont() const { return logicalFont; }
    Colour ChosenColour() const { return Colour(record.rgbColors); }
    const CHOOSEFONTA& Record() const { return record; }
    // The chosen font, handed over to the caller; null before a confirmed choice.
    Font* TakeFont() { return chosen.release(); }

private:
    CHOOSEFONTA record{};
    LOGFONTA logicalFont{};
    std::unique_ptr<Font> chosen;
    BOOL result = 0;
};

} // namespace framework
