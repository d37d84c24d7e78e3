// The extras on Windows, over the system's own API. The desktop is always there, so the display
// needs no start-up; SuspendThread stops a thread anywhere, so a wait point does nothing. The
// comm-work wait has no single Win32 call on a port opened without overlapped I/O (WaitCommEvent
// would block without a time-out), so it looks at the port's queues and then waits on an event
// that WakeCommWait sets, for the poll's cycle at the most.

#include "platform/Extras.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

namespace {

// How long a wait goes without looking at the port: the poll's cycle during a transfer.
constexpr DWORD pollCycle = 10;

// One wake event per port handle; made on first use and kept for the program's life, as the
// program opens one port at a time and few over its run.
HANDLE WakeEventOf(HANDLE port) {
    static std::mutex mutex;
    static std::map<HANDLE, HANDLE> events;
    std::lock_guard lock(mutex);
    HANDLE& event = events[port];
    if (event == nullptr) {
        event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    }
    return event;
}

// Output is held while the far end's XOFF, a missing CTS or DSR, or a break stops it.
bool IsOutputHeld(const COMSTAT& status) {
    return status.fCtsHold || status.fDsrHold || status.fRlsdHold || status.fXoffHold;
}

// The version as the system knows it; GetVersionExA answers with an older version to programs
// without a manifest that names the newer one.
bool RealVersion(OSVERSIONINFOEXW& version) {
    using RtlGetVersionCall = LONG(WINAPI*)(OSVERSIONINFOEXW*);
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    void* entry =
        ntdll != nullptr ? reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")) : nullptr;
    version = OSVERSIONINFOEXW{};
    version.dwOSVersionInfoSize = sizeof version;
    return entry != nullptr && reinterpret_cast<RtlGetVersionCall>(entry)(&version) == 0;
}

std::string ReleaseName(const OSVERSIONINFOEXW& version) {
    const DWORD major = version.dwMajorVersion;
    const DWORD minor = version.dwMinorVersion;
    const bool isServer = version.wProductType != VER_NT_WORKSTATION;
    if (major == 10 && minor == 0) {
        if (isServer) {
            return "Windows Server";
        }
        return version.dwBuildNumber >= 22000 ? "Windows 11" : "Windows 10";
    }
    struct Release {
        DWORD major;
        DWORD minor;
        const char* workstation;
        const char* server;
    };
    static const Release releases[] = {
        {6, 3, "Windows 8.1", "Windows Server 2012 R2"}, {6, 2, "Windows 8", "Windows Server 2012"},
        {6, 1, "Windows 7", "Windows Server 2008 R2"},   {6, 0, "Windows Vista", "Windows Server 2008"},
        {5, 2, "Windows XP", "Windows Server 2003"},     {5, 1, "Windows XP", "Windows XP"},
    };
    for (const Release& release : releases) {
        if (release.major == major && release.minor == minor) {
            return isServer ? release.server : release.workstation;
        }
    }
    return "Windows " + std::to_string(major) + "." + std::to_string(minor);
}

// Wine names itself through an export of its ntdll that Windows does not have.
std::string WineVersion() {
    using WineGetVersionCall = const char*(CDECL*)();
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    void* entry =
        ntdll != nullptr ? reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")) : nullptr;
    return entry != nullptr ? reinterpret_cast<WineGetVersionCall>(entry)() : "";
}

// A PNG file of 8-bit RGB rows, its image data in stored (uncompressed) deflate blocks: a
// screenshot is written rarely and read by people, so size matters less than needing no library.
class PngWriter {
public:
    static bool Write(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbRows) {
        std::vector<uint8_t> file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::vector<uint8_t> header;
        Put32(header, static_cast<uint32_t>(width));
        Put32(header, static_cast<uint32_t>(height));
        header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter, no interlace
        Chunk(file, "IHDR", header);
        Chunk(file, "IDAT", Stored(rgbRows));
        Chunk(file, "IEND", {});
        FILE* out = std::fopen(path.c_str(), "wb");
        if (out == nullptr) {
            return false;
        }
        const bool isWritten = std::fwrite(file.data(), 1, file.size(), out) == file.size();
        return std::fclose(out) == 0 && isWritten;
    }

private:
    static void Put32(std::vector<uint8_t>& out, uint32_t value) {
        for (int shift = 24; shift >= 0; shift -= 8) {
            out.push_back(static_cast<uint8_t>(value >> shift));
        }
    }

    static uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc) {
        for (size_t i = 0; i < size; ++i) {
            crc ^= data[i];
            for (int bit = 0; bit < 8; ++bit) {
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
            }
        }
        return crc;
    }

    static void Chunk(std::vector<uint8_t>& file, const char* type, const std::vector<uint8_t>& data) {
        Put32(file, static_cast<uint32_t>(data.size()));
        const size_t typeAt = file.size();
        file.insert(file.end(), type, type + 4);
        file.insert(file.end(), data.begin(), data.end());
        const uint32_t crc = Crc(file.data() + typeAt, file.size() - typeAt, 0xFFFFFFFFu) ^ 0xFFFFFFFFu;
        Put32(file, crc);
    }

    // A zlib stream of stored blocks of at most 65,535 bytes, with its Adler-32 sum.
    static std::vector<uint8_t> Stored(const std::vector<uint8_t>& data) {
        std::vector<uint8_t> out = {0x78, 0x01};
        size_t at = 0;
        do {
            const size_t length = std::min<size_t>(data.size() - at, 65535);
            const bool isLast = at + length == data.size();
            out.push_back(isLast ? 1 : 0);
            out.push_back(static_cast<uint8_t>(length));
            out.push_back(static_cast<uint8_t>(length >> 8));
            out.push_back(static_cast<uint8_t>(~length));
            out.push_back(static_cast<uint8_t>(~length >> 8));
            out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at),
                       data.begin() + static_cast<std::ptrdiff_t>(at + length));
            at += length;
        } while (at < data.size());
        uint32_t a = 1;
        uint32_t b = 0;
        for (const uint8_t byte : data) {
            a = (a + byte) % 65521;
            b = (b + a) % 65521;
        }
        Put32(out, (b << 16) | a);
        return out;
    }
};

} // namespace

Screen StartDisplay(Screen wanted) {
    return wanted;
}

void StopDisplay() {}

BOOL WaitForCommWork(HANDLE port, DWORD milliseconds, BOOL wantsOutputDrained) {
    // Sleeps and waits of one millisecond need the system's timer at its finest.
    static const bool isTimerFine = timeBeginPeriod(1) == TIMERR_NOERROR;
    (void)isTimerFine;
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(port, &errors, &status)) {
        return FALSE;
    }
    if (status.cbInQue > 0 || (wantsOutputDrained && status.cbOutQue == 0 && !IsOutputHeld(status))) {
        return TRUE;
    }
    // A port opened for synchronous calls has no event for input that comes: the wait looks again
    // after a poll's cycle, however long a quiet line's wait was asked for.
    // FIXME: overlapped I/O (WaitCommEvent with an event beside the wake-up) would let a quiet
    // line sleep here as it does on Linux.
    WaitForSingleObject(WakeEventOf(port), std::min<DWORD>(milliseconds, pollCycle));
    return TRUE;
}

BOOL WakeCommWait(HANDLE port) {
    return SetEvent(WakeEventOf(port));
}

void ThreadWaitPoint() {}

std::string OperatingSystemShortName() {
    OSVERSIONINFOEXW version;
    return RealVersion(version) ? ReleaseName(version) : "Windows";
}

std::string OperatingSystemName() {
    OSVERSIONINFOEXW version;
    if (!RealVersion(version)) {
        return "Windows";
    }
    std::string name = ReleaseName(version) + " (" + std::to_string(version.dwMajorVersion) + "." +
                       std::to_string(version.dwMinorVersion) + "." + std::to_string(version.dwBuildNumber) +
                       ")";
    const std::string wine = WineVersion();
    return wine.empty() ? name : name + " on Wine " + wine;
}

bool SnapshotPng(HWND hwnd, const std::string& path) {
    HWND root = GetAncestor(hwnd, GA_ROOT);
    RECT frame{};
    if (root == nullptr || !GetWindowRect(root, &frame)) {
        return false;
    }
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    if (width <= 0 || height <= 0) {
        return false;
    }
    // The window as it stands on the screen, frame included, copied into a top-down 32-bit DIB.
    HDC screen = GetWindowDC(root);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool isSaved = false;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY)) {
            GdiFlush();
            // Each PNG row starts with its filter type (0, none), then red, green and blue.
            std::vector<uint8_t> rows;
            rows.reserve(static_cast<size_t>(height) * (1 + 3 * static_cast<size_t>(width)));
            const auto* pixels = static_cast<const uint8_t*>(bits);
            for (int y = 0; y < height; ++y) {
                rows.push_back(0);
                for (int x = 0; x < width; ++x) {
                    const uint8_t* pixel = pixels + (static_cast<size_t>(y) * width + x) * 4;
                    rows.insert(rows.end(), {pixel[2], pixel[1], pixel[0]});
                }
            }
            isSaved = PngWriter::Write(path, width, height, rows);
        }
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(root, screen);
    return isSaved;
}

// A desktop program without a console of its own: a request to end it comes as WM_CLOSE to its
// window (its close box, taskkill, a service wrapper), and the end of the user's session as
// WM_ENDSESSION; both reach the window, not a watcher. There is no journal stream.
void WatchEndRequests(bool (*)()) {}

bool IsStandardErrorTheJournal() {
    return false;
}

} // namespace platform
