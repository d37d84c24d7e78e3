#include "framework/StaticControl.h"

namespace framework {

StaticControl::StaticControl(Window* dialog, int32_t id) : Control(dialog, id) {
    SetControlClassName("STATIC");
    AdoptIfReady();
}

} // namespace framework
