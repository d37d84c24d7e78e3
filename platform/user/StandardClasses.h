#pragma once

// The window classes every program finds registered without asking: the dialog class and the
// standard controls. Each control module adds one line to the table in user/StandardClasses.cpp;
// the classes are entered the first time any class is looked up.

#include "platform/user/Constants.h"

#include <span>

namespace platform::user {

struct StandardClass {
    const char* name;
    WNDPROC procedure;
    UINT style;
    int windowExtraBytes;
    LPCSTR cursor; // an IDC_ resource name, or nullptr for the arrow
};

std::span<const StandardClass> StandardClasses();

} // namespace platform::user
