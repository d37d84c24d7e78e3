#pragma once

#include "framework/ComboBoxControl.h"

#include <cstdint>

namespace app {

// A drop-down list of the 32 ASCII control characters, "NUL" to "US ", each item carrying its
// code as item data. It is bound to a one-byte code rather than to an index or a text: loading
// selects the item of that code, and every selection the user makes is written to the code at
// once, so the dialog's working copy always holds what the list shows.
class ControlCodeCombo : public framework::ComboBoxControl {
public:
    static constexpr int CodeCount = 32;

    ControlCodeCombo(framework::Window* dialog, int32_t id, uint8_t* code);

    // The name of a code, three characters wide ("DC2", "SI "); null above 31.
    static const char* CodeName(uint8_t code);

    // Puts the 32 names into the list (once per window) and selects the bound code.
    void Fill();
    // Selects the item of a code; false when no item carries it.
    bool SelectCode(uint8_t code);
    // The code of the selected item, or -1 with nothing selected.
    int32_t SelectedCode() const;

    void Load() override;
    void Store() override;
    LRESULT OnCommand(framework::MessageRecord& record) override;

private:
    uint8_t* code;
};

} // namespace app
