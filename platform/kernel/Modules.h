#pragma once

// Loadable modules. The stand-in has no dynamic libraries to load: LoadLibraryA finds the few
// system modules whose entry points the framework asks for by name, built into the stand-in.
// "comctl32.dll" is there with DllGetVersion (the version of the standard controls the stand-in
// provides), "ole32.dll" and "shell32.dll" without extras; "uxtheme.dll" is not, so programs run
// with the classic look, and "SHGetSettings" is missing, so the classic shell settings apply.

#include "platform/WinTypes.h"

using FARPROC = void (*)();
using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);

struct DLLVERSIONINFO {
    DWORD cbSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformID;
};
using DLLGETVERSIONPROC = HRESULT (*)(DLLVERSIONINFO*);

HMODULE LoadLibraryA(LPCSTR lpLibFileName);
HMODULE GetModuleHandleA(LPCSTR lpModuleName);
FARPROC GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL FreeLibrary(HMODULE hLibModule);

// COM needs no set-up on this platform; the calls keep their Win32 results.
HRESULT CoInitialize(LPVOID pvReserved);
void CoUninitialize();

struct INITCOMMONCONTROLSEX {
    DWORD dwSize;
    DWORD dwICC;
};
BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

namespace platform {

// The version DllGetVersion of "comctl32.dll" reports: the level of the standard controls.
constexpr DWORD CommonControlsMajor = 5;
constexpr DWORD CommonControlsMinor = 82;

} // namespace platform
