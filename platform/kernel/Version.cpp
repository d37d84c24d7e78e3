#include "platform/kernel/Version.h"

#include "platform/kernel/Errors.h"

#include <atomic>
#include <cstring>
#include <fstream>
#include <functional>
#include <sys/utsname.h>

namespace {

std::atomic<platform::VersionSource> versionSource{nullptr};

OSVERSIONINFOA OwnAnswer() {
    OSVERSIONINFOA record{};
    record.dwMajorVersion = 5;
    record.dwMinorVersion = 1;
    record.dwBuildNumber = 2600;
    record.dwPlatformId = VER_PLATFORM_WIN32_NT;
    std::strcpy(record.szCSDVersion, "Service Pack 3");
    return record;
}

// The value of one os-release key with its quotes removed; empty when missing.
std::string ReleaseValue(const std::string& content, const std::string& key) {
    size_t at = 0;
    while (at < content.size()) {
        size_t end = content.find('\n', at);
        if (end == std::string::npos) {
            end = content.size();
        }
        const std::string line = content.substr(at, end - at);
        if (line.compare(0, key.size() + 1, key + "=") == 0) {
            std::string value = line.substr(key.size() + 1);
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            return value;
        }
        at = end + 1;
    }
    return {};
}

} // namespace

BOOL GetVersionExA(LPOSVERSIONINFOA lpVersionInformation) {
    if (lpVersionInformation == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    OSVERSIONINFOA record = OwnAnswer();
    bool ownAnswer = true;
    if (platform::VersionSource source = versionSource.load()) {
        if (!source(size == sizeof(OSVERSIONINFOEXA), record)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        ownAnswer = false;
    }
    record.dwOSVersionInfoSize = size;
    std::memcpy(lpVersionInformation, &record, sizeof record);
    if (size == sizeof(OSVERSIONINFOEXA)) {
        auto* extended = reinterpret_cast<OSVERSIONINFOEXA*>(lpVersionInformation);
        extended->wServicePackMajor = ownAnswer ? 3 : 0;
        extended->wServicePackMinor = 0;
        extended->wSuiteMask = 0;
        extended->wProductType = ownAnswer ? 1 : 0; // a workstation
        extended->wReserved = 0;
    }
    return TRUE;
}

namespace platform {

namespace {

// The first os-release file's name for the system, as `name` makes it from the file's content;
// else the kernel's name and release.
std::string NameFromRelease(const std::function<std::string(const std::string&)>& name) {
    for (const char* path : {"/etc/os-release", "/usr/lib/os-release"}) {
        std::ifstream file(path);
        if (!file) {
            continue;
        }
        const std::string content((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (std::string found = name(content); !found.empty()) {
            return found;
        }
    }
    utsname system{};
    if (uname(&system) == 0) {
        return std::string(system.sysname) + " " + system.release;
    }
    return "Linux";
}

} // namespace

std::string OperatingSystemName() {
    return NameFromRelease([](const std::string& content) {
        std::string name = ReleaseValue(content, "PRETTY_NAME");
        if (name.empty()) {
            name = ReleaseValue(content, "NAME");
            const std::string version = ReleaseValue(content, "VERSION");
            if (!name.empty() && !version.empty()) {
                name += " " + version;
            }
        }
        return name;
    });
}

std::string OperatingSystemShortName() {
    return NameFromRelease([](const std::string& content) {
        std::string name = ReleaseValue(content, "NAME");
        name = name.substr(0, name.find(' '));
        const std::string version = ReleaseValue(content, "VERSION_ID");
        return name.empty() || version.empty() ? name : name + " " + version;
    });
}

void SetVersionSource(VersionSource source) {
    versionSource.store(source);
}

} // namespace platform
