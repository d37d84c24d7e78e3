#include "framework/ComboBoxControl.h"

namespace framework {

ComboBoxControl::ComboBoxControl(Window* dialog, int32_t id, int32_t* selectedIndex)
    : Control(dialog, id, Binding(selectedIndex), CBN_SETFOCUS, CBN_KILLFOCUS) {
    SetControlClassName("COMBOBOX");
    AdoptIfReady();
}

ComboBoxControl::ComboBoxControl(Window* dialog, int32_t id, String* selectedText)
    : Control(dialog, id, Binding(selectedText), CBN_SETFOCUS, CBN_KILLFOCUS) {
    SetControlClassName("COMBOBOX");
    AdoptIfReady();
}

int32_t ComboBoxControl::AddString(const char* text) {
    if (Handle() == nullptr) {
        return -1;
    }
    const LRESULT index = Send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    return index < 0 ? -1 : static_cast<int32_t>(index);
}

int32_t ComboBoxControl::InsertString(const char* text, int32_t index) {
    if (Handle() == nullptr) {
        return -1;
    }
    const LRESULT inserted =
        Send(CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return inserted < 0 ? -1 : static_cast<int32_t>(inserted);
}

int32_t ComboBoxControl::Count() const {
    return Handle() ? static_cast<int32_t>(Send(CB_GETCOUNT)) : 0;
}

int32_t ComboBoxControl::Selection() const {
    return Handle() ? static_cast<int32_t>(Send(CB_GETCURSEL)) : -1;
}

String ComboBoxControl::ItemText(int32_t index) const {
    String text;
    const LRESULT length = Handle() ? Send(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)) : CB_ERR;
    if (length <= 0) {
        return text;
    }
    text.Reserve(static_cast<int32_t>(length));
    Send(CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.Buffer()));
    text.Resync();
    return text;
}

bool ComboBoxControl::HasEditableField() {
    return (GetStyle() & CBS_DROPDOWNLIST) == CBS_DROPDOWN;
}

void ComboBoxControl::Load() {
    if (Handle() == nullptr) {
        return;
    }
    const Binding& binding = GetBinding();
    if (const int32_t* index = binding.Integer()) {
        Send(CB_SETCURSEL, static_cast<WPARAM>(*index));
        return;
    }
    const String* text = binding.Text();
    if (text == nullptr) {
        return;
    }
    const LRESULT found =
        Send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text->CStr()));
    Send(CB_SETCURSEL, static_cast<WPARAM>(found));
    if (found < 0 && HasEditableField()) {
        SetWindowTextA(Handle(), text->CStr());
    }
}

void ComboBoxControl::Store() {
    if (Handle() == nullptr) {
        return;
    }
    const Binding& binding = GetBinding();
    const int32_t selection = Selection();
    if (int32_t* index = binding.Integer()) {
        if (selection >= 0) {
            *index = selection;
        }
        return;
    }
    String* text = binding.Text();
    if (text == nullptr) {
        return;
    }
    if (HasEditableField()) {
        *text = GetText();
    } else if (selection >= 0) {
        *text = ItemText(selection);
    }
}

} // namespace framework
