#include "tools/artwork/IndexedImage.h"

#include <cstddef>
#include <unordered_map>
#include <utility>

namespace artwork {

namespace {

// cairo keeps ARGB32 pixels premultiplied by alpha, in native 32-bit words.
Rgb Unpremultiplied(uint32_t pixel) {
    const uint32_t alpha = pixel >> 24;
    if (alpha == 0)
        return {};
    auto channel = [alpha](uint32_t value) {
        return static_cast<uint8_t>(alpha == 255 ? value : (value * 255 + alpha / 2) / alpha);
    };
    return {channel(pixel >> 16 & 0xFF), channel(pixel >> 8 & 0xFF), channel(pixel & 0xFF)};
}

uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride)[x];
}

} // namespace

IndexedImage::IndexedImage(int width, int height, Palette palette)
    : width(width), height(height), palette(std::move(palette)),
      indexes(static_cast<size_t>(width) * static_cast<size_t>(height)) {}

IndexedImage IndexedImage::FromOpaque(cairo_surface_t* surface, const Palette& palette) {
    cairo_surface_flush(surface);
    IndexedImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                       palette);
    // A picture repeats its colours a great deal; remembering the answers keeps the search cheap.
    std::unordered_map<uint32_t, uint8_t> nearest;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t pixel = PixelAt(surface, x, y) | 0xFF000000u;
            auto found = nearest.find(pixel);
            if (found == nearest.end())
                found = nearest.emplace(pixel, palette.NearestIndex(Unpremultiplied(pixel))).first;
            image
                .indexes[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                found->second;
        }
    }
    return image;
}

IndexedImage IndexedImage::FromKeyed(cairo_surface_t* surface, const Palette& palette, uint8_t keyIndex) {
    cairo_surface_flush(surface);
    IndexedImage image(cairo_image_surface_get_width(surface), cairo_image_surface_get_height(surface),
                       palette);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint32_t pixel = PixelAt(surface, x, y);
            const bool isCovered = (pixel >> 24) >= 128;
            image
                .indexes[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)] =
                isCovered ? palette.NearestIndex(Unpremultiplied(pixel), keyIndex) : keyIndex;
        }
    }
    return image;
}

} // namespace artwork
