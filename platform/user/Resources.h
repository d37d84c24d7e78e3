#pragma once

// Resources of modules: dialog templates, bitmaps and icons compiled into the program by
// tolva-rc (tools/rc), found as Win32 finds them in a module's resource section. Nothing is read
// from a file at run time. A module's table is registered once, at start-up, by the function the
// resource compiler generates (resources::RegisterProgramResources for the program): an explicit
// call, because a static initialiser in a static library is dropped by the linker when nothing
// else in its object file is used.
//
// Icons are a colour image and a transparency mask (the AND mask of the icon file). LoadIconA and
// LoadImageA with LR_SHARED give one shared handle per image and size, as Win32 does; the
// system icons (IDI_*) are drawn by the stand-in. Thread-safe.

#include "platform/WinTypes.h"

#include <cstdint>
#include <span>
#include <vector>

using HRSRC = struct HRSRC__*;

constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
using HGLOBAL = HANDLE;

inline LPCSTR MAKEINTRESOURCEA(WORD id) {
    return reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(id));
}
inline bool IS_INTRESOURCE(LPCSTR name) {
    return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0;
}

inline LPCSTR const RT_BITMAP = MAKEINTRESOURCEA(2);
inline LPCSTR const RT_ICON = MAKEINTRESOURCEA(3);
inline LPCSTR const RT_DIALOG = MAKEINTRESOURCEA(5);
inline LPCSTR const RT_GROUP_ICON = MAKEINTRESOURCEA(14);

inline LPCSTR const IDI_APPLICATION = MAKEINTRESOURCEA(32512);
inline LPCSTR const IDI_HAND = MAKEINTRESOURCEA(32513);
inline LPCSTR const IDI_QUESTION = MAKEINTRESOURCEA(32514);
inline LPCSTR const IDI_EXCLAMATION = MAKEINTRESOURCEA(32515);
inline LPCSTR const IDI_ASTERISK = MAKEINTRESOURCEA(32516);
inline LPCSTR const IDI_ERROR = IDI_HAND;
inline LPCSTR const IDI_WARNING = IDI_EXCLAMATION;
inline LPCSTR const IDI_INFORMATION = IDI_ASTERISK;

constexpr UINT IMAGE_BITMAP = 0;
constexpr UINT IMAGE_ICON = 1;
constexpr UINT LR_DEFAULTCOLOR = 0x0000;
constexpr UINT LR_LOADFROMFILE = 0x0010;
constexpr UINT LR_DEFAULTSIZE = 0x0040;
constexpr UINT LR_SHARED = 0x8000;

constexpr UINT DI_MASK = 0x0001;
constexpr UINT DI_IMAGE = 0x0002;
constexpr UINT DI_NORMAL = 0x0003;

struct ICONINFO {
    BOOL fIcon;
    DWORD xHotspot;
    DWORD yHotspot;
    HBITMAP hbmMask;
    HBITMAP hbmColor;
};

// A null module is the program's module. Names and types are numbers (MAKEINTRESOURCEA) or
// texts, which compare without regard to case; "#123" stands for the number 123.
HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
HGLOBAL LoadResource(HMODULE hModule, HRSRC hResInfo);
LPVOID LockResource(HGLOBAL hResData);
DWORD SizeofResource(HMODULE hModule, HRSRC hResInfo);
BOOL FreeResource(HGLOBAL hResData);

// A new bitmap from an RT_BITMAP resource; the caller deletes it.
HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName);
// The icon group's image nearest the system icon size (32 x 32), shared.
HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName);
// IMAGE_BITMAP or IMAGE_ICON from the module's resources; a size of 0 takes the image's own size,
// or the system size with LR_DEFAULTSIZE. LR_LOADFROMFILE is not supported.
HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad);
// Shared icons are kept (TRUE without effect), as in Win32.
BOOL DestroyIcon(HICON hIcon);
// Copies of the icon's mask (monochrome) and colour bitmaps; the caller deletes both.
BOOL GetIconInfo(HICON hIcon, ICONINFO* piconinfo);
// Draws the icon at its own size (cx, cy 0) or stretched: the mask with AND, then the image with
// XOR, so the mask's white pixels let the background through.
BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT istepIfAniCur,
                HBRUSH hbrFlickerFreeDraw, UINT diFlags);
BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon);

namespace platform {

// One compiled resource; type and name are MAKEINTRESOURCEA numbers or texts in capitals.
struct ResourceEntry {
    LPCSTR type;
    LPCSTR name;
    const BYTE* data;
    DWORD size;
};

// Makes the entries the resources of a module; a later call for the same module replaces them.
// The entries must outlive the process (the generated tables are static data).
void RegisterModuleResources(HMODULE module, std::span<const ResourceEntry> entries);

// An icon drawn at size x size pixels as 0xAARRGGBB values, rows top to bottom, for the display's
// window icons: alpha 0 where the mask lets the background through. Empty when the handle is not
// an icon.
std::vector<uint32_t> IconPixels(HICON icon, int size);

} // namespace platform
