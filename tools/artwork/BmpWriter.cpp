#include "tools/artwork/BmpWriter.h"

#include "tools/artwork/ByteWriter.h"

namespace artwork {

namespace {

constexpr uint32_t fileHeaderSize = 14;
constexpr uint32_t infoHeaderSize = 40;
constexpr uint32_t pixelsPerMetre = 3780; // 96 dots per inch

void WriteRow(ByteWriter& out, const IndexedImage& image, int y, int bitCount) {
    const size_t start = out.Size();
    if (bitCount == 4) {
        for (int x = 0; x < image.Width(); x += 2) {
            const uint32_t high = image.At(x, y);
            const uint32_t low = x + 1 < image.Width() ? image.At(x + 1, y) : 0;
            out.Byte(high << 4 | low);
        }
    } else {
        for (int x = 0; x < image.Width(); ++x)
            out.Byte(image.At(x, y));
    }
    while ((out.Size() - start) % 4 != 0)
        out.Byte(0);
}

} // namespace

std::vector<uint8_t> EncodeBmp(const IndexedImage& image) {
    const int bitCount = image.Colours().Size() <= 16 ? 4 : 8;
    const uint32_t paletteEntries = 1u << bitCount;
    const uint32_t stride =
        (static_cast<uint32_t>(image.Width()) * static_cast<uint32_t>(bitCount) + 31) / 32 * 4;
    const uint32_t pixelBytes = stride * static_cast<uint32_t>(image.Height());
    const uint32_t pixelOffset = fileHeaderSize + infoHeaderSize + paletteEntries * 4;

    std::vector<uint8_t> bytes;
    ByteWriter out(bytes);
    out.Byte('B');
    out.Byte('M');
    out.Dword(pixelOffset + pixelBytes);
    out.Dword(0);
    out.Dword(pixelOffset);

    out.Dword(infoHeaderSize);
    out.Dword(static_cast<uint32_t>(image.Width()));
    out.Dword(static_cast<uint32_t>(image.Height())); // positive: bottom-up rows
    out.Word(1);
    out.Word(static_cast<uint32_t>(bitCount));
    out.Dword(0); // BI_RGB
    out.Dword(pixelBytes);
    out.Dword(pixelsPerMetre);
    out.Dword(pixelsPerMetre);
    out.Dword(paletteEntries);
    out.Dword(0);

    for (uint32_t entry = 0; entry < paletteEntries; ++entry) {
        const Rgb colour = entry < image.Colours().Size() ? image.Colours()[entry] : Rgb{};
        out.Byte(colour.blue);
        out.Byte(colour.green);
        out.Byte(colour.red);
        out.Byte(0);
    }
    for (int y = image.Height() - 1; y >= 0; --y)
        WriteRow(out, image, y, bitCount);
    return bytes;
}

} // namespace artwork
