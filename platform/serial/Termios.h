#pragma once

// Terminal devices as serial devices: on-board UARTs, USB adapters and pseudo-terminals, driven
// through termios in raw mode.
//
// The descriptor is non-blocking (VMIN 1, VTIME 0, so an empty read is EAGAIN and a read of 0
// means the line was hung up), local (CLOCAL: the carrier line never blocks an open or a read),
// and drops DTR and RTS on the last close (HUPCL), as Win32's driver does when a port is closed.
// The kernel's own XON/XOFF is never switched on: many USB adapters ignore IXON, and the port does
// XON/XOFF itself. Exclusive use is an flock(LOCK_EX) on the device, which every process sees,
// root included, plus TIOCEXCL, which keeps out programs that do not take the lock (root ignores
// it).
//
// Driver differences the device hides:
//  - pseudo-terminals have no modem lines (TIOCMGET fails with ENOTTY), no error counts and no
//    output queue (TIOCOUTQ is 0): the lines read as on, the counts stay zero;
//  - a device that is unplugged, or a pseudo-terminal whose far end closed, hangs up: reads give
//    0 or EIO, writes and ioctls EIO (ENODEV on some USB drivers), poll reports POLLHUP. The
//    device then reports ERROR_DEVICE_NOT_CONNECTED from every call, for ever.
//  - a speed the driver cannot set is read back changed; that is taken as a refusal.

#include "platform/WinTypes.h"
#include "platform/serial/Device.h"

#include <memory>
#include <string>

namespace platform {

// Opens a terminal device for a port. Fails, returning null, with ERROR_FILE_NOT_FOUND for a
// missing device or one that is no terminal, ERROR_ACCESS_DENIED for a device in use or not
// permitted, or the code mapped from errno.
std::unique_ptr<SerialDevice> OpenTermiosDevice(const std::string& path, DWORD& error);

// Whether an absolute path names a serial terminal or a pseudo-terminal's program end, by the
// device number and the kernel's list of terminal drivers (/proc/tty/drivers). Consoles and
// /dev/tty are not ports, so a program cannot take over its own terminal by mistake.
bool IsSerialTerminalPath(const char* path);

// Sets a speed that has no Bnnn constant through the kernel's termios2 (BOTHER), and reads it
// back. Returns 0, or the errno of the failure (EINVAL when the driver changed the speed by more
// than two percent).
int SetCustomSpeed(int descriptor, DWORD baudRate);

} // namespace platform
