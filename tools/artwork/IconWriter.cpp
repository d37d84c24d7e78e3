#include "tools/artwork/IconWriter.h"

#include "tools/artwork/ByteWriter.h"

#include <cstddef>

namespace artwork {

namespace {

constexpr uint32_t directorySize = 6;
constexpr uint32_t entrySize = 16;
constexpr uint32_t infoHeaderSize = 40;
constexpr int largestBitmapEntry = 255;

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    auto* bytes = static_cast<std::vector<uint8_t>*>(closure);
    bytes->insert(bytes->end(), data, data + length);
    return CAIRO_STATUS_SUCCESS;
}

uint32_t PixelAt(cairo_surface_t* image, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(image);
    const int stride = cairo_image_surface_get_stride(image);
    return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride)[x];
}

// Icon bitmaps are straight (not premultiplied) BGRA.
void WriteStraightPixel(ByteWriter& out, uint32_t pixel) {
    const uint32_t alpha = pixel >> 24;
    auto channel = [alpha](uint32_t value) { return alpha == 0 ? 0 : (value * 255 + alpha / 2) / alpha; };
    out.Byte(channel(pixel & 0xFF));
    out.Byte(channel(pixel >> 8 & 0xFF));
    out.Byte(channel(pixel >> 16 & 0xFF));
    out.Byte(alpha);
}

std::vector<uint8_t> EncodeBitmapEntry(cairo_surface_t* image) {
    const int size = cairo_image_surface_get_width(image);
    const uint32_t maskStride = (static_cast<uint32_t>(size) + 31) / 32 * 4;
    const uint32_t colourBytes = static_cast<uint32_t>(size * size * 4);
    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    out.Dword(infoHeaderSize);
    out.Dword(static_cast<uint32_t>(size));
    out.Dword(static_cast<uint32_t>(size * 2)); // the colour image and the mask, one above the other
    out.Word(1);
    out.Word(32);
    out.Dword(0);
    out.Dword(colourBytes + maskStride * static_cast<uint32_t>(size));
    out.Dword(0);
    out.Dword(0);
    out.Dword(0);
    out.Dword(0);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x)
            WriteStraightPixel(out, PixelAt(image, x, y));
    }
    // The mask: a set bit lets the background through, for readers that ignore the alpha channel.
    for (int y = size - 1; y >= 0; --y) {
        const size_t rowStart = out.Size();
        for (int x = 0; x < size; x += 8) {
            uint32_t bits = 0;
            for (int bit = 0; bit < 8 && x + bit < size; ++bit) {
                if ((PixelAt(image, x + bit, y) >> 24) < 128)
                    bits |= 0x80u >> bit;
            }
            out.Byte(bits);
        }
        while (out.Size() - rowStart < maskStride)
            out.Byte(0);
    }
    return bytes;
}

} // namespace

std::vector<uint8_t> EncodePng(cairo_surface_t* image) {
    std::vector<uint8_t> bytes;
    cairo_surface_write_to_png_stream(image, AppendBytes, &bytes);
    return bytes;
}

std::vector<uint8_t> EncodeIco(const std::vector<cairo_surface_t*>& images) {
    std::vector<std::vector<uint8_t>> entries;
    for (cairo_surface_t* image : images) {
        cairo_surface_flush(image);
        entries.push_back(cairo_image_surface_get_width(image) > largestBitmapEntry
                              ? EncodePng(image)
                              : EncodeBitmapEntry(image));
    }

    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    out.Word(0);
    out.Word(1); // an icon, not a cursor
    out.Word(static_cast<uint32_t>(images.size()));
    uint32_t offset = directorySize + entrySize * static_cast<uint32_t>(images.size());
    for (size_t index = 0; index < images.size(); ++index) {
        const int size = cairo_image_surface_get_width(images[index]);
        out.Byte(size > largestBitmapEntry ? 0 : static_cast<uint32_t>(size)); // 0 stands for 256
        out.Byte(size > largestBitmapEntry ? 0 : static_cast<uint32_t>(size));
        out.Byte(0); // no palette
        out.Byte(0);
        out.Word(1);
        out.Word(32);
        out.Dword(static_cast<uint32_t>(entries[index].size()));
        out.Dword(offset);
        offset += static_cast<uint32_t>(entries[index].size());
    }
    for (const std::vector<uint8_t>& entry : entries)
        bytes.insert(bytes.end(), entry.begin(), entry.end());
    return bytes;
}

} // namespace artwork
