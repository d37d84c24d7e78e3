#include "platform/Windows.h"

#include <functional>
#include <gtest/gtest.h>
#include <iconv.h>
#include <optional>
#include <string>
#include <vector>

namespace {

// glibc's iconv is the independent reference for both code pages.
class Iconv {
public:
    Iconv(const char* to, const char* from) : converter(::iconv_open(to, from)) {}
    ~Iconv() {
        if (IsOpen())
            ::iconv_close(converter);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;

    bool IsOpen() const { return converter != reinterpret_cast<iconv_t>(-1); }

    // The converted bytes, or nothing when iconv refuses the input.
    std::optional<std::string> Convert(const std::string& input) {
        std::string output(input.size() * 4 + 8, '\0');
        char* in = const_cast<char*>(input.data());
        char* out = output.data();
        std::size_t inLeft = input.size();
        std::size_t outLeft = output.size();
        ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(converter, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        output.resize(output.size() - outLeft);
        return output;
    }

private:
    iconv_t converter;
};

std::u16string ToWide(UINT codePage, const std::string& bytes, DWORD flags = 0) {
    int needed =
        MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(needed), u'\0');
    int written = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()),
                                      wide.data(), needed);
    EXPECT_EQ(written, needed);
    return wide;
}

std::string ToBytes(UINT codePage, const std::u16string& wide, BOOL* usedDefault = nullptr,
                    const char* defaultChar = nullptr) {
    int needed = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                     defaultChar, usedDefault);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    int written = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                      needed, defaultChar, usedDefault);
    EXPECT_EQ(written, needed);
    return bytes;
}

std::string Utf16LittleEndian(const std::u16string& wide) {
    std::string bytes;
    for (char16_t unit : wide) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

std::string AllBytes() {
    std::string bytes;
    for (int value = 0; value < 256; ++value)
        bytes += static_cast<char>(value);
    return bytes;
}

TEST(KernelCodePageTest, AllBytesOf1252SurviveTheRoundTrip) {
    for (UINT codePage : {1252u, CP_ACP}) {
        SCOPED_TRACE(codePage);
        std::u16string wide = ToWide(codePage, AllBytes());
        ASSERT_EQ(wide.size(), 256u);
        BOOL usedDefault = TRUE;
        EXPECT_EQ(ToBytes(codePage, wide, &usedDefault), AllBytes());
        EXPECT_FALSE(usedDefault);
    }
    EXPECT_EQ(GetACP(), 1252u);
}

TEST(KernelCodePageTest, Windows1252AgreesWithIconvOnEveryAssignedByte) {
    Iconv reference("UTF-16LE", "CP1252");
    ASSERT_TRUE(reference.IsOpen());
    for (int value = 0; value < 256; ++value) {
        std::string byte(1, static_cast<char>(value));
        std::u16string wide = ToWide(1252, byte);
        ASSERT_EQ(wide.size(), 1u);
        std::optional<std::string> expected = reference.Convert(byte);
        if (expected) {
            EXPECT_EQ(Utf16LittleEndian(wide), *expected) << "byte 0x" << std::hex << value;
        } else {
            EXPECT_EQ(wide[0], value) << "an unassigned byte keeps its C1 value: 0x" << std::hex << value;
        }
    }
}

TEST(KernelCodePageTest, UnassignedBytesAreTheFiveWindowsLeavesOpen) {
    const std::string unassigned = "\x81\x8D\x8F\x90\x9D";
    EXPECT_EQ(ToWide(1252, unassigned), (std::u16string{0x81, 0x8D, 0x8F, 0x90, 0x9D}));
    EXPECT_EQ(ToBytes(1252, u"\u0081\u008D\u008F\u0090\u009D"), unassigned);
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(1252, u"\u0080\u009F", &usedDefault), "??") << "the other C1 controls have no byte";
    EXPECT_TRUE(usedDefault);
}

TEST(KernelCodePageTest, EuroSignConvertsBetweenAllThreeForms) {
    EXPECT_EQ(ToWide(1252, "\x80"), u"\u20AC");
    EXPECT_EQ(ToBytes(1252, u"\u20AC"), "\x80");
    EXPECT_EQ(ToBytes(CP_UTF8, ToWide(1252, "\x80")), "\xE2\x82\xAC");
    EXPECT_EQ(ToBytes(1252, ToWide(CP_UTF8, "\xE2\x82\xAC")), "\x80");
}

TEST(KernelCodePageTest, CharactersWithoutABecomeTheDefaultCharacter) {
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToBytes(1252, u"G01 X\u4E2D\u0100", &usedDefault), "G01 X??");
    EXPECT_TRUE(usedDefault);
    usedDefault = FALSE;
    EXPECT_EQ(ToBytes(1252, u"\U0001F600", &usedDefault, "#"), "##") << "one default per UTF-16 unit";
    EXPECT_TRUE(usedDefault);
    EXPECT_EQ(ToBytes(1252, u"plain", &usedDefault), "plain");
    EXPECT_FALSE(usedDefault);
}

TEST(KernelCodePageTest, MinusOneLengthCountsTheTerminatingNul) {
    WCHAR wide[8];
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, wide, 8), 4);
    EXPECT_EQ(std::u16string(wide, 4), std::u16string(u"abc\0", 4));
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", 3, wide, 8), 3);
    char bytes[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9t\u00E9", -1, nullptr, 0, nullptr, nullptr), 6);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9t\u00E9", -1, bytes, 8, nullptr, nullptr), 6);
    EXPECT_STREQ(bytes, "\xC3\xA9t\xC3\xA9");
}

TEST(KernelCodePageTest, ShortOutputBuffersAreInsufficient) {
    WCHAR wide[2];
    EXPECT_EQ(MultiByteToWideChar(1252, 0, "abc", 3, wide, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    char bytes[2];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"\u00E9", 1, bytes, 1, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

TEST(KernelCodePageTest, Utf8AgreesWithIconvAcrossThePlanes) {
    Iconv reference("UTF-8", "UTF-16LE");
    ASSERT_TRUE(reference.IsOpen());
    std::u16string wide;
    for (char32_t codePoint = 1; codePoint < 0x110000; codePoint += codePoint < 0x10000 ? 1 : 97) {
        if (codePoint >= 0xD800 && codePoint < 0xE000)
            continue;
        if (codePoint < 0x10000) {
            wide += static_cast<char16_t>(codePoint);
        } else {
            wide += static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10));
            wide += static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
        }
    }
    std::optional<std::string> expected = reference.Convert(Utf16LittleEndian(wide));
    ASSERT_TRUE(expected);
    std::string utf8 = ToBytes(CP_UTF8, wide);
    EXPECT_TRUE(utf8 == *expected) << "UTF-8 encodings differ";
    EXPECT_TRUE(ToWide(CP_UTF8, utf8) == wide) << "UTF-8 decoding does not give the text back";
}

TEST(KernelCodePageTest, IllFormedUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* name;
        std::string bytes;
        std::u16string expected;
    };
    const Case cases[] = {
        {"overlong slash", "\xC0\xAF", u"\uFFFD\uFFFD"},
        {"encoded surrogate", "\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},
        {"cut-off sequence", "a\xE2\x82", u"a\uFFFD"},
        {"cut-off sequence before ASCII",
         "\xE2\x82"
         "b",
         u"\uFFFDb"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"stray continuation", "\x80x", u"\uFFFDx"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        EXPECT_TRUE(ToWide(CP_UTF8, test.bytes) == test.expected);
        WCHAR wide[8];
        EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, test.bytes.data(),
                                      static_cast<int>(test.bytes.size()), wide, 8),
                  0);
        EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
    }
}

TEST(KernelCodePageTest, LoneSurrogatesBecomeReplacementCharactersInUtf8) {
    EXPECT_EQ(ToBytes(CP_UTF8, u"a\xD800"
                               "b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(ToBytes(CP_UTF8, u"\xDC00"), "\xEF\xBF\xBD");
    char bytes[8];
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, u"\xD800", 1, bytes, 8, nullptr, nullptr),
              0);
    EXPECT_EQ(GetLastError(), ERROR_NO_UNICODE_TRANSLATION);
}

TEST(KernelCodePageTest, BadArgumentsAreRefusedAsWin32Does) {
    WCHAR wide[4];
    char bytes[4];
    BOOL usedDefault = FALSE;
    struct Case {
        const char* name;
        std::function<int()> call;
        DWORD error;
    };
    const Case cases[] = {
        {"unsupported code page", [&] { return MultiByteToWideChar(437, 0, "a", 1, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"empty input", [&] { return MultiByteToWideChar(CP_ACP, 0, "a", 0, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"null input", [&] { return MultiByteToWideChar(CP_ACP, 0, nullptr, 1, wide, 4); },
         ERROR_INVALID_PARAMETER},
        {"null output with a size", [&] { return MultiByteToWideChar(CP_ACP, 0, "a", 1, nullptr, 4); },
         ERROR_INVALID_PARAMETER},
        {"composite flag", [&] { return MultiByteToWideChar(CP_ACP, MB_COMPOSITE, "a", 1, wide, 4); },
         ERROR_INVALID_FLAGS},
        {"precomposed flag for UTF-8",
         [&] { return MultiByteToWideChar(CP_UTF8, MB_PRECOMPOSED, "a", 1, wide, 4); }, ERROR_INVALID_FLAGS},
        {"default character for UTF-8",
         [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, "?", nullptr); },
         ERROR_INVALID_PARAMETER},
        {"used-default flag for UTF-8",
         [&] { return WideCharToMultiByte(CP_UTF8, 0, u"a", 1, bytes, 4, nullptr, &usedDefault); },
         ERROR_INVALID_PARAMETER},
        {"strict flag for 1252",
         [&] { return WideCharToMultiByte(1252, WC_ERR_INVALID_CHARS, u"a", 1, bytes, 4, nullptr, nullptr); },
         ERROR_INVALID_FLAGS},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(test.call(), 0);
        EXPECT_EQ(GetLastError(), test.error);
    }
}

} // namespace
