#include "platform/kernel/Folders.h"

#include "platform/kernel/DriveTable.h"
#include "platform/kernel/Environment.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// getcwd and readlink need a buffer of a size known in advance; paths longer than PATH_MAX are
// not usable with most Linux calls anyway.
bool CurrentFolder(std::string& folder) {
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer) == nullptr)
        return false;
    folder = buffer;
    return true;
}

bool ProgramPath(std::string& path) {
    char buffer[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer);
    if (length < 0 || static_cast<std::size_t>(length) >= sizeof buffer)
        return false;
    path.assign(buffer, static_cast<std::size_t>(length));
    return true;
}

} // namespace

DWORD GetFileAttributesA(LPCSTR lpFileName) {
    std::string path = platform::NativePath(lpFileName);
    struct stat status {};
    if (path.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (::stat(path.c_str(), &status) != 0) {
        platform::SetLastErrorFromErrno(path);
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(status.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY;
    // Writability is asked of the kernel rather than read from the mode bits, so that ownership,
    // groups, access lists and read-only mounts all count.
    bool isWritable = ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
    return isWritable ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_READONLY;
}

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes) {
    std::string path = platform::NativePath(lpPathName);
    if (::mkdir(path.c_str(), 0777) == 0)
        return TRUE;
    // Win32 reports an existing name, file or folder, as ERROR_ALREADY_EXISTS here, and a missing
    // parent as a missing path whatever the last component.
    if (errno == EEXIST)
        SetLastError(ERROR_ALREADY_EXISTS);
    else if (errno == ENOENT)
        SetLastError(ERROR_PATH_NOT_FOUND);
    else
        platform::SetLastErrorFromErrno(path);
    return FALSE;
}

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string folder;
    if (!CurrentFolder(folder)) {
        platform::SetLastErrorFromErrno();
        return 0;
    }
    return platform::StoreStringResult(folder, lpBuffer, lpBuffer == nullptr ? 0 : nBufferLength);
}

// Unlike the other calls here, a short buffer gets as much of the name as fits, terminated,
// and the result is the buffer's size with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize) {
    std::string path;
    if (!ProgramPath(path)) {
        platform::SetLastErrorFromErrno();
        return 0;
    }
    if (nSize == 0 || lpFilename == nullptr) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    if (path.size() + 1 > nSize) {
        std::memcpy(lpFilename, path.data(), nSize - 1);
        lpFilename[nSize - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nSize;
    }
    std::memcpy(lpFilename, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer) {
    std::string folder = platform::EnvironmentValue("TMPDIR").value_or("");
    if (folder.empty())
        folder = "/tmp";
    if (folder.back() != '/')
        folder += '/';
    return platform::StoreStringResult(folder, lpBuffer, lpBuffer == nullptr ? 0 : nBufferLength);
}
