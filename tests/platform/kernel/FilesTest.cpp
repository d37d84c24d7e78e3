#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using testsupport::Exists;
using testsupport::ReadWholeFile;
using testsupport::RunInChildProcess;
using testsupport::TemporaryFolder;
using testsupport::WriteWholeFile;

constexpr DWORD untouched = 0xDEADBEEF;
constexpr DWORD readWrite = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE;

class KernelFilesTest : public ::testing::Test {
protected:
    HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition = OPEN_EXISTING) {
        return CreateFileA(path.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    std::string Write(HANDLE file, const std::string& text) {
        DWORD written = 0;
        EXPECT_TRUE(WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr));
        EXPECT_EQ(written, text.size());
        return text;
    }

    std::string Read(HANDLE file, DWORD count) {
        std::string text(count, '\0');
        DWORD got = 0;
        EXPECT_TRUE(ReadFile(file, text.data(), count, &got, nullptr));
        text.resize(got);
        return text;
    }

    TemporaryFolder folder;
    std::string path = folder.PathOf("part.nc");
};

struct DispositionCase {
    const char* name;
    DWORD disposition;
    bool doesExist;
    bool succeeds;
    DWORD lastError;
    const char* contentAfter;
};

// lastError `untouched` means Win32 defines no code for that outcome.
constexpr DispositionCase dispositionCases[] = {
    {"CREATE_NEW on a missing file creates it", CREATE_NEW, false, true, untouched, ""},
    {"CREATE_NEW on an existing file fails", CREATE_NEW, true, false, ERROR_FILE_EXISTS, "old"},
    {"CREATE_ALWAYS on a missing file creates it", CREATE_ALWAYS, false, true, ERROR_SUCCESS, ""},
    {"CREATE_ALWAYS on an existing file truncates it", CREATE_ALWAYS, true, true, ERROR_ALREADY_EXISTS, ""},
    {"OPEN_EXISTING on a missing file fails", OPEN_EXISTING, false, false, ERROR_FILE_NOT_FOUND, nullptr},
    {"OPEN_EXISTING on an existing file keeps it", OPEN_EXISTING, true, true, untouched, "old"},
    {"OPEN_ALWAYS on a missing file creates it", OPEN_ALWAYS, false, true, ERROR_SUCCESS, ""},
    {"OPEN_ALWAYS on an existing file keeps it", OPEN_ALWAYS, true, true, ERROR_ALREADY_EXISTS, "old"},
    {"TRUNCATE_EXISTING on a missing file fails", TRUNCATE_EXISTING, false, false, ERROR_FILE_NOT_FOUND,
     nullptr},
    {"TRUNCATE_EXISTING on an existing file empties it", TRUNCATE_EXISTING, true, true, untouched, ""},
};

TEST_F(KernelFilesTest, CreationDispositionsGiveWin32ResultsAndLastErrors) {
    for (const DispositionCase& test : dispositionCases) {
        SCOPED_TRACE(test.name);
        ::unlink(path.c_str());
        if (test.doesExist)
            WriteWholeFile(path, "old");
        SetLastError(untouched);
        HANDLE file = Open(path, readWrite, 0, test.disposition);
        EXPECT_EQ(file != INVALID_HANDLE_VALUE, test.succeeds);
        EXPECT_EQ(GetLastError(), test.lastError);
        if (file != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(file));
        }
        EXPECT_EQ(Exists(path), test.contentAfter != nullptr);
        if (test.contentAfter != nullptr) {
            EXPECT_EQ(ReadWholeFile(path), test.contentAfter);
        }
    }
}

TEST_F(KernelFilesTest, MissingFolderOnTheWayIsPathNotFound) {
    WriteWholeFile(path, "x");
    const std::string paths[] = {folder.PathOf("no-such-folder/file"), folder.PathOf("a/b/c"),
                                 path + "/inside"};
    for (const std::string& missing : paths) {
        SCOPED_TRACE(missing);
        for (DWORD disposition : {OPEN_EXISTING, CREATE_NEW, CREATE_ALWAYS, OPEN_ALWAYS}) {
            EXPECT_EQ(Open(missing, GENERIC_READ | GENERIC_WRITE, 0, disposition), INVALID_HANDLE_VALUE);
            EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND) << "disposition " << disposition;
        }
    }
}

TEST_F(KernelFilesTest, InvalidRequestsAreInvalidParameter) {
    WriteWholeFile(path, "old");
    for (DWORD disposition : {0u, 6u}) {
        EXPECT_EQ(Open(path, GENERIC_READ, 0, disposition), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(Open(path, GENERIC_READ, 0, TRUNCATE_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(ReadWholeFile(path), "old");
}

TEST_F(KernelFilesTest, OpeningAFolderIsAccessDenied) {
    EXPECT_EQ(Open(folder.Path(), GENERIC_READ, shareAll), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Open(folder.Path(), GENERIC_WRITE, shareAll, OPEN_ALWAYS), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(KernelFilesTest, ReadOnlyAttributeCreatesAFileWithoutWritePermission) {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    Write(file, "written through the creating handle");
    CloseHandle(file);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0222, 0u);
    EXPECT_EQ(ReadWholeFile(path), "written through the creating handle");
}

struct SharingCase {
    const char* name;
    DWORD firstAccess;
    DWORD firstShare;
    DWORD secondAccess;
    DWORD secondShare;
    bool secondOpens;
};

constexpr SharingCase sharingCases[] = {
    {"exclusive reader refuses a sharing reader", GENERIC_READ, 0, GENERIC_READ, shareAll, false},
    {"exclusive writer refuses a sharing reader", GENERIC_WRITE, 0, GENERIC_READ, shareAll, false},
    {"exclusive writer refuses a sharing writer", GENERIC_WRITE, 0, GENERIC_WRITE, shareAll, false},
    {"reader sharing read admits a reader sharing read", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ,
     FILE_SHARE_READ, true},
    {"reader sharing read refuses a writer", GENERIC_READ, FILE_SHARE_READ, GENERIC_WRITE, shareAll, false},
    {"reader sharing read refuses a reader that denies reading", GENERIC_READ, FILE_SHARE_READ, GENERIC_READ,
     0, false},
    {"writer sharing read admits a reader sharing write", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ,
     shareAll, true},
    {"writer sharing read refuses a reader that denies writing", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_READ,
     FILE_SHARE_READ, false},
    {"writer sharing read refuses a second writer", GENERIC_WRITE, FILE_SHARE_READ, GENERIC_WRITE, shareAll,
     false},
    {"reader sharing write admits a writer sharing read", GENERIC_READ, shareAll, GENERIC_WRITE,
     FILE_SHARE_READ, true},
    {"read-writers sharing all admit each other", readWrite, shareAll, readWrite, shareAll, true},
    {"writer sharing write refuses a reader", GENERIC_WRITE, FILE_SHARE_WRITE, GENERIC_READ, shareAll, false},
    {"open without access ignores an exclusive open", GENERIC_READ, 0, 0, 0, true},
};

TEST_F(KernelFilesTest, ShareModesDecideSecondOpensInTheSameProcess) {
    WriteWholeFile(path, "content");
    for (const SharingCase& test : sharingCases) {
        SCOPED_TRACE(test.name);
        HANDLE first = Open(path, test.firstAccess, test.firstShare);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);
        HANDLE second = Open(path, test.secondAccess, test.secondShare);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, test.secondOpens);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        } else {
            CloseHandle(second);
        }
        CloseHandle(first);
    }
}

TEST_F(KernelFilesTest, ClosingTheExclusiveHandleAdmitsTheNextOpen) {
    HANDLE first = Open(path, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Open(path, GENERIC_READ, shareAll), INVALID_HANDLE_VALUE);
    CloseHandle(first);
    HANDLE second = Open(path, GENERIC_READ, shareAll);
    EXPECT_NE(second, INVALID_HANDLE_VALUE);
    CloseHandle(second);
}

TEST_F(KernelFilesTest, RefusedOpensDoNotTruncateAFileInUse) {
    HANDLE holder = Open(path, readWrite, FILE_SHARE_READ, CREATE_NEW);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    Write(holder, "keep me");
    for (DWORD disposition : {CREATE_ALWAYS, TRUNCATE_EXISTING}) {
        EXPECT_EQ(Open(path, GENERIC_WRITE, shareAll, disposition), INVALID_HANDLE_VALUE);
        EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    }
    EXPECT_EQ(ReadWholeFile(path), "keep me");
    CloseHandle(holder);
}

// Opens a file in a child process and holds it until the object goes, so the parent can try its
// own opens against it.
class OpenInChild {
public:
    OpenInChild(const std::string& path, DWORD access, DWORD share) {
        int status[2];
        int release[2];
        if (::pipe(status) != 0 || ::pipe(release) != 0)
            return;
        child = ::fork();
        if (child == 0) {
            ::close(status[0]);
            ::close(release[1]);
            HANDLE file = CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, 0, nullptr);
            char opened = file != INVALID_HANDLE_VALUE ? '1' : '0';
            char ignored = 0;
            bool isReported = ::write(status[1], &opened, 1) == 1;
            bool isReleased = ::read(release[0], &ignored, 1) >= 0;
            ::_exit(isReported && isReleased ? 0 : 1);
        }
        ::close(status[1]);
        ::close(release[0]);
        releaseWrite = release[1];
        char opened = 0;
        isOpen = ::read(status[0], &opened, 1) == 1 && opened == '1';
        ::close(status[0]);
    }

    ~OpenInChild() {
        ::close(releaseWrite);
        int ignored = 0;
        if (child > 0)
            ::waitpid(child, &ignored, 0);
    }

    bool IsOpen() const { return isOpen; }

private:
    pid_t child = -1;
    int releaseWrite = -1;
    bool isOpen = false;
};

TEST_F(KernelFilesTest, ShareModesHoldAgainstOpensInAnotherProcess) {
    WriteWholeFile(path, "content");
    for (const SharingCase& test : sharingCases) {
        SCOPED_TRACE(test.name);
        OpenInChild first(path, test.firstAccess, test.firstShare);
        ASSERT_TRUE(first.IsOpen());
        HANDLE second = Open(path, test.secondAccess, test.secondShare);
        EXPECT_EQ(second != INVALID_HANDLE_VALUE, test.secondOpens);
        if (second == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
        } else {
            CloseHandle(second);
        }
    }
}

TEST_F(KernelFilesTest, ExclusiveOpenRefusesAChildProcessUntilClosed) {
    HANDLE file = Open(path, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    auto openInChild = [this] {
        HANDLE other = Open(path, GENERIC_READ, shareAll);
        return other == INVALID_HANDLE_VALUE ? static_cast<int>(GetLastError()) : 0;
    };
    EXPECT_EQ(RunInChildProcess(openInChild), static_cast<int>(ERROR_SHARING_VIOLATION));
    CloseHandle(file);
    EXPECT_EQ(RunInChildProcess(openInChild), 0);
}

TEST_F(KernelFilesTest, OtherFlockUsersSeeOurOpensAndWeSeeTheirs) {
    HANDLE exclusive = Open(path, GENERIC_WRITE, 0, CREATE_NEW);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    int other = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(other, 0);
    EXPECT_EQ(::flock(other, LOCK_SH | LOCK_NB), -1);
    EXPECT_EQ(errno, EWOULDBLOCK);
    CloseHandle(exclusive);

    HANDLE shared = Open(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    EXPECT_EQ(::flock(other, LOCK_EX | LOCK_NB), -1);
    EXPECT_EQ(::flock(other, LOCK_SH | LOCK_NB), 0);
    CloseHandle(shared);

    ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(Open(path, GENERIC_READ, shareAll), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
    ::close(other);
}

// Racing opens may both be refused, but two exclusive opens must never hold the file together.
TEST_F(KernelFilesTest, RacingExclusiveOpensNeverHoldTheFileTogether) {
    WriteWholeFile(path, "");
    std::atomic<int> holders{0};
    std::atomic<int> overlaps{0};
    std::atomic<int> admitted{0};
    auto contend = [&] {
        for (int round = 0; round < 500; ++round) {
            HANDLE file =
                CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
            if (file == INVALID_HANDLE_VALUE)
                continue;
            admitted += 1;
            if (++holders > 1)
                overlaps += 1;
            std::this_thread::sleep_for(std::chrono::microseconds(20));
            --holders;
            CloseHandle(file);
        }
    };
    std::vector<std::thread> threads;
    for (int index = 0; index < 4; ++index)
        threads.emplace_back(contend);
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(overlaps, 0);
    EXPECT_GT(admitted, 0);
}

TEST_F(KernelFilesTest, WrittenDataReadsBackAfterSeekingToTheStart) {
    HANDLE file = Open(path, readWrite, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::string data;
    for (int index = 0; index < 100'000; ++index)
        data += static_cast<char>(index * 7 + index / 256);
    Write(file, data);
    EXPECT_EQ(GetFileSize(file, nullptr), data.size());
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
    EXPECT_EQ(Read(file, static_cast<DWORD>(data.size())), data);
    CloseHandle(file);
    EXPECT_EQ(ReadWholeFile(path), data);
}

TEST_F(KernelFilesTest, ReadingPastTheEndGivesAShortCountAndThenZero) {
    WriteWholeFile(path, "0123456789");
    HANDLE file = Open(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(file, 4), "0123");
    EXPECT_EQ(Read(file, 100), "456789");
    DWORD got = untouched;
    char buffer[8];
    EXPECT_TRUE(ReadFile(file, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 0u);
    CloseHandle(file);
}

TEST_F(KernelFilesTest, FilePointerMovesFromEachOrigin) {
    WriteWholeFile(path, "0123456789");
    HANDLE file = Open(path, GENERIC_READ, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_BEGIN), 2u);
    EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(Read(file, 1), "5");
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_CURRENT), 4u);
    EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_END), 7u);
    EXPECT_EQ(Read(file, 10), "789");
    EXPECT_EQ(SetFilePointer(file, 5, nullptr, FILE_END), 15u) << "moving past the end is allowed";
    CloseHandle(file);
}

TEST_F(KernelFilesTest, RefusedMovesLeaveThePointerInPlace) {
    WriteWholeFile(path, "0123456789");
    HANDLE file = Open(path, GENERIC_READ, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SetFilePointer(file, 6, nullptr, FILE_BEGIN);
    EXPECT_EQ(SetFilePointer(file, -7, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, 3), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(Read(file, 1), "6");

    EXPECT_EQ(SetFilePointer(file, 0x7FFFFFFF, nullptr, FILE_BEGIN), 0x7FFFFFFFu);
    EXPECT_EQ(SetFilePointer(file, 0x7FFFFFFF, nullptr, FILE_CURRENT), 0xFFFFFFFEu);
    EXPECT_EQ(SetFilePointer(file, 2, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER)
        << "without a high word the position must fit in 32 bits";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    LONG high = 0;
    EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_CURRENT), 0xFFFFFFFEu);
    EXPECT_EQ(high, 0);
    CloseHandle(file);
}

// The file is sparse, so five gigabytes cost no disk space.
TEST_F(KernelFilesTest, HighWordsCarryPositionsAndSizesBeyondFourGigabytes) {
    HANDLE file = Open(path, readWrite, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LONG high = 1;
    EXPECT_EQ(SetFilePointer(file, 0x40000000, &high, FILE_BEGIN), 0x40000000u);
    EXPECT_EQ(high, 1);
    Write(file, "z");
    DWORD sizeHigh = 0;
    EXPECT_EQ(GetFileSize(file, &sizeHigh), 0x40000001u);
    EXPECT_EQ(sizeHigh, 1u);
    high = -1;
    EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_CURRENT), 0x40000000u) << "a negative 64-bit distance";
    EXPECT_EQ(high, 1);
    EXPECT_EQ(Read(file, 1), "z");
    high = 0;
    SetLastError(untouched);
    EXPECT_EQ(SetFilePointer(file, -1, &high, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), NO_ERROR) << "position 0xFFFFFFFF is a success told by the last error";
    CloseHandle(file);
}

TEST_F(KernelFilesTest, HandlesRefuseTheAccessTheyWereNotOpenedFor) {
    WriteWholeFile(path, "data");
    HANDLE reader = Open(path, GENERIC_READ, shareAll);
    HANDLE writer = Open(path, GENERIC_WRITE, shareAll);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    DWORD count = untouched;
    char buffer[4] = {};
    EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(count, 0u);
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &count, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    CloseHandle(reader);
    CloseHandle(writer);
    EXPECT_EQ(ReadWholeFile(path), "data");
}

TEST_F(KernelFilesTest, UnknownAndClosedHandlesAreInvalid) {
    HANDLE file = Open(path, readWrite, 0, CREATE_NEW);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(CloseHandle(file));
    char buffer[4];
    DWORD count = 0;
    for (HANDLE handle : {file, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(ReadFile(handle, buffer, sizeof buffer, &count, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(WriteFile(handle, "x", 1, &count, nullptr));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(GetFileSize(handle, nullptr), INVALID_FILE_SIZE);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(SetFilePointer(handle, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
}

TEST_F(KernelFilesTest, NewHandlesNeverRepeatAClosedOne) {
    std::vector<HANDLE> seen;
    for (int index = 0; index < 20; ++index) {
        HANDLE file = Open(path, GENERIC_READ, shareAll, OPEN_ALWAYS);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        EXPECT_EQ(std::find(seen.begin(), seen.end(), file), seen.end());
        seen.push_back(file);
        CloseHandle(file);
    }
}

TEST_F(KernelFilesTest, BackslashPathsOpenTheSameFile) {
    WriteWholeFile(path, "found");
    std::string windowsPath = path;
    std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
    HANDLE file = Open(windowsPath, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Read(file, 10), "found");
    CloseHandle(file);
}

} // namespace
