#pragma once

// The shared state behind the window and message modules (internal to platform/): window
// classes, window records and one message queue per thread. Everything here is guarded by one
// mutex, UserLock; window procedures are never called while it is held, so a procedure may call
// any function of the stand-in, on any thread.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

struct Surface;

namespace user {

using Clock = std::chrono::steady_clock;

struct ClassRecord {
    std::string name;
    UINT style = 0;
    WNDPROC procedure = nullptr;
    int windowExtraBytes = 0;
    HINSTANCE instance = nullptr;
    HICON icon = nullptr;
    HICON smallIcon = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    ATOM atom = 0;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::shared_ptr<ClassRecord> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::string text;
    RECT rect{}; // window rectangle in the parent's client coordinates (screen for top-level)
    HWND parent = nullptr;
    HWND owner = nullptr;
    std::vector<HWND> children; // z-order, top first
    LONG_PTR id = 0;
    LONG_PTR userData = 0;
    HINSTANCE instance = nullptr;
    std::vector<uint8_t> extraBytes;
    DWORD threadId = 0;
    RECT update{}; // bounding rectangle of the invalid area, client coordinates; empty when valid
    bool eraseBackground = false;
    bool isDestroying = false;
    HICON icon = nullptr;       // WM_SETICON's big and small icons; the class icons stand in for
    HICON smallIcon = nullptr;  // them where they are null
    Surface* surface = nullptr; // top-level windows only: what the window and its children draw on
};

struct SentMessage {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT result = 0;
    bool done = false;
    DWORD senderThread = 0;
};

struct TimerEntry {
    HWND hwnd;
    UINT_PTR id;
    UINT interval;
    TIMERPROC procedure;
    Clock::time_point due;
};

struct ThreadQueue {
    DWORD threadId = 0;
    std::deque<MSG> posted;
    std::deque<SentMessage*> sent;
    std::vector<TimerEntry> timers;
    bool quitPosted = false;
    int quitCode = 0;
    std::condition_variable wake;
    HWND focus = nullptr;
    HWND active = nullptr;
    HWND capture = nullptr;
};

std::unique_lock<std::mutex> UserLock();

// Records and queues; call with the lock held.
WindowRecord* FindWindow(HWND hwnd);
std::shared_ptr<ClassRecord> FindClass(LPCSTR name);
ThreadQueue& QueueOf(DWORD threadId);
ThreadQueue& CurrentQueue();
std::map<uintptr_t, std::unique_ptr<WindowRecord>>& Windows();
std::map<std::string, std::shared_ptr<ClassRecord>>& Classes();
HWND NewWindowHandle();
void Wake(ThreadQueue& queue);

// Client rectangle of a record in its own client coordinates, and the offset of its client
// origin inside its window rectangle.
RECT ClientRectOf(const WindowRecord& record);
POINT ClientOffsetOf(const WindowRecord& record);
// Client origin in screen coordinates.
POINT ClientOriginOnScreen(const WindowRecord& record);
// The surface of the top-level window that holds hwnd, with hwnd's client origin on it; null for
// no window. Takes the lock.
Surface* TopLevelSurfaceOf(HWND hwnd, POINT& origin);
bool IsVisibleChain(const WindowRecord& record);
bool IsEmpty(const RECT& rect);

// Calls a window's procedure without the lock (the caller must not hold it).
LRESULT CallProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace user
} // namespace platform
