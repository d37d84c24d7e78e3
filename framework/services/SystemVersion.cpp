#include "framework/services/SystemVersion.h"

#include "platform/Extras.h"
#include "platform/Windows.h"

namespace framework {

namespace {

// Asks for the extended record first and for the plain one when an older system refuses it.
bool ReadVersion(OSVERSIONINFOEXA& record) {
    record = {};
    record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record))) {
        return true;
    }
    record = {};
    record.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
    return GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&record)) != FALSE;
}

const char* NineXName(const OSVERSIONINFOEXA& record, String& name) {
    if (record.dwMajorVersion != 4) {
        return "Windows ME plus";
    }
    switch (record.dwMinorVersion) {
    case 0:
        name = "Windows 95";
        if (record.szCSDVersion[0] != '\0' && record.szCSDVersion[1] == 'C') {
            name.Append(" OSR2");
        }
        return nullptr;
    case 10:
        name = "Windows 98";
        if (record.szCSDVersion[0] != '\0' && record.szCSDVersion[1] == 'A') {
            name.Append(" SE");
        }
        return nullptr;
    case 90:
        return "Windows ME";
    default:
        return "Windows ME plus";
    }
}

const char* NtName(const OSVERSIONINFOEXA& record) {
    if (record.dwMajorVersion <= 4) {
        return "Windows NT";
    }
    if (record.dwMajorVersion == 5 && record.dwMinorVersion == 0) {
        return "Windows 2000";
    }
    if (record.dwMajorVersion == 5 && record.dwMinorVersion == 1) {
        return "Windows XP";
    }
    return "Windows XP plus";
}

} // namespace

String WindowsVersionName() {
    String name("Windows X", 32);
    OSVERSIONINFOEXA record;
    if (!ReadVersion(record)) {
        return name;
    }
    switch (record.dwPlatformId) {
    case VER_PLATFORM_WIN32s:
        name = "Windows 32S";
        break;
    case VER_PLATFORM_WIN32_WINDOWS:
        if (const char* fixed = NineXName(record, name)) {
            name = fixed;
        }
        break;
    case VER_PLATFORM_WIN32_NT:
        name = NtName(record);
        break;
    default:
        break;
    }
    return name;
}

bool IsWindowsNT() {
    OSVERSIONINFOEXA record;
    return ReadVersion(record) && record.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

String OperatingSystemName() {
    return String(platform::OperatingSystemName().c_str());
}

String OperatingSystemShortName() {
    return String(platform::OperatingSystemShortName().c_str());
}

} // namespace framework
