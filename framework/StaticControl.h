#pragma once

#include "framework/Control.h"

namespace framework {

// A static text or frame of a dialog. It carries no variable and never takes part in validation.
class StaticControl : public Control {
public:
    StaticControl(Window* dialog, int32_t id);
};

} // namespace framework
