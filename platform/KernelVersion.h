#pragma once

// The version record of the system. The stand-in answers as an NT system of version 5.1, service
// pack 3, the system generation whose common controls it provides; what the machine really runs
// is named by OperatingSystemName, for display.

#include "platform/Extras.h"
#include "platform/WinTypes.h"

#include <optional>
#include <string>

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
};
using LPOSVERSIONINFOA = OSVERSIONINFOA*;

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    CHAR szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};

static_assert(sizeof(OSVERSIONINFOA) == 148 && sizeof(OSVERSIONINFOEXA) == 156);

constexpr DWORD VER_PLATFORM_WIN32s = 0;
constexpr DWORD VER_PLATFORM_WIN32_WINDOWS = 1;
constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

// Fills the record whose size its first member gives (the plain or the extended one).
BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation);

namespace platform {

namespace testing {

// Makes GetVersionExA answer with this record (the extended part is zero when only the plain
// record is asked for). Requests with a record size in `refusedSizes` fail as an older system's
// would. Without a record the stand-in's own answer comes back.
struct VersionAnswer {
    OSVERSIONINFOA record{};
    bool refuseExtended = false;
    bool refusePlain = false;
};
void SetVersionAnswer(std::optional<VersionAnswer> answer);

} // namespace testing

} // namespace platform
