#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using platform::NativePath;
using testsupport::ReadWholeFile;
using testsupport::ScopedEnvironment;
using testsupport::TemporaryFolder;

class DriveTableTest : public ::testing::Test {
protected:
    void SetUp() override { platform::ResetDriveTable(); }
    void TearDown() override { platform::ResetDriveTable(); }

    ScopedEnvironment drives{"TOLVA_DRIVES", std::nullopt};
};

TEST_F(DriveTableTest, EveryDriveIsTheRootByDefault) {
    EXPECT_EQ(NativePath("C:\\x\\y"), "/x/y");
    EXPECT_EQ(NativePath("C:/x"), "/x");
    EXPECT_EQ(NativePath("C:/QOR.CFG"), "/QOR.CFG");
    EXPECT_EQ(NativePath("d:\\Programs\\O1234.NC"), "/Programs/O1234.NC");
    EXPECT_EQ(NativePath("C:"), "/");
    EXPECT_EQ(NativePath("C:\\"), "/");
    EXPECT_EQ(NativePath("C:QOR.CFG"), "/QOR.CFG") << "drive-relative paths start at the drive's folder";
}

TEST_F(DriveTableTest, PathsWithoutADriveOnlyChangeSeparators) {
    EXPECT_EQ(NativePath("programs\\O1234.NC"), "programs/O1234.NC");
    EXPECT_EQ(NativePath("\\tmp\\mixed/separators"), "/tmp/mixed/separators");
    EXPECT_EQ(NativePath("/already/linux"), "/already/linux");
    EXPECT_EQ(NativePath("1:\\not-a-drive"), "1:/not-a-drive");
    EXPECT_EQ(NativePath(""), "");
    EXPECT_EQ(NativePath(nullptr), "");
}

TEST_F(DriveTableTest, SetDriveRootMovesOnlyThatDrive) {
    EXPECT_TRUE(platform::SetDriveRoot('d', "/srv/dnc/"));
    EXPECT_EQ(platform::DriveRoot('D'), "/srv/dnc");
    EXPECT_EQ(NativePath("D:\\x\\y"), "/srv/dnc/x/y");
    EXPECT_EQ(NativePath("d:/x"), "/srv/dnc/x");
    EXPECT_EQ(NativePath("D:"), "/srv/dnc");
    EXPECT_EQ(NativePath("C:\\x"), "/x");
}

TEST_F(DriveTableTest, SetDriveRootRefusesNonLettersAndEmptyFolders) {
    EXPECT_FALSE(platform::SetDriveRoot('1', "/srv"));
    EXPECT_FALSE(platform::SetDriveRoot('C', ""));
    EXPECT_EQ(platform::DriveRoot('C'), "/");
    EXPECT_EQ(platform::DriveRoot('#'), "");
}

TEST_F(DriveTableTest, ResetReadsTolvaDrivesAndSkipsBadEntries) {
    ScopedEnvironment configured("TOLVA_DRIVES", "C=/srv/c;d:=/mnt/d/;nonsense;E=;;7=/x");
    platform::ResetDriveTable();
    EXPECT_EQ(NativePath("C:\\QOR.CFG"), "/srv/c/QOR.CFG");
    EXPECT_EQ(NativePath("D:\\O1.NC"), "/mnt/d/O1.NC");
    EXPECT_EQ(NativePath("E:\\x"), "/x");
}

TEST_F(DriveTableTest, TolvaDrivesIsReadOnlyOnceUntilReset) {
    EXPECT_EQ(NativePath("C:\\x"), "/x");
    ScopedEnvironment configured("TOLVA_DRIVES", "C=/srv/c");
    EXPECT_EQ(NativePath("C:\\x"), "/x");
    platform::ResetDriveTable();
    EXPECT_EQ(NativePath("C:\\x"), "/srv/c/x");
}

TEST_F(DriveTableTest, FileCallsGoThroughTheDriveTable) {
    TemporaryFolder folder;
    ASSERT_TRUE(platform::SetDriveRoot('Q', folder.Path()));
    ASSERT_TRUE(CreateDirectoryA("Q:\\PROGRAMS", nullptr));
    HANDLE file = CreateFileA("Q:\\PROGRAMS\\O1234.NC", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, "%\n", 2, &written, nullptr);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(folder.PathOf("PROGRAMS/O1234.NC")), "%\n");
    EXPECT_EQ(GetFileAttributesA("q:/PROGRAMS/O1234.NC"), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA("Q:\\PROGRAMS"), FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace
