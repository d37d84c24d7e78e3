#pragma once

#include "framework/ButtonControl.h"

namespace framework {

// The OK (id 1) or Cancel (id 2) button of a dialog, bound while the dialog's window exists.
class DialogButton : public ButtonControl {
public:
    DialogButton(Window* dialog, int32_t id);
};

} // namespace framework
