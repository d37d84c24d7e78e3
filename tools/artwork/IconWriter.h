#pragma once

// The program icon as a Windows ICO file and as PNG. Each ICO entry below 256 pixels is a 32-bit
// BGRA bitmap with its 1-bit mask (the layout every reader of icons knows); a 256-pixel entry is
// stored as PNG, as icon files have done since large icons came in.

#include <cairo.h>
#include <cstdint>
#include <vector>

namespace artwork {

// images: square ARGB32 surfaces, one per size, in the order they go into the file.
std::vector<uint8_t> EncodeIco(const std::vector<cairo_surface_t*>& images);
std::vector<uint8_t> EncodePng(cairo_surface_t* image);

} // namespace artwork
