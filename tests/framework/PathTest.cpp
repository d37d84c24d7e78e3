#include "framework/Path.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

using namespace framework;

TEST(Path, ExtensionOnlyAfterTheLastSeparator) {
    EXPECT_STREQ(PathExtension("C:\\dir.x\\file").CStr(), "");
    EXPECT_STREQ(PathExtension("a/b.nc").CStr(), ".nc");
    EXPECT_STREQ(PathExtension("123.T3").CStr(), ".T3");
    EXPECT_STREQ(PathExtension("archive.tar.gz").CStr(), ".gz");
    EXPECT_STREQ(PathExtension("").CStr(), "");

    String path("C:/NC/part.nc");
    EXPECT_STREQ(TakePathExtension(path).CStr(), ".nc");
    EXPECT_STREQ(path.CStr(), "C:/NC/part");
    EXPECT_TRUE(SameExtension("x.T3", "C:/y/z.t3"));
    EXPECT_FALSE(SameExtension("x.T3", "x.T4"));
}

TEST(Path, RootOfDriveAndNetworkPaths) {
    EXPECT_STREQ(PathRoot(" C:\\NC\\part.nc").CStr(), "C:");
    EXPECT_STREQ(PathRoot("\\\\server\\share\\x").CStr(), "\\\\server");
    EXPECT_STREQ(PathRoot("//server").CStr(), "//server");
    EXPECT_STREQ(PathRoot("/usr/lib").CStr(), "");
    EXPECT_STREQ(PathRoot("relative").CStr(), "");
}

TEST(Path, DirectoryAndFileNameSplit) {
    EXPECT_STREQ(PathDirectory("C:\\NC\\part.nc").CStr(), "C:/NC/");
    EXPECT_STREQ(PathFileName("C:\\NC\\part.nc").CStr(), "part.nc");
    EXPECT_STREQ(PathDirectory(" /srv/nc/ ", true).CStr(), "/srv/nc/");
    EXPECT_STREQ(PathFileName(" /srv/nc/ ", true).CStr(), "");
    EXPECT_STREQ(PathDirectory("part.nc").CStr(), "");
    EXPECT_STREQ(PathFileName("part.nc").CStr(), "part.nc");
}

TEST(Path, ExistsForFilesAndFolders) {
    testsupport::TempFolder folder;
    folder.Write("123.T3", "G00\n");
    EXPECT_TRUE(PathExists(folder.Path().c_str()));
    EXPECT_TRUE(PathExists((folder / "123.T3").c_str()));
    EXPECT_FALSE(PathExists((folder / "124.T3").c_str()));
    EXPECT_FALSE(PathExists(""));
}
