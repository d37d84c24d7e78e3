#include "app/ControlCodeCombo.h"

namespace app {

namespace {

// Two-letter names end in a blank so that every item is three characters wide.
constexpr const char* CodeNames[ControlCodeCombo::CodeCount] = {
    "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS ", "HT ", "LF ",
    "VT ", "FF ", "CR ", "SO ", "SI ", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK",
    "SYN", "ETB", "CAN", "EM ", "SUB", "ESC", "FS ", "GS ", "RS ", "US ",
};

} // namespace

ControlCodeCombo::ControlCodeCombo(framework::Window* dialog, int32_t id, uint8_t* code)
    : framework::ComboBoxControl(dialog, id, static_cast<int32_t*>(nullptr)), code(code) {
    AdoptIfReady();
}

const char* ControlCodeCombo::CodeName(uint8_t value) {
    return value < CodeCount ? CodeNames[value] : nullptr;
}

void ControlCodeCombo::Fill() {
    if (Handle() == nullptr) {
        return;
    }
    if (Count() == 0) {
        for (int value = 0; value < CodeCount; ++value) {
            const int32_t index = AddString(CodeNames[value]);
            if (index >= 0) {
                Send(CB_SETITEMDATA, static_cast<WPARAM>(index), value);
            }
        }
    }
    Load();
}

bool ControlCodeCombo::SelectCode(uint8_t value) {
    if (Handle() == nullptr) {
        return false;
    }
    for (int32_t index = 0; index < Count(); ++index) {
        if (Send(CB_GETITEMDATA, static_cast<WPARAM>(index)) == value) {
            Send(CB_SETCURSEL, static_cast<WPARAM>(index));
            return true;
        }
    }
    // A code the list cannot show (one read from an older settings file) leaves no selection.
    Send(CB_SETCURSEL, static_cast<WPARAM>(-1));
    return false;
}

int32_t ControlCodeCombo::SelectedCode() const {
    const int32_t selection = Selection();
    if (selection < 0) {
        return -1;
    }
    const LRESULT data = Send(CB_GETITEMDATA, static_cast<WPARAM>(selection));
    return data == CB_ERR ? -1 : static_cast<int32_t>(data);
}

void ControlCodeCombo::Load() {
    if (code != nullptr) {
        SelectCode(*code);
    }
}

void ControlCodeCombo::Store() {
    const int32_t selected = SelectedCode();
    if (code != nullptr && selected >= 0) {
        *code = static_cast<uint8_t>(selected);
    }
}

// The list reports a new selection to the dialog, which hands the command back to the control.
LRESULT ControlCodeCombo::OnCommand(framework::MessageRecord& record) {
    if (reinterpret_cast<HWND>(record.lParam) == Handle() && HIWORD(record.wParam) == CBN_SELCHANGE) {
        Store();
    }
    return 0;
}

} // namespace app
