#pragma once

// The plain window object over a hosting program's window, for an application attached to a
// window it did not make. It is put in front of that program's window procedure, so the framework
// sees the window's messages and passes on what it leaves alone; going away, it puts the
// program's procedure back and clears the user-data word, leaving the window itself alive.

#include "framework/Window.h"

namespace framework {

class HostWindow final : public Window {
public:
    explicit HostWindow(HWND window);
    ~HostWindow() override;
};

} // namespace framework
