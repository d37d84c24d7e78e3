#include "platform/gdi/DeviceContext.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cassert>
#include <utility>

namespace {

using namespace platform::gdi;
using platform::AreaBounds;
using platform::IntersectArea;
using platform::RectangleList;

// Device coordinates of everything the context may ever draw on: the system region of a surface
// context, the bitmap of a memory context.
RectangleList DeviceArea(const DeviceContext& dc) {
    if (dc.kind == DeviceContext::Kind::Surface) {
        RectangleList area;
        for (const RECT& piece : dc.systemRegion)
            area.push_back(Offset(piece, -dc.origin.x, -dc.origin.y));
        return area;
    }
    const Bitmap* bitmap = dc.state.SelectedBitmap();
    const RECT box{0, 0, bitmap->width, bitmap->height};
    return IsEmpty(box) ? RectangleList{} : RectangleList{box};
}

// What drawing may reach now, in device coordinates: the context's own clip within its area.
RectangleList EffectiveDeviceArea(const DeviceContext& dc) {
    RectangleList area = DeviceArea(dc);
    return dc.state.clip ? IntersectArea(area, *dc.state.clip) : area;
}

int ClipType(const RectangleList& area) {
    if (area.empty())
        return NULLREGION;
    return area.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

// Keeps a bitmap's record of the one context it is selected into true when the selection changes.
void ChangeBitmapSelection(DeviceContext& dc, const SelectedObject& from, const SelectedObject& to) {
    auto* old = static_cast<Bitmap*>(from.object.get());
    auto* selected = static_cast<Bitmap*>(to.object.get());
    if (old != nullptr && old->selectedInto == &dc)
        old->selectedInto = nullptr;
    if (selected != nullptr && !selected->isStock)
        selected->selectedInto = &dc;
}

HGDIOBJ SelectBitmap(DeviceContext& dc, HGDIOBJ handle, const std::shared_ptr<GdiObject>& object) {
    auto* bitmap = static_cast<Bitmap*>(object.get());
    if (dc.kind != DeviceContext::Kind::Memory ||
        (bitmap->selectedInto != nullptr && bitmap->selectedInto != &dc)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    SelectedObject previous = dc.state.bitmap;
    dc.state.bitmap = {handle, object};
    ChangeBitmapSelection(dc, previous, dc.state.bitmap);
    return previous.handle;
}

HGDIOBJ Swap(SelectedObject& slot, HGDIOBJ handle, std::shared_ptr<GdiObject> object) {
    HGDIOBJ previous = slot.handle;
    slot = {handle, std::move(object)};
    return previous;
}

template <typename Value, typename Change> Value ChangeState(HDC hdc, Value failure, Change change) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    return dc == nullptr ? failure : change(dc->state);
}

BOOL MovePoint(HDC hdc, POINT DcState::*member, int x, int y, bool isRelative, LPPOINT previous) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    POINT& point = dc->state.*member;
    if (previous != nullptr)
        *previous = point;
    point = isRelative ? POINT{point.x + x, point.y + y} : POINT{x, y};
    return TRUE;
}

BOOL ConvertPoints(HDC hdc, LPPOINT points, int count, int sign) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || (count > 0 && points == nullptr))
        return FALSE;
    POINT offset = dc->state.Offset();
    for (int at = 0; at < count; ++at) {
        points[at].x += sign * offset.x;
        points[at].y += sign * offset.y;
    }
    return TRUE;
}

} // namespace

namespace platform::gdi {

COLORREF Target::Map(COLORREF colour) const {
    colour &= pixelMask;
    return monochrome ? NearestMonochrome(colour) : colour;
}

RECT Target::ToImage(const RECT& logical) const {
    return Offset(logical, offset.x, offset.y);
}

Target ResolveTarget(const DeviceContext& dc) {
    Target target;
    POINT offset = dc.state.Offset();
    if (dc.kind == DeviceContext::Kind::Surface) {
        target.image = dc.surface->image;
        target.offset = {offset.x + dc.origin.x, offset.y + dc.origin.y};
    } else {
        target.bitmap = dc.state.SelectedBitmap();
        target.image = target.bitmap->image;
        target.monochrome = target.bitmap->monochrome;
        target.offset = offset;
    }
    target.width = cairo_image_surface_get_width(target.image);
    target.height = cairo_image_surface_get_height(target.image);
    const POINT shift = dc.kind == DeviceContext::Kind::Surface ? dc.origin : POINT{0, 0};
    RectangleList area;
    for (const RECT& piece : EffectiveDeviceArea(dc))
        area.push_back(Offset(piece, shift.x, shift.y));
    area = IntersectArea(area, {0, 0, target.width, target.height});
    target.clip = AreaBounds(area);
    if (area.size() > 1)
        target.region = std::move(area);
    return target;
}

PixelScope::PixelScope(const Target& target) : target(target) {
    assert(target.image != nullptr);
    if (target.bitmap != nullptr)
        target.bitmap->LoadFromDib();
    cairo_surface_flush(target.image);
    data = cairo_image_surface_get_data(target.image);
    stride = cairo_image_surface_get_stride(target.image);
    KeepOutsidePixels();
}

PixelScope::~PixelScope() {
    RestoreOutsidePixels();
    cairo_surface_mark_dirty(target.image);
    if (target.bitmap != nullptr)
        target.bitmap->StoreToDib();
}

void PixelScope::KeepOutsidePixels() {
    if (target.region.empty())
        return;
    keptBox = Intersect(target.clip, {0, 0, target.width, target.height});
    if (IsEmpty(keptBox))
        return;
    const int width = keptBox.right - keptBox.left;
    kept.resize(static_cast<size_t>(width) * static_cast<size_t>(keptBox.bottom - keptBox.top));
    for (int y = keptBox.top; y < keptBox.bottom; ++y)
        std::copy(Row(y) + keptBox.left, Row(y) + keptBox.right,
                  kept.begin() + static_cast<ptrdiff_t>(y - keptBox.top) * width);
}

void PixelScope::RestoreOutsidePixels() {
    if (kept.empty())
        return;
    const int width = keptBox.right - keptBox.left;
    auto keptAt = [&](int x, int y) {
        return kept.begin() + static_cast<ptrdiff_t>(y - keptBox.top) * width + (x - keptBox.left);
    };
    // What was drawn inside the region joins the kept pixels, which then replace the whole box.
    for (const RECT& piece : target.region) {
        const RECT inside = Intersect(piece, keptBox);
        for (int y = inside.top; y < inside.bottom; ++y)
            std::copy(Row(y) + inside.left, Row(y) + inside.right, keptAt(inside.left, y));
    }
    for (int y = keptBox.top; y < keptBox.bottom; ++y)
        std::copy(keptAt(keptBox.left, y), keptAt(keptBox.right, y), Row(y) + keptBox.left);
}

Painter::Painter(const Target& target) : target(target) {
    assert(target.image != nullptr);
    if (target.bitmap != nullptr)
        target.bitmap->LoadFromDib();
    context = cairo_create(target.image);
    const RECT& clip = target.clip;
    if (target.region.empty()) {
        cairo_rectangle(context, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top);
    }
    // An empty path clips everything away, which is right when no piece is left inside the clip.
    for (const RECT& piece : target.region) {
        const RECT inside = Intersect(piece, clip);
        if (!IsEmpty(inside))
            cairo_rectangle(context, inside.left, inside.top, inside.right - inside.left,
                            inside.bottom - inside.top);
    }
    cairo_clip(context);
    cairo_translate(context, target.offset.x, target.offset.y);
    cairo_set_antialias(context, CAIRO_ANTIALIAS_NONE);
}

Painter::~Painter() {
    cairo_destroy(context);
    cairo_surface_flush(target.image);
    if (target.bitmap != nullptr)
        target.bitmap->StoreToDib();
}

void Painter::SetColour(COLORREF colour) {
    colour = target.Map(colour);
    cairo_set_source_rgb(context, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0,
                         GetBValue(colour) / 255.0);
}

void FillImageRect(const Target& target, PixelScope& pixels, RECT area, COLORREF colour) {
    area = Intersect(area, target.clip);
    uint32_t pixel = PixelOf(target.Map(colour));
    for (int y = area.top; y < area.bottom; ++y)
        std::fill(pixels.Row(y) + area.left, pixels.Row(y) + area.right, pixel);
}

} // namespace platform::gdi

HDC CreateCompatibleDC(HDC hdc) {
    if (hdc != nullptr && LookupDC(hdc) == nullptr)
        return nullptr;
    auto dc = std::make_shared<DeviceContext>(DeviceContext::Kind::Memory);
    SelectDefaultObjects(*dc);
    return InsertDC(std::move(dc));
}

BOOL DeleteDC(HDC hdc) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    RemoveObject(hdc);
    ChangeBitmapSelection(*dc, dc->state.bitmap, {});
    for (const DcState& saved : dc->saved)
        ChangeBitmapSelection(*dc, saved.bitmap, {});
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    std::shared_ptr<GdiObject> object = LookupObject(h);
    if (dc == nullptr || object == nullptr)
        return nullptr;
    switch (object->Type()) {
    case OBJ_BRUSH:
        return Swap(dc->state.brush, h, std::move(object));
    case OBJ_PEN:
        return Swap(dc->state.pen, h, std::move(object));
    case OBJ_FONT:
        return Swap(dc->state.font, h, std::move(object));
    case OBJ_BITMAP:
        return SelectBitmap(*dc, h, object);
    case OBJ_REGION: {
        int type = SelectClipRgn(hdc, static_cast<HRGN>(h));
        return type == ERROR ? HGDI_ERROR : reinterpret_cast<HGDIOBJ>(static_cast<INT_PTR>(type));
    }
    default:
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return nullptr;
    switch (type) {
    case OBJ_BRUSH:
        return dc->state.brush.handle;
    case OBJ_PEN:
        return dc->state.pen.handle;
    case OBJ_FONT:
        return dc->state.font.handle;
    case OBJ_BITMAP:
        return dc->state.bitmap.handle;
    default:
        return nullptr;
    }
}

int SaveDC(HDC hdc) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return 0;
    dc->saved.push_back(dc->state);
    return static_cast<int>(dc->saved.size());
}

BOOL RestoreDC(HDC hdc, int nSavedDC) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    int depth = static_cast<int>(dc->saved.size());
    int level = nSavedDC < 0 ? depth + 1 + nSavedDC : nSavedDC;
    if (nSavedDC == 0 || level < 1 || level > depth) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SelectedObject previousBitmap = dc->state.bitmap;
    dc->state = std::move(dc->saved[static_cast<size_t>(level - 1)]);
    dc->saved.resize(static_cast<size_t>(level - 1));
    ChangeBitmapSelection(*dc, previousBitmap, dc->state.bitmap);
    return TRUE;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    return ChangeState(hdc, CLR_INVALID,
                       [&](DcState& state) { return std::exchange(state.textColour, color); });
}

COLORREF GetTextColor(HDC hdc) {
    return ChangeState(hdc, CLR_INVALID, [](DcState& state) { return state.textColour; });
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    return ChangeState(hdc, CLR_INVALID,
                       [&](DcState& state) { return std::exchange(state.backgroundColour, color); });
}

COLORREF GetBkColor(HDC hdc) {
    return ChangeState(hdc, CLR_INVALID, [](DcState& state) { return state.backgroundColour; });
}

int SetBkMode(HDC hdc, int mode) {
    if (mode != TRANSPARENT && mode != OPAQUE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ChangeState(hdc, 0, [&](DcState& state) { return std::exchange(state.backgroundMode, mode); });
}

int GetBkMode(HDC hdc) {
    return ChangeState(hdc, 0, [](DcState& state) { return state.backgroundMode; });
}

int SetStretchBltMode(HDC hdc, int mode) {
    if (mode < BLACKONWHITE || mode > HALFTONE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ChangeState(hdc, 0, [&](DcState& state) { return std::exchange(state.stretchMode, mode); });
}

int GetStretchBltMode(HDC hdc) {
    return ChangeState(hdc, 0, [](DcState& state) { return state.stretchMode; });
}

int SetPolyFillMode(HDC hdc, int mode) {
    if (mode != ALTERNATE && mode != WINDING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return ChangeState(hdc, 0, [&](DcState& state) { return std::exchange(state.polyFillMode, mode); });
}

int GetPolyFillMode(HDC hdc) {
    return ChangeState(hdc, 0, [](DcState& state) { return state.polyFillMode; });
}

BOOL SetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return MovePoint(hdc, &DcState::viewportOrigin, x, y, false, lppt);
}

BOOL OffsetViewportOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return MovePoint(hdc, &DcState::viewportOrigin, x, y, true, lppt);
}

BOOL GetViewportOrgEx(HDC hdc, LPPOINT lppoint) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lppoint == nullptr)
        return FALSE;
    *lppoint = dc->state.viewportOrigin;
    return TRUE;
}

BOOL SetWindowOrgEx(HDC hdc, int x, int y, LPPOINT lppt) {
    return MovePoint(hdc, &DcState::windowOrigin, x, y, false, lppt);
}

BOOL GetWindowOrgEx(HDC hdc, LPPOINT lppoint) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lppoint == nullptr)
        return FALSE;
    *lppoint = dc->state.windowOrigin;
    return TRUE;
}

BOOL LPtoDP(HDC hdc, LPPOINT lppt, int c) {
    return ConvertPoints(hdc, lppt, c, 1);
}

BOOL DPtoLP(HDC hdc, LPPOINT lppt, int c) {
    return ConvertPoints(hdc, lppt, c, -1);
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lppt == nullptr)
        return FALSE;
    *lppt = dc->state.currentPosition;
    return TRUE;
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return ERROR;
    POINT offset = dc->state.Offset();
    RECT device = Offset({left, top, right, bottom}, offset.x, offset.y);
    if (IsEmpty(device))
        device = {0, 0, 0, 0};
    dc->state.clip = dc->state.clip ? Intersect(*dc->state.clip, device) : device;
    return ClipType(EffectiveDeviceArea(*dc));
}

int SelectClipRgn(HDC hdc, HRGN hrgn) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return ERROR;
    if (hrgn == nullptr) {
        dc->state.clip.reset();
        return ClipType(EffectiveDeviceArea(*dc));
    }
    std::shared_ptr<Region> region = Lookup<Region>(hrgn);
    if (region == nullptr)
        return ERROR;
    dc->state.clip = region->box;
    return ClipType(EffectiveDeviceArea(*dc));
}

int GetClipBox(HDC hdc, LPRECT lprect) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lprect == nullptr)
        return ERROR;
    RectangleList area = EffectiveDeviceArea(*dc);
    POINT offset = dc->state.Offset();
    *lprect = area.empty() ? RECT{0, 0, 0, 0} : Offset(AreaBounds(area), -offset.x, -offset.y);
    return ClipType(area);
}

int GetDeviceCaps(HDC hdc, int index) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return 0;
    SIZE size = platform::ScreenSize();
    if (dc->kind == DeviceContext::Kind::Surface)
        size = {cairo_image_surface_get_width(dc->surface->image),
                cairo_image_surface_get_height(dc->surface->image)};
    constexpr int dotsPerInch = 96;
    switch (index) {
    case DRIVERVERSION:
        return 0x4000;
    case TECHNOLOGY:
        return DT_RASDISPLAY;
    case HORZSIZE:
        return size.cx * 254 / (dotsPerInch * 10);
    case VERTSIZE:
        return size.cy * 254 / (dotsPerInch * 10);
    case HORZRES:
        return size.cx;
    case VERTRES:
        return size.cy;
    case BITSPIXEL:
        return 32;
    case PLANES:
        return 1;
    case NUMBRUSHES:
    case NUMPENS:
    case NUMCOLORS:
        return -1;
    case RASTERCAPS:
        return RC_BITBLT | RC_BITMAP64 | RC_DI_BITMAP | RC_DIBTODEV | RC_STRETCHBLT | RC_STRETCHDIB;
    case ASPECTX:
    case ASPECTY:
        return 36;
    case ASPECTXY:
        return 51;
    case LOGPIXELSX:
    case LOGPIXELSY:
        return dotsPerInch;
    case COLORRES:
        return 24;
    default:
        return 0;
    }
}
