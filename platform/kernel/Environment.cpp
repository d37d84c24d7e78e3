#include "platform/kernel/Environment.h"

#include "platform/kernel/Errors.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <strings.h>
#include <unistd.h>

namespace {

std::mutex& EnvironmentLock() {
    static std::mutex lock;
    return lock;
}

// The name under which a variable is stored: the exact name when present, else the first entry
// equal to it without regard to case, else nothing. Caller holds the environment lock.
std::optional<std::string> StoredName(const char* name) {
    if (std::getenv(name) != nullptr)
        return std::string(name);
    std::size_t length = std::strlen(name);
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (strncasecmp(*entry, name, length) == 0 && (*entry)[length] == '=')
            return std::string(*entry, length);
    }
    return std::nullopt;
}

bool IsValidName(LPCSTR name) {
    return name != nullptr && *name != '\0' && std::strchr(name, '=') == nullptr;
}

} // namespace

DWORD GetEnvironmentVariableA(LPCSTR lpName, LPSTR lpBuffer, DWORD nSize) {
    std::optional<std::string> value =
        IsValidName(lpName) ? platform::EnvironmentValue(lpName) : std::nullopt;
    if (!value) {
        SetLastError(ERROR_ENVVAR_NOT_FOUND);
        return 0;
    }
    // An empty value also returns 0; clearing the last error lets a caller tell it from a
    // missing variable.
    if (value->empty())
        SetLastError(ERROR_SUCCESS);
    if (lpBuffer == nullptr && nSize != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return platform::StoreStringResult(*value, lpBuffer, nSize);
}

BOOL SetEnvironmentVariableA(LPCSTR lpName, LPCSTR lpValue) {
    if (!IsValidName(lpName)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard lock(EnvironmentLock());
    std::string name = StoredName(lpName).value_or(lpName);
    int result = lpValue == nullptr ? ::unsetenv(name.c_str()) : ::setenv(name.c_str(), lpValue, 1);
    if (result != 0) {
        platform::SetLastErrorFromErrno();
        return FALSE;
    }
    return TRUE;
}

namespace platform {

std::optional<std::string> EnvironmentValue(const char* name) {
    std::lock_guard lock(EnvironmentLock());
    std::optional<std::string> stored = StoredName(name);
    if (!stored)
        return std::nullopt;
    return std::string(std::getenv(stored->c_str()));
}

DWORD StoreStringResult(const std::string& value, LPSTR buffer, DWORD size) {
    if (value.size() + 1 > size)
        return static_cast<DWORD>(value.size() + 1);
    std::memcpy(buffer, value.c_str(), value.size() + 1);
    return static_cast<DWORD>(value.size());
}

} // namespace platform
