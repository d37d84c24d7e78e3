#pragma once

// Which Linux device a Win32 port name opens.
//
// Port names are COM1 to COM9 in either case, optionally followed by ':', and the device-path
// form \\.\COMn (either separator, any n from 1) that Win32 needs beyond COM9. A plain "COM10" is
// no port name, as in Win32: CreateFileA takes it for a file in the current folder.
//
// A port name maps, first match wins, to:
//  1. a line attached to the process under that name (serial/AttachedLines.h);
//  2. the environment variable of the same name (COM3=/dev/pts/5);
//  3. the key of that name in the [Ports] section of platform.ini in the Windows directory
//     (COM3=/dev/ttyUSB0);
//  4. the default: the serial devices of this machine in a fixed order, COM1 the first of them,
//     COM2 the second, and so on. The order is the on-board ports /dev/ttySn that really exist,
//     by n, then the USB adapters /dev/ttyUSBn by n, then /dev/ttyACMn by n. An on-board port
//     exists when its /sys/class/tty/ttySn/type is not 0 (PORT_UNKNOWN) or, where sysfs has no
//     type, when TIOCGSERIAL on the device says so; the kernel creates ttyS nodes for UARTs that
//     are not fitted. So a user with one USB adapter and no on-board port finds it at COM1
//     without editing a file; the order moves when adapters come and go, which is what the
//     environment and platform.ini are for.
// An empty value in 2 or 3 counts as no entry. A value of 2 or 3 may also be the address of a port
// on a serial device server, "tcp://HOST:PORT" or "rfc2217://HOST:PORT" (serial/Network.h).
// CreateFileA also takes an absolute path to a terminal device (/dev/ttyUSB0, a socat link) as a
// port, as it stands.

#include <string>
#include <vector>

namespace platform {

enum class SerialPortSource { None, Attached, Environment, Profile, Default };

struct SerialPortMapping {
    std::string device;
    SerialPortSource source = SerialPortSource::None;
};

// The upper-case port name ("COM3") for a name that is one, else empty.
std::string SerialPortKey(const char* name);

// Where a port name leads now. device is empty for an in-memory line and for a name that maps to
// nothing (source None, which CreateFileA reports as ERROR_FILE_NOT_FOUND).
SerialPortMapping MapSerialPort(const std::string& portName);

// The default order of this machine's devices, and the same under other roots for tests
// (sysRoot stands for /sys, devRoot for /dev).
std::vector<std::string> DefaultSerialDevices();
std::vector<std::string> DefaultSerialDevices(const std::string& sysRoot, const std::string& devRoot);

} // namespace platform
