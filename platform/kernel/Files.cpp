#include "platform/kernel/Files.h"

#include "platform/kernel/DriveTable.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/FileSharing.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/SystemCalls.h"
#include "platform/serial/Port.h"

#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool IsReadAccess(DWORD access) {
    return (access & (GENERIC_READ | GENERIC_ALL)) != 0;
}

bool IsWriteAccess(DWORD access) {
    return (access & (GENERIC_WRITE | GENERIC_ALL)) != 0;
}

// A file behind a handle. The mutex keeps a seek and the read or write after it together when
// several threads share the handle, as Win32's synchronous handles do.
class FileObject final : public platform::KernelObject {
public:
    FileObject(int descriptor, DWORD access, bool isRegular)
        : descriptor(descriptor), canRead(IsReadAccess(access)), canWrite(IsWriteAccess(access)),
          isRegular(isRegular) {}
    ~FileObject() override { ::close(descriptor); }

    BOOL Read(LPVOID buffer, DWORD count, LPDWORD done) override;
    BOOL Write(LPCVOID buffer, DWORD count, LPDWORD done) override;
    DWORD MovePointer(LONG distanceLow, PLONG distanceHigh, DWORD method);
    DWORD Size(LPDWORD sizeHigh);

private:
    bool Origin(DWORD method, off_t& origin);

    std::mutex ioMutex;
    int descriptor;
    bool canRead;
    bool canWrite;
    bool isRegular;
};

// Regular files are read until the count or the end, since Win32 returns short only at the end;
// devices return what one read brings.
BOOL FileObject::Read(LPVOID buffer, DWORD count, LPDWORD done) {
    if (!canRead) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::lock_guard lock(ioMutex);
    auto* bytes = static_cast<char*>(buffer);
    DWORD total = 0;
    bool isFailed = false;
    bool isAtEnd = false;
    while (total < count && !isFailed && !isAtEnd) {
        ssize_t got =
            platform::RetryOnInterrupt([&] { return ::read(descriptor, bytes + total, count - total); });
        isFailed = got < 0;
        isAtEnd = got == 0 || !isRegular;
        if (isFailed)
            platform::SetLastErrorFromErrno();
        else
            total += static_cast<DWORD>(got);
    }
    if (done != nullptr)
        *done = total;
    return isFailed ? FALSE : TRUE;
}

// A device that takes nothing more ends the write with the count so far, which Win32 reports
// as success with a short count.
BOOL FileObject::Write(LPCVOID buffer, DWORD count, LPDWORD done) {
    if (!canWrite) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    std::lock_guard lock(ioMutex);
    auto* bytes = static_cast<const char*>(buffer);
    DWORD total = 0;
    bool isFailed = false;
    bool isFull = false;
    while (total < count && !isFailed && !isFull) {
        ssize_t put =
            platform::RetryOnInterrupt([&] { return ::write(descriptor, bytes + total, count - total); });
        isFailed = put < 0;
        isFull = put == 0;
        if (isFailed)
            platform::SetLastErrorFromErrno();
        else
            total += static_cast<DWORD>(put);
    }
    if (done != nullptr)
        *done = total;
    return isFailed ? FALSE : TRUE;
}

bool FileObject::Origin(DWORD method, off_t& origin) {
    struct stat status {};
    switch (method) {
    case FILE_BEGIN:
        origin = 0;
        break;
    case FILE_CURRENT:
        origin = ::lseek(descriptor, 0, SEEK_CUR);
        break;
    case FILE_END:
        origin = ::fstat(descriptor, &status) == 0 ? status.st_size : -1;
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    if (origin < 0)
        platform::SetLastErrorFromErrno();
    return origin >= 0;
}

// The new position is worked out and checked before the descriptor moves, so a refused move
// leaves the pointer where it was, as in Win32.
DWORD FileObject::MovePointer(LONG distanceLow, PLONG distanceHigh, DWORD method) {
    std::lock_guard lock(ioMutex);
    LONGLONG distance =
        distanceHigh == nullptr
            ? distanceLow
            : static_cast<LONGLONG>((static_cast<ULONGLONG>(static_cast<DWORD>(*distanceHigh)) << 32) |
                                    static_cast<DWORD>(distanceLow));
    off_t origin = 0;
    LONGLONG target = 0;
    if (!Origin(method, origin))
        return INVALID_SET_FILE_POINTER;
    bool isOverflow = __builtin_add_overflow(origin, distance, &target);
    if (isOverflow || target < 0 || (distanceHigh == nullptr && target > 0xFFFFFFFFLL)) {
        SetLastError(!isOverflow && target < 0 ? ERROR_NEGATIVE_SEEK : ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    if (::lseek(descriptor, target, SEEK_SET) < 0) {
        platform::SetLastErrorFromErrno();
        return INVALID_SET_FILE_POINTER;
    }
    if (distanceHigh != nullptr)
        *distanceHigh = static_cast<LONG>(target >> 32);
    // A position whose low half equals INVALID_SET_FILE_POINTER is told from a failure by the
    // last error alone.
    if (static_cast<DWORD>(target) == INVALID_SET_FILE_POINTER)
        SetLastError(NO_ERROR);
    return static_cast<DWORD>(target);
}

DWORD FileObject::Size(LPDWORD sizeHigh) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        platform::SetLastErrorFromErrno();
        return INVALID_FILE_SIZE;
    }
    auto size = static_cast<ULONGLONG>(status.st_size);
    if (sizeHigh != nullptr)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    if (static_cast<DWORD>(size) == INVALID_FILE_SIZE)
        SetLastError(NO_ERROR);
    return static_cast<DWORD>(size);
}

bool IsValidRequest(DWORD access, DWORD disposition, DWORD flags) {
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING)
        return false;
    if (disposition == TRUNCATE_EXISTING && !IsWriteAccess(access))
        return false;
    return (flags & FILE_FLAG_OVERLAPPED) == 0;
}

// CREATE_ALWAYS truncates an existing file, which needs a writable descriptor whatever the caller
// asked for; Win32 also refuses to overwrite a file the user may not write. A handle without read
// or write access that creates nothing is a path handle, good for the size and nothing else.
int OpenMode(DWORD access, DWORD disposition) {
    bool reads = IsReadAccess(access);
    bool writes = IsWriteAccess(access) || disposition == CREATE_ALWAYS;
    int mode = O_CLOEXEC | O_NOCTTY;
    if (!reads && !writes)
        return mode | (disposition == OPEN_EXISTING ? O_PATH : O_RDONLY);
    return mode | (reads && writes ? O_RDWR : writes ? O_WRONLY : O_RDONLY);
}

struct OpenedFile {
    int descriptor = -1;
    bool didExist = false;
};

int OpenExisting(const std::string& path, int mode) {
    return platform::RetryOnInterrupt([&] { return ::open(path.c_str(), mode); });
}

int OpenNew(const std::string& path, int mode, mode_t permissions) {
    return platform::RetryOnInterrupt(
        [&] { return ::open(path.c_str(), mode | O_CREAT | O_EXCL, permissions); });
}

// Create if missing, else open; a file removed between the two attempts is created again.
OpenedFile OpenOrCreate(const std::string& path, int mode, mode_t permissions) {
    constexpr int attempts = 8;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        int descriptor = OpenNew(path, mode, permissions);
        if (descriptor >= 0 || errno != EEXIST)
            return {descriptor, false};
        descriptor = OpenExisting(path, mode);
        if (descriptor >= 0 || errno != ENOENT)
            return {descriptor, true};
    }
    return {};
}

OpenedFile OpenForDisposition(const std::string& path, int mode, DWORD disposition, mode_t permissions) {
    switch (disposition) {
    case CREATE_NEW:
        return {OpenNew(path, mode, permissions), false};
    case CREATE_ALWAYS:
    case OPEN_ALWAYS:
        return OpenOrCreate(path, mode, permissions);
    default:
        return {OpenExisting(path, mode), true};
    }
}

// Win32 opens no folders through CreateFileA without backup semantics; Linux opens them for
// reading, so the folder is refused here.
bool IsOpenableFile(int descriptor, bool& isRegular) {
    struct stat status {};
    if (::fstat(descriptor, &status) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    if (S_ISDIR(status.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    isRegular = S_ISREG(status.st_mode);
    return true;
}

// Truncation waits until the share locks are held, so a refused open never destroys the data of
// a file that someone else has open.
bool FinishDisposition(int descriptor, DWORD disposition, bool didExist) {
    bool truncates = disposition == TRUNCATE_EXISTING || disposition == CREATE_ALWAYS;
    if (truncates && didExist &&
        platform::RetryOnInterrupt([&] { return ::ftruncate(descriptor, 0); }) != 0) {
        platform::SetLastErrorFromErrno();
        return false;
    }
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS)
        SetLastError(didExist ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return true;
}

} // namespace

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD dwShareMode,
                   LPSECURITY_ATTRIBUTES lpSecurityAttributes, DWORD dwCreationDisposition,
                   DWORD dwFlagsAndAttributes, HANDLE hTemplateFile) {
    if (!IsValidRequest(dwDesiredAccess, dwCreationDisposition, dwFlagsAndAttributes)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    // Port names and serial terminals open as serial ports, whatever the disposition and share
    // mode: Win32's serial driver ignores the one and always opens exclusively.
    HANDLE port = INVALID_HANDLE_VALUE;
    if (platform::OpenSerialPortByName(lpFileName, dwDesiredAccess, port))
        return port;
    std::string path = platform::NativePath(lpFileName);
    mode_t permissions = (dwFlagsAndAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    OpenedFile opened = OpenForDisposition(path, OpenMode(dwDesiredAccess, dwCreationDisposition),
                                           dwCreationDisposition, permissions);
    if (opened.descriptor < 0) {
        platform::SetLastErrorFromErrno(path);
        return INVALID_HANDLE_VALUE;
    }
    bool isRegular = false;
    if (!IsOpenableFile(opened.descriptor, isRegular) ||
        !platform::AcquireShareLocks(opened.descriptor, dwDesiredAccess, dwShareMode) ||
        !FinishDisposition(opened.descriptor, dwCreationDisposition, opened.didExist)) {
        ::close(opened.descriptor);
        return INVALID_HANDLE_VALUE;
    }
    return platform::InsertHandle(
        std::make_shared<FileObject>(opened.descriptor, dwDesiredAccess, isRegular));
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, LPDWORD lpNumberOfBytesRead,
              LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesRead != nullptr)
        *lpNumberOfBytesRead = 0;
    if (lpOverlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<platform::KernelObject> object = platform::LookupHandle(hFile);
    return object == nullptr ? FALSE : object->Read(lpBuffer, nNumberOfBytesToRead, lpNumberOfBytesRead);
}

BOOL WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite, LPDWORD lpNumberOfBytesWritten,
               LPOVERLAPPED lpOverlapped) {
    if (lpNumberOfBytesWritten != nullptr)
        *lpNumberOfBytesWritten = 0;
    if (lpOverlapped != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::shared_ptr<platform::KernelObject> object = platform::LookupHandle(hFile);
    return object == nullptr ? FALSE : object->Write(lpBuffer, nNumberOfBytesToWrite, lpNumberOfBytesWritten);
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, PLONG lpDistanceToMoveHigh, DWORD dwMoveMethod) {
    std::shared_ptr<FileObject> file = platform::LookupHandleAs<FileObject>(hFile);
    return file == nullptr ? INVALID_SET_FILE_POINTER
                           : file->MovePointer(lDistanceToMove, lpDistanceToMoveHigh, dwMoveMethod);
}

DWORD GetFileSize(HANDLE hFile, LPDWORD lpFileSizeHigh) {
    std::shared_ptr<FileObject> file = platform::LookupHandleAs<FileObject>(hFile);
    return file == nullptr ? INVALID_FILE_SIZE : file->Size(lpFileSizeHigh);
}
