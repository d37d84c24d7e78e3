#pragma once

// Compiles a resource script into the binary resources of a Win32 module: dialog templates in the
// extended layout (DLGTEMPLATEEX with its DLGITEMTEMPLATEEX items, UTF-16 texts, DWORD-aligned
// items), bitmaps as packed DIBs (the BMP file without its file header), and icons split as the
// Win32 resource compiler splits them: one RT_ICON per image and an RT_GROUP_ICON directory that
// names them.
//
// Understood: `name DIALOGEX x, y, cx, cy` (also DIALOG) with STYLE, EXSTYLE, CAPTION, FONT and
// CLASS, and the items LTEXT, RTEXT, CTEXT, PUSHBUTTON, DEFPUSHBUTTON, CHECKBOX, AUTOCHECKBOX,
// RADIOBUTTON, AUTORADIOBUTTON, GROUPBOX, EDITTEXT, COMBOBOX, LISTBOX, SCROLLBAR, ICON and
// CONTROL; `name BITMAP "file"` and `name ICON "file"`. Style expressions combine named styles
// and numbers with |, and NOT takes a style away from the item's default styles, as in the
// Win32 resource compiler. Anything else is an error with its line number, and so are expressions
// nested more than 100 deep, unclosed comments, icon files whose images are empty, overlap or leave
// the file, and more than 65535 icon images in one script.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rc {

// A resource type or name: a number, or a name in capitals.
struct ResourceName {
    uint16_t number = 0;
    std::string text; // empty for a number
};

struct CompiledResource {
    ResourceName type;
    ResourceName name;
    std::vector<uint8_t> data;
};

constexpr uint16_t ResourceTypeBitmap = 2;
constexpr uint16_t ResourceTypeIcon = 3;
constexpr uint16_t ResourceTypeDialog = 5;
constexpr uint16_t ResourceTypeGroupIcon = 14;

class ResourceScript {
public:
    // Reads a file the script names, relative to the script; nothing when it cannot be read.
    using FileReader = std::function<std::optional<std::vector<uint8_t>>(const std::string& path)>;

    explicit ResourceScript(FileReader reader);
    // Compiles the whole script; false with Error() set on the first fault.
    bool Compile(std::string_view source);
    const std::vector<CompiledResource>& Resources() const { return resources; }
    const std::string& Error() const { return error; }

private:
    FileReader reader;
    std::vector<CompiledResource> resources;
    std::string error;
    uint32_t nextIconId = 1; // icon images are numbered 1 to 65535 across the script

    friend class ScriptParser;
};

} // namespace rc
