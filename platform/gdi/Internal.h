#pragma once

// What the drawing modules share behind the Win32-shaped calls: the object classes, the handle
// table, the targets that drawing resolves a device context to, and the colour helpers. Only the
// platform's own gdi/ files include this header; it is the one place above cairo.
//
// All drawing ends on a cairo image surface in RGB24 (0x00RRGGBB per 32-bit pixel): a window
// surface for a surface context, the selected bitmap for a memory context. Monochrome bitmaps are
// stored the same way, holding only black and white, and every colour drawn into them is mapped
// to the nearer of the two first. Pixel-exact work (rectangles, one-pixel lines, raster
// operations) is done on the pixels directly; shapes and glyphs go through cairo.

#include "platform/WinTypes.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Errors.h"

#include <array>
#include <cairo.h>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::gdi {

class DeviceContext;

class GdiObject {
public:
    virtual ~GdiObject() = default;
    virtual DWORD Type() const = 0;

    // Stock objects survive DeleteObject.
    bool isStock = false;
};

struct Brush final : GdiObject {
    Brush(UINT style, COLORREF colour) : style(style), colour(colour) {}
    DWORD Type() const override { return OBJ_BRUSH; }

    UINT style;
    COLORREF colour;
};

struct Pen final : GdiObject {
    Pen(int style, int width, COLORREF colour) : style(style), width(width), colour(colour) {}
    DWORD Type() const override { return OBJ_PEN; }

    int style;
    int width;
    COLORREF colour;
};

struct Region final : GdiObject {
    explicit Region(const RECT& box) : box(box) {}
    DWORD Type() const override { return OBJ_REGION; }

    RECT box;
};

// A logical font realised at one pixel size: the cairo fonts to draw with and the whole metrics,
// shared by every logical font that asks for the same face and size.
struct RealisedFont {
    RealisedFont() = default;
    ~RealisedFont();
    RealisedFont(const RealisedFont&) = delete;
    RealisedFont& operator=(const RealisedFont&) = delete;

    int Advance(char byte) const { return advances[static_cast<unsigned char>(byte)]; }
    int Width(const char* text, size_t count) const;

    cairo_scaled_font_t* smooth = nullptr; // antialiased
    cairo_scaled_font_t* crisp = nullptr;  // for monochrome targets and NONANTIALIASED_QUALITY
    TEXTMETRICA metrics{};
    std::array<unsigned long, 256> glyphs{};
    std::array<int, 256> advances{};
    std::string family;
    int underlineOffset = 1; // below the baseline
    int strikeoutOffset = 3; // above the baseline
    int lineThickness = 1;
};

struct Font final : GdiObject {
    Font(const LOGFONTA& logFont, std::shared_ptr<const RealisedFont> realised)
        : logFont(logFont), realised(std::move(realised)) {}
    DWORD Type() const override { return OBJ_FONT; }

    LOGFONTA logFont;
    std::shared_ptr<const RealisedFont> realised;
};

// Realises a logical font; fonts are cached by face and size, so this is cheap after the first time.
std::shared_ptr<Font> MakeFont(const LOGFONTA& logFont);

class Bitmap final : public GdiObject {
public:
    Bitmap(int width, int height, bool monochrome);
    ~Bitmap() override;
    DWORD Type() const override { return OBJ_BITMAP; }

    bool IsDibSection() const { return dibBits != nullptr; }
    // Bring the DIB memory into the image before drawing, and back out after; nothing for other
    // bitmaps.
    void LoadFromDib();
    void StoreToDib();

    cairo_surface_t* image;
    int width;
    int height;
    bool monochrome;
    DeviceContext* selectedInto = nullptr;

    std::unique_ptr<uint8_t[]> dibBits;
    int dibBitCount = 0;
    bool dibBottomUp = true;
    size_t dibStride = 0;
};

// The pixels behind a platform::Surface. Contexts share them, so a surface destroyed under an open
// context leaves that context something harmless to draw on.
struct SurfaceImage {
    SurfaceImage(int width, int height);
    ~SurfaceImage();
    SurfaceImage(const SurfaceImage&) = delete;
    SurfaceImage& operator=(const SurfaceImage&) = delete;

    cairo_surface_t* image;
};

struct SelectedObject {
    HGDIOBJ handle = nullptr;
    std::shared_ptr<GdiObject> object;
};

// Everything SaveDC saves.
struct DcState {
    SelectedObject brush;
    SelectedObject pen;
    SelectedObject font;
    SelectedObject bitmap;
    COLORREF textColour = 0x000000;
    COLORREF backgroundColour = 0xFFFFFF;
    int backgroundMode = OPAQUE;
    UINT textAlign = 0;
    int stretchMode = BLACKONWHITE;
    int polyFillMode = ALTERNATE;
    POINT viewportOrigin{0, 0};
    POINT windowOrigin{0, 0};
    POINT currentPosition{0, 0};
    std::optional<RECT> clip; // device coordinates

    const Brush* SelectedBrush() const { return static_cast<const Brush*>(brush.object.get()); }
    const Pen* SelectedPen() const { return static_cast<const Pen*>(pen.object.get()); }
    const RealisedFont& SelectedFont() const {
        return *static_cast<const Font*>(font.object.get())->realised;
    }
    Bitmap* SelectedBitmap() const { return static_cast<Bitmap*>(bitmap.object.get()); }
    // Logical to device coordinates.
    POINT Offset() const { return {viewportOrigin.x - windowOrigin.x, viewportOrigin.y - windowOrigin.y}; }
};

class DeviceContext final : public GdiObject {
public:
    enum class Kind { Surface, Memory };

    explicit DeviceContext(Kind kind) : kind(kind) {}
    DWORD Type() const override { return kind == Kind::Memory ? OBJ_MEMDC : OBJ_DC; }

    Kind kind;
    std::shared_ptr<SurfaceImage> surface; // surface contexts
    POINT origin{0, 0};                    // device (0, 0) on the surface
    RectangleList systemRegion;            // surface coordinates; empty: nothing may be drawn
    DcState state;
    std::vector<DcState> saved;
};

// The handle table. Lookups set ERROR_INVALID_HANDLE when they fail.
HGDIOBJ InsertObject(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> LookupObject(HGDIOBJ handle);
std::shared_ptr<GdiObject> RemoveObject(HGDIOBJ handle);
template <typename Object> std::shared_ptr<Object> Lookup(HGDIOBJ handle);
std::shared_ptr<DeviceContext> LookupDC(HDC hdc);

// The stock 1 x 1 monochrome bitmap that memory contexts start with.
HBITMAP StockBitmap();
// Gives a new context the stock brush, pen, font and, for memory contexts, bitmap.
void SelectDefaultObjects(DeviceContext& dc);
HDC InsertDC(std::shared_ptr<DeviceContext> dc);

// Where a context's drawing lands, resolved at the time of the call.
//
// `clip` bounds what may be drawn. When a window's children or siblings are cut out of it, the
// drawable area is several rectangles: `region` holds them and nothing may land outside them
// either. Drawing through a Painter honours both; code that writes pixels through a PixelScope
// needs to stay inside `clip` only, because the scope puts back whatever lands outside `region`.
// Narrowing `clip` later (text clipped to its rectangle) narrows the region with it.
struct Target {
    cairo_surface_t* image = nullptr; // null: nothing to draw on
    Bitmap* bitmap = nullptr;         // memory contexts: the selected bitmap
    bool monochrome = false;
    int width = 0;
    int height = 0;
    RECT clip{0, 0, 0, 0}; // image coordinates, inside the image
    RectangleList region;  // image coordinates; empty when `clip` is all of it
    POINT offset{0, 0};    // image = logical + offset

    bool CanDraw() const { return image != nullptr && clip.left < clip.right && clip.top < clip.bottom; }
    // The colour to put into the image: flag bytes dropped, and black or white on a monochrome one.
    COLORREF Map(COLORREF colour) const;
    RECT ToImage(const RECT& logical) const;
    POINT ToImagePoint(POINT logical) const { return {logical.x + offset.x, logical.y + offset.y}; }
};

Target ResolveTarget(const DeviceContext& dc);

// Brackets direct access to a target's pixels: a DIB section's memory is brought in before and
// written back after, and cairo is told the pixels changed. On a target whose region is several
// rectangles, the pixels inside `clip` are kept at the start, and at the end those outside the
// region are put back, so that a child or sibling cut out of a window keeps its pixels.
class PixelScope {
public:
    explicit PixelScope(const Target& target);
    ~PixelScope();
    PixelScope(const PixelScope&) = delete;
    PixelScope& operator=(const PixelScope&) = delete;

    uint32_t* Row(int y) { return reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride); }

private:
    void KeepOutsidePixels();
    void RestoreOutsidePixels();

    const Target& target;
    unsigned char* data;
    int stride;
    RECT keptBox{0, 0, 0, 0};   // image coordinates
    std::vector<uint32_t> kept; // the pixels of keptBox, row by row
};

// A cairo context on a target, clipped to the target's clip and region and translated to logical
// coordinates, without antialiasing; shapes go through it. Brings a DIB section's memory in and out
// as PixelScope does.
class Painter {
public:
    explicit Painter(const Target& target);
    ~Painter();
    Painter(const Painter&) = delete;
    Painter& operator=(const Painter&) = delete;

    cairo_t* Context() const { return context; }
    void SetColour(COLORREF colour);

private:
    const Target& target;
    cairo_t* context;
};

constexpr uint32_t PixelOf(COLORREF colour) {
    return static_cast<uint32_t>(GetRValue(colour)) << 16 | static_cast<uint32_t>(GetGValue(colour)) << 8 |
           GetBValue(colour);
}
constexpr COLORREF ColourOf(uint32_t pixel) {
    return RGB(static_cast<BYTE>(pixel >> 16), static_cast<BYTE>(pixel >> 8), static_cast<BYTE>(pixel));
}
constexpr uint32_t pixelMask = 0x00FFFFFF;

// Black or white, whichever is nearer by brightness.
COLORREF NearestMonochrome(COLORREF colour);

// The colour of a brush handle or of a system colour index plus one; nothing for the null brush or
// an invalid handle.
std::optional<COLORREF> BrushColour(HBRUSH brush);

// Fills image pixels of a rectangle (image coordinates), within the target's clip.
void FillImageRect(const Target& target, PixelScope& pixels, RECT area, COLORREF colour);

RECT Intersect(const RECT& a, const RECT& b);
bool IsEmpty(const RECT& rect);
RECT Offset(RECT rect, int dx, int dy);

template <typename Object> std::shared_ptr<Object> Lookup(HGDIOBJ handle) {
    std::shared_ptr<Object> object = std::dynamic_pointer_cast<Object>(LookupObject(handle));
    if (object == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

} // namespace platform::gdi

namespace platform {

struct Surface {
    std::shared_ptr<gdi::SurfaceImage> pixels;
};

} // namespace platform
