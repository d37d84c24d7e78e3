#pragma once

#include "framework/ButtonControl.h"

namespace framework {

// A check box bound to an integer: 0 unchecked, 1 checked (2 for the third state of a three-state
// box). Any other non-zero value loads as checked.
class CheckBoxControl : public ButtonControl {
public:
    CheckBoxControl(Window* dialog, int32_t id, int32_t* variable = nullptr);

    bool IsChecked() const;
    void SetChecked(bool checked);

    void Load() override;
    void Store() override;
};

} // namespace framework
