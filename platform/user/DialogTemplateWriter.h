#pragma once

// Writes a DLGTEMPLATEEX in memory, the layout the dialog manager reads, for the dialogs the
// stand-in builds itself (the common dialogs). Items are added in tab order; the header's item
// count is patched as items are added, so callers need not count them first.

#include "platform/WinTypes.h"
#include "platform/user/Dialog.h"

#include <string>
#include <vector>

namespace platform {

// The predefined control classes as template ordinals.
enum class DialogItemClass : WORD {
    Button = 0x80,
    Edit = 0x81,
    Static = 0x82,
    ListBox = 0x83,
    ScrollBar = 0x84,
    ComboBox = 0x85,
};

class DialogTemplateWriter {
public:
    // The dialog itself, in dialog units, with its font (DS_SETFONT is added).
    DialogTemplateWriter(DWORD style, short width, short height, const std::string& caption,
                         const std::string& fontFace = "Arial", WORD fontPoints = 8);

    // One control, visible and a child; the style adds to WS_CHILD | WS_VISIBLE.
    void Item(DialogItemClass itemClass, DWORD style, short x, short y, short width, short height, int id,
              const std::string& text, DWORD exStyle = 0);

    // One control whose text is a resource ordinal, such as the icon of an SS_ICON static.
    void OrdinalItem(DialogItemClass itemClass, DWORD style, short x, short y, short width, short height,
                     int id, WORD textOrdinal, DWORD exStyle = 0);

    // The finished template, valid while the writer lives and no item is added.
    const DLGTEMPLATE* Template() const;

private:
    // The item's fields up to its text.
    void ItemHead(DialogItemClass itemClass, DWORD style, short x, short y, short width, short height, int id,
                  DWORD exStyle);
    // No creation data, and one more item in the header's count.
    void ItemTail();
    void Word(WORD value);
    void Dword(DWORD value);
    void Text(const std::string& text);

    std::vector<BYTE> bytes;
    size_t countOffset = 0;
};

} // namespace platform
