#pragma once

// Palette images as BMP files: the 14-byte file header, the 40-byte BITMAPINFOHEADER, the whole
// palette as RGBQUADs, then the rows bottom-up, each padded to four bytes. 4 bits per pixel for
// palettes of up to 16 entries, 8 bits otherwise. No time stamps or other varying fields, so the
// bytes depend on the image alone.

#include "tools/artwork/IndexedImage.h"

#include <cstdint>
#include <vector>

namespace artwork {

std::vector<uint8_t> EncodeBmp(const IndexedImage& image);

} // namespace artwork
