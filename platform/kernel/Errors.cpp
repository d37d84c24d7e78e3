#include "platform/kernel/Errors.h"

#include "platform/kernel/Memory.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <sys/stat.h>

namespace {

thread_local DWORD lastError = ERROR_SUCCESS;

struct ErrnoMapping {
    int errnoValue;
    DWORD code;
};

// The one place where Linux errors become Win32 codes. EEXIST means "the file exists" here;
// calls that Win32 documents with ERROR_ALREADY_EXISTS (CreateDirectoryA) say so themselves.
// EWOULDBLOCK (EAGAIN) reaches this table from a refused flock, so it reads as a sharing violation.
constexpr ErrnoMapping errnoMappings[] = {
    {EPERM, ERROR_ACCESS_DENIED},
    {ENOENT, ERROR_FILE_NOT_FOUND},
    {EINTR, ERROR_OPERATION_ABORTED},
    {EIO, ERROR_IO_DEVICE},
    {ENXIO, ERROR_DEVICE_NOT_CONNECTED},
    {EBADF, ERROR_INVALID_HANDLE},
    {EWOULDBLOCK, ERROR_SHARING_VIOLATION},
    {ENOMEM, ERROR_NOT_ENOUGH_MEMORY},
    {EACCES, ERROR_ACCESS_DENIED},
    {EFAULT, ERROR_NOACCESS},
    {EBUSY, ERROR_BUSY},
    {EEXIST, ERROR_FILE_EXISTS},
    {EXDEV, ERROR_NOT_SAME_DEVICE},
    {ENODEV, ERROR_DEVICE_NOT_CONNECTED},
    {ENOTDIR, ERROR_PATH_NOT_FOUND},
    {EISDIR, ERROR_ACCESS_DENIED},
    {EINVAL, ERROR_INVALID_PARAMETER},
    {ENFILE, ERROR_TOO_MANY_OPEN_FILES},
    {EMFILE, ERROR_TOO_MANY_OPEN_FILES},
    {ENOTTY, ERROR_INVALID_FUNCTION},
    {ETXTBSY, ERROR_SHARING_VIOLATION},
    {EFBIG, ERROR_FILE_TOO_LARGE},
    {ENOSPC, ERROR_DISK_FULL},
    {ESPIPE, ERROR_SEEK_ON_DEVICE},
    {EROFS, ERROR_WRITE_PROTECT},
    {EMLINK, ERROR_TOO_MANY_LINKS},
    {EPIPE, ERROR_BROKEN_PIPE},
    {ERANGE, ERROR_INSUFFICIENT_BUFFER},
    {ENAMETOOLONG, ERROR_FILENAME_EXCED_RANGE},
    {ENOLCK, ERROR_SHARING_BUFFER_EXCEEDED},
    {ENOSYS, ERROR_CALL_NOT_IMPLEMENTED},
    {ENOTEMPTY, ERROR_DIR_NOT_EMPTY},
    {ELOOP, ERROR_CANT_RESOLVE_FILENAME},
    {EOVERFLOW, ERROR_ARITHMETIC_OVERFLOW},
    {EOPNOTSUPP, ERROR_NOT_SUPPORTED},
    {ETIMEDOUT, ERROR_TIMEOUT},
    {ECONNREFUSED, WSAECONNREFUSED},
    {ECONNRESET, WSAECONNRESET},
    {ENETUNREACH, WSAENETUNREACH},
    {EHOSTUNREACH, WSAEHOSTUNREACH},
    {ESTALE, ERROR_FILE_INVALID},
    {EDQUOT, ERROR_DISK_FULL},
    {ENOMEDIUM, ERROR_NOT_READY},
    {EILSEQ, ERROR_NO_UNICODE_TRANSLATION},
};

struct SystemMessage {
    DWORD code;
    const char* text;
};

// Win32's English texts, without the line break that FormatMessageA appends.
constexpr SystemMessage systemMessages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_INVALID_FUNCTION, "Incorrect function."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_PATH_NOT_FOUND, "The system cannot find the path specified."},
    {ERROR_TOO_MANY_OPEN_FILES, "The system cannot open the file."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_INVALID_DATA, "The data is invalid."},
    {ERROR_NOT_SAME_DEVICE, "The system cannot move the file to a different disk drive."},
    {ERROR_WRITE_PROTECT, "The media is write protected."},
    {ERROR_NOT_READY, "The device is not ready."},
    {ERROR_GEN_FAILURE, "A device attached to the system is not functioning."},
    {ERROR_SHARING_VIOLATION,
     "The process cannot access the file because it is being used by another process."},
    {ERROR_LOCK_VIOLATION,
     "The process cannot access the file because another process has locked a portion of the file."},
    {ERROR_SHARING_BUFFER_EXCEEDED, "Too many files opened for sharing."},
    {ERROR_HANDLE_EOF, "Reached the end of the file."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_BAD_NETPATH, "The network path was not found."},
    {ERROR_FILE_EXISTS, "The file exists."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_BROKEN_PIPE, "The pipe has been ended."},
    {ERROR_DISK_FULL, "There is not enough space on the disk."},
    {ERROR_CALL_NOT_IMPLEMENTED, "This function is not supported on this system."},
    {ERROR_SEM_TIMEOUT, "The semaphore timeout period has expired."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_INVALID_NAME, "The filename, directory name, or volume label syntax is incorrect."},
    {ERROR_NEGATIVE_SEEK, "An attempt was made to move the file pointer before the beginning of the file."},
    {ERROR_SEEK_ON_DEVICE, "The file pointer cannot be set on the specified device or file."},
    {ERROR_DIR_NOT_EMPTY, "The directory is not empty."},
    {ERROR_BUSY, "The requested resource is in use."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_ENVVAR_NOT_FOUND, "The system could not find the environment option that was entered."},
    {ERROR_FILENAME_EXCED_RANGE, "The filename or extension is too long."},
    {ERROR_FILE_TOO_LARGE, "The file size exceeds the limit allowed and cannot be saved."},
    {ERROR_MOD_NOT_FOUND, "The specified module could not be found."},
    {ERROR_PROC_NOT_FOUND, "The specified procedure could not be found."},
    {ERROR_MORE_DATA, "More data is available."},
    {ERROR_ARITHMETIC_OVERFLOW, "Arithmetic result exceeded 32 bits."},
    {ERROR_OPERATION_ABORTED,
     "The I/O operation has been aborted because of either a thread exit or an application request."},
    {ERROR_NOACCESS, "Invalid access to memory location."},
    {ERROR_INVALID_FLAGS, "Invalid flags."},
    {ERROR_FILE_INVALID,
     "The volume for a file has been externally altered so that the opened file is no longer valid."},
    {ERROR_NO_UNICODE_TRANSLATION,
     "No mapping for the Unicode character exists in the target multi-byte code page."},
    {ERROR_IO_DEVICE, "The request could not be performed because of an I/O device error."},
    {ERROR_TOO_MANY_LINKS,
     "An attempt was made to create more links on a file than the file system supports."},
    {ERROR_DEVICE_NOT_CONNECTED, "The device is not connected."},
    {ERROR_INVALID_WINDOW_HANDLE, "Invalid window handle."},
    {ERROR_TLW_WITH_WSCHILD, "Cannot create a top-level child window."},
    {ERROR_CANNOT_FIND_WND_CLASS, "Cannot find window class."},
    {ERROR_WINDOW_OF_OTHER_THREAD, "Invalid window; it belongs to other thread."},
    {ERROR_CLASS_ALREADY_EXISTS, "Class already exists."},
    {ERROR_CLASS_DOES_NOT_EXIST, "Class does not exist."},
    {ERROR_CLASS_HAS_WINDOWS, "Class still has open windows."},
    {ERROR_INVALID_INDEX, "Invalid index."},
    {ERROR_CONTROL_ID_NOT_FOUND, "Control ID not found."},
    {ERROR_TIMEOUT, "This operation returned because the timeout period expired."},
    {ERROR_RESOURCE_LANG_NOT_FOUND, "The specified resource language ID cannot be found in the image file."},
    {ERROR_CANT_RESOLVE_FILENAME, "The name of the file cannot be resolved by the system."},
    {WSAENETUNREACH, "A socket operation was attempted to an unreachable network."},
    {WSAECONNRESET, "An existing connection was forcibly closed by the remote host."},
    {WSAETIMEDOUT,
     "A connection attempt failed because the connected party did not properly respond after a "
     "period of time, or established connection failed because connected host has failed to respond."},
    {WSAECONNREFUSED, "No connection could be made because the target machine actively refused it."},
    {WSAEHOSTUNREACH, "A socket operation was attempted to an unreachable host."},
    {WSAHOST_NOT_FOUND, "No such host is known."},
};

bool IsFolder(const std::string& nativePath) {
    struct stat status {};
    return ::stat(nativePath.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

// The folder that must exist for the path's last component to be found. A path without a
// separator lives in the current folder, which exists.
bool ParentFolderExists(const std::string& nativePath) {
    std::string path = nativePath;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return true;
    return IsFolder(slash == 0 ? std::string("/") : path.substr(0, slash));
}

// FORMAT_MESSAGE_MAX_WIDTH_MASK makes Win32 drop the text's own line breaks, leaving a blank where
// the final one was.
std::string FormattedMessage(const char* text, DWORD flags) {
    std::string message = text;
    DWORD width = flags & FORMAT_MESSAGE_MAX_WIDTH_MASK;
    // FIXME: widths 1-254 should wrap the text at that column; they are treated like the mask.
    message += width == 0 ? "\r\n" : " ";
    return message;
}

bool IsSupportedLanguage(DWORD languageId) {
    return languageId == 0 || PRIMARYLANGID(static_cast<WORD>(languageId)) == LANG_NEUTRAL ||
           PRIMARYLANGID(static_cast<WORD>(languageId)) == LANG_ENGLISH;
}

DWORD StoreAllocated(const std::string& message, LPSTR lpBuffer, DWORD nSize) {
    SIZE_T size = std::max<SIZE_T>(nSize, message.size() + 1);
    auto* block = static_cast<char*>(LocalAlloc(LMEM_FIXED, size));
    if (block == nullptr)
        return 0;
    std::memcpy(block, message.c_str(), message.size() + 1);
    *reinterpret_cast<char**>(lpBuffer) = block;
    return static_cast<DWORD>(message.size());
}

DWORD StoreInBuffer(const std::string& message, LPSTR lpBuffer, DWORD nSize) {
    if (message.size() + 1 > nSize) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpBuffer, message.c_str(), message.size() + 1);
    return static_cast<DWORD>(message.size());
}

} // namespace

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD dwErrCode) {
    lastError = dwErrCode;
}

DWORD FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId, LPSTR lpBuffer,
                     DWORD nSize, va_list* Arguments) {
    // Our program has no message table of its own, so FROM_HMODULE adds nothing to FROM_SYSTEM;
    // messages from a string are not used by the system.
    if (!(dwFlags & FORMAT_MESSAGE_FROM_SYSTEM) || (dwFlags & FORMAT_MESSAGE_FROM_STRING) ||
        lpBuffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!IsSupportedLanguage(dwLanguageId)) {
        SetLastError(ERROR_RESOURCE_LANG_NOT_FOUND);
        return 0;
    }
    const char* text = platform::SystemMessageText(dwMessageId);
    if (text == nullptr) {
        SetLastError(ERROR_MR_MID_NOT_FOUND);
        return 0;
    }
    std::string message = FormattedMessage(text, dwFlags);
    if (dwFlags & FORMAT_MESSAGE_ALLOCATE_BUFFER)
        return StoreAllocated(message, lpBuffer, nSize);
    return StoreInBuffer(message, lpBuffer, nSize);
}

namespace platform {

DWORD Win32ErrorFromErrno(int errnoValue) {
    auto found =
        std::find_if(std::begin(errnoMappings), std::end(errnoMappings),
                     [errnoValue](const ErrnoMapping& mapping) { return mapping.errnoValue == errnoValue; });
    return found == std::end(errnoMappings) ? ERROR_GEN_FAILURE : found->code;
}

DWORD Win32ErrorFromErrno(int errnoValue, const std::string& nativePath) {
    if (errnoValue == ENOENT && (nativePath.empty() || !ParentFolderExists(nativePath)))
        return ERROR_PATH_NOT_FOUND;
    return Win32ErrorFromErrno(errnoValue);
}

void SetLastErrorFromErrno() {
    SetLastError(Win32ErrorFromErrno(errno));
}

void SetLastErrorFromErrno(const std::string& nativePath) {
    int saved = errno;
    SetLastError(Win32ErrorFromErrno(saved, nativePath));
}

const char* SystemMessageText(DWORD code) {
    auto found = std::find_if(std::begin(systemMessages), std::end(systemMessages),
                              [code](const SystemMessage& message) { return message.code == code; });
    return found == std::end(systemMessages) ? nullptr : found->text;
}

} // namespace platform
