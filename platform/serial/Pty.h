#pragma once

// A pseudo-terminal pair as a serial cable of its own: the controller simulator, tests and the
// demo play the far end of the cable on the pair's master side and give the program the other
// side's path, which the program opens with CreateFileA as it would open a port.
//
// The master side is a serial-port handle like any other (ReadFile, WriteFile, SetCommState,
// SetupComm, SetCommTimeouts, ClearCommError, PurgeComm, CloseHandle), with two differences that
// come from the pseudo-terminal:
//  - The pair has one set of terminal settings, and it belongs to the program's side. SetCommState
//    on the master side only sets the port's own line-speed clock and framing checks; it never
//    touches the terminal, so the far end cannot change the program's speed or framing.
//  - There are no modem lines: they read as on, and DTR, RTS and break do nothing.
//
// The handle keeps a descriptor of the program's side open for as long as it lives, so the master
// side never sees a hang-up before the program has opened its side or after it closed it, and
// bytes sent before the program opens its side wait for it. That side starts raw (no echo, no
// line-end translation), so nothing sent early is changed or echoed back. Closing the handle
// hangs up the program's side, as pulling the cable's adapter would.

#include "platform/WinTypes.h"

#include <string>

namespace platform {

// Creates a pair. Returns the master side's handle and sets programSidePath to the path the
// program opens ("/dev/pts/7"); on failure returns INVALID_HANDLE_VALUE with the last error set
// and programSidePath empty.
HANDLE OpenPseudoTerminal(std::string& programSidePath);

} // namespace platform
