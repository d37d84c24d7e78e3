// The resource compiler's script parser on scripts and image files that are broken or hostile:
// each must end in an error that names its line, never in a crash or a runaway output, while the
// well-formed cases next to them still compile.

#include "tools/rc/ResourceScript.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void PutWord(Bytes& bytes, uint32_t value) {
    bytes.push_back(static_cast<uint8_t>(value));
    bytes.push_back(static_cast<uint8_t>(value >> 8));
}

void PutDword(Bytes& bytes, uint32_t value) {
    PutWord(bytes, value & 0xFFFF);
    PutWord(bytes, value >> 16);
}

struct IconImage {
    uint32_t offset;
    uint32_t size;
};

// An ICO file with the given directory, padded with image bytes up to its length.
Bytes IconFile(const std::vector<IconImage>& images, size_t length) {
    Bytes file;
    PutWord(file, 0);
    PutWord(file, 1);
    PutWord(file, static_cast<uint32_t>(images.size()));
    for (const IconImage& image : images) {
        file.insert(file.end(), {16, 16, 0, 0});
        PutWord(file, 1);
        PutWord(file, 32);
        PutDword(file, image.size);
        PutDword(file, image.offset);
    }
    for (uint8_t next = 0xA0; file.size() < length; ++next) {
        file.push_back(next);
    }
    return file;
}

// Compiles a script whose every named file has the given contents.
struct Compiled {
    bool isCompiled;
    std::string error;
    std::vector<rc::CompiledResource> resources;
};

Compiled Compile(const std::string& source, const Bytes& file = {}) {
    rc::ResourceScript script([&](const std::string&) { return std::optional<Bytes>(file); });
    const bool isCompiled = script.Compile(source);
    return {isCompiled, script.Error(), script.Resources()};
}

TEST(ResourceScript, NestingOfExpressionsIsBoundedInsteadOfRunningOffTheStack) {
    const Compiled plain = Compile("1 DIALOG 0, 0, 1, 1 STYLE ((((0x80000000)))) | NOT - -(1) BEGIN END");
    ASSERT_TRUE(plain.isCompiled) << plain.error;
    const Bytes& dialog = plain.resources.at(0).data;
    EXPECT_EQ(dialog.at(12) | dialog.at(13) << 8 | dialog.at(14) << 16 |
                  static_cast<uint32_t>(dialog.at(15)) << 24,
              0x80000000u);
    for (const std::string opener : {"(", "NOT ", "-"}) {
        std::string source = "1 DIALOG 0, 0, 1, 1\nSTYLE ";
        for (int i = 0; i < 200000; ++i) {
            source += opener;
        }
        const Compiled deep = Compile(source);
        EXPECT_FALSE(deep.isCompiled) << opener;
        EXPECT_EQ(deep.error, "line 2: expression nested too deeply") << opener;
    }
}

TEST(ResourceScript, LexicalFaultsAreNamedWithTheirLine) {
    EXPECT_EQ(Compile("1 DIALOG 0, 0, 1, 1\n/* opened\nnever closed").error, "line 2: comment not closed");
    EXPECT_EQ(Compile("1 DIALOG 0, 0, 1, 1 @").error, "line 1: unexpected character '@'");
    EXPECT_EQ(Compile("\n\n1 DIALOG 0, 0, 1, 1 \x01").error, "line 3: unexpected character 0x01");
    EXPECT_TRUE(Compile("/* closed */ 1 DIALOG 0, 0, 1, 1 BEGIN END").isCompiled);
}

TEST(ResourceScript, IconImagesMustLieApartBehindTheirDirectory) {
    const Compiled good = Compile("5 ICON \"a.ico\"", IconFile({{38, 4}, {42, 6}}, 48));
    ASSERT_TRUE(good.isCompiled) << good.error;
    ASSERT_EQ(good.resources.size(), 3u) << "two images and their group";
    EXPECT_EQ(good.resources[0].type.number, rc::ResourceTypeIcon);
    EXPECT_EQ(good.resources[0].name.number, 1);
    EXPECT_EQ(good.resources[1].data, (Bytes{0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9}));
    EXPECT_EQ(good.resources[2].type.number, rc::ResourceTypeGroupIcon);

    const std::vector<std::pair<std::vector<IconImage>, const char*>> broken = {
        {{{38, 4}, {40, 6}}, "overlapping images"},
        {{{38, 4}, {38, 4}}, "the same image twice"},
        {{{30, 8}, {42, 6}}, "an image inside the directory"},
        {{{38, 0}, {42, 6}}, "an empty image"},
        {{{38, 4}, {42, 7}}, "an image past the end"},
        {{{38, 4}, {0xFFFFFFF0u, 0x20}}, "an image past the end, sizes wrapping"},
    };
    for (const auto& [images, what] : broken) {
        const Compiled compiled = Compile("\n5 ICON \"a.ico\"", IconFile(images, 48));
        EXPECT_FALSE(compiled.isCompiled) << what;
        EXPECT_EQ(compiled.error, "line 2: a.ico has an empty, overlapping or cut-off image") << what;
    }
}

TEST(ResourceScript, IconNumbersRunOutAfter65535Images) {
    std::vector<IconImage> images;
    const uint32_t count = 4096;
    for (uint32_t i = 0; i < count; ++i) {
        images.push_back({6 + 16 * count + i, 1});
    }
    const Bytes file = IconFile(images, 6 + 17 * count);
    std::string source;
    for (int line = 1; line <= 15; ++line) {
        source += std::to_string(line) + " ICON \"many.ico\"\n";
    }
    const Compiled fifteen = Compile(source, file);
    ASSERT_TRUE(fifteen.isCompiled) << fifteen.error;
    EXPECT_EQ(fifteen.resources.at(fifteen.resources.size() - 2).name.number, 15 * 4096) << "the last image";
    source += "16 ICON \"many.ico\"\n";
    const Compiled sixteen = Compile(source, file);
    EXPECT_FALSE(sixteen.isCompiled) << "16 times 4096 images need numbers up to 65536";
    EXPECT_EQ(sixteen.error, "line 16: too many icon images: at most 65535 in one script");
}

} // namespace

// The identifiers a script shares with its code come from a header it includes: a name stands for
// its number as a resource name, a control's id and anywhere else a number goes.
TEST(ResourceScript, DefinedNamesFromAnIncludedHeaderStandForTheirNumbers) {
    const std::string header =
        "#ifndef IDS_H\n#define IDS_H\n#define IDD_MAIN 15100\n#define IDC_VIEW 0x3B67\n"
        "#define IDC_TEXT(x) x\n#endif\n";
    const Bytes headerBytes(header.begin(), header.end());
    const std::string named =
        "#include <windows.h>\n#include \"ids.h\"\n#define WIDTH 40\n"
        "IDD_MAIN DIALOG 0, 0, WIDTH, 10 BEGIN PUSHBUTTON \"View\", IDC_VIEW, 1, 2, 3, 4 END";
    const std::string numbered = "15100 DIALOG 0, 0, 40, 10 BEGIN PUSHBUTTON \"View\", 15207, 1, 2, 3, 4 END";
    const Compiled byName = Compile(named, headerBytes);
    ASSERT_TRUE(byName.isCompiled) << byName.error;
    const Compiled byNumber = Compile(numbered);
    ASSERT_TRUE(byNumber.isCompiled) << byNumber.error;
    ASSERT_EQ(byName.resources.size(), 1u);
    EXPECT_EQ(byName.resources[0].name.number, 15100);
    EXPECT_TRUE(byName.resources[0].name.text.empty());
    EXPECT_EQ(byName.resources[0].data, byNumber.resources[0].data);

    // A name nobody defined is still an error where a number must stand, and a header that
    // cannot be read is named.
    EXPECT_EQ(Compile("1 DIALOG 0, 0, IDC_NOWHERE, 1 BEGIN END").error, "line 1: unknown name IDC_NOWHERE");
    rc::ResourceScript missing([](const std::string&) { return std::optional<Bytes>(); });
    EXPECT_FALSE(missing.Compile("\n#include \"gone.h\"\n1 DIALOG 0, 0, 1, 1 BEGIN END"));
    EXPECT_EQ(missing.Error(), "line 2: cannot read gone.h");
}
