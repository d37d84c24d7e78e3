#include "framework/DialogButton.h"

namespace framework {

DialogButton::DialogButton(Window* dialog, int32_t id) : ButtonControl(dialog, id) {}

} // namespace framework
