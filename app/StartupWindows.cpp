// Start-up on Windows: the console's control events. A program started from a console (or by a
// service wrapper that gives it one) gets Ctrl+C, Ctrl+Break and the console's close as control
// events on a thread of the system's; each closes the main window as its "Close" button does.

#include "app/Startup.h"

#include "app/RunApplication.h"
#include "platform/Windows.h"

namespace app {

namespace {

BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
        // A request before the window runs waits for it.
        while (!RequestMainWindowClose()) {
            Sleep(100);
        }
        return TRUE;
    default:
        return FALSE;
    }
}

} // namespace

void WatchCloseRequests() { SetConsoleCtrlHandler(&OnConsoleControl, TRUE); }

// Windows has no journal stream; a service wrapper that collects standard error files it as is.
bool IsStandardErrorTheJournal() { return false; }

} // namespace app
