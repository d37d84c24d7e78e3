#include "platform/user/Resources.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/BmpFile.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Surface.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/HandleTable.h"
#include "platform/kernel/Modules.h"
#include "platform/user/Windows.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <strings.h>
#include <tuple>
#include <vector>

namespace {

struct IconRecord {
    HBITMAP colour = nullptr;
    HBITMAP mask = nullptr; // monochrome: white lets the background through
    int width = 0;
    int height = 0;
    bool isShared = false;
};

platform::HandleTable<IconRecord>& Icons() {
    static auto* table = new platform::HandleTable<IconRecord>(0x7C000000, 4);
    return *table;
}

struct Registry {
    std::mutex mutex;
    std::map<HMODULE, std::span<const platform::ResourceEntry>> modules;
    // Shared icons by module, group name (number or folded text) and size.
    std::map<std::tuple<HMODULE, std::string, int>, HICON> sharedIcons;
};

Registry& Resources() {
    static auto* registry = new Registry;
    return *registry;
}

HMODULE ModuleOrProgram(HMODULE module) {
    return module != nullptr ? module : GetModuleHandleA(nullptr);
}

// A number given as MAKEINTRESOURCE or as "#123".
bool NumberOf(LPCSTR name, WORD& number) {
    if (IS_INTRESOURCE(name)) {
        number = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
        return true;
    }
    if (name[0] == '#') {
        number = static_cast<WORD>(std::strtoul(name + 1, nullptr, 10));
        return true;
    }
    return false;
}

bool SameName(LPCSTR a, LPCSTR b) {
    WORD first = 0;
    WORD second = 0;
    const bool isNumberA = NumberOf(a, first);
    const bool isNumberB = NumberOf(b, second);
    if (isNumberA || isNumberB) {
        return isNumberA && isNumberB && first == second;
    }
    return strcasecmp(a, b) == 0;
}

std::string KeyOf(LPCSTR name) {
    WORD number = 0;
    if (NumberOf(name, number)) {
        return "#" + std::to_string(number);
    }
    std::string key(name);
    for (char& c : key) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return key;
}

const platform::ResourceEntry* Find(HMODULE module, LPCSTR name, LPCSTR type) {
    if (name == nullptr || type == nullptr) {
        return nullptr;
    }
    Registry& registry = Resources();
    std::lock_guard lock(registry.mutex);
    auto found = registry.modules.find(ModuleOrProgram(module));
    if (found == registry.modules.end()) {
        return nullptr;
    }
    for (const platform::ResourceEntry& entry : found->second) {
        if (SameName(entry.type, type) && SameName(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

uint16_t ReadWord(const BYTE* data) {
    return static_cast<uint16_t>(data[0] | data[1] << 8);
}
uint32_t ReadDword(const BYTE* data) {
    return ReadWord(data) | static_cast<uint32_t>(ReadWord(data + 2)) << 16;
}

// An RT_ICON image: a packed DIB of twice the icon's height, the colour rows followed by the
// one-bit AND mask. The colour part goes through the BMP reader with the height halved.
HICON IconFromImage(const BYTE* data, DWORD size) {
    if (size < 40 || ReadDword(data) < 40 || ReadDword(data) > size) {
        return nullptr;
    }
    const DWORD headerSize = ReadDword(data);
    const auto width = static_cast<LONG>(ReadDword(data + 4));
    const auto doubledHeight = static_cast<LONG>(ReadDword(data + 8));
    const WORD bitCount = ReadWord(data + 14);
    const DWORD coloursUsed = ReadDword(data + 32);
    if (width <= 0 || width > 256 || doubledHeight <= 0 || doubledHeight > 512 || doubledHeight % 2 != 0) {
        return nullptr;
    }
    const LONG height = doubledHeight / 2;
    const DWORD paletteSize = 4 * (coloursUsed != 0 ? coloursUsed : (bitCount <= 8 ? 1u << bitCount : 0u));
    const DWORD colourStride = ((static_cast<DWORD>(width) * bitCount + 31) / 32) * 4;
    const DWORD maskStride = ((static_cast<DWORD>(width) + 31) / 32) * 4;
    const DWORD maskOffset = headerSize + paletteSize + colourStride * static_cast<DWORD>(height);
    if (maskOffset > size || maskStride * static_cast<DWORD>(height) > size - maskOffset) {
        return nullptr;
    }
    std::vector<BYTE> colourPart(data, data + maskOffset);
    const auto halfHeight = static_cast<DWORD>(height);
    std::memcpy(colourPart.data() + 8, &halfHeight, 4);
    const DWORD noImageSize = 0;
    std::memcpy(colourPart.data() + 20, &noImageSize, 4);
    HBITMAP colour = platform::LoadBitmapFromBmp(colourPart.data(), colourPart.size());
    if (colour == nullptr) {
        return nullptr;
    }
    // CreateBitmap takes monochrome rows padded to 16 bits, top row first; the DIB is bottom-up.
    const size_t monoStride = ((static_cast<size_t>(width) + 15) / 16) * 2;
    std::vector<BYTE> maskBits(monoStride * static_cast<size_t>(height));
    for (LONG row = 0; row < height; ++row) {
        const BYTE* source = data + maskOffset + maskStride * static_cast<DWORD>(height - 1 - row);
        std::memcpy(maskBits.data() + monoStride * static_cast<size_t>(row), source, monoStride);
    }
    auto icon = std::make_shared<IconRecord>();
    icon->colour = colour;
    icon->mask = CreateBitmap(width, height, 1, 1, maskBits.data());
    icon->width = width;
    icon->height = height;
    return static_cast<HICON>(Icons().Insert(std::move(icon)));
}

// The image of an icon group nearest the wanted size: the exact size, else the smallest larger
// one, else the largest.
HICON IconFromGroup(HMODULE module, LPCSTR name, int wanted) {
    const platform::ResourceEntry* group = Find(module, name, RT_GROUP_ICON);
    if (group == nullptr || group->size < 6) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    const WORD count = ReadWord(group->data + 4);
    int bestSize = 0;
    WORD bestId = 0;
    for (WORD i = 0; i < count && 6u + 14u * (i + 1u) <= group->size; ++i) {
        const BYTE* entry = group->data + 6 + 14 * i;
        const int size = entry[0] == 0 ? 256 : entry[0];
        const bool isBetter =
            bestId == 0 || size == wanted ||
            (bestSize != wanted && ((size > wanted && (bestSize < wanted || size < bestSize)) ||
                                    (bestSize < wanted && size > bestSize)));
        if (isBetter) {
            bestSize = size;
            bestId = ReadWord(entry + 12);
        }
    }
    const platform::ResourceEntry* image = Find(module, MAKEINTRESOURCEA(bestId), RT_ICON);
    if (image == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return IconFromImage(image->data, image->size);
}

// The system icons of the message box, drawn at 32 x 32: a red disc with a white cross, a blue
// disc with a white question mark, a yellow triangle with a black exclamation mark, a blue disc
// with a white "i", and a window for the application.
HICON SystemIcon(WORD number) {
    constexpr int Size = 32;
    HDC colourDc = CreateCompatibleDC(nullptr);
    HDC maskDc = CreateCompatibleDC(nullptr);
    HBITMAP colour = CreateBitmap(Size, Size, 1, 32, nullptr);
    HBITMAP mask = CreateBitmap(Size, Size, 1, 1, nullptr);
    HGDIOBJ oldColour = SelectObject(colourDc, colour);
    HGDIOBJ oldMask = SelectObject(maskDc, mask);
    const RECT whole{0, 0, Size, Size};
    FillRect(colourDc, &whole, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FillRect(maskDc, &whole, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SelectObject(maskDc, GetStockObject(BLACK_BRUSH));
    SelectObject(maskDc, GetStockObject(BLACK_PEN));

    COLORREF fill = RGB(0, 0, 255);
    COLORREF ink = RGB(255, 255, 255);
    const char* sign = "i";
    const POINT triangle[] = {{16, 1}, {31, 29}, {1, 29}};
    const bool isTriangle = number == 32515;
    switch (number) {
    case 32513:
        fill = RGB(255, 0, 0);
        sign = "X";
        break;
    case 32514:
        sign = "?";
        break;
    case 32515:
        fill = RGB(255, 255, 0);
        ink = RGB(0, 0, 0);
        sign = "!";
        break;
    case 32512:
        fill = RGB(255, 255, 255);
        ink = RGB(0, 0, 128);
        sign = "";
        break;
    default:
        break;
    }
    HBRUSH brush = CreateSolidBrush(fill);
    HPEN pen = CreatePen(PS_SOLID, 1, number == 32512 ? RGB(0, 0, 0) : fill);
    SelectObject(colourDc, brush);
    SelectObject(colourDc, pen);
    if (isTriangle) {
        Polygon(colourDc, triangle, 3);
        Polygon(maskDc, triangle, 3);
    } else if (number == 32512) {
        Rectangle(colourDc, 2, 4, 30, 28);
        Rectangle(maskDc, 2, 4, 30, 28);
        const RECT titleBar{3, 5, 29, 10};
        HBRUSH blue = CreateSolidBrush(ink);
        FillRect(colourDc, &titleBar, blue);
        DeleteObject(blue);
    } else {
        Ellipse(colourDc, 1, 1, 31, 31);
        Ellipse(maskDc, 1, 1, 31, 31);
    }
    HFONT font = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HGDIOBJ oldFont = SelectObject(colourDc, font);
    SetBkMode(colourDc, TRANSPARENT);
    SetTextColor(colourDc, ink);
    RECT textArea{0, isTriangle ? 6 : 1, Size, Size};
    DrawTextA(colourDc, sign, -1, &textArea, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(colourDc, oldFont);
    DeleteObject(font);
    SelectObject(colourDc, oldColour);
    SelectObject(maskDc, oldMask);
    DeleteDC(colourDc);
    DeleteDC(maskDc);
    DeleteObject(brush);
    DeleteObject(pen);
    auto icon = std::make_shared<IconRecord>();
    icon->colour = colour;
    icon->mask = mask;
    icon->width = Size;
    icon->height = Size;
    return static_cast<HICON>(Icons().Insert(std::move(icon)));
}

// Shared icons are made once per module, name and size.
HICON SharedIcon(HMODULE module, LPCSTR name, int size) {
    Registry& registry = Resources();
    WORD number = 0;
    const bool isSystem = module == nullptr && NumberOf(name, number) && number >= 32512 && number <= 32516;
    const auto key = std::make_tuple(isSystem ? nullptr : ModuleOrProgram(module), KeyOf(name), size);
    {
        std::lock_guard lock(registry.mutex);
        auto found = registry.sharedIcons.find(key);
        if (found != registry.sharedIcons.end()) {
            return found->second;
        }
    }
    HICON icon = isSystem ? SystemIcon(number) : IconFromGroup(module, name, size);
    if (icon == nullptr) {
        return nullptr;
    }
    Icons().Lookup(icon)->isShared = true;
    std::lock_guard lock(registry.mutex);
    auto [at, isNew] = registry.sharedIcons.emplace(key, icon);
    return at->second; // another thread may have made it first; its handle wins
}

HBITMAP CopyOf(HBITMAP bitmap, int width, int height, bool isMonochrome) {
    HBITMAP copy = CreateBitmap(width, height, 1, isMonochrome ? 1 : 32, nullptr);
    HDC from = CreateCompatibleDC(nullptr);
    HDC to = CreateCompatibleDC(nullptr);
    HGDIOBJ oldFrom = SelectObject(from, bitmap);
    HGDIOBJ oldTo = SelectObject(to, copy);
    BitBlt(to, 0, 0, width, height, from, 0, 0, SRCCOPY);
    SelectObject(from, oldFrom);
    SelectObject(to, oldTo);
    DeleteDC(from);
    DeleteDC(to);
    return copy;
}

} // namespace

HRSRC FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType) {
    const platform::ResourceEntry* entry = Find(hModule, lpName, lpType);
    if (entry == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    }
    return reinterpret_cast<HRSRC>(const_cast<platform::ResourceEntry*>(entry));
}

HGLOBAL LoadResource(HMODULE, HRSRC hResInfo) {
    if (hResInfo == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return const_cast<BYTE*>(reinterpret_cast<const platform::ResourceEntry*>(hResInfo)->data);
}

LPVOID LockResource(HGLOBAL hResData) {
    return hResData;
}

DWORD SizeofResource(HMODULE, HRSRC hResInfo) {
    return hResInfo ? reinterpret_cast<const platform::ResourceEntry*>(hResInfo)->size : 0;
}

BOOL FreeResource(HGLOBAL) {
    return FALSE;
}

HBITMAP LoadBitmapA(HINSTANCE hInstance, LPCSTR lpBitmapName) {
    // A null instance asks for the system's predefined bitmaps (OBM_...), which the stand-in does
    // not have; it never means the program's own module here, as it does for FindResourceA.
    const platform::ResourceEntry* entry =
        hInstance != nullptr ? Find(hInstance, lpBitmapName, RT_BITMAP) : nullptr;
    if (entry == nullptr) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    return platform::LoadBitmapFromBmp(entry->data, entry->size);
}

HICON LoadIconA(HINSTANCE hInstance, LPCSTR lpIconName) {
    return SharedIcon(hInstance, lpIconName, GetSystemMetrics(SM_CXICON));
}

HANDLE LoadImageA(HINSTANCE hInst, LPCSTR name, UINT type, int cx, int cy, UINT fuLoad) {
    if (fuLoad & LR_LOADFROMFILE) {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (type == IMAGE_BITMAP) {
        return LoadBitmapA(hInst, name);
    }
    if (type != IMAGE_ICON) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const int size = cx != 0 ? cx : ((fuLoad & LR_DEFAULTSIZE) ? GetSystemMetrics(SM_CXICON) : 32);
    if (fuLoad & LR_SHARED) {
        return SharedIcon(hInst, name, size);
    }
    return IconFromGroup(hInst, name, size);
}

BOOL DestroyIcon(HICON hIcon) {
    std::shared_ptr<IconRecord> icon = Icons().Lookup(hIcon);
    if (icon == nullptr) {
        return FALSE;
    }
    if (icon->isShared) {
        return TRUE;
    }
    Icons().Remove(hIcon);
    DeleteObject(icon->colour);
    DeleteObject(icon->mask);
    return TRUE;
}

BOOL GetIconInfo(HICON hIcon, ICONINFO* piconinfo) {
    std::shared_ptr<IconRecord> icon = Icons().Lookup(hIcon);
    if (icon == nullptr || piconinfo == nullptr) {
        return FALSE;
    }
    *piconinfo = ICONINFO{TRUE, static_cast<DWORD>(icon->width / 2), static_cast<DWORD>(icon->height / 2),
                          CopyOf(icon->mask, icon->width, icon->height, true),
                          CopyOf(icon->colour, icon->width, icon->height, false)};
    return TRUE;
}

BOOL DrawIconEx(HDC hdc, int xLeft, int yTop, HICON hIcon, int cxWidth, int cyWidth, UINT, HBRUSH,
                UINT diFlags) {
    std::shared_ptr<IconRecord> icon = Icons().Lookup(hIcon);
    if (icon == nullptr) {
        return FALSE;
    }
    const int width = cxWidth != 0 ? cxWidth : icon->width;
    const int height = cyWidth != 0 ? cyWidth : icon->height;
    HDC source = CreateCompatibleDC(hdc);
    // Monochrome to colour turns black into the text colour and white into the background colour.
    const COLORREF oldText = SetTextColor(hdc, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(hdc, RGB(255, 255, 255));
    const int oldMode = SetStretchBltMode(hdc, COLORONCOLOR);
    HGDIOBJ old = SelectObject(source, icon->mask);
    if (diFlags & DI_MASK) {
        StretchBlt(hdc, xLeft, yTop, width, height, source, 0, 0, icon->width, icon->height,
                   (diFlags & DI_IMAGE) ? SRCAND : SRCCOPY);
    }
    if (diFlags & DI_IMAGE) {
        SelectObject(source, icon->colour);
        StretchBlt(hdc, xLeft, yTop, width, height, source, 0, 0, icon->width, icon->height,
                   (diFlags & DI_MASK) ? SRCINVERT : SRCCOPY);
    }
    SelectObject(source, old);
    SetStretchBltMode(hdc, oldMode);
    SetTextColor(hdc, oldText);
    SetBkColor(hdc, oldBack);
    DeleteDC(source);
    return TRUE;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon) {
    return DrawIconEx(hDC, X, Y, hIcon, 0, 0, 0, nullptr, DI_NORMAL);
}

namespace platform {

void RegisterModuleResources(HMODULE module, std::span<const ResourceEntry> entries) {
    Registry& registry = Resources();
    std::lock_guard lock(registry.mutex);
    registry.modules[ModuleOrProgram(module)] = entries;
}

std::vector<uint32_t> IconPixels(HICON icon, int size) {
    if (Icons().Lookup(icon) == nullptr || size <= 0) {
        return {};
    }
    // The image and the mask are drawn apart; the mask is white where the icon is transparent.
    const RECT all{0, 0, size, size};
    Surface* image = CreateSurface(size, size);
    Surface* mask = CreateSurface(size, size);
    for (auto [surface, part] : {std::pair{image, DI_IMAGE}, std::pair{mask, DI_MASK}}) {
        HDC dc = CreateSurfaceDC(surface, POINT{0, 0}, all);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, part);
        DeleteSurfaceDC(dc);
    }
    int imageStride = 0;
    int maskStride = 0;
    const uint8_t* imagePixels = SurfacePixels(image, &imageStride);
    const uint8_t* maskPixels = SurfacePixels(mask, &maskStride);
    std::vector<uint32_t> pixels(static_cast<size_t>(size) * static_cast<size_t>(size));
    for (int y = 0; y < size; ++y) {
        const auto* imageRow =
            reinterpret_cast<const uint32_t*>(imagePixels + static_cast<ptrdiff_t>(y) * imageStride);
        const auto* maskRow =
            reinterpret_cast<const uint32_t*>(maskPixels + static_cast<ptrdiff_t>(y) * maskStride);
        for (int x = 0; x < size; ++x) {
            const bool isTransparent = (maskRow[x] & 0xFFFFFF) == 0xFFFFFF;
            pixels[static_cast<size_t>(y) * static_cast<size_t>(size) + static_cast<size_t>(x)] =
                isTransparent ? 0u : (0xFF000000u | (imageRow[x] & 0xFFFFFF));
        }
    }
    DestroySurface(image);
    DestroySurface(mask);
    return pixels;
}

} // namespace platform
