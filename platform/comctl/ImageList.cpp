#include "platform/comctl/ImageList.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Objects.h"
#include "platform/kernel/Errors.h"

#include <memory>
#include <mutex>
#include <set>
#include <vector>

struct HIMAGELIST__ {
    int width = 0;
    int height = 0;
    UINT flags = 0;
    COLORREF background = CLR_NONE;
    std::vector<HBITMAP> images;
    std::vector<HBITMAP> masks; // empty unless the list keeps masks
};

namespace {

constexpr DWORD DestinationAndNotSource = 0x00220326; // DSna: clears destination where the source is white

std::mutex listsMutex;
std::set<HIMAGELIST> lists;

HIMAGELIST Valid(HIMAGELIST himl) {
    std::lock_guard lock(listsMutex);
    if (lists.count(himl) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return himl;
}

// A memory context with a bitmap selected, given back as it was on destruction.
class SelectedBitmap {
public:
    explicit SelectedBitmap(HBITMAP bitmap)
        : dc(CreateCompatibleDC(nullptr)), previous(SelectObject(dc, bitmap)) {}
    ~SelectedBitmap() {
        SelectObject(dc, previous);
        DeleteDC(dc);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    HDC Context() const { return dc; }

private:
    HDC dc;
    HGDIOBJ previous;
};

// Copies the count-th picture of a strip into a bitmap of its own (colour or monochrome).
HBITMAP CutPicture(HBITMAP strip, int index, int width, int height, bool monochrome) {
    HBITMAP picture = CreateBitmap(width, height, 1, monochrome ? 1 : 32, nullptr);
    SelectedBitmap source(strip);
    SelectedBitmap target(picture);
    BitBlt(target.Context(), 0, 0, width, height, source.Context(), index * width, 0, SRCCOPY);
    return picture;
}

// The picture count a strip holds: its width over the list's, at least one.
int PictureCount(HIMAGELIST list, HBITMAP strip) {
    BITMAP info{};
    if (strip == nullptr || GetObjectA(strip, sizeof info, &info) == 0) {
        return 0;
    }
    // As in Win32: as many whole pictures as the strip holds, none for a narrower one.
    return static_cast<int>(info.bmWidth) / list->width;
}

} // namespace

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow) {
    if (cx <= 0 || cy <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* list = new HIMAGELIST__;
    list->width = cx;
    list->height = cy;
    list->flags = flags;
    list->images.reserve(cInitial > 0 ? cInitial : 0);
    std::lock_guard lock(listsMutex);
    lists.insert(list);
    return list;
}

BOOL ImageList_Destroy(HIMAGELIST himl) {
    {
        std::lock_guard lock(listsMutex);
        if (lists.erase(himl) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    for (HBITMAP bitmap : himl->images) {
        DeleteObject(bitmap);
    }
    for (HBITMAP bitmap : himl->masks) {
        DeleteObject(bitmap);
    }
    delete himl;
    return TRUE;
}

int ImageList_GetImageCount(HIMAGELIST himl) {
    return Valid(himl) ? static_cast<int>(himl->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy) {
    if (!Valid(himl) || cx == nullptr || cy == nullptr) {
        return FALSE;
    }
    *cx = himl->width;
    *cy = himl->height;
    return TRUE;
}

COLORREF ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk) {
    if (!Valid(himl)) {
        return CLR_NONE;
    }
    const COLORREF previous = himl->background;
    himl->background = clrBk;
    return previous;
}

COLORREF ImageList_GetBkColor(HIMAGELIST himl) {
    return Valid(himl) ? himl->background : CLR_NONE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask) {
    if (!Valid(himl)) {
        return -1;
    }
    BITMAP info{};
    if (hbmImage == nullptr || GetObjectA(hbmImage, sizeof info, &info) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    const int count = PictureCount(himl, hbmImage);
    const int first = static_cast<int>(himl->images.size());
    const bool masked = (himl->flags & ILC_MASK) != 0;
    for (int index = 0; index < count; ++index) {
        HBITMAP picture = CutPicture(hbmImage, index, himl->width, himl->height, false);
        if (masked) {
            HBITMAP mask = hbmMask ? CutPicture(hbmMask, index, himl->width, himl->height, true)
                                   : CreateBitmap(himl->width, himl->height, 1, 1, nullptr);
            SelectedBitmap pictureContext(picture);
            SelectedBitmap maskContext(mask);
            BitBlt(pictureContext.Context(), 0, 0, himl->width, himl->height, maskContext.Context(), 0, 0,
                   DestinationAndNotSource);
            himl->masks.push_back(mask);
        }
        himl->images.push_back(picture);
    }
    return first;
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask) {
    if (!Valid(himl)) {
        return -1;
    }
    BITMAP info{};
    if (hbmImage == nullptr || GetObjectA(hbmImage, sizeof info, &info) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    // Colour to monochrome: the source's background colour becomes white, everything else black.
    HBITMAP mask = CreateBitmap(info.bmWidth, info.bmHeight, 1, 1, nullptr);
    {
        SelectedBitmap source(hbmImage);
        SelectedBitmap target(mask);
        SetBkColor(source.Context(), crMask);
        BitBlt(target.Context(), 0, 0, info.bmWidth, info.bmHeight, source.Context(), 0, 0, SRCCOPY);
    }
    const int first = ImageList_Add(himl, hbmImage, mask);
    DeleteObject(mask);
    return first;
}

BOOL ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy, COLORREF rgbBk,
                      COLORREF rgbFg, UINT fStyle) {
    if (!Valid(himl) || i < 0 || i >= static_cast<int>(himl->images.size()) || hdcDst == nullptr) {
        return FALSE;
    }
    const int width = dx > 0 ? std::min(dx, himl->width) : himl->width;
    const int height = dy > 0 ? std::min(dy, himl->height) : himl->height;
    const bool masked = !himl->masks.empty();
    if (rgbBk == CLR_DEFAULT) {
        rgbBk = himl->background;
    }
    const COLORREF oldText = SetTextColor(hdcDst, RGB(0, 0, 0));
    const COLORREF oldBack = SetBkColor(hdcDst, RGB(255, 255, 255));
    BOOL done = TRUE;
    if (masked && (fStyle & ILD_MASK)) {
        SelectedBitmap mask(himl->masks[i]);
        done = BitBlt(hdcDst, x, y, width, height, mask.Context(), 0, 0, SRCCOPY);
    } else if (masked && ((fStyle & ILD_TRANSPARENT) || rgbBk == CLR_NONE)) {
        SelectedBitmap mask(himl->masks[i]);
        SelectedBitmap picture(himl->images[i]);
        done = BitBlt(hdcDst, x, y, width, height, mask.Context(), 0, 0, SRCAND) &&
               BitBlt(hdcDst, x, y, width, height, picture.Context(), 0, 0, SRCPAINT);
    } else if (masked) {
        // The masked pixels take the background colour: white in the mask becomes rgbBk.
        SelectedBitmap mask(himl->masks[i]);
        SelectedBitmap picture(himl->images[i]);
        SetBkColor(hdcDst, rgbBk);
        done = BitBlt(hdcDst, x, y, width, height, mask.Context(), 0, 0, SRCCOPY) &&
               BitBlt(hdcDst, x, y, width, height, picture.Context(), 0, 0, SRCPAINT);
    } else {
        SelectedBitmap picture(himl->images[i]);
        done = BitBlt(hdcDst, x, y, width, height, picture.Context(), 0, 0, SRCCOPY);
    }
    SetTextColor(hdcDst, oldText);
    SetBkColor(hdcDst, oldBack);
    return done;
}

BOOL ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle) {
    return ImageList_DrawEx(himl, i, hdcDst, x, y, 0, 0, CLR_DEFAULT, CLR_DEFAULT, fStyle);
}
