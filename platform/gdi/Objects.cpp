#include "platform/gdi/Objects.h"

#include "platform/gdi/Internal.h"
#include "platform/gdi/SystemColours.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/HandleTable.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

using namespace platform::gdi;

// Drawing handles count up in steps of four from a base far above the kernel's handles and above
// the small numbers that stand for system colours in place of brushes.
platform::HandleTable<GdiObject>& Table() {
    static auto* table = new platform::HandleTable<GdiObject>(0x00A00000, 4);
    return *table;
}

std::uintptr_t Key(HGDIOBJ handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

LOGFONTA StockLogFont(LONG height, LONG weight, BYTE charSet, BYTE pitchAndFamily, const char* face) {
    LOGFONTA logFont{};
    logFont.lfHeight = height;
    logFont.lfWeight = weight;
    logFont.lfCharSet = charSet;
    logFont.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(logFont.lfFaceName, face, LF_FACESIZE - 1);
    return logFont;
}

// The stock objects as Win32 defines them. The bitmap has no public index; it takes the slot after
// the last public one.
constexpr int stockBitmapIndex = DEFAULT_GUI_FONT + 1;
constexpr int stockCount = stockBitmapIndex + 1;

std::shared_ptr<GdiObject> MakeStockObject(int index) {
    switch (index) {
    case WHITE_BRUSH:
        return std::make_shared<Brush>(BS_SOLID, RGB(255, 255, 255));
    case LTGRAY_BRUSH:
        return std::make_shared<Brush>(BS_SOLID, RGB(192, 192, 192));
    case GRAY_BRUSH:
        return std::make_shared<Brush>(BS_SOLID, RGB(128, 128, 128));
    case DKGRAY_BRUSH:
        return std::make_shared<Brush>(BS_SOLID, RGB(64, 64, 64));
    case BLACK_BRUSH:
        return std::make_shared<Brush>(BS_SOLID, RGB(0, 0, 0));
    case NULL_BRUSH:
        return std::make_shared<Brush>(BS_NULL, 0);
    case WHITE_PEN:
        return std::make_shared<Pen>(PS_SOLID, 1, RGB(255, 255, 255));
    case BLACK_PEN:
        return std::make_shared<Pen>(PS_SOLID, 1, RGB(0, 0, 0));
    case NULL_PEN:
        return std::make_shared<Pen>(PS_NULL, 1, 0);
    case OEM_FIXED_FONT:
        return MakeFont(StockLogFont(12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN, "Terminal"));
    case ANSI_FIXED_FONT:
        return MakeFont(StockLogFont(12, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Courier"));
    case ANSI_VAR_FONT:
        return MakeFont(
            StockLogFont(12, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif"));
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
        return MakeFont(StockLogFont(16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS, "System"));
    case SYSTEM_FIXED_FONT:
        return MakeFont(StockLogFont(15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN, "Fixedsys"));
    case DEFAULT_GUI_FONT:
        return MakeFont(
            StockLogFont(-11, FW_NORMAL, ANSI_CHARSET, DEFAULT_PITCH | FF_DONTCARE, "MS Shell Dlg"));
    case stockBitmapIndex:
        return std::make_shared<Bitmap>(1, 1, true);
    default:
        return nullptr;
    }
}

// Stock objects are made on first use: realising the stock fonts costs a fontconfig search each,
// and most programs use one or two of them.
HGDIOBJ StockHandle(int index) {
    static std::mutex mutex;
    static HGDIOBJ handles[stockCount] = {};
    if (index < 0 || index >= stockCount)
        return nullptr;
    std::lock_guard lock(mutex);
    if (handles[index] == nullptr) {
        std::shared_ptr<GdiObject> object = MakeStockObject(index);
        if (object == nullptr)
            return nullptr;
        object->isStock = true;
        handles[index] = InsertObject(std::move(object));
    }
    return handles[index];
}

SelectedObject Selection(HGDIOBJ handle) {
    return {handle, LookupObject(handle)};
}

template <typename Record> int CopyRecord(const Record& record, int size, LPVOID buffer) {
    if (buffer == nullptr)
        return static_cast<int>(sizeof(Record));
    if (size <= 0)
        return 0;
    int copied = std::min(size, static_cast<int>(sizeof(Record)));
    std::memcpy(buffer, &record, static_cast<size_t>(copied));
    return copied;
}

int BitmapRecord(const Bitmap& bitmap, int size, LPVOID buffer) {
    BITMAP record{};
    record.bmWidth = bitmap.width;
    record.bmHeight = bitmap.height;
    record.bmPlanes = 1;
    if (bitmap.IsDibSection()) {
        record.bmBitsPixel = static_cast<WORD>(bitmap.dibBitCount);
        record.bmWidthBytes = static_cast<LONG>(bitmap.dibStride);
        record.bmBits = bitmap.dibBits.get();
    } else {
        record.bmBitsPixel = bitmap.monochrome ? 1 : 32;
        // Device-dependent bitmaps pad their rows to 16 bits.
        record.bmWidthBytes = (bitmap.width * record.bmBitsPixel + 15) / 16 * 2;
    }
    return CopyRecord(record, size, buffer);
}

} // namespace

namespace platform::gdi {

HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object) {
    return Table().Insert(std::move(object));
}

std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle) {
    return Table().Lookup(handle);
}

std::shared_ptr<GdiObject> RemoveObject(HGDIOBJ handle) {
    return Table().Remove(handle);
}

std::shared_ptr<DeviceContext> LookupDC(HDC hdc) {
    return Lookup<DeviceContext>(hdc);
}

HDC InsertDC(std::shared_ptr<DeviceContext> dc) {
    return static_cast<HDC>(InsertObject(std::move(dc)));
}

HBITMAP StockBitmap() {
    return static_cast<HBITMAP>(StockHandle(stockBitmapIndex));
}

void SelectDefaultObjects(DeviceContext& dc) {
    dc.state.brush = Selection(StockHandle(WHITE_BRUSH));
    dc.state.pen = Selection(StockHandle(BLACK_PEN));
    dc.state.font = Selection(StockHandle(SYSTEM_FONT));
    if (dc.kind == DeviceContext::Kind::Memory)
        dc.state.bitmap = Selection(StockBitmap());
}

COLORREF NearestMonochrome(COLORREF colour) {
    int brightness = GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11;
    return brightness >= 128 * 100 ? RGB(255, 255, 255) : RGB(0, 0, 0);
}

std::optional<COLORREF> BrushColour(HBRUSH brush) {
    std::uintptr_t value = Key(brush);
    if (value >= 1 && value <= static_cast<std::uintptr_t>(COLOR_MENUBAR) + 1)
        return static_cast<COLORREF>(GetSysColor(static_cast<int>(value) - 1));
    std::shared_ptr<Brush> found = Lookup<Brush>(brush);
    if (found == nullptr || found->style == BS_NULL)
        return std::nullopt;
    return found->colour;
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT result{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
    if (IsEmpty(result))
        return {0, 0, 0, 0};
    return result;
}

bool IsEmpty(const RECT& rect) {
    return rect.left >= rect.right || rect.top >= rect.bottom;
}

RECT Offset(RECT rect, int dx, int dy) {
    return {rect.left + dx, rect.top + dy, rect.right + dx, rect.bottom + dy};
}

} // namespace platform::gdi

HGDIOBJ GetStockObject(int i) {
    if (i == stockBitmapIndex)
        return nullptr; // not a public index
    return StockHandle(i);
}

HBRUSH CreateSolidBrush(COLORREF color) {
    return static_cast<HBRUSH>(InsertObject(std::make_shared<Brush>(BS_SOLID, color & pixelMask)));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
    if (plbrush == nullptr || (plbrush->lbStyle != BS_SOLID && plbrush->lbStyle != BS_NULL)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return static_cast<HBRUSH>(
        InsertObject(std::make_shared<Brush>(plbrush->lbStyle, plbrush->lbColor & pixelMask)));
}

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
    int style = iStyle & PS_STYLE_MASK;
    if (style > PS_INSIDEFRAME) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int width = std::max(cWidth, 1);
    // Patterns exist for one-pixel pens only; Win32 draws wider patterned pens solid.
    if (width > 1 && style >= PS_DASH && style <= PS_DASHDOTDOT)
        style = PS_SOLID;
    return static_cast<HPEN>(InsertObject(std::make_shared<Pen>(style, width, color & pixelMask)));
}

BOOL DeleteObject(HGDIOBJ ho) {
    std::shared_ptr<GdiObject> object = LookupObject(ho);
    if (object == nullptr)
        return FALSE;
    if (object->isStock)
        return TRUE;
    if (dynamic_cast<DeviceContext*>(object.get()) != nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (auto* bitmap = dynamic_cast<Bitmap*>(object.get());
        bitmap != nullptr && bitmap->selectedInto != nullptr) {
        SetLastError(ERROR_BUSY);
        return FALSE;
    }
    return RemoveObject(ho) != nullptr;
}

int GetObjectA(HANDLE h, int c, LPVOID pv) {
    std::shared_ptr<GdiObject> object = LookupObject(h);
    if (object == nullptr)
        return 0;
    if (auto* pen = dynamic_cast<Pen*>(object.get()))
        return CopyRecord(LOGPEN{static_cast<UINT>(pen->style), {pen->width, 0}, pen->colour}, c, pv);
    if (auto* brush = dynamic_cast<Brush*>(object.get()))
        return CopyRecord(LOGBRUSH{brush->style, brush->colour, 0}, c, pv);
    if (auto* font = dynamic_cast<Font*>(object.get()))
        return CopyRecord(font->logFont, c, pv);
    if (auto* bitmap = dynamic_cast<Bitmap*>(object.get()))
        return BitmapRecord(*bitmap, c, pv);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

DWORD GetObjectType(HGDIOBJ h) {
    std::shared_ptr<GdiObject> object = LookupObject(h);
    return object == nullptr ? 0 : object->Type();
}

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
    // Win32 orders the corners; an empty region stays empty.
    RECT box{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2)};
    if (IsEmpty(box))
        box = {0, 0, 0, 0};
    return static_cast<HRGN>(InsertObject(std::make_shared<Region>(box)));
}

HRGN CreateRectRgnIndirect(const RECT* lprect) {
    if (lprect == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

BOOL SetRectRgn(HRGN hrgn, int left, int top, int right, int bottom) {
    std::shared_ptr<Region> region = Lookup<Region>(hrgn);
    if (region == nullptr)
        return FALSE;
    RECT box{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    region->box = IsEmpty(box) ? RECT{0, 0, 0, 0} : box;
    return TRUE;
}

int GetRgnBox(HRGN hrgn, LPRECT lprc) {
    std::shared_ptr<Region> region = Lookup<Region>(hrgn);
    if (region == nullptr || lprc == nullptr)
        return ERROR;
    *lprc = region->box;
    return IsEmpty(region->box) ? NULLREGION : SIMPLEREGION;
}
