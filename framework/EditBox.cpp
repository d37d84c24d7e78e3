#include "framework/EditBox.h"

namespace framework {

EditBox::EditBox(Window* dialog, int32_t id, String* text)
    : Control(dialog, id, Binding(text), EN_SETFOCUS, EN_KILLFOCUS) {
    SetControlClassName(EditBoxClassName);
    AdoptIfReady();
}

void EditBox::Load() {
    const String* text = GetBinding().Text();
    if (text != nullptr && Handle() != nullptr) {
        SetWindowTextA(Handle(), ToWindowLineEnds(*text).CStr());
    }
}

void EditBox::Store() {
    String* text = GetBinding().Text();
    if (text != nullptr && Handle() != nullptr) {
        *text = ToStoredLineEnds(GetText());
    }
}

String EditBox::ToWindowLineEnds(const String& text) {
    String result;
    result.Reserve(text.Length());
    char previous = '\0';
    for (int32_t position = 1; position <= text.Length(); ++position) {
        const char character = text.At(position);
        if (character == '\n' && previous != '\r') {
            result.Append('\r');
        }
        result.Append(character);
        previous = character;
    }
    return result;
}

String EditBox::ToStoredLineEnds(const String& text) {
    String result;
    result.Reserve(text.Length());
    for (int32_t position = 1; position <= text.Length(); ++position) {
        const char character = text.At(position);
        if (character == '\r' && position < text.Length() && text.At(position + 1) == '\n') {
            continue; // the LF that follows stands for the pair
        }
        result.Append(character);
    }
    return result;
}

} // namespace framework
