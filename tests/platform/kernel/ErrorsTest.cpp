#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using testsupport::TemporaryFolder;

std::string SystemText(DWORD code, DWORD flags = 0) {
    char buffer[512];
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | flags, nullptr,
                                  code, 0, buffer, sizeof buffer, nullptr);
    return length == 0 ? "(none)" : std::string(buffer, length);
}

TEST(KernelErrorsTest, SystemTextsAreWin32sEnglishWithALineBreak) {
    struct Case {
        DWORD code;
        const char* text;
    };
    const Case cases[] = {
        {ERROR_SUCCESS, "The operation completed successfully.\r\n"},
        {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified.\r\n"},
        {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified.\r\n"},
        {ERROR_ACCESS_DENIED, "Access is denied.\r\n"},
        {ERROR_INVALID_HANDLE, "The handle is invalid.\r\n"},
        {ERROR_SHARING_VIOLATION,
         "The process cannot access the file because it is being used by another process.\r\n"},
        {ERROR_FILE_EXISTS, "The file exists.\r\n"},
        {ERROR_INVALID_PARAMETER, "The parameter is incorrect.\r\n"},
        {ERROR_DISK_FULL, "There is not enough space on the disk.\r\n"},
        {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists.\r\n"},
        {ERROR_ENVVAR_NOT_FOUND, "The system could not find the environment option that was entered.\r\n"},
        {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error.\r\n"},
        {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected.\r\n"},
    };
    for (const Case& test : cases)
        EXPECT_EQ(SystemText(test.code), test.text) << "code " << test.code;
}

TEST(KernelErrorsTest, EveryCodeMappedFromErrnoHasAText) {
    for (int errnoValue = 1; errnoValue < 134; ++errnoValue) {
        DWORD code = platform::Win32ErrorFromErrno(errnoValue);
        std::string text = SystemText(code);
        EXPECT_NE(text, "(none)") << "errno " << errnoValue << " (" << std::strerror(errnoValue)
                                  << ") maps to " << code;
        EXPECT_TRUE(text.size() > 2 && text.substr(text.size() - 2) == "\r\n") << text;
    }
}

TEST(KernelErrorsTest, ErrnoValuesMapToTheirWin32Codes) {
    struct Case {
        int errnoValue;
        DWORD code;
    };
    const Case cases[] = {
        {ENOENT, ERROR_FILE_NOT_FOUND},
        {ENOTDIR, ERROR_PATH_NOT_FOUND},
        {EACCES, ERROR_ACCESS_DENIED},
        {EPERM, ERROR_ACCESS_DENIED},
        {EBADF, ERROR_INVALID_HANDLE},
        {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
        {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
        {EEXIST, ERROR_FILE_EXISTS},
        {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
        {ENOSPC, ERROR_DISK_FULL},
        {EROFS, ERROR_WRITE_PROTECT},
        {EINVAL, ERROR_INVALID_PARAMETER},
        {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
        {EIO, ERROR_IO_DEVICE},
        {ENXIO, ERROR_DEVICE_NOT_CONNECTED},
        {ENODEV, ERROR_DEVICE_NOT_CONNECTED},
        {EBUSY, ERROR_BUSY},
        {0x7FFF, ERROR_GEN_FAILURE},
    };
    for (const Case& test : cases)
        EXPECT_EQ(platform::Win32ErrorFromErrno(test.errnoValue), test.code) << "errno " << test.errnoValue;
}

TEST(KernelErrorsTest, MissingNamesTellAMissingFileFromAMissingFolder) {
    TemporaryFolder folder;
    EXPECT_EQ(platform::Win32ErrorFromErrno(ENOENT, folder.PathOf("absent.nc")), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform::Win32ErrorFromErrno(ENOENT, folder.PathOf("absent/part.nc")), ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(platform::Win32ErrorFromErrno(ENOENT, "relative-name-here"), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(platform::Win32ErrorFromErrno(EACCES, folder.PathOf("absent/part.nc")), ERROR_ACCESS_DENIED);
}

TEST(KernelErrorsTest, SetLastErrorFromErrnoTranslatesTheCurrentErrno) {
    errno = ENOSPC;
    platform::SetLastErrorFromErrno();
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    TemporaryFolder folder;
    errno = ENOENT;
    platform::SetLastErrorFromErrno(folder.PathOf("absent/part.nc"));
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(KernelErrorsTest, UnknownCodesHaveNoText) {
    char buffer[256];
    for (DWORD code : {7u, 9999u, 0x20000001u}) {
        EXPECT_EQ(
            FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0, buffer, sizeof buffer, nullptr), 0u);
        EXPECT_EQ(GetLastError(), ERROR_MR_MID_NOT_FOUND);
    }
}

TEST(KernelErrorsTest, FormatMessageNeedsRoomForTheTerminatingNul) {
    const std::string text = "Access is denied.\r\n";
    std::string buffer(text.size(), '#');
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(),
                             static_cast<DWORD>(text.size()), nullptr),
              0u);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    buffer.assign(text.size() + 1, '#');
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, 0, buffer.data(),
                             static_cast<DWORD>(buffer.size()), nullptr),
              text.size());
    EXPECT_EQ(buffer, text + '\0');
}

TEST(KernelErrorsTest, AllocatedMessagesAreFreedWithLocalFree) {
    char* message = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ALLOCATE_BUFFER |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, ERROR_SHARING_VIOLATION, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&message), 0, nullptr);
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(length, std::strlen(message));
    EXPECT_STREQ(message,
                 "The process cannot access the file because it is being used by another process.\r\n");
    EXPECT_EQ(LocalFree(message), nullptr);
}

TEST(KernelErrorsTest, OnlyEnglishAndNeutralLanguagesAreFound) {
    constexpr WORD german = 0x07;
    EXPECT_EQ(SystemText(ERROR_ACCESS_DENIED), "Access is denied.\r\n");
    char buffer[64];
    auto format = [&buffer](WORD language) {
        return FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, ERROR_ACCESS_DENIED, language, buffer,
                              sizeof buffer, nullptr);
    };
    EXPECT_GT(format(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)), 0u);
    EXPECT_GT(format(MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)), 0u);
    EXPECT_EQ(format(MAKELANGID(german, SUBLANG_DEFAULT)), 0u);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_LANG_NOT_FOUND);
}

TEST(KernelErrorsTest, MaximumWidthMaskReplacesTheLineBreakWithABlank) {
    EXPECT_EQ(SystemText(ERROR_FILE_NOT_FOUND, FORMAT_MESSAGE_MAX_WIDTH_MASK),
              "The system cannot find the file specified. ");
}

TEST(KernelErrorsTest, MessagesComeOnlyFromTheSystem) {
    char buffer[64];
    EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "text", 0, 0, buffer, sizeof buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelErrorsTest, LastErrorBelongsToEachThread) {
    SetLastError(ERROR_ACCESS_DENIED);
    DWORD seenByThread = 0;
    DWORD setByThread = 0;
    std::thread other([&] {
        seenByThread = GetLastError();
        SetLastError(ERROR_DISK_FULL);
        setByThread = GetLastError();
    });
    other.join();
    EXPECT_EQ(seenByThread, ERROR_SUCCESS);
    EXPECT_EQ(setByThread, ERROR_DISK_FULL);
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

} // namespace
