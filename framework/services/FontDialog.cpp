#include "framework/services/FontDialog.h"

#include "framework/Application.h"
#include "framework/Font.h"
#include "framework/Window.h"

namespace framework {

FontDialog::FontDialog(Window* owner, Font* font, Colour colour, bool showNow) {
    record.lStructSize = sizeof record;
    record.hwndOwner = owner ? owner->Handle() : nullptr;
    record.lpLogFont = &logicalFont;
    record.Flags = CF_SCREENFONTS | CF_EFFECTS;
    if (font != nullptr && GetObjectA(font->Handle(), sizeof logicalFont, &logicalFont) != 0) {
        record.Flags |= CF_INITTOLOGFONTSTRUCT;
    }
    record.rgbColors = colour.Value();
    if (showNow) {
        Show();
    }
}

FontDialog::~FontDialog() = default;

BOOL FontDialog::Show() {
    Application* application = Application::Instance();
    if (application != nullptr) {
        application->DisableWindows();
    }
    result = ChooseFontA(&record);
    if (application != nullptr) {
        application->EnableWindows();
    }
    if (result) {
        chosen = std::make_unique<Font>(CreateFontIndirectA(&logicalFont), true);
    }
    return result;
}

} // namespace framework
