// The artwork generator, run for real, and the files committed from it: the committed files must
// be exactly what the generator writes now (so the two never drift apart), and each file must be
// what the program and the desktop expect of it: size, depth, palette, transparent colour, and
// readable by the platform's own BMP reader pixel for pixel.

#include "platform/Windows.h"
#include "support/TempFolder.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

const char* const artworkFiles[] = {"lamp-green.bmp", "lamp-red.bmp", "lamp-unlit.bmp",
                                    "machine.bmp",    "tolva.ico",    "tolva.png"};

std::string CommittedPath(const std::string& name) {
    return std::string(TOLVA_SOURCE_DIR) + "/resources/artwork/" + name;
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Word(const Bytes& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset) | bytes.at(offset + 1) << 8);
}

uint32_t Dword(const Bytes& bytes, size_t offset) {
    return Word(bytes, offset) | Word(bytes, offset + 2) << 16;
}

uint32_t BigEndianDword(const Bytes& bytes, size_t offset) {
    return static_cast<uint32_t>(bytes.at(offset)) << 24 | static_cast<uint32_t>(bytes.at(offset + 1)) << 16 |
           static_cast<uint32_t>(bytes.at(offset + 2)) << 8 | bytes.at(offset + 3);
}

// The generator's exit status; a generator that hangs is ended by timeout(1) after a minute.
int RunGenerator(const std::string& folder, const std::string& errorFile) {
    const std::string command = "timeout 60 '" + std::string(TOLVA_ARTWORK_PATH) + "' '" + folder +
                                "' >/dev/null 2>'" + errorFile + "'";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A palette BMP as its headers describe it, with the palette and each pixel's index (rows top
// first), decoded here independently of the platform's reader.
struct PaletteBmp {
    uint32_t width = 0;
    int32_t height = 0;
    uint32_t bitCount = 0;
    std::vector<COLORREF> palette;
    std::vector<std::vector<uint8_t>> indexes;

    COLORREF ColourAt(uint32_t x, uint32_t y) const { return palette.at(indexes.at(y).at(x)); }
};

PaletteBmp ReadPaletteBmp(const Bytes& bytes, const std::string& name) {
    PaletteBmp bmp;
    EXPECT_GE(bytes.size(), 54u) << name;
    if (bytes.size() < 54)
        return bmp;
    EXPECT_EQ(bytes[0], 'B') << name;
    EXPECT_EQ(bytes[1], 'M') << name;
    EXPECT_EQ(Dword(bytes, 2), bytes.size()) << name << ": the file size in the file header";
    EXPECT_EQ(Dword(bytes, 14), 40u) << name << ": a BITMAPINFOHEADER";
    bmp.width = Dword(bytes, 18);
    bmp.height = static_cast<int32_t>(Dword(bytes, 22));
    EXPECT_EQ(Word(bytes, 26), 1u) << name << ": planes";
    bmp.bitCount = Word(bytes, 28);
    EXPECT_EQ(Dword(bytes, 30), 0u) << name << ": uncompressed (BI_RGB)";
    const uint32_t paletteCount = Dword(bytes, 46) != 0 ? Dword(bytes, 46) : 1u << bmp.bitCount;
    EXPECT_EQ(paletteCount, 1u << bmp.bitCount) << name << ": a full palette";
    for (uint32_t entry = 0; entry < paletteCount; ++entry) {
        const size_t at = 54 + entry * 4;
        bmp.palette.push_back(RGB(bytes.at(at + 2), bytes.at(at + 1), bytes.at(at)));
    }
    const uint32_t pixelOffset = Dword(bytes, 10);
    EXPECT_EQ(pixelOffset, 54 + paletteCount * 4) << name << ": pixels straight after the palette";
    const uint32_t rows = static_cast<uint32_t>(bmp.height < 0 ? -bmp.height : bmp.height);
    const size_t stride = (bmp.width * bmp.bitCount + 31) / 32 * 4;
    EXPECT_EQ(bytes.size(), pixelOffset + stride * rows) << name << ": nothing after the last row";
    if (bytes.size() < pixelOffset + stride * rows || (bmp.bitCount != 4 && bmp.bitCount != 8))
        return bmp;
    bmp.indexes.resize(rows);
    for (uint32_t fileRow = 0; fileRow < rows; ++fileRow) {
        const uint32_t y = bmp.height > 0 ? rows - 1 - fileRow : fileRow;
        const uint8_t* row = bytes.data() + pixelOffset + stride * fileRow;
        for (uint32_t x = 0; x < bmp.width; ++x) {
            const uint8_t index =
                bmp.bitCount == 8 ? row[x] : (x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F);
            bmp.indexes[y].push_back(index);
        }
    }
    return bmp;
}

// Every pixel as the platform's reader (the one that loads the program's resources) sees it
// agrees with the file's own palette and indexes.
void ExpectPlatformReadsEveryPixel(const Bytes& bytes, const PaletteBmp& bmp, const std::string& name) {
    HBITMAP bitmap = platform::LoadBitmapFromBmp(bytes.data(), bytes.size());
    ASSERT_NE(bitmap, nullptr) << name << ": refused by the platform's BMP reader";
    BITMAP description{};
    GetObjectA(bitmap, sizeof description, &description);
    EXPECT_EQ(static_cast<uint32_t>(description.bmWidth), bmp.width) << name;
    EXPECT_EQ(description.bmHeight, bmp.height < 0 ? -bmp.height : bmp.height) << name;
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ original = SelectObject(dc, bitmap);
    int mismatches = 0;
    for (uint32_t y = 0; y < bmp.indexes.size(); ++y) {
        for (uint32_t x = 0; x < bmp.width; ++x) {
            if (GetPixel(dc, static_cast<int>(x), static_cast<int>(y)) != bmp.ColourAt(x, y) &&
                ++mismatches <= 3)
                ADD_FAILURE() << name << ": pixel " << x << "," << y << " reads differently on the platform";
        }
    }
    EXPECT_EQ(mismatches, 0) << name;
    SelectObject(dc, original);
    DeleteDC(dc);
    DeleteObject(bitmap);
}

const COLORREF lightGrey = RGB(192, 192, 192);

std::vector<COLORREF> VgaColours() {
    return {RGB(0, 0, 0),       RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
            RGB(0, 0, 128),     RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192),
            RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),   RGB(255, 255, 0),
            RGB(0, 0, 255),     RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};
}

// The colours of the lamp's disc: the pixels that are not the transparent light grey.
std::set<COLORREF> LampColours(const PaletteBmp& lamp) {
    std::set<COLORREF> colours;
    for (uint32_t y = 0; y < lamp.indexes.size(); ++y) {
        for (uint32_t x = 0; x < lamp.width; ++x) {
            if (lamp.ColourAt(x, y) != lightGrey)
                colours.insert(lamp.ColourAt(x, y));
        }
    }
    return colours;
}

} // namespace

TEST(ArtworkTest, CommittedFilesAreExactlyWhatTheGeneratorWrites) {
    testsupport::TempFolder folder;
    ASSERT_EQ(RunGenerator(folder.Path(), folder / "errors.txt"), 0) << folder.Read("errors.txt");
    for (const char* name : artworkFiles) {
        const Bytes fresh = ReadBytes(folder / name);
        const Bytes committed = ReadBytes(CommittedPath(name));
        EXPECT_FALSE(fresh.empty()) << name << " was not written";
        EXPECT_TRUE(fresh == committed)
            << name << " differs from the generator's output (" << committed.size() << " bytes committed, "
            << fresh.size() << " written): run the 'artwork' target and commit the result";
    }
}

TEST(ArtworkTest, GeneratorReportsAFolderItCannotWriteTo) {
    testsupport::TempFolder folder;
    EXPECT_EQ(RunGenerator(folder / "missing", folder / "errors.txt"), 1);
    EXPECT_NE(folder.Read("errors.txt").find("cannot write"), std::string::npos) << folder.Read("errors.txt");
}

TEST(ArtworkTest, LampsAreSixteenColourImagesWithLightGreyAroundTheDisc) {
    for (const char* name : {"lamp-green.bmp", "lamp-red.bmp", "lamp-unlit.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes bytes = ReadBytes(CommittedPath(name));
        const PaletteBmp lamp = ReadPaletteBmp(bytes, name);
        EXPECT_EQ(lamp.width, 16u);
        EXPECT_EQ(lamp.height, 16) << "16 rows, stored bottom-up";
        EXPECT_EQ(lamp.bitCount, 4u);
        EXPECT_EQ(lamp.palette, VgaColours()) << "the classic 16 colours, light grey at index 7";
        ASSERT_EQ(lamp.indexes.size(), 16u);

        // Around the disc the image is the transparent colour; inside the disc it never is, or the
        // lamp would show holes.
        for (auto [x, y] : {std::pair{0u, 0u}, {15u, 0u}, {0u, 15u}, {15u, 15u}, {15u, 7u}, {7u, 15u}}) {
            EXPECT_EQ(lamp.ColourAt(x, y), lightGrey) << "pixel " << x << "," << y;
        }
        for (uint32_t y = 0; y < 16; ++y) {
            for (uint32_t x = 0; x < 16; ++x) {
                const double dx = x + 0.5 - 7.0;
                const double dy = y + 0.5 - 7.0;
                if (dx * dx + dy * dy <= 5.5 * 5.5) {
                    EXPECT_NE(lamp.ColourAt(x, y), lightGrey) << "hole in the disc at " << x << "," << y;
                }
            }
        }
        ExpectPlatformReadsEveryPixel(bytes, lamp, name);
    }

    const std::set<COLORREF> green =
        LampColours(ReadPaletteBmp(ReadBytes(CommittedPath("lamp-green.bmp")), "green"));
    EXPECT_TRUE(green.count(RGB(0, 255, 0)) && !green.count(RGB(255, 0, 0))) << "the green lamp";
    const std::set<COLORREF> red =
        LampColours(ReadPaletteBmp(ReadBytes(CommittedPath("lamp-red.bmp")), "red"));
    EXPECT_TRUE(red.count(RGB(255, 0, 0)) && !red.count(RGB(0, 255, 0))) << "the red lamp";
    const std::set<COLORREF> unlit =
        LampColours(ReadPaletteBmp(ReadBytes(CommittedPath("lamp-unlit.bmp")), "unlit"));
    EXPECT_EQ(unlit, (std::set<COLORREF>{RGB(0, 0, 0), RGB(128, 128, 128), RGB(255, 255, 255)}))
        << "the unlit lamp is white and grey in its black rim";
}

TEST(ArtworkTest, MachinePictureIs598By393In256Colours) {
    const Bytes bytes = ReadBytes(CommittedPath("machine.bmp"));
    const PaletteBmp picture = ReadPaletteBmp(bytes, "machine.bmp");
    EXPECT_EQ(picture.width, 598u);
    EXPECT_EQ(picture.height, 393) << "stored bottom-up";
    EXPECT_EQ(picture.bitCount, 8u);
    EXPECT_EQ(picture.palette.size(), 256u);
    ASSERT_EQ(picture.indexes.size(), 393u);
    // A drawing with shading and antialiased edges, not a flat placeholder.
    std::set<uint8_t> used;
    for (const auto& row : picture.indexes)
        used.insert(row.begin(), row.end());
    EXPECT_GT(used.size(), 100u);
    ExpectPlatformReadsEveryPixel(bytes, picture, "machine.bmp");
}

TEST(ArtworkTest, IconHoldsSixteenThirtyTwoFortyEightAndA256PixelPng) {
    const Bytes icon = ReadBytes(CommittedPath("tolva.ico"));
    ASSERT_GE(icon.size(), 6u);
    EXPECT_EQ(Word(icon, 0), 0u);
    EXPECT_EQ(Word(icon, 2), 1u) << "an icon, not a cursor";
    ASSERT_EQ(Word(icon, 4), 4u);
    const uint32_t sizes[] = {16, 32, 48, 256};
    for (uint32_t entry = 0; entry < 4; ++entry) {
        const uint32_t size = sizes[entry];
        SCOPED_TRACE("the " + std::to_string(size) + "-pixel image");
        const size_t at = 6 + entry * 16;
        EXPECT_EQ(icon.at(at), size % 256) << "width, 0 standing for 256";
        EXPECT_EQ(icon.at(at + 1), size % 256);
        EXPECT_EQ(Word(icon, at + 6), 32u) << "bits per pixel";
        const uint32_t length = Dword(icon, at + 8);
        const uint32_t offset = Dword(icon, at + 12);
        ASSERT_LE(static_cast<size_t>(offset) + length, icon.size());
        const Bytes image(icon.begin() + offset, icon.begin() + offset + length);
        if (size == 256) {
            ASSERT_GE(image.size(), 24u);
            EXPECT_EQ(BigEndianDword(image, 0), 0x89504E47u) << "stored as PNG";
            EXPECT_EQ(BigEndianDword(image, 16), 256u);
            continue;
        }
        EXPECT_EQ(Dword(image, 0), 40u);
        EXPECT_EQ(Dword(image, 4), size);
        EXPECT_EQ(Dword(image, 8), size * 2) << "colour image and mask";
        EXPECT_EQ(Word(image, 14), 32u);
        const uint32_t maskStride = (size + 31) / 32 * 4;
        ASSERT_EQ(image.size(), 40 + size * size * 4 + maskStride * size);
        // The mask lets the background through exactly where the colour image is see-through,
        // and the rounded corners are see-through while the middle is not.
        for (uint32_t y = 0; y < size; ++y) {
            for (uint32_t x = 0; x < size; ++x) {
                const uint8_t alpha = image[40 + (y * size + x) * 4 + 3];
                const bool isMasked =
                    image[40 + size * size * 4 + y * maskStride + x / 8] & (0x80 >> (x % 8));
                EXPECT_EQ(isMasked, alpha < 128) << "pixel " << x << "," << y << " (rows bottom-up)";
            }
        }
        EXPECT_EQ(image[40 + 3], 0u) << "a corner";
        EXPECT_EQ(image[40 + ((size / 2) * size + size / 2) * 4 + 3], 255u) << "the middle";
    }

    const Bytes png = ReadBytes(CommittedPath("tolva.png"));
    ASSERT_GE(png.size(), 26u);
    EXPECT_EQ(BigEndianDword(png, 0), 0x89504E47u);
    EXPECT_EQ(BigEndianDword(png, 12), 0x49484452u) << "IHDR first";
    EXPECT_EQ(BigEndianDword(png, 16), 256u);
    EXPECT_EQ(BigEndianDword(png, 20), 256u);
    EXPECT_EQ(png.at(25), 6u) << "RGBA, for the desktop's own backgrounds";
}
