#include "framework/services/ProgramPaths.h"

#include "framework/CurrentFolder.h"
#include "platform/Windows.h"
#include "support/TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

using framework::CurrentFolder;
using framework::ProgramPaths;
using framework::String;

namespace {

// Each test runs in its own process: the current folder, the drive table and QOR.CFG are set here
// and nowhere else.
class ProgramPathsTest : public ::testing::Test {
protected:
    void SetUp() override {
        CurrentFolder::Set(String(folder.Path().c_str()));
        platform::SetDriveRoot('C', folder / "c");
        platform::SetDriveRoot('D', folder / "d");
        std::filesystem::create_directories(folder / "c");
        std::filesystem::create_directories(folder / "d");
        unsetenv("QOR.CFG");
    }
    void TearDown() override { platform::ResetDriveTable(); }

    std::string Shown(ProgramPaths& paths, int32_t id, bool create = false) {
        ::testing::internal::CaptureStderr();
        last = paths.GetPath(id, create);
        shown = ::testing::internal::GetCapturedStderr();
        return last.CStr();
    }

    testsupport::TempFolder folder;
    String last;
    std::string shown;
};

} // namespace

TEST_F(ProgramPathsTest, MainOnlyCompletesTheKeysAndWritesThemBack) {
    folder.Write("QOR.INI", "[PROGRAM PATHS]\r\nMAIN=D:/cut\r\n");
    ProgramPaths paths;
    paths.Init("QOR.INI");
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "D:/cut/cnc");
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::Reports).CStr(), "D:/cut/mis");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::Projects).CStr(), "D:/cut/drawings");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::MainFolder).CStr(), "D:/cut");
    EXPECT_EQ(folder.Read("QOR.INI"),
              "[PROGRAM PATHS]\r\nREPORTS=D:/cut/mis\r\nIMAGES=D:/cut/images\r\nREMNANTS=D:/cut/remnants\r\n"
              "FILTERS=D:/cut/filters\r\nCNC=D:/cut/cnc\r\nPARTS=D:/cut/parts\r\nDXF=D:/cut/dxfs\r\n"
              "DATABASE=D:/cut/database\r\nPROJECT=D:/cut/drawings\r\nMAIN=D:/cut\r\n");

    EXPECT_FALSE(std::filesystem::exists(folder / "d/cut/cnc"));
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms, true), "D:/cut/cnc");
    EXPECT_TRUE(std::filesystem::is_directory(folder / "d/cut/cnc")) << "created on request";
    EXPECT_NE(paths.GetPath(ProgramPaths::Temporary).Length(), 0) << "the temporary folder is always there";
}

TEST_F(ProgramPathsTest, CompleteSectionIsNotRewritten) {
    const std::string complete =
        "[PROGRAM PATHS]\r\nMAIN=D:\\cut\\\r\nPROJECT=a\r\nDATABASE=b\r\nDXF=c\r\nPARTS=d\r\n"
        "CNC=E:\\jobs\\\r\nFILTERS=f\r\nREMNANTS=g\r\nIMAGES=h\r\nREPORTS=i\r\n";
    folder.Write("QOR.INI", complete);
    ProgramPaths paths;
    paths.Init("QOR.INI");
    EXPECT_EQ(Shown(paths, ProgramPaths::MainFolder), "D:/cut") << "slashes, no trailing separator";
    EXPECT_STREQ(paths.GetPath(ProgramPaths::NcPrograms).CStr(), "E:/jobs");
    EXPECT_EQ(folder.Read("QOR.INI"), complete);
}

TEST_F(ProgramPathsTest, OnlyWantedIdsAreRead) {
    folder.Write("QOR.INI", "[PROGRAM PATHS]\r\nMAIN=D:/cut\r\nCNC=D:/nc\r\n");
    const int32_t wanted[] = {3, 8, -1};
    ProgramPaths paths;
    paths.Init("QOR.INI", wanted);
    EXPECT_TRUE(paths.IsWanted(8));
    EXPECT_FALSE(paths.IsWanted(35));
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "D:/nc");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::Reports).CStr(), "") << "not wanted: no entry";
}

TEST_F(ProgramPathsTest, CfgFileLinesGiveThePathsWhenMainIsMissing) {
    std::string cfg;
    for (int line = 1; line <= 21; ++line) {
        if (line == 3) {
            cfg += "MAIN = C:\\QOR\\ \r\n";
        } else if (line == 8 || line == 21) {
            cfg += "NC=C:\\JOBS\\\r\n";
        } else if (line == 9) {
            cfg += "C:/data\r\n";
        } else {
            cfg += "\r\n";
        }
    }
    folder.Write("qor.cfg", cfg);
    setenv("QOR.CFG", (folder / "qor.cfg").c_str(), 1);
    ProgramPaths paths;
    paths.Init("QOR.INI");
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "C:/JOBS");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::MainFolder).CStr(), "C:/QOR");
    EXPECT_STREQ(paths.GetPath(ProgramPaths::Database).CStr(), "C:/data")
        << "a line without '=' is taken whole";
    EXPECT_STREQ(paths.GetPath(21).CStr(), "") << "line 21 is ignored";
    EXPECT_STREQ(paths.GetPath(ProgramPaths::Reports).CStr(), "") << "entries stay as read";
    const std::string written = folder.Read("QOR.INI");
    EXPECT_NE(written.find("CNC=C:/JOBS\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("REPORTS=C:/QOR/mis\r\n"), std::string::npos) << written;
}

TEST_F(ProgramPathsTest, DefaultCfgFileIsOnDriveC) {
    folder.Write("c/QOR.CFG", "\r\n\r\nMAIN=C:/main\r\n");
    ProgramPaths paths;
    paths.Init("");
    EXPECT_EQ(Shown(paths, ProgramPaths::MainFolder), "C:/main");
    EXPECT_EQ(shown, "");
}

TEST_F(ProgramPathsTest, NothingFoundLeavesOnlyTheTemporaryFolder) {
    ProgramPaths paths;
    paths.Init("QOR.INI");
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "");
    EXPECT_EQ(shown, "") << "the temporary folder makes the load succeed";
    EXPECT_EQ(paths.EntryCount(), 1);
    EXPECT_NE(paths.GetPath(ProgramPaths::Temporary).Length(), 0);
    EXPECT_FALSE(std::filesystem::exists(folder / "QOR.INI")) << "nothing loaded, nothing written";
}

TEST_F(ProgramPathsTest, WithoutCfgFallbackTheCurrentFolderIsMain) {
    ProgramPaths paths;
    paths.Init("QOR.INI", nullptr, false);
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), folder.Path() + "/cnc");
}

TEST_F(ProgramPathsTest, FailedLoadIsReportedOnce) {
    ProgramPaths paths;
    paths.Init(""); // no settings file and no QOR.CFG on drive C: nothing at all
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "");
    EXPECT_NE(shown.find(
                  "Corrupt Installation: Unable to locate Program Paths\n\nQOR.CFG=[DRIVE:\\PATH\\FILE] must "
                  "be set up to point to your QOR.CFG file"),
              std::string::npos)
        << shown;
    EXPECT_EQ(Shown(paths, ProgramPaths::NcPrograms), "");
    EXPECT_EQ(shown, "") << "no second message";
}

TEST_F(ProgramPathsTest, SubPathIsAppendedAndWarnedWhenMissing) {
    folder.Write("QOR.INI", "[PROGRAM PATHS]\r\nMAIN=D:/cut\r\n");
    ProgramPaths paths;
    paths.Init("QOR.INI");
    ::testing::internal::CaptureStderr();
    EXPECT_STREQ(paths.GetPath(ProgramPaths::NcPrograms, true, "123.T3", true).CStr(), "D:/cut/cnc/123.T3");
    const std::string warning = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(warning.find("The file could not be opened.: D:/cut/cnc/123.T3"), std::string::npos) << warning;
    EXPECT_TRUE(std::filesystem::is_directory(folder / "d/cut/cnc"));
}

TEST_F(ProgramPathsTest, InitFindsTheSettingsFileBesideTheProgram) {
    char module[1024] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string programFolder = std::filesystem::path(module).parent_path().string() + "/";
    const std::string name = "tolva-paths-test-" + std::to_string(getpid()) + ".INI";
    std::ofstream(programFolder + name) << "[PROGRAM PATHS]\r\nMAIN=D:/beside\r\n";
    ProgramPaths paths;
    paths.Init(name.c_str());
    EXPECT_STREQ(CurrentFolder::Get().CStr(), programFolder.c_str());
    EXPECT_STREQ(paths.GetPath(ProgramPaths::MainFolder).CStr(), "D:/beside");
    std::filesystem::remove(programFolder + name);
}
