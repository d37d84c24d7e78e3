#include "framework/ButtonControl.h"

namespace framework {

ButtonControl::ButtonControl(Window* dialog, int32_t id) : ButtonControl(dialog, id, Binding()) {}

ButtonControl::ButtonControl(Window* dialog, int32_t id, const Binding& binding)
    : Control(dialog, id, binding, BN_SETFOCUS, BN_KILLFOCUS) {
    SetControlClassName("BUTTON");
    AdoptIfReady();
}

} // namespace framework
