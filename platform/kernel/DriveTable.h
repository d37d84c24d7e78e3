#pragma once

// Where drive letters point on Linux. Win32 paths reach the platform calls with a drive prefix
// (`C:\TOLVA\QOR.CFG`) and either separator; NativePath turns them into Linux paths. By default
// every drive is the root folder, so `C:/QOR.CFG` is `/QOR.CFG`. The environment variable
// TOLVA_DRIVES (`C=/srv/c;D=/mnt/d`) is read at the first use; SetDriveRoot changes a drive later.
// All functions are safe to call from any thread.

#include <string>

namespace platform {

// Points a drive letter (either case) at a folder. Returns false for a character that is not a
// letter or an empty folder, leaving the table unchanged.
bool SetDriveRoot(char letter, const std::string& folder);

// The folder a drive letter stands for; empty for a character that is not a letter.
std::string DriveRoot(char letter);

// Back to the start-up state: every drive at `/`, then TOLVA_DRIVES as the environment has it now.
void ResetDriveTable();

// The Linux path for a Win32 path: backslashes become slashes and a drive prefix becomes the
// drive's folder. A drive-relative path (`C:x`) is taken relative to the drive's folder, since
// Linux keeps no current folder per drive. Paths without a drive are left relative.
std::string NativePath(const char* win32Path);

} // namespace platform
