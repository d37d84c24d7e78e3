#pragma once

#include "framework/String.h"

#include <cstdint>

namespace framework {

class Window;

// Every disk file of the framework goes through File. It opens its path in one of three modes
// (write, read, and text as a flag that turns LF into CR LF on WriteText), keeps a logical
// position that callers see, and reads text lines through a 4,096-byte read-ahead buffer. Because
// the read-ahead runs in front of the logical position, every block read, block write and seek
// first puts the system file pointer back at the logical position and drops the buffer.
//
// Not thread-safe: one File is used by one thread at a time.
class File {
public:
    enum ModeBits : uint32_t { ModeWrite = 1, ModeRead = 2, ModeText = 4 };
    // The share value that lets other processes read the file while it is open.
    static constexpr uint32_t ShareRead = 2;
    static constexpr uint32_t NormalAttributes = 0x80;
    static constexpr int OpenAttempts = 30;
    static constexpr uint32_t RetryPauseMs = 100;
    static constexpr int32_t LineBufferSize = 4096;

    explicit File(const String& path);
    File(const String& path, uint32_t mode, uint32_t share = 0, uint32_t attributes = NormalAttributes,
         bool retry = false);
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    virtual ~File();

    int Open(uint32_t mode, uint32_t share = 0, uint32_t attributes = NormalAttributes, bool retry = false);
    bool IsOpen() const;
    int Close();
    bool Exists(uint32_t* attributes = nullptr) const;
    void NormaliseFolder();
    int CreateFolders(bool report, Window* owner = nullptr);

    const String& Path() const { return path; }
    void SetPath(const String& newPath) { path = newPath; }
    uint32_t Mode() const { return mode; }

    uint32_t Seek(int32_t offset, int origin);
    uint32_t SeekTo(int32_t offset) { return Seek(offset, 0); }
    uint32_t SeekFromEnd(int32_t offset) { return Seek(offset, 2); }
    uint32_t Position() const { return position; }
    uint32_t Size() const { return size; }
    bool AtEnd();

    uint32_t Read(void* buffer, uint32_t count);
    uint32_t Write(const void* buffer, uint32_t count);
    uint32_t Transfer(void* buffer, uint32_t count);
    uint32_t WriteText(const String& text);
    uint32_t WriteFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    int ReadLine(String& out, int terminator = '\n', int low = 32, int high = 255);
    // Returns the number of lines read.
    int ReadLines(String& out, int count, bool trim);

private:
    struct LineBuffer;

    void DropLineBuffer();
    bool FillLineBuffer();

    LineBuffer* lineBuffer = nullptr;
    void* handle;
    uint32_t mode = 0;
    uint32_t position = 0;
    uint32_t size = 0;
    String path;
};

} // namespace framework
