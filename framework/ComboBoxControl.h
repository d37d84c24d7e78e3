#pragma once

#include "framework/Control.h"

namespace framework {

// A combo box bound to an integer (the selected index) or to a text (the selected item's text, or
// what the user typed into a combo box with an editable field).
//
// Loading selects the item that matches the variable. The items usually arrive after the control
// is bound, so the dialog fills the list and then calls Load. A text-bound drop-down list whose
// value is not among its items shows no selection, and storing it keeps the variable as it was:
// a value the list cannot show (a speed from an older profile) is not lost by pressing OK. The
// same holds for an integer-bound list with nothing selected.
class ComboBoxControl : public Control {
public:
    ComboBoxControl(Window* dialog, int32_t id, int32_t* selectedIndex = nullptr);
    ComboBoxControl(Window* dialog, int32_t id, String* selectedText);

    // Appends an item (in sorted order in a sorted combo box); its index, or -1 without a window.
    int32_t AddString(const char* text);
    // Inserts an item at index (-1: at the end); the index, or -1 without a window.
    int32_t InsertString(const char* text, int32_t index);
    int32_t Count() const;
    int32_t Selection() const;
    // The text of item index; empty for an index out of range.
    String ItemText(int32_t index) const;

    void Load() override;
    void Store() override;

private:
    bool HasEditableField();
};

} // namespace framework
