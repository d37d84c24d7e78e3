#pragma once

// Reading BMP images from memory: the images compiled into the program, and any other BMP bytes.
//
// Accepted: a BMP file (starting with "BM" and its file header) or a packed DIB (the info header
// straight away, as bitmap resources are stored), with an info header of 40 bytes or one of the
// later versions (52, 56, 108, 124 bytes); 1, 4, 8 bits per pixel with a palette, 16 bits (5-5-5),
// 24 and 32 bits, all uncompressed (BI_RGB); bottom-up (positive height) and top-down rows.
// Palette indexes past the palette are black. The result is always a colour bitmap.
//
// The bytes are outside input and are checked before anything is read: sizes, offsets, palette
// length, bit count and compression. Anything malformed or truncated gives null with
// ERROR_INVALID_DATA, never a partial image; RLE and bit-field images are refused the same way.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>

namespace platform {

HBITMAP LoadBitmapFromBmp(const uint8_t* data, size_t size);

} // namespace platform
