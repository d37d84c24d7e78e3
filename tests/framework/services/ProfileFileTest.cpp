#include "framework/services/ProfileFile.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using framework::ProfileFile;
using framework::String;

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    String Path() const { return String((folder / "QOR.INI").c_str()); }
    testsupport::TempFolder folder;
};

} // namespace

TEST_F(ProfileFileTest, ReadsTrimmedValuesCaseInsensitively) {
    folder.Write("QOR.INI", "[Other]\r\nMAIN=wrong\r\n  [program paths]  \r\n\tmain =  not this key \r\n"
                            "main=  D:\\cut  \r\ncnc\r\nempty=\r\n[Next]\r\nparts=outside\r\n");
    ProfileFile profile(Path());
    String main, cnc, empty, parts, missing("stale");
    profile.AddItem("PROGRAM PATHS", "MAIN", &main, "");
    profile.AddItem("PROGRAM PATHS", "cn", &cnc, "none");
    profile.AddItem("PROGRAM PATHS", "EMPTY", &empty, "default");
    profile.AddItem("PROGRAM PATHS", "PARTS", &parts, "in section only");
    profile.AddItem("NO SECTION", "MAIN", &missing, "fallback");
    profile.ReadItems();
    EXPECT_STREQ(main.CStr(), "D:\\cut") << "the key part keeps its blanks, so 'main ' does not match";
    EXPECT_STREQ(cnc.CStr(), "") << "a line without '=' loses its last character to make its key";
    EXPECT_STREQ(empty.CStr(), "");
    EXPECT_STREQ(parts.CStr(), "in section only") << "the search stops at the next section";
    EXPECT_STREQ(missing.CStr(), "fallback");
}

TEST_F(ProfileFileTest, WritesKeysInPlaceNewKeysFirstAndNewSectionsOnTop) {
    folder.Write("QOR.INI", "; installation\r\n[PROGRAM PATHS]\r\nMAIN=old\r\n[Other]\r\nx=1\r\n\r\n\r\n");
    ProfileFile profile(Path());
    String main("D:/cut"), cnc("D:/cut/cnc"), parts("D:/cut/parts"), extra("yes");
    profile.AddItem("PROGRAM PATHS", "MAIN", &main, "");
    profile.AddItem("PROGRAM PATHS", "CNC", &cnc, "");
    profile.AddItem("PROGRAM PATHS", "PARTS", &parts, "");
    profile.AddItem("New", "flag", &extra, "");
    EXPECT_TRUE(profile.WriteItems());
    EXPECT_EQ(folder.Read("QOR.INI"),
              "\r\n[New]\r\nflag=yes\r\n; installation\r\n[PROGRAM PATHS]\r\n"
              "PARTS=D:/cut/parts\r\nCNC=D:/cut/cnc\r\nMAIN=D:/cut\r\n[Other]\r\nx=1\r\n");
}

TEST_F(ProfileFileTest, MissingFileReadsDefaultsAndIsCreatedOnWrite) {
    ProfileFile profile(Path());
    String value;
    profile.AddItem("S", "k", &value, "default");
    profile.ReadItems();
    EXPECT_STREQ(value.CStr(), "default");
    value = "written";
    EXPECT_TRUE(profile.WriteItems());
    EXPECT_EQ(folder.Read("QOR.INI"), "\r\n[S]\r\nk=written\r\n");
    value = "";
    profile.ReadItems();
    EXPECT_STREQ(value.CStr(), "written") << "lines are read afresh";
}

TEST_F(ProfileFileTest, UnwritableFileIsReportedWithItsPath) {
    ProfileFile profile(String((folder / "missing-folder/QOR.INI").c_str()));
    String value("x");
    profile.AddItem("S", "k", &value, "");
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(profile.WriteItems());
    const std::string shown = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(shown.find("The file could not be opened.: " + folder / "missing-folder/QOR.INI"),
              std::string::npos)
        << shown;
}
