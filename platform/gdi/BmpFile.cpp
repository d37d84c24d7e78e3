#include "platform/gdi/BmpFile.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/Errors.h"

#include <optional>
#include <vector>

namespace {

using namespace platform::gdi;

constexpr size_t fileHeaderSize = 14;
constexpr int largestSide = 32767;
// Far above any picture the program shows, and low enough that a few hundred bytes of a
// monochrome header cannot make us allocate gigabytes.
constexpr size_t largestPixelCount = 4096u * 4096u;

// Little-endian reads at offsets the caller has already checked against the size.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data(data), size(size) {}

    bool Has(size_t offset, size_t count) const { return offset <= size && count <= size - offset; }
    uint16_t Word(size_t offset) const { return static_cast<uint16_t>(data[offset] | data[offset + 1] << 8); }
    uint32_t Dword(size_t offset) const {
        return static_cast<uint32_t>(data[offset]) | static_cast<uint32_t>(data[offset + 1]) << 8 |
               static_cast<uint32_t>(data[offset + 2]) << 16 | static_cast<uint32_t>(data[offset + 3]) << 24;
    }
    const uint8_t* At(size_t offset) const { return data + offset; }

private:
    const uint8_t* data;
    size_t size;
};

struct Layout {
    int width = 0;
    int height = 0; // rows, always positive
    bool isBottomUp = true;
    int bitCount = 0;
    std::vector<uint32_t> palette; // 0x00RRGGBB
    size_t pixelOffset = 0;
    size_t stride = 0;
};

bool IsKnownInfoHeader(uint32_t size) {
    return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool IsKnownBitCount(int bitCount) {
    return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
           bitCount == 32;
}

// Checks everything the decoder relies on; nothing after this reads outside the bytes.
std::optional<Layout> ReadLayout(const Bytes& bytes) {
    bool hasFileHeader = bytes.Has(0, 2) && bytes.At(0)[0] == 'B' && bytes.At(0)[1] == 'M';
    size_t info = hasFileHeader ? fileHeaderSize : 0;
    if (!bytes.Has(info, 4))
        return std::nullopt;
    uint32_t headerSize = bytes.Dword(info);
    if (!IsKnownInfoHeader(headerSize) || !bytes.Has(info, headerSize))
        return std::nullopt;

    Layout layout;
    auto width = static_cast<int32_t>(bytes.Dword(info + 4));
    auto height = static_cast<int32_t>(bytes.Dword(info + 8));
    uint16_t planes = bytes.Word(info + 12);
    layout.bitCount = bytes.Word(info + 14);
    uint32_t compression = bytes.Dword(info + 16);
    uint32_t coloursUsed = bytes.Dword(info + 32);
    if (width <= 0 || width > largestSide || height == 0 || height < -largestSide || height > largestSide ||
        planes != 1 || !IsKnownBitCount(layout.bitCount) || compression != BI_RGB)
        return std::nullopt;
    layout.width = width;
    layout.height = height < 0 ? -height : height;
    layout.isBottomUp = height > 0;
    if (static_cast<size_t>(layout.width) * static_cast<size_t>(layout.height) > largestPixelCount)
        return std::nullopt;

    // Images of 8 bits or fewer index a palette; deeper ones may still carry one, which is skipped.
    size_t paletteLimit = layout.bitCount <= 8 ? size_t{1} << layout.bitCount : 256;
    size_t paletteCount = coloursUsed != 0 ? coloursUsed : (layout.bitCount <= 8 ? paletteLimit : 0);
    size_t paletteOffset = info + headerSize;
    if (paletteCount > paletteLimit || !bytes.Has(paletteOffset, paletteCount * 4))
        return std::nullopt;
    if (layout.bitCount <= 8) {
        for (size_t entry = 0; entry < paletteCount; ++entry) {
            const uint8_t* quad = bytes.At(paletteOffset + entry * 4);
            layout.palette.push_back(static_cast<uint32_t>(quad[2]) << 16 |
                                     static_cast<uint32_t>(quad[1]) << 8 | quad[0]);
        }
    }

    size_t paletteEnd = paletteOffset + paletteCount * 4;
    layout.pixelOffset = paletteEnd;
    if (hasFileHeader) {
        uint32_t declared = bytes.Dword(10);
        if (declared != 0) {
            if (declared < paletteEnd)
                return std::nullopt;
            layout.pixelOffset = declared;
        }
    }
    layout.stride = (static_cast<size_t>(layout.width) * static_cast<size_t>(layout.bitCount) + 31) / 32 * 4;
    if (!bytes.Has(layout.pixelOffset, layout.stride * static_cast<size_t>(layout.height)))
        return std::nullopt;
    return layout;
}

uint32_t Expand5(uint32_t value) {
    return value << 3 | value >> 2;
}

uint32_t DecodePixel(const Layout& layout, const uint8_t* row, int x) {
    switch (layout.bitCount) {
    case 1:
    case 4:
    case 8: {
        int perByte = 8 / layout.bitCount;
        int shift = 8 - layout.bitCount * (x % perByte + 1);
        size_t index = (row[x / perByte] >> shift) & ((1u << layout.bitCount) - 1);
        return index < layout.palette.size() ? layout.palette[index] : 0;
    }
    case 16: {
        uint32_t value = static_cast<uint32_t>(row[x * 2] | row[x * 2 + 1] << 8);
        return Expand5((value >> 10) & 0x1F) << 16 | Expand5((value >> 5) & 0x1F) << 8 |
               Expand5(value & 0x1F);
    }
    default: {
        const uint8_t* pixel = row + static_cast<size_t>(x) * static_cast<size_t>(layout.bitCount / 8);
        return static_cast<uint32_t>(pixel[2]) << 16 | static_cast<uint32_t>(pixel[1]) << 8 | pixel[0];
    }
    }
}

HBITMAP Decode(const Bytes& bytes, const Layout& layout) {
    auto bitmap = std::make_shared<Bitmap>(layout.width, layout.height, false);
    if (cairo_surface_status(bitmap->image) != CAIRO_STATUS_SUCCESS) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    cairo_surface_flush(bitmap->image);
    unsigned char* data = cairo_image_surface_get_data(bitmap->image);
    int imageStride = cairo_image_surface_get_stride(bitmap->image);
    for (int fileRow = 0; fileRow < layout.height; ++fileRow) {
        const uint8_t* row = bytes.At(layout.pixelOffset + layout.stride * static_cast<size_t>(fileRow));
        int y = layout.isBottomUp ? layout.height - 1 - fileRow : fileRow;
        auto* out = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * imageStride);
        for (int x = 0; x < layout.width; ++x)
            out[x] = DecodePixel(layout, row, x);
    }
    cairo_surface_mark_dirty(bitmap->image);
    return static_cast<HBITMAP>(InsertObject(std::move(bitmap)));
}

} // namespace

namespace platform {

HBITMAP LoadBitmapFromBmp(const uint8_t* data, size_t size) {
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    Bytes bytes(data, size);
    std::optional<Layout> layout = ReadLayout(bytes);
    if (!layout) {
        SetLastError(ERROR_INVALID_DATA);
        return nullptr;
    }
    return Decode(bytes, *layout);
}

} // namespace platform
