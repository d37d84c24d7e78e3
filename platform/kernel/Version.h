#pragma once

// The version record of the system. The stand-in answers as an NT system of version 5.1, service
// pack 3, the system generation whose common controls it provides; what the machine really runs
// is named by OperatingSystemName, for display.

#include "platform/Extras.h"
#include "platform/WinTypes.h"

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

// Where GetVersionExA takes its answer from in place of the running system, when set: a harness
// that plays an older system. The source fills the plain record for a request of the plain
// (extended false) or the extended record, whose extended part is then zero, or answers false for
// a request that system would refuse. Null restores the stand-in's own answer.
using VersionSource = bool (*)(bool extended, OSVERSIONINFOA& record);
void SetVersionSource(VersionSource source);

} // namespace platform
