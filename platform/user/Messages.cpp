#include "platform/user/Messages.h"

#include "platform/display/Backend.h"
#include "platform/kernel/Threads.h"
#include "platform/kernel/Time.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <cstring>
#include <iterator>

using namespace platform::user;

namespace {

std::array<std::atomic<BYTE>, 256> keyStates{};
thread_local DWORD lastMessageTime = 0;
thread_local int sendDepth = 0;
std::map<std::string, UINT> registeredMessages;
UINT_PTR nextThreadTimerId = 0x7FF0;

bool InRange(UINT message, UINT low, UINT high) {
    return (low == 0 && high == 0) || (message >= low && message <= high);
}

// Whether a message for hwnd passes a GetMessage window filter: null takes every message,
// (HWND)-1 only thread messages, a window itself and its descendants.
bool PassesFilter(HWND hwnd, HWND filter) {
    if (filter == nullptr) {
        return true;
    }
    if (filter == reinterpret_cast<HWND>(-1)) {
        return hwnd == nullptr;
    }
    for (const WindowRecord* record = FindWindow(hwnd); record != nullptr;
         record = FindWindow(record->parent)) {
        if (record->handle == filter) {
            return true;
        }
    }
    return false;
}

// Answers every message sent to this thread from other threads. Called and returns with the
// lock held; the lock is released around each window procedure.
void HandleSentMessages(ThreadQueue& queue, std::unique_lock<std::mutex>& lock) {
    while (!queue.sent.empty()) {
        SentMessage* message = queue.sent.front();
        queue.sent.pop_front();
        lock.unlock();
        ++sendDepth;
        const LRESULT result =
            CallProcedure(message->hwnd, message->message, message->wParam, message->lParam);
        --sendDepth;
        lock.lock();
        message->result = result;
        message->done = true;
        Wake(QueueOf(message->senderThread));
    }
}

// A window of this thread with an invalid area, parents before children.
HWND FindWindowToPaint(DWORD threadId, HWND filter) {
    for (auto& [key, record] : Windows()) {
        if (record->threadId == threadId && !IsEmpty(record->update) && IsVisibleChain(*record) &&
            !record->isDestroying && PassesFilter(record->handle, filter)) {
            return record->handle;
        }
    }
    return nullptr;
}

bool TakePosted(ThreadQueue& queue, LPMSG out, HWND filter, UINT low, UINT high, bool remove) {
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (PassesFilter(it->hwnd, filter) && InRange(it->message, low, high)) {
            *out = *it;
            if (remove) {
                queue.posted.erase(it);
            }
            return true;
        }
    }
    return false;
}

bool TakeTimer(ThreadQueue& queue, LPMSG out, HWND filter, UINT low, UINT high, bool remove) {
    if (!InRange(WM_TIMER, low, high)) {
        return false;
    }
    const Clock::time_point now = Clock::now();
    for (TimerEntry& timer : queue.timers) {
        if (timer.due <= now && PassesFilter(timer.hwnd, filter)) {
            *out = MSG{timer.hwnd, WM_TIMER, timer.id, reinterpret_cast<LPARAM>(timer.procedure), 0, {}};
            if (remove) {
                timer.due = now + std::chrono::milliseconds(timer.interval);
            }
            return true;
        }
    }
    return false;
}

Clock::time_point NextTimerDue(const ThreadQueue& queue) {
    Clock::time_point next = Clock::time_point::max();
    for (const TimerEntry& timer : queue.timers) {
        next = std::min(next, timer.due);
    }
    return next;
}

// The one retrieval routine behind GetMessageA and PeekMessageA.
bool FetchMessage(LPMSG out, HWND filter, UINT low, UINT high, bool remove, bool wait) {
    platform::ThreadWaitPoint();
    auto lock = UserLock();
    ThreadQueue& queue = CurrentQueue();
    for (;;) {
        HandleSentMessages(queue, lock);
        bool found = TakePosted(queue, out, filter, low, high, remove);
        if (!found && queue.quitPosted) {
            *out = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, 0, {}};
            queue.quitPosted = !remove;
            found = true;
        }
        if (!found && InRange(WM_PAINT, low, high)) {
            if (HWND paint = FindWindowToPaint(queue.threadId, filter)) {
                *out = MSG{paint, WM_PAINT, 0, 0, 0, {}};
                found = true;
            }
        }
        found = found || TakeTimer(queue, out, filter, low, high, remove);
        if (found) {
            out->time = GetTickCount();
            lastMessageTime = out->time;
            return true;
        }
        if (!wait) {
            // Display hook: the queue ran empty, so what was painted is presented now.
            lock.unlock();
            platform::DisplayIdle();
            return false;
        }
        const Clock::time_point due = NextTimerDue(queue);
        // Display hook: the display's window thread waits for input and wake-ups in the display
        // (which presents first); every other thread waits on its condition variable.
        if (platform::DisplayWait(lock, due)) {
            // The display has waited.
        } else if (due == Clock::time_point::max()) {
            queue.wake.wait(lock);
        } else {
            queue.wake.wait_until(lock, due);
        }
        lock.unlock();
        platform::ThreadWaitPoint();
        lock.lock();
    }
}

char CharacterOfKey(int key, bool shift, bool capsLock) {
    if (key >= 'A' && key <= 'Z') {
        const bool upper = shift != capsLock;
        return static_cast<char>(upper ? key : key - 'A' + 'a');
    }
    static const char digitsShifted[] = ")!@#$%^&*(";
    if (key >= '0' && key <= '9') {
        return shift ? digitsShifted[key - '0'] : static_cast<char>(key);
    }
    if (key >= VK_NUMPAD0 && key <= VK_NUMPAD0 + 9) {
        return static_cast<char>('0' + key - VK_NUMPAD0);
    }
    struct Punctuation {
        int key;
        char plain;
        char shifted;
    };
    static const Punctuation punctuation[] = {
        {VK_SPACE, ' ', ' '},     {VK_OEM_1, ';', ':'},     {VK_OEM_PLUS, '=', '+'},
        {VK_OEM_COMMA, ',', '<'}, {VK_OEM_MINUS, '-', '_'}, {VK_OEM_PERIOD, '.', '>'},
        {VK_OEM_2, '/', '?'},     {VK_OEM_3, '`', '~'},     {VK_OEM_4, '[', '{'},
        {VK_OEM_5, '\\', '|'},    {VK_OEM_6, ']', '}'},     {VK_OEM_7, '\'', '"'},
        {VK_MULTIPLY, '*', '*'},  {VK_ADD, '+', '+'},       {VK_SUBTRACT, '-', '-'},
        {VK_DECIMAL, '.', '.'},   {VK_DIVIDE, '/', '/'},    {VK_RETURN, '\r', '\r'},
        {VK_BACK, '\b', '\b'},    {VK_TAB, '\t', '\t'},     {VK_ESCAPE, '\x1B', '\x1B'},
    };
    for (const Punctuation& entry : punctuation) {
        if (entry.key == key) {
            return shift ? entry.shifted : entry.plain;
        }
    }
    return 0;
}

} // namespace

BOOL PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto lock = UserLock();
    DWORD threadId = GetCurrentThreadId();
    if (hWnd != nullptr) {
        const WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        threadId = record->threadId;
    }
    ThreadQueue& queue = QueueOf(threadId);
    queue.posted.push_back(MSG{hWnd, Msg, wParam, lParam, 0, {}});
    Wake(queue);
    return TRUE;
}

BOOL PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto lock = UserLock();
    ThreadQueue& queue = QueueOf(idThread);
    queue.posted.push_back(MSG{nullptr, Msg, wParam, lParam, 0, {}});
    Wake(queue);
    return TRUE;
}

LRESULT SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    const DWORD me = GetCurrentThreadId();
    // The desktop belongs to no thread: whoever sends to it is answered at once.
    if (record->threadId == me || record->threadId == 0) {
        WNDPROC procedure = record->procedure;
        lock.unlock();
        return procedure ? procedure(hWnd, Msg, wParam, lParam) : 0;
    }
    // Across threads: hand the message over and wait, answering what is sent to us meanwhile.
    SentMessage message{hWnd, Msg, wParam, lParam, 0, false, me};
    ThreadQueue& target = QueueOf(record->threadId);
    target.sent.push_back(&message);
    Wake(target);
    ThreadQueue& mine = CurrentQueue();
    while (!message.done) {
        HandleSentMessages(mine, lock);
        if (message.done) {
            break;
        }
        mine.wake.wait(lock);
        lock.unlock();
        platform::ThreadWaitPoint();
        lock.lock();
    }
    return message.result;
}

BOOL GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
    FetchMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, true, true);
    return lpMsg->message == WM_QUIT ? FALSE : TRUE;
}

BOOL PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
    return FetchMessage(lpMsg, hWnd, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0, false)
               ? TRUE
               : FALSE;
}

BOOL WaitMessage() {
    MSG message;
    FetchMessage(&message, nullptr, 0, 0, false, true);
    return TRUE;
}

BOOL InSendMessage() {
    return sendDepth > 0 ? TRUE : FALSE;
}

DWORD GetMessageTime() {
    return lastMessageTime;
}

BOOL TranslateMessage(const MSG* lpMsg) {
    if (lpMsg == nullptr) {
        return FALSE;
    }
    const bool isKeyDown = lpMsg->message == WM_KEYDOWN || lpMsg->message == WM_SYSKEYDOWN;
    if (!isKeyDown) {
        return (lpMsg->message == WM_KEYUP || lpMsg->message == WM_SYSKEYUP) ? TRUE : FALSE;
    }
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const bool capsLock = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const int key = static_cast<int>(lpMsg->wParam);
    char character = 0;
    if (control && key >= 'A' && key <= 'Z') {
        character = static_cast<char>(key - 'A' + 1); // Ctrl+A..Z give the control characters 1..26
    } else {
        character = CharacterOfKey(key, shift, capsLock);
    }
    if (character != 0) {
        const UINT message = lpMsg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR;
        PostMessageA(lpMsg->hwnd, message, static_cast<unsigned char>(character), lpMsg->lParam);
    }
    return TRUE;
}

LRESULT DispatchMessageA(const MSG* lpMsg) {
    if (lpMsg == nullptr) {
        return 0;
    }
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        auto procedure = reinterpret_cast<TIMERPROC>(lpMsg->lParam);
        procedure(lpMsg->hwnd, WM_TIMER, lpMsg->wParam, GetTickCount());
        return 0;
    }
    if (lpMsg->hwnd == nullptr) {
        return 0;
    }
    const LRESULT result = CallProcedure(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
    if (lpMsg->message == WM_PAINT) {
        // A procedure that did not paint must not be asked again and again.
        auto lock = UserLock();
        if (WindowRecord* record = FindWindow(lpMsg->hwnd)) {
            record->update = RECT{};
        }
    }
    return result;
}

void PostQuitMessage(int nExitCode) {
    auto lock = UserLock();
    ThreadQueue& queue = CurrentQueue();
    queue.quitPosted = true;
    queue.quitCode = nExitCode;
    Wake(queue);
}

UINT RegisterWindowMessageA(LPCSTR lpString) {
    if (lpString == nullptr || *lpString == '\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string name(lpString);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    auto lock = UserLock();
    auto found = registeredMessages.find(name);
    if (found != registeredMessages.end()) {
        return found->second;
    }
    const UINT message = 0xC000 + static_cast<UINT>(registeredMessages.size());
    registeredMessages.emplace(name, message);
    return message;
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc) {
    auto lock = UserLock();
    DWORD threadId = GetCurrentThreadId();
    if (hWnd != nullptr) {
        const WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return 0;
        }
        threadId = record->threadId;
    } else {
        nIDEvent = ++nextThreadTimerId; // a timer without a window gets an id of its own
    }
    // Win32 raises intervals below 10 ms to 10 ms.
    const UINT interval = std::max<UINT>(uElapse, 10);
    ThreadQueue& queue = QueueOf(threadId);
    auto existing = std::find_if(queue.timers.begin(), queue.timers.end(), [&](const TimerEntry& timer) {
        return timer.hwnd == hWnd && timer.id == nIDEvent;
    });
    const TimerEntry timer{hWnd, nIDEvent, interval, lpTimerFunc,
                           Clock::now() + std::chrono::milliseconds(interval)};
    if (existing != queue.timers.end()) {
        *existing = timer;
    } else {
        queue.timers.push_back(timer);
    }
    Wake(queue);
    return hWnd != nullptr && nIDEvent == 0 ? 1 : nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent) {
    auto lock = UserLock();
    DWORD threadId = GetCurrentThreadId();
    if (const WindowRecord* record = FindWindow(hWnd)) {
        threadId = record->threadId;
    }
    auto& timers = QueueOf(threadId).timers;
    const auto before = timers.size();
    std::erase_if(timers,
                  [&](const TimerEntry& timer) { return timer.hwnd == hWnd && timer.id == uIDEvent; });
    if (timers.size() == before) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

SHORT GetKeyState(int nVirtKey) {
    const BYTE state = keyStates[nVirtKey & 0xFF].load();
    return static_cast<SHORT>(((state & 0x80) ? 0x8000 : 0) | (state & 1));
}

UINT MapVirtualKeyA(UINT uCode, UINT uMapType) {
    if (uMapType != MAPVK_VK_TO_VSC || uCode > 0xFF) {
        return 0;
    }
    const int key = static_cast<int>(uCode);
    // The letter and digit rows of a PC keyboard, in scan-code order.
    static constexpr const char* rows[] = {"1234567890", "QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
    static constexpr UINT rowStarts[] = {0x02, 0x10, 0x1E, 0x2C};
    for (size_t row = 0; row < std::size(rows); ++row) {
        if (const char* at = std::strchr(rows[row], key); at != nullptr && key != 0) {
            return rowStarts[row] + static_cast<UINT>(at - rows[row]);
        }
    }
    if (key >= VK_F1 && key < VK_F1 + 10) {
        return 0x3B + static_cast<UINT>(key - VK_F1);
    }
    struct Pair {
        int key;
        UINT scan;
    };
    static constexpr Pair pairs[] = {
        {VK_ESCAPE, 0x01},      {VK_BACK, 0x0E},        {VK_TAB, 0x0F},         {VK_RETURN, 0x1C},
        {VK_CONTROL, 0x1D},     {VK_LCONTROL, 0x1D},    {VK_RCONTROL, 0x1D},    {VK_SHIFT, 0x2A},
        {VK_LSHIFT, 0x2A},      {VK_RSHIFT, 0x36},      {VK_MENU, 0x38},        {VK_LMENU, 0x38},
        {VK_RMENU, 0x38},       {VK_SPACE, 0x39},       {VK_CAPITAL, 0x3A},     {VK_F1 + 10, 0x57},
        {VK_F12, 0x58},         {VK_HOME, 0x47},        {VK_UP, 0x48},          {VK_PRIOR, 0x49},
        {VK_LEFT, 0x4B},        {VK_RIGHT, 0x4D},       {VK_END, 0x4F},         {VK_DOWN, 0x50},
        {VK_NEXT, 0x51},        {VK_INSERT, 0x52},      {VK_DELETE, 0x53},      {VK_OEM_MINUS, 0x0C},
        {VK_OEM_PLUS, 0x0D},    {VK_OEM_4, 0x1A},       {VK_OEM_6, 0x1B},       {VK_OEM_1, 0x27},
        {VK_OEM_7, 0x28},       {VK_OEM_3, 0x29},       {VK_OEM_5, 0x2B},       {VK_OEM_COMMA, 0x33},
        {VK_OEM_PERIOD, 0x34},  {VK_OEM_2, 0x35},       {VK_MULTIPLY, 0x37},    {VK_SUBTRACT, 0x4A},
        {VK_ADD, 0x4E},         {VK_DECIMAL, 0x53},     {VK_DIVIDE, 0x35},      {VK_NUMPAD0, 0x52},
        {VK_NUMPAD0 + 1, 0x4F}, {VK_NUMPAD0 + 2, 0x50}, {VK_NUMPAD0 + 3, 0x51}, {VK_NUMPAD0 + 4, 0x4B},
        {VK_NUMPAD0 + 5, 0x4C}, {VK_NUMPAD0 + 6, 0x4D}, {VK_NUMPAD0 + 7, 0x47}, {VK_NUMPAD0 + 8, 0x48},
        {VK_NUMPAD0 + 9, 0x49}, {VK_PAUSE, 0x45},
    };
    for (const Pair& pair : pairs) {
        if (pair.key == key) {
            return pair.scan;
        }
    }
    return 0;
}

SHORT VkKeyScanA(CHAR ch) {
    const unsigned char character = static_cast<unsigned char>(ch);
    if (character >= 1 && character <= 26 && ch != '\b' && ch != '\t' && ch != '\r') {
        return static_cast<SHORT>(0x200 | ('A' + character - 1)); // Ctrl+letter
    }
    for (int shift = 0; shift <= 1; ++shift) {
        for (int key = 1; key < 0x60; ++key) { // the main block, before the numeric keypad
            if (CharacterOfKey(key, shift != 0, false) == ch) {
                return static_cast<SHORT>((shift ? 0x100 : 0) | key);
            }
        }
        for (int key = VK_OEM_1; key <= VK_OEM_7; ++key) {
            if (CharacterOfKey(key, shift != 0, false) == ch) {
                return static_cast<SHORT>((shift ? 0x100 : 0) | key);
            }
        }
    }
    return -1;
}

SHORT GetAsyncKeyState(int vKey) {
    return static_cast<SHORT>((keyStates[vKey & 0xFF].load() & 0x80) ? 0x8000 : 0);
}

namespace platform {

void SetKeyDown(int virtualKey, bool isDown) {
    auto& state = keyStates[virtualKey & 0xFF];
    BYTE value = state.load();
    if (isDown && (value & 0x80) == 0) {
        value ^= 1; // toggled on every press, as Caps Lock shows
    }
    value = static_cast<BYTE>(isDown ? (value | 0x80) : (value & ~0x80));
    state.store(value);
    // The left and right keys also move the generic one.
    if (virtualKey == VK_LSHIFT || virtualKey == VK_RSHIFT) {
        SetKeyDown(VK_SHIFT, isDown);
    } else if (virtualKey == VK_LCONTROL || virtualKey == VK_RCONTROL) {
        SetKeyDown(VK_CONTROL, isDown);
    } else if (virtualKey == VK_LMENU || virtualKey == VK_RMENU) {
        SetKeyDown(VK_MENU, isDown);
    }
}

void ForgetWindowMessages(HWND hwnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return;
    }
    ThreadQueue& queue = QueueOf(record->threadId);
    std::erase_if(queue.timers, [hwnd](const TimerEntry& timer) { return timer.hwnd == hwnd; });
    std::erase_if(queue.posted, [hwnd](const MSG& message) { return message.hwnd == hwnd; });
}

} // namespace platform
