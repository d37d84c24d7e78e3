#pragma once

// A palette image: what a 4- or 8-bit BMP holds. Made from a drawing by reducing every pixel to
// its nearest palette entry. The reduction is a pure function of the drawn pixels and the fixed
// palette (no dithering, no search order that depends on the picture), so the same drawing always
// gives the same bytes.

#include "tools/artwork/Palette.h"

#include <cairo.h>
#include <cstdint>
#include <vector>

namespace artwork {

class IndexedImage {
public:
    // Every pixel of an opaque drawing to its nearest entry.
    static IndexedImage FromOpaque(cairo_surface_t* surface, const Palette& palette);
    // A drawing on a transparent surface for a colour-keyed image: pixels less than half covered
    // become the key entry; the others take their nearest entry other than the key, so that no
    // part of the drawing turns transparent by chance.
    static IndexedImage FromKeyed(cairo_surface_t* surface, const Palette& palette, uint8_t keyIndex);

    int Width() const { return width; }
    int Height() const { return height; }
    const Palette& Colours() const { return palette; }
    // Rows top first, one index per pixel.
    uint8_t At(int x, int y) const {
        return indexes[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }

private:
    IndexedImage(int width, int height, Palette palette);

    int width;
    int height;
    Palette palette;
    std::vector<uint8_t> indexes;
};

} // namespace artwork
