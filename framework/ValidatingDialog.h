#pragma once

#include "framework/Dialog.h"

namespace framework {

class Control;

// A dialog that accepts its input only when every bound control can store its content: before
// that, nothing is stored. The dialog that derives from it calls Validate from its OK operation.
//
// Taking part in validation: every child control object that is enabled; an edit box
// ("EDITBOX") always, any other control unless its style has bit 0x800. Storing then reaches
// every child control, enabled or not; a control whose content is invalid stores nothing.
class ValidatingDialog : public Dialog {
public:
    static constexpr DWORD ExemptStyle = 0x800;
    static constexpr DWORD ToneFrequency = 300;
    static constexpr DWORD ToneMilliseconds = 800;

    using Dialog::Dialog;

    // The first child control, in child order, that is enabled, takes part and is invalid.
    Control* FindInvalidControl();
    // Stores every child control when none is invalid; returns the invalid one or null.
    Control* ValidateAndStore();
    // 0 when the input was stored and accepted; 1 (the dialog stays open) when a control is
    // invalid: it gets the focus and a low tone sounds.
    LRESULT Validate();

    bool IsAccepted() const { return accepted; }

private:
    static bool TakesPart(Control& control);

    bool accepted = false;
};

} // namespace framework
