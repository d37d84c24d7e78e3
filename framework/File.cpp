#include "framework/File.h"

#include "framework/Path.h"
#include "framework/PointerArray.h"
#include "framework/SystemErrorText.h"
#include "framework/services/MessageBoxes.h"
#include "platform/Windows.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>

namespace framework {

struct File::LineBuffer {
    int32_t readIndex = 0;
    int32_t count = 0;
    char bytes[LineBufferSize];
};

File::File(const String& path) : handle(INVALID_HANDLE_VALUE), path(path) {}

File::File(const String& path, uint32_t mode, uint32_t share, uint32_t attributes, bool retry)
    : handle(INVALID_HANDLE_VALUE), path(path) {
    Open(mode, share, attributes, retry);
}

File::~File() {
    Close();
}

bool File::IsOpen() const {
    return handle != INVALID_HANDLE_VALUE;
}

int File::Open(uint32_t newMode, uint32_t share, uint32_t attributes, bool retry) {
    if (IsOpen() || path.IsEmpty() || newMode == 0) {
        return 0;
    }
    const bool canRead = (newMode & ModeRead) != 0;
    const bool canWrite = (newMode & ModeWrite) != 0;
    const DWORD access = (canRead ? GENERIC_READ : 0) | (canWrite ? GENERIC_WRITE : 0);
    const DWORD disposition = !canRead ? CREATE_ALWAYS : (canWrite ? OPEN_ALWAYS : OPEN_EXISTING);
    if (share == 0 && !canWrite) {
        share = ShareRead;
    }
    // Share value 2 lets others read while the file is open. A reader must then tolerate a writer
    // that is already there, so read-only opens share writing too; writers still exclude each other.
    DWORD shareMode = 0;
    if (share == ShareRead) {
        shareMode = canWrite ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
    const int attempts = retry ? OpenAttempts : 1;
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        handle = CreateFileA(path.CStr(), access, shareMode, nullptr, disposition, attributes, nullptr);
        if (IsOpen()) {
            break;
        }
        if (attempt < attempts) {
            Sleep(RetryPauseMs);
        }
    }
    if (!IsOpen()) {
        return 0;
    }
    mode = newMode;
    position = 0;
    const DWORD systemSize = GetFileSize(handle, nullptr);
    size = systemSize == INVALID_FILE_SIZE ? 0 : systemSize;
    return 1;
}

int File::Close() {
    int result = 0;
    if (IsOpen()) {
        result = CloseHandle(handle);
    }
    handle = INVALID_HANDLE_VALUE;
    mode = 0;
    position = 0;
    size = 0;
    delete lineBuffer;
    lineBuffer = nullptr;
    return result;
}

bool File::Exists(uint32_t* attributes) const {
    if (path.IsEmpty()) {
        return false;
    }
    const DWORD found = GetFileAttributesA(path.CStr());
    if (found == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    if (attributes != nullptr) {
        *attributes = found;
    }
    return true;
}

void File::NormaliseFolder() {
    framework::NormaliseFolder(path);
}

int File::CreateFolders(bool report, Window* owner) {
    if (path.IsEmpty() || IsOpen()) {
        return 0;
    }
    const char* caption = "Unable to Create Folder";
    PointerArray missing(PointerArray::DeleteAs<String>);
    String folder(path);
    folder.Trim();
    // Walk up from the path to the first folder that exists, remembering the missing ones
    // outermost first.
    do {
        folder = PathDirectory(folder);
        if (folder.At(folder.Length()) == '/') {
            folder.DropRight(1);
        }
        if (folder.Find('/', 3) == 0) {
            break;
        }
        const DWORD attributes = GetFileAttributesA(folder.CStr());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                break;
            }
            if (report) {
                ShowMessage(owner, folder.CStr(), caption, MB_ICONINFORMATION | MB_OK);
            }
            return 0;
        }
        missing.InsertAt(new String(folder), 0);
    } while (!folder.IsEmpty());

    for (int32_t i = 0; i < missing.Count(); ++i) {
        const String& next = *missing.Get<String>(i);
        if (!CreateDirectoryA(next.CStr(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            if (report) {
                String text;
                text.Format("\"%s\"\n\n%s", next.CStr(), SystemErrorText(GetLastError()).CStr());
                ShowMessage(owner, text.CStr(), caption, MB_ICONINFORMATION | MB_OK);
            }
            return 0;
        }
    }
    return 1;
}

void File::DropLineBuffer() {
    if (lineBuffer == nullptr) {
        return;
    }
    delete lineBuffer;
    lineBuffer = nullptr;
    if (IsOpen()) {
        SetFilePointer(handle, static_cast<LONG>(position), nullptr, FILE_BEGIN);
    }
}

uint32_t File::Seek(int32_t offset, int origin) {
    if (!IsOpen()) {
        return 0;
    }
    DropLineBuffer();
    const DWORD result = SetFilePointer(handle, offset, nullptr, static_cast<DWORD>(origin));
    if (result != INVALID_SET_FILE_POINTER) {
        position = result;
    }
    return position;
}

bool File::AtEnd() {
    if (position >= size) {
        position = size;
        return true;
    }
    return false;
}

uint32_t File::Read(void* buffer, uint32_t count) {
    if (buffer == nullptr) {
        return 0;
    }
    std::memset(buffer, 0, count);
    if (!IsOpen()) {
        return 0;
    }
    DropLineBuffer();
    DWORD done = 0;
    if (!ReadFile(handle, buffer, count, &done, nullptr)) {
        done = 0;
    }
    position += done;
    return done;
}

uint32_t File::Write(const void* buffer, uint32_t count) {
    // Sizes and positions are 32-bit: a write that would pass 4 GiB is refused whole.
    if (buffer == nullptr || !IsOpen() || count > 0xFFFFFFFFu - position) {
        return 0;
    }
    DropLineBuffer();
    DWORD done = 0;
    if (!WriteFile(handle, buffer, count, &done, nullptr)) {
        done = 0;
    }
    position += done;
    if (position > size) {
        size = position;
    }
    return done;
}

uint32_t File::Transfer(void* buffer, uint32_t count) {
    const uint32_t direction = mode & (ModeRead | ModeWrite);
    if (direction == ModeRead) {
        return Read(buffer, count);
    }
    if (direction == ModeWrite) {
        return Write(buffer, count);
    }
    return 0;
}

uint32_t File::WriteText(const String& text) {
    if ((mode & ModeText) == 0) {
        return Write(text.CStr(), static_cast<uint32_t>(text.Length()));
    }
    String converted(String::DefaultGranularity);
    converted.Reserve(text.Length() * 2);
    for (int32_t position = 1; position <= text.Length(); ++position) {
        if (text.At(position) == '\n') {
            converted.Append('\r');
        }
        converted.Append(text.At(position));
    }
    return Write(converted.CStr(), static_cast<uint32_t>(converted.Length()));
}

uint32_t File::WriteFormat(const char* format, ...) {
    String text;
    va_list arguments;
    va_start(arguments, format);
    text.FormatList(format, arguments);
    va_end(arguments);
    return WriteText(text);
}

bool File::FillLineBuffer() {
    DWORD done = 0;
    if (!ReadFile(handle, lineBuffer->bytes, LineBufferSize, &done, nullptr)) {
        done = 0;
    }
    lineBuffer->readIndex = 0;
    lineBuffer->count = static_cast<int32_t>(done);
    return done > 0;
}

int File::ReadLine(String& out, int terminator, int low, int high) {
    out.Assign(static_cast<const char*>(nullptr));
    if (!IsOpen()) {
        return 0;
    }
    if (lineBuffer == nullptr) {
        lineBuffer = new LineBuffer;
        SetFilePointer(handle, static_cast<LONG>(position), nullptr, FILE_BEGIN);
    }
    const auto isKept = [low, high](unsigned char byte) {
        return (byte >= static_cast<unsigned>(low) && byte <= static_cast<unsigned>(high)) || byte == '\t';
    };
    while (!AtEnd()) {
        if (lineBuffer->readIndex >= lineBuffer->count && !FillLineBuffer()) {
            // The file is shorter than it was at open: nothing more to read.
            size = position;
            break;
        }
        // Take the run of bytes up to the terminator, the end of the buffer or the end of the file.
        const char* bytes = lineBuffer->bytes;
        int32_t index = lineBuffer->readIndex;
        const int32_t limit = static_cast<int32_t>(std::min<uint64_t>(
            lineBuffer->count, lineBuffer->readIndex + static_cast<uint64_t>(size - position)));
        int32_t runStart = index;
        for (; index < limit; ++index) {
            const unsigned char byte = static_cast<unsigned char>(bytes[index]);
            if (byte == static_cast<unsigned char>(terminator)) {
                out.Append(bytes + runStart, index - runStart);
                position += static_cast<uint32_t>(index + 1 - lineBuffer->readIndex);
                lineBuffer->readIndex = index + 1;
                return 1;
            }
            if (!isKept(byte)) {
                out.Append(bytes + runStart, index - runStart);
                runStart = index + 1;
            }
        }
        out.Append(bytes + runStart, index - runStart);
        position += static_cast<uint32_t>(index - lineBuffer->readIndex);
        lineBuffer->readIndex = index;
    }
    return 0;
}

int File::ReadLines(String& out, int count, bool trim) {
    out.Assign(static_cast<const char*>(nullptr));
    String line;
    int read = 0;
    for (int i = 1; i <= count; ++i) {
        if (AtEnd()) {
            break;
        }
        ReadLine(line, '\n', 32, 255);
        ++read;
        if (trim) {
            line.Trim();
        }
        out.Append(line);
        if (i < count) {
            out.Append('\n');
        }
    }
    return read;
}

} // namespace framework
