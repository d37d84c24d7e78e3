#include "platform/kernel/Modules.h"

#include "platform/kernel/Errors.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

struct Export {
    const char* name;
    FARPROC procedure;
};

struct BuiltInModule {
    const char* name;
    const Export* exports;
    size_t exportCount;
};

HRESULT CommonControlsVersion(DLLVERSIONINFO* info) {
    if (info == nullptr || info->cbSize < sizeof(DLLVERSIONINFO)) {
        return E_INVALIDARG;
    }
    info->dwMajorVersion = platform::CommonControlsMajor;
    info->dwMinorVersion = platform::CommonControlsMinor;
    info->dwBuildNumber = 0;
    info->dwPlatformID = 2; // DLLVER_PLATFORM_NT
    return S_OK;
}

const Export commonControlsExports[] = {
    {"DllGetVersion", reinterpret_cast<FARPROC>(CommonControlsVersion)},
};

const BuiltInModule modules[] = {
    {"comctl32.dll", commonControlsExports, 1},
    {"ole32.dll", nullptr, 0},
    {"shell32.dll", nullptr, 0},
    {"kernel32.dll", nullptr, 0},
    {"user32.dll", nullptr, 0},
};

std::string Lower(LPCSTR text) {
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    // A name without an extension means a library, as Win32 reads it.
    if (lower.find('.') == std::string::npos) {
        lower += ".dll";
    }
    return lower;
}

HMODULE Find(LPCSTR name) {
    if (name == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::string wanted = Lower(name);
    for (const BuiltInModule& module : modules) {
        if (wanted == module.name) {
            return reinterpret_cast<HMODULE>(const_cast<BuiltInModule*>(&module));
        }
    }
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
}

} // namespace

HMODULE LoadLibraryA(LPCSTR lpLibFileName) {
    return Find(lpLibFileName);
}

HMODULE GetModuleHandleA(LPCSTR lpModuleName) {
    // The program's own module: any non-null value serves as its instance handle.
    static int programModule;
    return lpModuleName == nullptr ? reinterpret_cast<HMODULE>(&programModule) : Find(lpModuleName);
}

FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName) {
    const auto* module = static_cast<const BuiltInModule*>(hModule);
    bool known = false;
    for (const BuiltInModule& candidate : modules) {
        known = known || &candidate == module;
    }
    if (!known || lpProcName == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    for (size_t i = 0; i < module->exportCount; ++i) {
        if (std::strcmp(module->exports[i].name, lpProcName) == 0) {
            return module->exports[i].procedure;
        }
    }
    SetLastError(ERROR_PROC_NOT_FOUND);
    return nullptr;
}

BOOL FreeLibrary(HMODULE hLibModule) {
    return hLibModule != nullptr ? TRUE : FALSE;
}

HRESULT CoInitialize(LPVOID) {
    return S_OK;
}

void CoUninitialize() {}

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
    return picce != nullptr && picce->dwSize == sizeof(INITCOMMONCONTROLSEX) ? TRUE : FALSE;
}
