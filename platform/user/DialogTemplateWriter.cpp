#include "platform/user/DialogTemplateWriter.h"

#include "platform/gdi/Fonts.h"

namespace platform {

DialogTemplateWriter::DialogTemplateWriter(DWORD style, short width, short height, const std::string& caption,
                                           const std::string& fontFace, WORD fontPoints) {
    Word(1); // DLGTEMPLATEEX version and signature
    Word(0xFFFF);
    Dword(0); // help id
    Dword(0); // extended style
    Dword(style | DS_SETFONT);
    countOffset = bytes.size();
    Word(0);
    for (const short value : {short{0}, short{0}, width, height}) {
        Word(static_cast<WORD>(value));
    }
    Word(0); // no menu
    Word(0); // the dialog class
    Text(caption);
    Word(fontPoints);
    Word(FW_NORMAL);
    Word(0); // not italic, default character set
    Text(fontFace);
}

void DialogTemplateWriter::Item(DialogItemClass itemClass, DWORD style, short x, short y, short width,
                                short height, int id, const std::string& text, DWORD exStyle) {
    ItemHead(itemClass, style, x, y, width, height, id, exStyle);
    Text(text);
    ItemTail();
}

void DialogTemplateWriter::OrdinalItem(DialogItemClass itemClass, DWORD style, short x, short y, short width,
                                       short height, int id, WORD textOrdinal, DWORD exStyle) {
    ItemHead(itemClass, style, x, y, width, height, id, exStyle);
    Word(0xFFFF);
    Word(textOrdinal);
    ItemTail();
}

void DialogTemplateWriter::ItemHead(DialogItemClass itemClass, DWORD style, short x, short y, short width,
                                    short height, int id, DWORD exStyle) {
    while (bytes.size() % 4 != 0) {
        bytes.push_back(0);
    }
    Dword(0); // help id
    Dword(exStyle);
    Dword(style | WS_CHILD | WS_VISIBLE);
    for (const short value : {x, y, width, height}) {
        Word(static_cast<WORD>(value));
    }
    Dword(static_cast<DWORD>(id));
    Word(0xFFFF);
    Word(static_cast<WORD>(itemClass));
}

void DialogTemplateWriter::ItemTail() {
    Word(0); // no creation data
    const WORD count = static_cast<WORD>(bytes[countOffset] | (bytes[countOffset + 1] << 8));
    bytes[countOffset] = static_cast<BYTE>(count + 1);
    bytes[countOffset + 1] = static_cast<BYTE>((count + 1) >> 8);
}

const DLGTEMPLATE* DialogTemplateWriter::Template() const {
    return reinterpret_cast<const DLGTEMPLATE*>(bytes.data());
}

void DialogTemplateWriter::Word(WORD value) {
    bytes.push_back(static_cast<BYTE>(value));
    bytes.push_back(static_cast<BYTE>(value >> 8));
}

void DialogTemplateWriter::Dword(DWORD value) {
    Word(static_cast<WORD>(value));
    Word(static_cast<WORD>(value >> 16));
}

void DialogTemplateWriter::Text(const std::string& text) {
    for (const char c : text) {
        Word(static_cast<unsigned char>(c));
    }
    Word(0);
}

} // namespace platform
