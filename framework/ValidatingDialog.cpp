#include "framework/ValidatingDialog.h"

#include "framework/Control.h"

namespace framework {

bool ValidatingDialog::TakesPart(Control& control) {
    if (control.ClassName().Equals(EditBoxClassName)) {
        return true;
    }
    return (control.GetStyle() & ExemptStyle) == 0;
}

Control* ValidatingDialog::FindInvalidControl() {
    for (int32_t i = 0; i < ChildCount(); ++i) {
        // Standard controls adopted by plain window objects have the control kind as well, so
        // only objects of the control classes are asked.
        auto* control =
            Child(i) && Child(i)->GetKind() == KindControl ? dynamic_cast<Control*>(Child(i)) : nullptr;
        if (control != nullptr && control->IsEnabled() && TakesPart(*control) && !control->IsValid()) {
            return control;
        }
    }
    return nullptr;
}

Control* ValidatingDialog::ValidateAndStore() {
    Control* invalid = FindInvalidControl();
    if (invalid != nullptr) {
        return invalid;
    }
    for (int32_t i = 0; i < ChildCount(); ++i) {
        if (auto* control = dynamic_cast<Control*>(Child(i))) {
            control->Store();
        }
    }
    return nullptr;
}

LRESULT ValidatingDialog::Validate() {
    Control* invalid = ValidateAndStore();
    accepted = invalid == nullptr;
    if (accepted) {
        return 0;
    }
    invalid->SetFocus();
    Beep(ToneFrequency, ToneMilliseconds);
    return 1;
}

} // namespace framework
