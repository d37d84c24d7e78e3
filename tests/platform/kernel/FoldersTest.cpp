#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using testsupport::Exists;
using testsupport::Privileges;
using testsupport::RunInChildProcess;
using testsupport::ScopedEnvironment;
using testsupport::TemporaryFolder;
using testsupport::WriteWholeFile;

class KernelFoldersTest : public ::testing::Test {
protected:
    TemporaryFolder folder;
};

TEST_F(KernelFoldersTest, AttributesTellFilesFromFoldersAndMissingNames) {
    std::string file = folder.PathOf("part.nc");
    WriteWholeFile(file, "x");
    EXPECT_EQ(GetFileAttributesA(file.c_str()), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(GetFileAttributesA(folder.Path().c_str()), FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(GetFileAttributesA((folder.Path() + "/").c_str()), FILE_ATTRIBUTE_DIRECTORY);

    struct Missing {
        std::string path;
        DWORD error;
    };
    const Missing missing[] = {
        {folder.PathOf("absent.nc"), ERROR_FILE_NOT_FOUND},
        {folder.PathOf("absent/part.nc"), ERROR_PATH_NOT_FOUND},
        {file + "/inside", ERROR_PATH_NOT_FOUND},
        {"", ERROR_PATH_NOT_FOUND},
    };
    for (const Missing& entry : missing) {
        SCOPED_TRACE(entry.path);
        EXPECT_EQ(GetFileAttributesA(entry.path.c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetLastError(), entry.error);
    }
}

// Root may write any file, so as root the check runs in a child that has become an ordinary user.
TEST_F(KernelFoldersTest, FilesWeMayNotWriteAreReadOnly) {
    std::string locked = folder.PathOf("locked.nc");
    std::string open = folder.PathOf("open.nc");
    WriteWholeFile(locked, "x");
    WriteWholeFile(open, "x");
    ASSERT_EQ(::chmod(locked.c_str(), 0444), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(folder.Path().c_str(), 0755), 0);
    auto attributesOf = [](const std::string& path) {
        return [path] { return static_cast<int>(GetFileAttributesA(path.c_str()) & 0xFF); };
    };
    EXPECT_EQ(RunInChildProcess(attributesOf(locked), Privileges::Unprivileged),
              static_cast<int>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(RunInChildProcess(attributesOf(open), Privileges::Unprivileged),
              static_cast<int>(FILE_ATTRIBUTE_NORMAL));
}

TEST_F(KernelFoldersTest, CreateDirectoryReportsExistingNamesAndMissingParents) {
    std::string created = folder.PathOf("programs");
    EXPECT_TRUE(CreateDirectoryA(created.c_str(), nullptr));
    EXPECT_EQ(GetFileAttributesA(created.c_str()), FILE_ATTRIBUTE_DIRECTORY);

    std::string file = folder.PathOf("part.nc");
    WriteWholeFile(file, "x");
    struct Refused {
        std::string path;
        DWORD error;
    };
    const Refused refused[] = {
        {created, ERROR_ALREADY_EXISTS},
        {file, ERROR_ALREADY_EXISTS},
        {folder.PathOf("absent/programs"), ERROR_PATH_NOT_FOUND},
    };
    for (const Refused& entry : refused) {
        SCOPED_TRACE(entry.path);
        EXPECT_FALSE(CreateDirectoryA(entry.path.c_str(), nullptr));
        EXPECT_EQ(GetLastError(), entry.error);
    }
    EXPECT_FALSE(Exists(folder.PathOf("absent")));
}

TEST_F(KernelFoldersTest, CurrentDirectoryFollowsBufferSizeConventions) {
    char expected[PATH_MAX];
    ASSERT_NE(::getcwd(expected, sizeof expected), nullptr);
    DWORD length = static_cast<DWORD>(std::strlen(expected));

    EXPECT_EQ(GetCurrentDirectoryA(0, nullptr), length + 1) << "a size query counts the NUL";
    std::string buffer(length + 1, '#');
    EXPECT_EQ(GetCurrentDirectoryA(length + 1, buffer.data()), length) << "a fitting copy does not";
    EXPECT_STREQ(buffer.c_str(), expected);

    std::string shortBuffer(length, '#');
    EXPECT_EQ(GetCurrentDirectoryA(length, shortBuffer.data()), length + 1);
    EXPECT_EQ(shortBuffer, std::string(length, '#')) << "a short buffer stays untouched";
}

TEST_F(KernelFoldersTest, ModuleFileNameIsTheRunningProgram) {
    char name[PATH_MAX];
    DWORD length = GetModuleFileNameA(nullptr, name, sizeof name);
    ASSERT_GT(length, 0u);
    EXPECT_EQ(std::strlen(name), length);
    EXPECT_EQ(name[0], '/');
    EXPECT_STREQ(std::strrchr(name, '/'), "/platform_tests");
    EXPECT_EQ(GetFileAttributesA(name), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(KernelFoldersTest, ModuleFileNameIsCutToAShortBuffer) {
    char full[PATH_MAX];
    ASSERT_GT(GetModuleFileNameA(nullptr, full, sizeof full), 5u);
    char cut[6];
    std::memset(cut, '#', sizeof cut);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetModuleFileNameA(nullptr, cut, sizeof cut), sizeof cut);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(std::string(cut), std::string(full, sizeof cut - 1));
}

TEST_F(KernelFoldersTest, TempPathComesFromTmpdirWithOneTrailingSlash) {
    struct Case {
        std::optional<std::string> tmpdir;
        std::string expected;
    };
    const Case cases[] = {
        {folder.Path(), folder.Path() + "/"},
        {folder.Path() + "/", folder.Path() + "/"},
        {std::nullopt, "/tmp/"},
        {"", "/tmp/"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.tmpdir.value_or("(unset)"));
        ScopedEnvironment tmpdir("TMPDIR", test.tmpdir);
        char buffer[PATH_MAX];
        EXPECT_EQ(GetTempPathA(sizeof buffer, buffer), test.expected.size());
        EXPECT_EQ(buffer, test.expected);
        EXPECT_EQ(GetTempPathA(0, nullptr), test.expected.size() + 1);
        EXPECT_EQ(GetTempPathA(3, buffer), test.expected.size() + 1);
    }
}

} // namespace
