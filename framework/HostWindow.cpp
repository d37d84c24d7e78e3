#include "framework/HostWindow.h"

namespace framework {

HostWindow::HostWindow(HWND window) {
    Subclass(window);
    SetKind(KindPlain); // adopted like a control, but it is a plain window
}

HostWindow::~HostWindow() {
    Detach();
}

} // namespace framework
