#pragma once

#include "framework/Control.h"

namespace framework {

// A push button of a dialog. It watches BN_SETFOCUS and BN_KILLFOCUS, which the button sends only
// when its style has BS_NOTIFY, as the system's buttons do; it carries no variable.
class ButtonControl : public Control {
public:
    ButtonControl(Window* dialog, int32_t id);

protected:
    ButtonControl(Window* dialog, int32_t id, const Binding& binding);
};

} // namespace framework
