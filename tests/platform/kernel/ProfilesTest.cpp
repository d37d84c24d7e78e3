#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace std::string_literals;
using testsupport::Exists;
using testsupport::ScopedEnvironment;
using testsupport::TemporaryFolder;
using testsupport::WriteWholeFile;

// What one GetPrivateProfileStringA call gave: the count and the whole buffer, sized exactly as
// told, so that the sanitizers see any write past its end.
struct Lookup {
    DWORD count = 0;
    std::vector<char> buffer;

    std::string Text() const { return std::string(buffer.data(), ::strnlen(buffer.data(), buffer.size())); }
    std::string Bytes(std::size_t length) const { return std::string(buffer.data(), length); }
};

Lookup Read(LPCSTR section, LPCSTR key, LPCSTR defaultText, const std::string& file, DWORD size = 256) {
    Lookup lookup;
    lookup.buffer.assign(size, '#');
    lookup.count =
        GetPrivateProfileStringA(section, key, defaultText, lookup.buffer.data(), size, file.c_str());
    return lookup;
}

std::string WindowsDirectory() {
    char buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
    return length < sizeof buffer ? std::string(buffer, length) : std::string();
}

// Every test works in a Windows directory of its own, so that bare profile names land there.
class KernelProfilesTest : public ::testing::Test {
protected:
    void WriteProfile(const std::string& content) { WriteWholeFile(folder.PathOf(profile), content); }

    TemporaryFolder folder;
    ScopedEnvironment windowsDirectory{"TOLVA_WINDIR", folder.Path()};
    const std::string profile = "QOR.INI";
};

TEST(KernelProfilesWindowsDirectoryTest, WindowsDirectoryIsTolvaWindirThenXdgThenHome) {
    struct Case {
        std::optional<std::string> windir;
        std::optional<std::string> xdg;
        std::optional<std::string> home;
        std::string expected;
    };
    const Case cases[] = {
        {"/srv/tolva/win", "/cfg", "/home/op", "/srv/tolva/win"},
        {"/srv/tolva/win//", "/cfg", "/home/op", "/srv/tolva/win"},
        {"/", "/cfg", "/home/op", "/"},
        {"", "/cfg", "/home/op", "/cfg/tolva-dnc"},
        {std::nullopt, "/cfg/", "/home/op", "/cfg/tolva-dnc"},
        {std::nullopt, "relative/cfg", "/home/op", "/home/op/.config/tolva-dnc"},
        {std::nullopt, "", "/home/op/", "/home/op/.config/tolva-dnc"},
        {std::nullopt, std::nullopt, "/home/op", "/home/op/.config/tolva-dnc"},
        {std::nullopt, std::nullopt, "/", "/.config/tolva-dnc"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.windir.value_or("(unset)") + " | " + test.xdg.value_or("(unset)") + " | " +
                     test.home.value_or("(unset)"));
        ScopedEnvironment windir("TOLVA_WINDIR", test.windir);
        ScopedEnvironment xdg("XDG_CONFIG_HOME", test.xdg);
        ScopedEnvironment home("HOME", test.home);
        EXPECT_EQ(WindowsDirectory(), test.expected);
        EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), test.expected.size() + 1)
            << "a size query counts the NUL";
        std::string shortBuffer(test.expected.size(), '#');
        EXPECT_EQ(GetWindowsDirectoryA(shortBuffer.data(), static_cast<UINT>(shortBuffer.size())),
                  test.expected.size() + 1);
        EXPECT_EQ(shortBuffer, std::string(test.expected.size(), '#')) << "a short buffer stays untouched";
    }
}

TEST(KernelProfilesWindowsDirectoryTest, WindowsDirectoryWithoutHomeIsStillAbsolute) {
    ScopedEnvironment windir("TOLVA_WINDIR", std::nullopt);
    ScopedEnvironment xdg("XDG_CONFIG_HOME", std::nullopt);
    ScopedEnvironment home("HOME", std::nullopt);
    std::string folder = WindowsDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.front(), '/');
    EXPECT_TRUE(folder.ends_with("/.config/tolva-dnc")) << folder;
}

TEST_F(KernelProfilesTest, BareNamesAreFoundInTheWindowsDirectoryWhereverItIs) {
    std::string xdgFolder = folder.PathOf("xdg");
    std::string homeFolder = folder.PathOf("home");
    for (const std::string& path : {xdgFolder, xdgFolder + "/tolva-dnc", homeFolder, homeFolder + "/.config",
                                    homeFolder + "/.config/tolva-dnc"})
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
    WriteProfile("[Port]\nbaud=from windir\n");
    WriteWholeFile(xdgFolder + "/tolva-dnc/" + profile, "[Port]\nbaud=from xdg\n");
    WriteWholeFile(homeFolder + "/.config/tolva-dnc/" + profile, "[Port]\nbaud=from home\n");

    struct Case {
        std::optional<std::string> windir;
        std::optional<std::string> xdg;
        std::string expected;
    };
    const Case cases[] = {
        {folder.Path(), xdgFolder, "from windir"},
        {std::nullopt, xdgFolder, "from xdg"},
        {std::nullopt, std::nullopt, "from home"},
    };
    ScopedEnvironment home("HOME", homeFolder);
    for (const Case& test : cases) {
        SCOPED_TRACE(test.expected);
        ScopedEnvironment windir("TOLVA_WINDIR", test.windir);
        ScopedEnvironment xdg("XDG_CONFIG_HOME", test.xdg);
        EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), test.expected);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
}

TEST_F(KernelProfilesTest, TheWindowsDirectoryIsNeverCreated) {
    ScopedEnvironment windir("TOLVA_WINDIR", std::nullopt);
    ScopedEnvironment xdg("XDG_CONFIG_HOME", folder.Path());
    EXPECT_EQ(WindowsDirectory(), folder.PathOf("tolva-dnc"));
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "none");
    EXPECT_FALSE(Exists(folder.PathOf("tolva-dnc")));
}

TEST_F(KernelProfilesTest, NamesWithASeparatorOrDriveAreNotMovedToTheWindowsDirectory) {
    std::string elsewhere = folder.PathOf("elsewhere");
    ASSERT_TRUE(CreateDirectoryA(elsewhere.c_str(), nullptr));
    WriteProfile("[Port]\nbaud=windir\n");
    WriteWholeFile(elsewhere + "/" + profile, "[Port]\nbaud=elsewhere\n");
    platform::ResetDriveTable();
    ASSERT_TRUE(platform::SetDriveRoot('Q', elsewhere));

    const std::string names[] = {
        elsewhere + "/" + profile,
        elsewhere + "\\" + profile,
        "Q:\\" + profile,
        "q:/" + profile,
        "Q:" + profile,
    };
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Read("Port", "baud", "none", name).Text(), "elsewhere");
    }
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "windir");
    platform::ResetDriveTable();
}

// A relative name with a separator of either kind is taken from the current folder, as Win32 does.
TEST_F(KernelProfilesTest, RelativeNamesWithASeparatorStartAtTheCurrentFolder) {
    for (const char* name : {"sub", "work", "work/sub"})
        ASSERT_TRUE(CreateDirectoryA(folder.PathOf(name).c_str(), nullptr)) << name;
    WriteWholeFile(folder.PathOf("sub/" + profile), "[Port]\nbaud=windir\n");
    WriteWholeFile(folder.PathOf("work/sub/" + profile), "[Port]\nbaud=current\n");
    char previous[MAX_PATH];
    ASSERT_NE(::getcwd(previous, sizeof previous), nullptr);
    ASSERT_EQ(::chdir(folder.PathOf("work").c_str()), 0);
    EXPECT_EQ(Read("Port", "baud", "none", "sub\\" + profile).Text(), "current");
    EXPECT_EQ(Read("Port", "baud", "none", "sub/" + profile).Text(), "current");
    EXPECT_EQ(Read("Port", "baud", "none", ".\\sub\\" + profile).Text(), "current");
    ASSERT_EQ(::chdir(previous), 0);
}

TEST_F(KernelProfilesTest, ANullFileNameIsWinIniInTheWindowsDirectory) {
    WriteWholeFile(folder.PathOf("win.ini"), "[windows]\nload=dnc\n");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("windows", "load", "none", buffer, sizeof buffer, nullptr), 3u);
    EXPECT_STREQ(buffer, "dnc");
    EXPECT_EQ(GetPrivateProfileIntA("windows", "missing", 7, nullptr), 7u);
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(KernelProfilesTest, SectionAndKeyNamesMatchWithoutRegardToCase) {
    WriteProfile("[Port Settings]\nBaud Rate=9600\n[log]\nfile name=DNC.LOG\n");
    EXPECT_EQ(Read("port settings", "BAUD RATE", "none", profile).Text(), "9600");
    EXPECT_EQ(Read("PORT SETTINGS", "baud rate", "none", profile).Text(), "9600");
    EXPECT_EQ(Read("LOG", "File Name", "none", profile).Text(), "DNC.LOG") << "values keep their case";
    EXPECT_EQ(Read("Port Setting", "Baud Rate", "none", profile).Text(), "none") << "no prefix match";
    EXPECT_EQ(Read("Port Settings", "Baud", "none", profile).Text(), "none") << "no prefix match";
}

TEST_F(KernelProfilesTest, BlanksAroundNamesAndValuesAreDropped) {
    struct Case {
        std::string content;
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"[ Port ]\n  baud  =  9600  \n", "Port", "baud", "9600"},
        {"\t[\tPort\v]\n\tbaud\t=\t9600\t\f\n", "Port", "baud", "9600"},
        {"[Port]\nbaud=9600\n", "  Port  ", "  baud  ", "9600"},
        {"[Port]\nbaud=9600\n", "\tPort", "baud", "none"},
        {"[Port]\nbaud=9600\n", "Port", "baud\t", "none"},
        {"[Port]\nname =  two  words \n", "Port", "name", "two  words"},
        {"[Port]\nbaud=\n", "Port", "baud", ""},
        {"[Port]\nbaud=   \n", "Port", "baud", ""},
        {"[Port] trailing text\nbaud=1\n", "Port", "baud", "1"},
        {"[Port\nbaud=2\n", "Port", "baud", "2"},
        {"[Port]]\nbaud=3\n", "Port", "baud", "3"},
        {"Port]\nbaud=4\n", "Port", "baud", "none"},
        {"[Port]\nbaud=1=2\n", "Port", "baud", "1=2"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.content + " / " + test.section + " / " + test.key);
        WriteProfile(test.content);
        Lookup lookup = Read(test.section, test.key, "none", profile);
        EXPECT_EQ(lookup.Text(), test.expected);
        EXPECT_EQ(lookup.count, test.expected.size());
    }
}

TEST_F(KernelProfilesTest, OnlyAMatchingPairOfOuterQuotesIsRemoved) {
    struct Case {
        std::string value;
        std::string expected;
    };
    const Case cases[] = {
        {R"("  spaced  ")", "  spaced  "},
        {R"('single')", "single"},
        {R"(  "outside blanks"  )", "outside blanks"},
        {R"("'inner'")", "'inner'"},
        {R"('"inner"')", "\"inner\""},
        {R"("mixed')", R"("mixed')"},
        {R"(")", R"(")"},
        {R"("")", ""},
        {R"(a"b")", R"(a"b")"},
        {R"("a"b)", R"("a"b)"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.value);
        WriteProfile("[Port]\nname=" + test.value + "\n");
        Lookup lookup = Read("Port", "name", "none", profile);
        EXPECT_EQ(lookup.Text(), test.expected);
        EXPECT_EQ(lookup.count, test.expected.size());
    }
}

TEST_F(KernelProfilesTest, CommentLinesAreSkippedButSemicolonsElsewhereAreText) {
    WriteProfile("; settings\n[Port]\n;baud=1\n   ; baud=2\nbaud=3\nparity=;odd\nkey;x=y\n[;Section]\nk=v\n");
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "3");
    EXPECT_EQ(Read("Port", ";baud", "none", profile).Text(), "none");
    EXPECT_EQ(Read("Port", "parity", "none", profile).Text(), ";odd");
    EXPECT_EQ(Read("Port", "key;x", "none", profile).Text(), "y");
    EXPECT_EQ(Read(";Section", "k", "none", profile).Text(), "v");
}

TEST_F(KernelProfilesTest, TheFirstSectionAndTheFirstKeyOfANameWin) {
    WriteProfile("[Port]\nbaud=1\nBAUD=2\n[Other]\nbaud=3\n[port]\nbaud=4\nparity=E\n");
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "1");
    EXPECT_EQ(Read("Other", "baud", "none", profile).Text(), "3");
    EXPECT_EQ(Read("PORT", "parity", "none", profile).Text(), "none") << "a repeated section is never read";
    EXPECT_EQ(Read(nullptr, nullptr, "none", profile).Bytes(17), "Port\0Other\0port\0\0"s);
    EXPECT_EQ(Read("Port", nullptr, "none", profile).Bytes(11), "baud\0BAUD\0\0"s);
}

TEST_F(KernelProfilesTest, AKeyWithoutEqualsSignIsListedButHasNoValue) {
    WriteProfile("[Port]\nflag\nbaud=9600\nlater\nlater=1\n");
    Lookup flag = Read("Port", "flag", "none", profile);
    EXPECT_EQ(flag.Text(), "none");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(Read("Port", "later", "none", profile).Text(), "none") << "the first key of a name wins";
    Lookup keys = Read("Port", nullptr, "none", profile);
    EXPECT_EQ(keys.count, 22u);
    EXPECT_EQ(keys.Bytes(23), "flag\0baud\0later\0later\0\0"s);
}

TEST_F(KernelProfilesTest, LineEndsByteOrderMarkAndRawBytes) {
    const std::string withNul = "[Port]\nbaud=96"s + '\0' + "00\nparity=N\n";
    struct Case {
        std::string content;
        const char* section;
        const char* key;
        std::string expected;
    };
    const Case cases[] = {
        {"[Port]\r\nbaud=9600\r\nparity=N\r\n", "Port", "parity", "N"},
        {"[Port]\nbaud=9600\nparity=N", "Port", "parity", "N"},
        {"\xEF\xBB\xBF[Port]\r\nbaud=9600\r\n", "Port", "baud", "9600"},
        {"[Port]\nname=\xE9t\xE9 \xA0\x80\n", "Port", "name", "\xE9t\xE9 \xA0\x80"},
        {withNul, "Port", "baud", "96"},
        {withNul, "Port", "parity", "N"},
        {"baud=1\n[Port]\n", "", "baud", "none"},
        {"[]\nbaud=5\n", "", "baud", "5"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.content);
        WriteProfile(test.content);
        Lookup lookup = Read(test.section, test.key, "none", profile);
        EXPECT_EQ(lookup.Text(), test.expected);
        EXPECT_EQ(lookup.count, test.expected.size());
    }
}

TEST_F(KernelProfilesTest, LongValuesAreCutToTheBuffer) {
    std::string value;
    for (int i = 0; i < 100; ++i)
        value += static_cast<char>('A' + i % 26);
    WriteProfile("[Programs]\npath=" + value + "\n");

    struct Case {
        DWORD size;
        DWORD count;
        DWORD error;
    };
    const Case cases[] = {
        {80, 79, ERROR_MORE_DATA},
        {100, 99, ERROR_MORE_DATA},
        {101, 100, ERROR_SUCCESS},
        {1, 0, ERROR_MORE_DATA},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.size);
        SetLastError(ERROR_INVALID_DATA);
        Lookup lookup = Read("Programs", "path", "none", profile, test.size);
        EXPECT_EQ(lookup.count, test.count);
        EXPECT_EQ(lookup.Bytes(test.count + 1), value.substr(0, test.count) + '\0');
        EXPECT_EQ(GetLastError(), test.error);
    }

    char untouched = '#';
    EXPECT_EQ(GetPrivateProfileStringA("Programs", "path", "none", &untouched, 0, profile.c_str()), 0u);
    EXPECT_EQ(untouched, '#');
    EXPECT_EQ(GetLastError(), ERROR_MORE_DATA);

    Lookup cutDefault = Read("Programs", "missing", "default text", profile, 5);
    EXPECT_EQ(cutDefault.count, 4u);
    EXPECT_EQ(cutDefault.Bytes(5), "defa\0"s);
}

TEST_F(KernelProfilesTest, DefaultsLoseTrailingSpacesOnly) {
    WriteProfile("[Port]\nbaud=9600\n");
    struct Case {
        const char* defaultText;
        std::string expected;
    };
    const Case cases[] = {
        {"COM1", "COM1"},     {"  COM1  ", "  COM1"},
        {"COM1\t", "COM1\t"}, {"COM1 \t ", "COM1 \t"},
        {"   ", ""},          {"", ""},
        {nullptr, ""},        {"\"quoted\"", "\"quoted\""},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.defaultText == nullptr ? "(null)" : test.defaultText);
        for (const char* section : {"Port", "Missing"}) {
            Lookup lookup = Read(section, "port", test.defaultText, profile);
            EXPECT_EQ(lookup.Text(), test.expected);
            EXPECT_EQ(lookup.count, test.expected.size());
            EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
        }
        EXPECT_EQ(Read("Port", "baud", test.defaultText, profile).Text(), "9600");
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
}

TEST_F(KernelProfilesTest, SectionNamesAreListedAndCutAsWin32Does) {
    WriteProfile("[COM1]\nbaud=9600\n[COM2]\n[]\n[ Log ]\n");
    const std::string full = "COM1\0COM2\0Log\0\0"s;
    struct Case {
        DWORD size;
        DWORD count;
        std::string bytes;
        DWORD error;
    };
    const Case cases[] = {
        {64, 14, full, ERROR_SUCCESS},        {16, 14, full, ERROR_SUCCESS},
        {15, 13, full, ERROR_MORE_DATA},      {10, 8, "COM1\0COM\0\0"s, ERROR_MORE_DATA},
        {6, 4, "COM1\0\0"s, ERROR_MORE_DATA}, {4, 2, "CO\0\0"s, ERROR_MORE_DATA},
        {2, 0, "\0\0"s, ERROR_MORE_DATA},     {1, 0, "\0"s, ERROR_MORE_DATA},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.size);
        Lookup lookup = Read(nullptr, "ignored", "none", profile, test.size);
        EXPECT_EQ(lookup.count, test.count);
        EXPECT_EQ(lookup.Bytes(test.bytes.size()), test.bytes);
        EXPECT_EQ(GetLastError(), test.error);
    }

    WriteProfile("; nothing here\n");
    Lookup empty = Read(nullptr, nullptr, "none", profile);
    EXPECT_EQ(empty.count, 0u);
    EXPECT_EQ(empty.buffer[0], '\0');
}

TEST_F(KernelProfilesTest, KeyNamesAreListedAndCutAsWin32Does) {
    WriteProfile("[Port]\nbaud=9600\n; parity=N\n  stop bits = 1\n[Empty]\n[Log]\nfile=x\n");
    const std::string full = "baud\0stop bits\0\0"s;
    struct Case {
        DWORD size;
        DWORD count;
        std::string bytes;
    };
    const Case cases[] = {
        {64, 15, full}, {17, 15, full}, {16, 14, full}, {8, 6, "baud\0s\0\0"s}, {2, 0, "\0\0"s},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.size);
        Lookup lookup = Read("port", nullptr, "none", profile, test.size);
        EXPECT_EQ(lookup.count, test.count);
        EXPECT_EQ(lookup.Bytes(test.bytes.size()), test.bytes);
    }

    for (const char* section : {"Empty", "Missing"}) {
        SCOPED_TRACE(section);
        Lookup lookup = Read(section, nullptr, "none", profile);
        EXPECT_EQ(lookup.count, 4u);
        EXPECT_EQ(lookup.Bytes(5), "none\0"s);
        EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    }
}

TEST_F(KernelProfilesTest, UnreadableFilesGiveTheDefaultAndTheOpenError) {
    ASSERT_TRUE(CreateDirectoryA(folder.PathOf("folder.ini").c_str(), nullptr));
    struct Case {
        std::string name;
        DWORD error;
    };
    const Case cases[] = {
        {"ABSENT.INI", ERROR_FILE_NOT_FOUND},
        {folder.PathOf("ABSENT.INI"), ERROR_FILE_NOT_FOUND},
        {folder.PathOf("absent/QOR.INI"), ERROR_PATH_NOT_FOUND},
        {"folder.ini", ERROR_ACCESS_DENIED},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        const std::pair<LPCSTR, LPCSTR> requests[] = {
            {"Port", "baud"}, {"Port", nullptr}, {nullptr, nullptr}};
        for (auto [section, key] : requests) {
            SetLastError(ERROR_SUCCESS);
            Lookup lookup = Read(section, key, "COM1 ", test.name);
            EXPECT_EQ(lookup.count, 4u);
            EXPECT_EQ(lookup.Bytes(5), "COM1\0"s);
            EXPECT_EQ(GetLastError(), test.error);
        }
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(GetPrivateProfileIntA("Port", "baud", 9600, test.name.c_str()), 9600u);
        EXPECT_EQ(GetLastError(), test.error);
    }
}

TEST_F(KernelProfilesTest, IntegersAreParsedAsWin32ParsesThem) {
    struct Case {
        std::string value;
        UINT expected;
    };
    const Case cases[] = {
        {"42", 42},
        {"  42  ", 42},
        {"\"42\"", 42},
        {"+15", 15},
        {"-7", static_cast<UINT>(-7)},
        {"-1", 0xFFFFFFFFu},
        {"0x1F", 0x1F},
        {"0xfF", 0xFF},
        {"-0x10", static_cast<UINT>(-16)},
        {"0o17", 017},
        {"0o19", 01},
        {"0b101", 5},
        {"0b1021", 2},
        {"08", 8},
        {"12abc", 12},
        {"12.5", 12},
        {"1 000", 1},
        {"abc", 0},
        {"0X1F", 0},
        {"0B1", 0},
        {"0x", 0},
        {"0xg", 0},
        {"x10", 0},
        {"--5", 0},
        {"- 5", 0},
        {"\x01\x02"
         "12",
         12},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0},
        {"9999999999", 1410065407u},
    };
    std::string content = "[Port]\n";
    for (std::size_t i = 0; i < std::size(cases); ++i)
        content += "k" + std::to_string(i) + "=" + cases[i].value + "\n";
    WriteProfile(content + "empty=\nblank=   \nquoted=\"\"\n");

    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].value);
        std::string key = "k" + std::to_string(i);
        EXPECT_EQ(GetPrivateProfileIntA("Port", key.c_str(), 99, profile.c_str()), cases[i].expected);
        EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    }
    for (const char* key : {"empty", "blank", "quoted", "missing"}) {
        SCOPED_TRACE(key);
        EXPECT_EQ(GetPrivateProfileIntA("Port", key, 99, profile.c_str()), 99u);
        EXPECT_EQ(GetPrivateProfileIntA("Port", key, -2, profile.c_str()), static_cast<UINT>(-2));
    }
    EXPECT_EQ(GetPrivateProfileIntA("Missing", "k0", 99, profile.c_str()), 99u);
    EXPECT_EQ(GetPrivateProfileIntA("PORT", " K0 ", 99, profile.c_str()), 42u);
}

TEST_F(KernelProfilesTest, FilesLargerThan64KiBAreReadWhole) {
    std::string content = "; " + std::string(70000, '-') + "\n";
    std::string expectedSections;
    for (int i = 0; i < 12000; ++i) {
        std::string name = "Section" + std::to_string(i);
        content += "[" + name + "]\nkey=value " + std::to_string(i) + "\n";
        expectedSections += name + '\0';
    }
    std::string longValue(100000, 'v');
    content += "[Last]\nlong=" + longValue + "\n";
    expectedSections += "Last"s + '\0' + '\0';
    WriteProfile(content);

    EXPECT_EQ(Read("Section0", "key", "none", profile).Text(), "value 0");
    EXPECT_EQ(Read("Section11999", "key", "none", profile).Text(), "value 11999");
    Lookup longLookup = Read("Last", "long", "none", profile, 200000);
    EXPECT_EQ(longLookup.count, longValue.size());
    EXPECT_EQ(longLookup.Text(), longValue);

    ASSERT_GT(expectedSections.size(), 65536u);
    Lookup sections = Read(nullptr, nullptr, "none", profile, 200000);
    EXPECT_EQ(sections.count, expectedSections.size() - 1);
    EXPECT_EQ(sections.Bytes(expectedSections.size()), expectedSections);
}

TEST_F(KernelProfilesTest, ChangesToTheFileAreSeenAtTheNextCall) {
    WriteProfile("[Port]\nbaud=1200\n");
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "1200");
    EXPECT_EQ(GetPrivateProfileIntA("Port", "baud", 0, profile.c_str()), 1200u);
    // Same size and, most likely, the same modification second: nothing may be cached on either.
    WriteProfile("[Port]\nbaud=4800\n");
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "4800");
    EXPECT_EQ(GetPrivateProfileIntA("Port", "baud", 0, profile.c_str()), 4800u);
    ASSERT_EQ(::unlink(folder.PathOf(profile).c_str()), 0);
    EXPECT_EQ(Read("Port", "baud", "none", profile).Text(), "none");
}

} // namespace
