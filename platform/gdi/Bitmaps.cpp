#include "platform/gdi/Bitmaps.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

using namespace platform::gdi;

// cairo's limit on image sizes.
constexpr int largestSide = 32767;

// Raster operation codes keep their ternary operation in bits 16-23.
uint8_t TernaryOperation(DWORD rop) {
    return static_cast<uint8_t>((rop >> 16) & 0xFF);
}

bool UsesSource(uint8_t operation) {
    return (((operation >> 2) ^ operation) & 0x33) != 0;
}

bool UsesPattern(uint8_t operation) {
    return (((operation >> 4) ^ operation) & 0x0F) != 0;
}

// The ternary operation on pattern, source and destination, bit by bit: bit n of the operation is
// the result for pattern bit (n & 4), source bit (n & 2) and destination bit (n & 1).
uint32_t ApplyOperation(uint8_t operation, uint32_t pattern, uint32_t source, uint32_t destination) {
    switch (operation) {
    case 0xCC:
        return source;
    case 0xF0:
        return pattern;
    case 0x66:
        return source ^ destination;
    case 0x88:
        return source & destination;
    case 0xEE:
        return source | destination;
    default:
        break;
    }
    uint32_t result = 0;
    for (int bit = 0; bit < 8; ++bit) {
        if (operation & (1 << bit))
            result |= (bit & 4 ? pattern : ~pattern) & (bit & 2 ? source : ~source) &
                      (bit & 1 ? destination : ~destination);
    }
    return result & pixelMask;
}

std::shared_ptr<Bitmap> NewBitmap(int width, int height, bool monochrome) {
    if (width <= 0 || height <= 0 || width > largestSide || height > largestSide) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto bitmap = std::make_shared<Bitmap>(width, height, monochrome);
    if (cairo_surface_status(bitmap->image) != CAIRO_STATUS_SUCCESS) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    return bitmap;
}

// Fills a new bitmap from device-dependent rows (padded to 16 bits, top row first).
void LoadRows(Bitmap& bitmap, int bitCount, const uint8_t* bits) {
    size_t stride = (static_cast<size_t>(bitmap.width) * bitCount + 15) / 16 * 2;
    cairo_surface_flush(bitmap.image);
    unsigned char* data = cairo_image_surface_get_data(bitmap.image);
    int imageStride = cairo_image_surface_get_stride(bitmap.image);
    for (int y = 0; y < bitmap.height; ++y) {
        const uint8_t* row = bits + stride * static_cast<size_t>(y);
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * imageStride);
        for (int x = 0; x < bitmap.width; ++x) {
            if (bitCount == 1) {
                out[x] = (row[x / 8] >> (7 - x % 8)) & 1 ? pixelMask : 0;
            } else {
                const uint8_t* pixel = row + static_cast<size_t>(x) * (bitCount / 8);
                out[x] =
                    static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
            }
        }
    }
    cairo_surface_mark_dirty(bitmap.image);
}

// The pixels of a source rectangle (image coordinates), read once so that a transfer within one
// image does not read what it has already written. Pixels outside the image are marked.
class SourcePixels {
public:
    SourcePixels(const Target& source, RECT box) : box(box) {
        readable = Intersect(box, {0, 0, source.width, source.height});
        if (IsEmpty(readable))
            return;
        int width = readable.right - readable.left;
        pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(readable.bottom - readable.top));
        PixelScope scope(source);
        for (int y = readable.top; y < readable.bottom; ++y)
            std::copy(scope.Row(y) + readable.left, scope.Row(y) + readable.right,
                      pixels.begin() + static_cast<ptrdiff_t>(y - readable.top) * width);
    }

    // The pixel at (x, y) relative to the box, or `outside`.
    uint32_t At(int x, int y) const {
        x += box.left;
        y += box.top;
        if (x < readable.left || x >= readable.right || y < readable.top || y >= readable.bottom)
            return outside;
        return pixels[static_cast<size_t>(y - readable.top) *
                          static_cast<size_t>(readable.right - readable.left) +
                      static_cast<size_t>(x - readable.left)];
    }

    static constexpr uint32_t outside = 0xFF000000;

private:
    RECT box;
    RECT readable{};
    std::vector<uint32_t> pixels;
};

// Which source pixels one destination pixel takes along one axis: the span [first, last) it covers
// and the middle one, relative to the source box.
struct Span {
    int first;
    int last;
    int middle;
};

std::vector<Span> MapAxis(int destinationLength, int sourceLength, bool isMirrored) {
    std::vector<Span> spans(static_cast<size_t>(destinationLength));
    for (int at = 0; at < destinationLength; ++at) {
        long long first = static_cast<long long>(at) * sourceLength / destinationLength;
        long long last = static_cast<long long>(at + 1) * sourceLength / destinationLength;
        long long middle = (2LL * at + 1) * sourceLength / (2LL * destinationLength);
        last = std::max(last, first + 1);
        if (isMirrored) {
            std::tie(first, last) = std::make_pair(sourceLength - last, sourceLength - first);
            middle = sourceLength - 1 - middle;
        }
        spans[static_cast<size_t>(at)] = {static_cast<int>(first), static_cast<int>(last),
                                          static_cast<int>(middle)};
    }
    return spans;
}

// One source value for a destination pixel by the stretch mode; `outside` when none of its source
// pixels exists.
uint32_t Sample(const SourcePixels& source, const Span& column, const Span& row, int mode) {
    bool isSingle = column.last - column.first == 1 && row.last - row.first == 1;
    if (mode == COLORONCOLOR || isSingle)
        return source.At(column.middle, row.middle);
    uint32_t combined = mode == BLACKONWHITE ? pixelMask : 0;
    unsigned red = 0, green = 0, blue = 0, count = 0;
    for (int y = row.first; y < row.last; ++y) {
        for (int x = column.first; x < column.last; ++x) {
            uint32_t pixel = source.At(x, y);
            if (pixel == SourcePixels::outside)
                continue;
            ++count;
            red += (pixel >> 16) & 0xFF;
            green += (pixel >> 8) & 0xFF;
            blue += pixel & 0xFF;
            combined = mode == BLACKONWHITE ? combined & pixel : combined | pixel;
        }
    }
    if (count == 0)
        return SourcePixels::outside;
    if (mode != HALFTONE)
        return combined;
    return (red + count / 2) / count << 16 | (green + count / 2) / count << 8 | (blue + count / 2) / count;
}

struct Transfer {
    HDC destination;
    RECT destinationBox; // logical; may run right to left or bottom to top
    HDC source;          // null for operations without a source
    RECT sourceBox;
    DWORD rop;
    std::optional<int> mode; // nothing: the destination context's stretch mode
    std::optional<COLORREF> transparent;
};

// Converts a source pixel to the destination's format, as Win32 does between monochrome and colour.
uint32_t ConvertPixel(uint32_t pixel, const Target& sourceTarget, const DcState& sourceState,
                      const Target& destinationTarget, const DcState& destinationState) {
    if (sourceTarget.monochrome && !destinationTarget.monochrome)
        return PixelOf((pixel ? destinationState.backgroundColour : destinationState.textColour) & pixelMask);
    if (!sourceTarget.monochrome && destinationTarget.monochrome)
        return pixel == PixelOf(sourceState.backgroundColour & pixelMask) ? pixelMask : 0;
    return pixel;
}

RECT Ordered(const RECT& box) {
    return {std::min(box.left, box.right), std::min(box.top, box.bottom), std::max(box.left, box.right),
            std::max(box.top, box.bottom)};
}

BOOL Run(const Transfer& transfer) {
    std::shared_ptr<DeviceContext> destination = LookupDC(transfer.destination);
    if (destination == nullptr)
        return FALSE;
    uint8_t operation = TernaryOperation(transfer.rop);
    std::shared_ptr<DeviceContext> source;
    if (UsesSource(operation)) {
        source = LookupDC(transfer.source);
        if (source == nullptr)
            return FALSE;
    }
    std::optional<uint32_t> pattern;
    if (UsesPattern(operation)) {
        const Brush* brush = destination->state.SelectedBrush();
        if (brush->style == BS_NULL)
            return TRUE;
        pattern = brush->colour;
    }
    Target target = ResolveTarget(*destination);
    RECT box = Ordered(target.ToImage(transfer.destinationBox));
    int width = box.right - box.left;
    int height = box.bottom - box.top;
    RECT area = Intersect(box, target.clip);
    if (width == 0 || height == 0 || IsEmpty(area))
        return TRUE;
    if (pattern)
        pattern = PixelOf(target.Map(*pattern));

    std::optional<Target> sourceTarget;
    std::optional<SourcePixels> pixels;
    std::vector<Span> columns, rows;
    if (source != nullptr) {
        sourceTarget = ResolveTarget(*source);
        RECT sourceBox = Ordered(sourceTarget->ToImage(transfer.sourceBox));
        pixels.emplace(*sourceTarget, sourceBox);
        const RECT& d = transfer.destinationBox;
        const RECT& s = transfer.sourceBox;
        columns = MapAxis(width, sourceBox.right - sourceBox.left, (d.right < d.left) != (s.right < s.left));
        rows = MapAxis(height, sourceBox.bottom - sourceBox.top, (d.bottom < d.top) != (s.bottom < s.top));
        if (sourceBox.right == sourceBox.left || sourceBox.bottom == sourceBox.top)
            return TRUE;
    }
    int mode = transfer.mode.value_or(destination->state.stretchMode);
    std::optional<uint32_t> transparent;
    if (transfer.transparent)
        transparent = PixelOf(*transfer.transparent & pixelMask);

    PixelScope out(target);
    for (int y = area.top; y < area.bottom; ++y) {
        uint32_t* row = out.Row(y);
        for (int x = area.left; x < area.right; ++x) {
            uint32_t value = 0;
            if (pixels) {
                value = Sample(*pixels, columns[static_cast<size_t>(x - box.left)],
                               rows[static_cast<size_t>(y - box.top)], mode);
                if (value == SourcePixels::outside || (transparent && value == *transparent))
                    continue;
                value = ConvertPixel(value, *sourceTarget, source->state, target, destination->state);
            }
            row[x] = ApplyOperation(operation, pattern.value_or(0), value, row[x] & pixelMask);
        }
    }
    return TRUE;
}

RECT Box(int x, int y, int width, int height) {
    return {x, y, x + width, y + height};
}

// The bounding rectangle of `area` less `covered`.
RECT UncoveredBounds(const RECT& area, const RECT& covered) {
    if (IsEmpty(covered))
        return area;
    RECT pieces[] = {
        {area.left, area.top, area.right, covered.top},
        {area.left, covered.bottom, area.right, area.bottom},
        {area.left, covered.top, covered.left, covered.bottom},
        {covered.right, covered.top, area.right, covered.bottom},
    };
    RECT bounds{0, 0, 0, 0};
    for (const RECT& piece : pieces) {
        RECT inside = Intersect(piece, area);
        if (IsEmpty(inside))
            continue;
        bounds = IsEmpty(bounds)
                     ? inside
                     : RECT{std::min(bounds.left, inside.left), std::min(bounds.top, inside.top),
                            std::max(bounds.right, inside.right), std::max(bounds.bottom, inside.bottom)};
    }
    return bounds;
}

} // namespace

namespace platform::gdi {

Bitmap::Bitmap(int width, int height, bool monochrome)
    : image(cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height)), width(width), height(height),
      monochrome(monochrome) {}

Bitmap::~Bitmap() {
    cairo_surface_destroy(image);
}

void Bitmap::LoadFromDib() {
    if (dibBits == nullptr)
        return;
    cairo_surface_flush(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image);
    size_t bytesPerPixel = static_cast<size_t>(dibBitCount / 8);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row =
            dibBits.get() + dibStride * static_cast<size_t>(dibBottomUp ? height - 1 - y : y);
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const uint8_t* pixel = row + static_cast<size_t>(x) * bytesPerPixel;
            out[x] = static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
        }
    }
    cairo_surface_mark_dirty(image);
}

void Bitmap::StoreToDib() {
    if (dibBits == nullptr)
        return;
    cairo_surface_flush(image);
    const unsigned char* data = cairo_image_surface_get_data(image);
    int stride = cairo_image_surface_get_stride(image);
    size_t bytesPerPixel = static_cast<size_t>(dibBitCount / 8);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dibBits.get() + dibStride * static_cast<size_t>(dibBottomUp ? height - 1 - y : y);
        const auto* in = reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = row + static_cast<size_t>(x) * bytesPerPixel;
            pixel[0] = static_cast<uint8_t>(in[x]);
            pixel[1] = static_cast<uint8_t>(in[x] >> 8);
            pixel[2] = static_cast<uint8_t>(in[x] >> 16);
            if (bytesPerPixel == 4)
                pixel[3] = 0;
        }
    }
}

} // namespace platform::gdi

HBITMAP CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitCount, const void* lpBits) {
    if (nWidth == 0 || nHeight == 0)
        return StockBitmap();
    if (nPlanes != 1 || (nBitCount != 1 && nBitCount != 24 && nBitCount != 32)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::shared_ptr<Bitmap> bitmap = NewBitmap(nWidth, nHeight, nBitCount == 1);
    if (bitmap == nullptr)
        return nullptr;
    if (lpBits != nullptr)
        LoadRows(*bitmap, static_cast<int>(nBitCount), static_cast<const uint8_t*>(lpBits));
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

HBITMAP CreateCompatibleBitmap(HDC hdc, int cx, int cy) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return nullptr;
    if (cx == 0 || cy == 0)
        return StockBitmap();
    bool isMonochrome = dc->kind == DeviceContext::Kind::Memory && dc->state.SelectedBitmap()->monochrome;
    std::shared_ptr<Bitmap> bitmap = NewBitmap(cx, cy, isMonochrome);
    return bitmap == nullptr ? nullptr : static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

HBITMAP CreateDIBSection(HDC hdc, const BITMAPINFO* pbmi, UINT usage, void** ppvBits, HANDLE hSection,
                         DWORD offset) {
    if (ppvBits != nullptr)
        *ppvBits = nullptr;
    if (pbmi == nullptr || hSection != nullptr || usage != DIB_RGB_COLORS) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const BITMAPINFOHEADER& header = pbmi->bmiHeader;
    int bitCount = header.biBitCount;
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biPlanes != 1 || header.biCompression != BI_RGB ||
        (bitCount != 24 && bitCount != 32) || header.biHeight == INT32_MIN) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    int height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    std::shared_ptr<Bitmap> bitmap = NewBitmap(header.biWidth, height, false);
    if (bitmap == nullptr)
        return nullptr;
    bitmap->dibBitCount = bitCount;
    bitmap->dibBottomUp = header.biHeight > 0;
    bitmap->dibStride = (static_cast<size_t>(header.biWidth) * static_cast<size_t>(bitCount) + 31) / 32 * 4;
    bitmap->dibBits = std::make_unique<uint8_t[]>(bitmap->dibStride * static_cast<size_t>(height));
    if (ppvBits != nullptr)
        *ppvBits = bitmap->dibBits.get();
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
    // Win32 takes a negative size here as an extent to the left or up on both sides, not a mirror.
    RECT destination = Ordered(Box(x, y, cx, cy));
    RECT source = Box(x1 + (destination.left - x), y1 + (destination.top - y),
                      destination.right - destination.left, destination.bottom - destination.top);
    return Run({hdc, destination, hdcSrc, source, rop, COLORONCOLOR, std::nullopt});
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc,
                int wSrc, int hSrc, DWORD rop) {
    return Run({hdcDest, Box(xDest, yDest, wDest, hDest), hdcSrc, Box(xSrc, ySrc, wSrc, hSrc), rop,
                std::nullopt, std::nullopt});
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
    if (UsesSource(TernaryOperation(rop))) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Run({hdc, Ordered(Box(x, y, w, h)), nullptr, {}, rop, std::nullopt, std::nullopt});
}

BOOL TransparentBlt(HDC hdcDest, int xoriginDest, int yoriginDest, int wDest, int hDest, HDC hdcSrc,
                    int xoriginSrc, int yoriginSrc, int wSrc, int hSrc, UINT crTransparent) {
    if (wDest < 0 || hDest < 0 || wSrc < 0 || hSrc < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return Run({hdcDest, Box(xoriginDest, yoriginDest, wDest, hDest), hdcSrc,
                Box(xoriginSrc, yoriginSrc, wSrc, hSrc), SRCCOPY, COLORONCOLOR, crTransparent});
}

BOOL ScrollDC(HDC hDC, int dx, int dy, const RECT* lprcScroll, const RECT* lprcClip, HRGN hrgnUpdate,
              LPRECT lprcUpdate) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hDC);
    if (dc == nullptr)
        return FALSE;
    RECT all;
    GetClipBox(hDC, &all);
    RECT scroll = lprcScroll != nullptr ? *lprcScroll : all;
    RECT area = lprcClip != nullptr ? *lprcClip : all;
    RECT moved = Intersect(Offset(scroll, dx, dy), area);
    if (!IsEmpty(moved)) {
        // Only the moved pixels may change: the copy is clipped to the clip rectangle for its duration.
        SaveDC(hDC);
        IntersectClipRect(hDC, area.left, area.top, area.right, area.bottom);
        RECT from = Offset(moved, -dx, -dy);
        BitBlt(hDC, moved.left, moved.top, moved.right - moved.left, moved.bottom - moved.top, hDC, from.left,
               from.top, SRCCOPY);
        RestoreDC(hDC, -1);
    }
    RECT uncovered = UncoveredBounds(Intersect(scroll, area), moved);
    if (lprcUpdate != nullptr)
        *lprcUpdate = uncovered;
    if (hrgnUpdate != nullptr)
        SetRectRgn(hrgnUpdate, uncovered.left, uncovered.top, uncovered.right, uncovered.bottom);
    return TRUE;
}
