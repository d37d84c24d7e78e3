#pragma once

// The process environment with Win32's conventions: names are matched without regard to case
// (`path` finds PATH), a missing variable is ERROR_ENVVAR_NOT_FOUND, and results follow the usual
// buffer-size rules. setenv and getenv are not safe against each other in glibc, so every access
// made by the platform goes through one lock; code outside the platform should use these calls too.

#include "platform/WinTypes.h"

#include <optional>
#include <string>

DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize);

// A null value deletes the variable.
BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue);

namespace platform {

// The value of a variable under the environment lock, found as GetEnvironmentVariableA finds it.
std::optional<std::string> EnvironmentValue(const char* name);

// Copies a result into a caller's buffer by the convention of GetCurrentDirectoryA, GetTempPathA
// and GetEnvironmentVariableA: the length without the terminating NUL when it fits, else the
// size the buffer needs including the NUL, leaving the buffer untouched.
DWORD StoreStringResult(const std::string& value, LPSTR buffer, DWORD size);

} // namespace platform
