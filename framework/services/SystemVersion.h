#pragma once

#include "framework/String.h"

namespace framework {

// A short name of the system's Windows version from its version record ("Windows XP", ...;
// "Windows X" when the record cannot be read).
String WindowsVersionName();

// Whether the system belongs to the NT family; false when the record cannot be read.
bool IsWindowsNT();

// The running operating system for display, e.g. "Debian GNU/Linux 12 (bookworm)".
String OperatingSystemName();
// The same in few words for a narrow field, e.g. "Debian 12".
String OperatingSystemShortName();

} // namespace framework
