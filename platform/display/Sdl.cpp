// The SDL display: one SDL window per top-level window, made and driven by the window thread
// (the thread that started SDL, as SDL wants all its window calls on one thread).
//
// How it works. The window module reports changes of a top-level window (created, shown, hidden,
// moved, resized, renamed, given an icon, its owner disabled or enabled, destroyed); on the window
// thread the SDL window follows at once, from other threads the window is marked and the window
// thread woken to follow it. Drawing marks the top-level window as drawn; when the window thread's
// queue runs empty, each drawn window's surface is copied to its SDL window surface once, however
// often it was drawn. A top-level window of another thread is drawn by that thread, so that thread
// copies its surface into a frame when its own queue runs empty, and the window thread presents
// the frame. The window thread waits for messages inside SDL_WaitEventTimeout (until its next
// timer is due); Wake from another thread pushes one SDL user event to end that wait. A driver
// that cannot wait for events (offscreen, dummy: SDL polls them once a millisecond) has nothing
// of its own to wait for either, so there the window thread drains SDL's queue and then waits on
// a condition variable, signalled by Wake and by an event watch on SDL's queue: idle costs
// nothing and a wake-up or a pushed event is seen at once. SDL events
// become input messages through the same input path the test hooks use; input for another
// thread's window is posted to that thread like any input.
//
// A top-level window has an SDL window while it is shown, made where it is when it is shown. One
// that belongs to another is transient for its owner (a dialog's type and frame), and a
// caption-less popup that belongs to another (a drop-down list) is an override-redirect popup that
// no window manager frames or moves.
// The pointer shows the system cursor SetCursor chose, as SDL's nearest system cursor. The
// window icon is the big icon of WM_SETICON, else the class icon, else the small ones.
// Another thread's window cannot be resized by the user: its surface belongs to its own thread.

#include "platform/display/Backend.h"
#include "platform/display/Input.h"
#include "platform/display/XErrors.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Threads.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Resources.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace platform {

namespace {

using user::Clock;

// What the SDL window of a top-level window was last told.
struct SdlWindow {
    SDL_Window* window = nullptr;
    std::string caption;
    RECT rect{};
    bool isVisible = false;
    bool isOwnedPopup = false;
    HICON icon = nullptr;
};

// A copy of another thread's top-level window, made by that thread for the window thread.
struct Frame {
    std::vector<uint8_t> pixels;
    SIZE size{};
    int stride = 0;
};

// What a top-level window wants its SDL window to be, read under the user lock.
struct WantedWindow {
    bool isShown = false; // a top-level window that is not being destroyed
    std::string caption;
    RECT rect{};
    bool isVisible = false;
    bool isResizable = false;
    // A caption-less popup that belongs to another window (a drop-down list, a menu): shown
    // where it is put, without a frame, above everything, and never managed by a window manager.
    bool isOwnedPopup = false;
    HWND owner = nullptr; // an owned window stays above its owner and is grouped with it
    HICON icon = nullptr;
};

int Width(const RECT& rect) {
    return rect.right - rect.left;
}
int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

int VirtualKeyOf(SDL_Keycode key) {
    if (key >= SDLK_a && key <= SDLK_z) {
        return 'A' + (key - SDLK_a);
    }
    if (key >= SDLK_0 && key <= SDLK_9) {
        return '0' + (key - SDLK_0);
    }
    if (key >= SDLK_F1 && key <= SDLK_F12) {
        return VK_F1 + (key - SDLK_F1);
    }
    if (key >= SDLK_KP_1 && key <= SDLK_KP_9) {
        return VK_NUMPAD0 + 1 + (key - SDLK_KP_1);
    }
    struct Pair {
        SDL_Keycode key;
        int virtualKey;
    };
    static const Pair pairs[] = {
        {SDLK_LEFT, VK_LEFT},         {SDLK_RIGHT, VK_RIGHT},       {SDLK_UP, VK_UP},
        {SDLK_DOWN, VK_DOWN},         {SDLK_HOME, VK_HOME},         {SDLK_END, VK_END},
        {SDLK_PAGEUP, VK_PRIOR},      {SDLK_PAGEDOWN, VK_NEXT},     {SDLK_INSERT, VK_INSERT},
        {SDLK_DELETE, VK_DELETE},     {SDLK_RETURN, VK_RETURN},     {SDLK_KP_ENTER, VK_RETURN},
        {SDLK_ESCAPE, VK_ESCAPE},     {SDLK_TAB, VK_TAB},           {SDLK_BACKSPACE, VK_BACK},
        {SDLK_SPACE, VK_SPACE},       {SDLK_LSHIFT, VK_LSHIFT},     {SDLK_RSHIFT, VK_RSHIFT},
        {SDLK_LCTRL, VK_LCONTROL},    {SDLK_RCTRL, VK_RCONTROL},    {SDLK_LALT, VK_LMENU},
        {SDLK_RALT, VK_RMENU},        {SDLK_CAPSLOCK, VK_CAPITAL},  {SDLK_SEMICOLON, VK_OEM_1},
        {SDLK_EQUALS, VK_OEM_PLUS},   {SDLK_COMMA, VK_OEM_COMMA},   {SDLK_MINUS, VK_OEM_MINUS},
        {SDLK_PERIOD, VK_OEM_PERIOD}, {SDLK_SLASH, VK_OEM_2},       {SDLK_BACKQUOTE, VK_OEM_3},
        {SDLK_LEFTBRACKET, VK_OEM_4}, {SDLK_BACKSLASH, VK_OEM_5},   {SDLK_RIGHTBRACKET, VK_OEM_6},
        {SDLK_QUOTE, VK_OEM_7},       {SDLK_KP_0, VK_NUMPAD0},      {SDLK_KP_MULTIPLY, VK_MULTIPLY},
        {SDLK_KP_PLUS, VK_ADD},       {SDLK_KP_MINUS, VK_SUBTRACT}, {SDLK_KP_PERIOD, VK_DECIMAL},
        {SDLK_KP_DIVIDE, VK_DIVIDE},  {SDLK_PAUSE, VK_PAUSE},       {SDLK_APPLICATION, VK_APPS},
    };
    for (const Pair& pair : pairs) {
        if (pair.key == key) {
            return pair.virtualKey;
        }
    }
    return 0;
}

class SdlBackend final : public DisplayBackend {
public:
    SdlBackend(DWORD windowThread, Uint32 wakeEvent, SIZE previousScreen, bool canWaitInSdl)
        : windowThread(windowThread), wakeEvent(wakeEvent), previousScreen(previousScreen),
          canWaitInSdl(canWaitInSdl) {
        if (!canWaitInSdl) {
            // Whatever lands in SDL's queue, from whichever thread, ends the wait.
            SDL_AddEventWatch(&SdlBackend::OnSdlEvent, this);
        }
    }

    ~SdlBackend() override {
        if (!canWaitInSdl) {
            SDL_DelEventWatch(&SdlBackend::OnSdlEvent, this);
        }
        for (auto& [hwnd, entry] : windows) {
            SDL_DestroyWindow(entry.window);
        }
        for (auto& [id, cursor] : cursors) {
            SDL_FreeCursor(cursor);
        }
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        SDL_Quit();
        SDL_ResetHint(SDL_HINT_VIDEODRIVER);
        SDL_ResetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION);
        SetScreenSize(previousScreen.cx, previousScreen.cy);
    }

    DisplayKind Kind() const override { return DisplayKind::Sdl; }

    void WindowChanged(HWND topLevel) override {
        if (IsWindowThread()) {
            Follow(topLevel);
            return;
        }
        {
            std::lock_guard lock(pendingMutex);
            changed.insert(topLevel);
        }
        PushWake();
    }

    void WindowDestroyed(HWND topLevel) override {
        if (!IsWindowThread()) {
            {
                std::lock_guard lock(pendingMutex);
                destroyed.insert(topLevel);
                changed.erase(topLevel);
                otherDrawn.erase(topLevel);
                frames.erase(topLevel);
            }
            PushWake();
            return;
        }
        Forget(topLevel);
    }

    void WindowDrawn(HWND hwnd) override {
        HWND root = GetAncestor(hwnd, GA_ROOT);
        if (root == nullptr) {
            return;
        }
        const bool isMine = GetWindowThreadProcessId(root, nullptr) == windowThread;
        std::lock_guard lock(pendingMutex);
        (isMine ? drawn : otherDrawn).insert(root);
    }

    void CursorChanged(HCURSOR cursor) override {
        {
            std::lock_guard lock(pendingMutex);
            wantedCursor = cursor;
            isCursorPending = true;
        }
        if (IsWindowThread()) {
            ApplyCursor();
        } else {
            PushWake();
        }
    }

    void Idle() override {
        if (!IsWindowThread()) {
            if (HasOtherDrawn()) {
                auto lock = user::UserLock();
                CopyDrawnFrames();
            }
            return;
        }
        std::set<HWND> toForget;
        std::set<HWND> toFollow;
        std::set<HWND> toPresent;
        std::map<HWND, Frame> toShow;
        {
            std::lock_guard lock(pendingMutex);
            toForget.swap(destroyed);
            toFollow.swap(changed);
            toPresent.swap(drawn);
            toShow.swap(frames);
        }
        for (HWND hwnd : toForget) {
            Forget(hwnd);
        }
        for (HWND hwnd : toFollow) {
            Follow(hwnd);
        }
        for (HWND hwnd : toPresent) {
            Present(hwnd);
        }
        for (auto& [hwnd, frame] : toShow) {
            lastFrames[hwnd] = std::move(frame);
            framesToShow.insert(hwnd);
        }
        for (HWND hwnd : framesToShow) {
            if (auto frame = lastFrames.find(hwnd); frame != lastFrames.end()) {
                PresentPixels(hwnd, frame->second.pixels.data(), frame->second.size, frame->second.stride);
            }
        }
        framesToShow.clear();
        ApplyCursor();
    }

    bool Wait(std::unique_lock<std::mutex>& lock, Clock::time_point due) override {
        if (!IsWindowThread()) {
            // Another thread about to sleep hands over what it drew (the user lock is held).
            if (HasOtherDrawn()) {
                CopyDrawnFrames();
            }
            return false;
        }
        lock.unlock();
        Idle();
        if (!canWaitInSdl) {
            return WaitWithoutSdl(lock, due);
        }
        // One input event at a time: Win32 reads posted messages before the next input, so the
        // WM_CHAR that TranslateMessage posts for a key comes before that key's WM_KEYUP.
        SDL_Event event;
        if (WaitForEvent(event, due)) {
            bool isInput = Handle(event);
            while (!isInput && SDL_PollEvent(&event)) {
                isInput = Handle(event);
            }
        }
        lock.lock();
        return true;
    }

    void Wake(DWORD threadId) override {
        // The window thread waking itself is running, and looks at its queue before it waits.
        if (threadId == windowThread && !IsWindowThread()) {
            PushWake();
        }
    }

private:
    bool IsWindowThread() const { return GetCurrentThreadId() == windowThread; }

    // The wait of a driver that cannot wait: what SDL has queued (the window events of our own
    // calls, events pushed by other threads) is handled, then the thread sleeps until a wake-up
    // or `due`. SDL tells its event watch of an event just before the event enters the queue, so
    // an announced event not yet in the queue is looked for again a millisecond later (for at
    // most EventArrivalLimit, in case SDL dropped it). Called without the user lock, returns with
    // it held.
    bool WaitWithoutSdl(std::unique_lock<std::mutex>& lock, Clock::time_point due) {
        SDL_Event event;
        bool isInput = false;
        int taken = 0;
        while (!isInput && SDL_PollEvent(&event)) {
            ++taken;
            isInput = Handle(event);
        }
        {
            std::unique_lock woken(wokenMutex);
            unseenEvents = std::max(0, unseenEvents - taken);
            const Clock::time_point now = Clock::now();
            if (unseenEvents > 0 && now - lastAnnounced > EventArrivalLimit) {
                unseenEvents = 0;
            }
            if (unseenEvents > 0) {
                due = std::min(due, now + std::chrono::milliseconds(1));
            }
            if (!isInput && taken == 0) {
                if (due == Clock::time_point::max()) {
                    wokenCondition.wait(woken, [this] { return isWoken; });
                } else {
                    wokenCondition.wait_until(woken, due, [this] { return isWoken; });
                }
            }
            isWoken = false;
        }
        lock.lock();
        return true;
    }

    static int OnSdlEvent(void* backend, SDL_Event* event) {
        // SDL_PollEvent queues a sentinel of its own on every call and takes it back unseen.
        if (event->type == SDL_POLLSENTINEL) {
            return 0;
        }
        auto* self = static_cast<SdlBackend*>(backend);
        std::lock_guard woken(self->wokenMutex);
        ++self->unseenEvents;
        self->lastAnnounced = Clock::now();
        self->isWoken = true;
        self->wokenCondition.notify_one();
        return 0;
    }

    void WakeWithoutSdl() {
        std::lock_guard woken(wokenMutex);
        isWoken = true;
        wokenCondition.notify_one();
    }

    void Forget(HWND topLevel) {
        auto found = windows.find(topLevel);
        if (found != windows.end()) {
            SDL_DestroyWindow(found->second.window);
            windows.erase(found);
        }
        lastFrames.erase(topLevel);
        framesToShow.erase(topLevel);
        std::lock_guard lock(pendingMutex);
        drawn.erase(topLevel);
        changed.erase(topLevel);
    }

    bool HasOtherDrawn() {
        std::lock_guard lock(pendingMutex);
        return !otherDrawn.empty();
    }

    // Copies the surfaces of the calling thread's drawn top-level windows into frames for the
    // window thread. The caller holds the user lock.
    void CopyDrawnFrames() {
        const DWORD thread = GetCurrentThreadId();
        std::vector<HWND> mine;
        {
            std::lock_guard lock(pendingMutex);
            for (auto at = otherDrawn.begin(); at != otherDrawn.end();) {
                const user::WindowRecord* record = user::FindWindow(*at);
                if (record == nullptr || record->threadId == thread) {
                    if (record != nullptr) {
                        mine.push_back(*at);
                    }
                    at = otherDrawn.erase(at);
                } else {
                    ++at;
                }
            }
        }
        if (mine.empty()) {
            return;
        }
        for (HWND hwnd : mine) {
            const user::WindowRecord* record = user::FindWindow(hwnd);
            if (record->surface == nullptr) {
                continue;
            }
            Frame frame;
            const uint8_t* pixels = SurfacePixels(record->surface, &frame.stride);
            frame.size = SurfaceSize(record->surface);
            frame.pixels.assign(pixels, pixels + static_cast<size_t>(frame.stride) *
                                                     static_cast<size_t>(frame.size.cy));
            std::lock_guard lock(pendingMutex);
            frames[hwnd] = std::move(frame);
        }
        PushWake();
    }

    // One wake-up event in SDL's queue is enough: the window thread looks at its whole message
    // queue after it has taken the event.
    void PushWake() {
        if (!canWaitInSdl) {
            WakeWithoutSdl();
            return;
        }
        if (wakePending.exchange(true)) {
            return;
        }
        SDL_Event event{};
        event.type = wakeEvent;
        SDL_PushEvent(&event);
    }

    static bool WaitForEvent(SDL_Event& event, Clock::time_point due) {
        if (due == Clock::time_point::max()) {
            return SDL_WaitEvent(&event) == 1;
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(due - Clock::now()).count();
        if (left <= 0) {
            return SDL_PollEvent(&event) == 1;
        }
        return SDL_WaitEventTimeout(&event, static_cast<int>(std::min<long long>(left, 1 << 30))) == 1;
    }

    WantedWindow Wanted(HWND hwnd) const {
        auto lock = user::UserLock();
        WantedWindow wanted;
        const user::WindowRecord* record = user::FindWindow(hwnd);
        if (record == nullptr || record->parent != nullptr || record->isDestroying) {
            return wanted;
        }
        wanted.isShown = true;
        wanted.caption = record->text;
        wanted.rect = record->rect;
        wanted.isVisible = (record->style & WS_VISIBLE) != 0;
        wanted.isResizable = (record->style & WS_THICKFRAME) != 0 && record->threadId == windowThread;
        for (HICON icon :
             {record->icon, record->windowClass->icon, record->smallIcon, record->windowClass->smallIcon}) {
            if (icon != nullptr) {
                wanted.icon = icon;
                break;
            }
        }
        const user::WindowRecord* owner = user::FindWindow(record->owner);
        if (owner != nullptr) {
            wanted.owner = owner->handle;
            wanted.isOwnedPopup =
                (record->style & WS_POPUP) != 0 && (record->style & WS_CAPTION) != WS_CAPTION;
        }
        return wanted;
    }

    // Brings the SDL window of a top-level window in line with it. The SDL window is made when the
    // window is shown and goes when it is hidden: a window manager places a window by where it was
    // made, and a hidden window moved (a drop-down list dropped from another field) would be
    // shown where it was made, not where it is.
    void Follow(HWND hwnd) {
        const WantedWindow wanted = Wanted(hwnd);
        auto found = windows.find(hwnd);
        if (!wanted.isShown || !wanted.isVisible) {
            if (found != windows.end()) {
                SDL_DestroyWindow(found->second.window);
                windows.erase(found);
            }
            return;
        }
        if (found == windows.end()) {
            found = Create(hwnd, wanted);
            if (found == windows.end()) {
                return;
            }
        }
        SdlWindow& entry = found->second;
        if (entry.caption != wanted.caption) {
            SDL_SetWindowTitle(entry.window, wanted.caption.c_str());
            entry.caption = wanted.caption;
        }
        if (entry.icon != wanted.icon) {
            SetIcon(entry.window, wanted.icon);
            entry.icon = wanted.icon;
        }
        if (entry.rect.left != wanted.rect.left || entry.rect.top != wanted.rect.top) {
            SDL_SetWindowPosition(entry.window, wanted.rect.left, wanted.rect.top);
        }
        if (Width(entry.rect) != Width(wanted.rect) || Height(entry.rect) != Height(wanted.rect)) {
            SDL_SetWindowSize(entry.window, std::max(Width(wanted.rect), 1),
                              std::max(Height(wanted.rect), 1));
            MarkDrawn(hwnd); // the window surface is new and blank
        }
        entry.rect = wanted.rect;
        if (!entry.isVisible) {
            SDL_ShowWindow(entry.window);
            MarkDrawn(hwnd);
            entry.isVisible = true;
        }
    }

    // A window that belongs to another is made transient for it, so that the window manager keeps
    // it above its owner and groups the two; a dialog or a box says it is one, and a window
    // manager gives it a dialog's frame.
    std::map<HWND, SdlWindow>::iterator Create(HWND hwnd, const WantedWindow& wanted) {
        Uint32 flags = SDL_WINDOW_HIDDEN | (wanted.isResizable ? SDL_WINDOW_RESIZABLE : 0);
        if (wanted.isOwnedPopup) {
            flags |= SDL_WINDOW_POPUP_MENU | SDL_WINDOW_SKIP_TASKBAR;
        }
        const bool isDialog = wanted.owner != nullptr && !wanted.isOwnedPopup;
        if (isDialog) {
            SDL_SetHint(SDL_HINT_X11_WINDOW_TYPE, "_NET_WM_WINDOW_TYPE_DIALOG");
        }
        SDL_Window* window =
            SDL_CreateWindow(wanted.caption.c_str(), wanted.rect.left, wanted.rect.top,
                             std::max(Width(wanted.rect), 1), std::max(Height(wanted.rect), 1), flags);
        if (isDialog) {
            SDL_ResetHint(SDL_HINT_X11_WINDOW_TYPE);
        }
        if (window == nullptr) {
            return windows.end();
        }
        auto owner = windows.find(wanted.owner);
        if (owner != windows.end() && !wanted.isOwnedPopup) {
            // Fails on the offscreen and dummy drivers, which have no window manager to tell.
            SDL_SetWindowModalFor(window, owner->second.window);
        }
        return windows
            .emplace(hwnd,
                     SdlWindow{window, wanted.caption, wanted.rect, false, wanted.isOwnedPopup, nullptr})
            .first;
    }

    // The window is presented again at the next idle time: from its surface, or for another
    // thread's window from the last frame that thread made.
    void MarkDrawn(HWND hwnd) {
        if (GetWindowThreadProcessId(hwnd, nullptr) != windowThread) {
            framesToShow.insert(hwnd);
            return;
        }
        std::lock_guard lock(pendingMutex);
        drawn.insert(hwnd);
    }

    // Copies a top-level window's surface to its SDL window. The surface is read under the user
    // lock, so that no resize moves its pixels meanwhile.
    void Present(HWND hwnd) {
        auto lock = user::UserLock();
        const user::WindowRecord* record = user::FindWindow(hwnd);
        if (record == nullptr || record->surface == nullptr) {
            return;
        }
        int stride = 0;
        const uint8_t* pixels = SurfacePixels(record->surface, &stride);
        PresentPixels(hwnd, pixels, SurfaceSize(record->surface), stride);
    }

    void PresentPixels(HWND hwnd, const uint8_t* pixels, SIZE size, int stride) {
        auto found = windows.find(hwnd);
        if (found == windows.end() || !found->second.isVisible) {
            return;
        }
        SDL_Surface* target = SDL_GetWindowSurface(found->second.window);
        if (target == nullptr) {
            return;
        }
        // SDL only reads the source of a blit; its surface type has no const pixels.
        SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(
            const_cast<uint8_t*>(pixels), size.cx, size.cy, 32, stride, SDL_PIXELFORMAT_XRGB8888);
        if (source == nullptr) {
            return;
        }
        SDL_BlitSurface(source, nullptr, target, nullptr);
        SDL_FreeSurface(source);
        SDL_UpdateWindowSurface(found->second.window);
    }

    // The title bar's icon, drawn at the size window managers ask for most.
    static void SetIcon(SDL_Window* window, HICON icon) {
        constexpr int size = 32;
        std::vector<uint32_t> pixels = IconPixels(icon, size);
        if (pixels.empty()) {
            return; // SDL 2 cannot take an icon away; the last one stays
        }
        SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), size, size, 32, size * 4,
                                                                  SDL_PIXELFORMAT_ARGB8888);
        if (surface != nullptr) {
            SDL_SetWindowIcon(window, surface);
            SDL_FreeSurface(surface);
        }
    }

    // Shows the cursor SetCursor chose last, if it changed since.
    void ApplyCursor() {
        HCURSOR cursor = nullptr;
        {
            std::lock_guard lock(pendingMutex);
            if (!isCursorPending) {
                return;
            }
            isCursorPending = false;
            cursor = wantedCursor;
        }
        if (cursor == nullptr) {
            SDL_ShowCursor(SDL_DISABLE);
            return;
        }
        const SDL_SystemCursor id = SystemCursorOf(cursor);
        auto found = cursors.find(id);
        if (found == cursors.end()) {
            // Null where the driver has no cursors (offscreen); SDL then keeps its own.
            found = cursors.emplace(id, SDL_CreateSystemCursor(id)).first;
        }
        if (found->second != nullptr) {
            SDL_SetCursor(found->second);
        }
        SDL_ShowCursor(SDL_ENABLE);
    }

    // SDL's nearest system cursor to a Win32 one; a cursor that is not a system cursor shows as
    // the arrow.
    static SDL_SystemCursor SystemCursorOf(HCURSOR cursor) {
        struct Pair {
            LPCSTR name;
            SDL_SystemCursor id;
        };
        static const Pair pairs[] = {
            {IDC_IBEAM, SDL_SYSTEM_CURSOR_IBEAM},
            {IDC_WAIT, SDL_SYSTEM_CURSOR_WAIT},
            {IDC_CROSS, SDL_SYSTEM_CURSOR_CROSSHAIR},
            {IDC_SIZENWSE, SDL_SYSTEM_CURSOR_SIZENWSE},
            {IDC_SIZENESW, SDL_SYSTEM_CURSOR_SIZENESW},
            {IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE},
            {IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS},
            {IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL},
            {IDC_NO, SDL_SYSTEM_CURSOR_NO},
            {IDC_HAND, SDL_SYSTEM_CURSOR_HAND},
            {IDC_APPSTARTING, SDL_SYSTEM_CURSOR_WAITARROW},
        };
        for (const Pair& pair : pairs) {
            if (LoadCursorA(nullptr, pair.name) == cursor) {
                return pair.id;
            }
        }
        return SDL_SYSTEM_CURSOR_ARROW;
    }

    HWND WindowOf(Uint32 windowId) const {
        for (const auto& [hwnd, entry] : windows) {
            if (SDL_GetWindowID(entry.window) == windowId) {
                return hwnd;
            }
        }
        return nullptr;
    }

    // Returns whether the event was user input.
    bool Handle(const SDL_Event& event) {
        if (event.type == wakeEvent) {
            wakePending = false;
            return false;
        }
        switch (event.type) {
        case SDL_WINDOWEVENT:
            HandleWindowEvent(event.window);
            return false;
        case SDL_MOUSEMOTION:
            lastMouse = POINT{event.motion.x, event.motion.y};
            if (HWND hwnd = WindowOf(event.motion.windowID)) {
                input::MouseMove(hwnd, lastMouse);
            }
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            HandleButton(event.button);
            break;
        case SDL_MOUSEWHEEL:
            if (HWND hwnd = WindowOf(event.wheel.windowID)) {
                const int notches =
                    event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y;
                input::MouseWheel(hwnd, lastMouse, notches);
            }
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            HandleKey(event.key);
            break;
        default:
            // Text input is left out: keys become WM_KEYDOWN and TranslateMessage makes the
            // characters, as on Win32.
            return false;
        }
        return true;
    }

    void HandleButton(const SDL_MouseButtonEvent& event) {
        HWND hwnd = WindowOf(event.windowID);
        if (hwnd == nullptr) {
            return;
        }
        input::MouseButton button = input::MouseButton::Left;
        if (event.button == SDL_BUTTON_RIGHT) {
            button = input::MouseButton::Right;
        } else if (event.button == SDL_BUTTON_MIDDLE) {
            button = input::MouseButton::Middle;
        } else if (event.button != SDL_BUTTON_LEFT) {
            return;
        }
        input::ButtonAction action = input::ButtonAction::Up;
        if (event.state == SDL_PRESSED) {
            // SDL counts clicks in a row; every second one is a double click.
            action = (event.clicks >= 2 && event.clicks % 2 == 0) ? input::ButtonAction::DoubleClick
                                                                  : input::ButtonAction::Down;
        }
        lastMouse = POINT{event.x, event.y};
        input::MouseButtonEvent(hwnd, lastMouse, button, action);
    }

    void HandleKey(const SDL_KeyboardEvent& event) {
        const int virtualKey = VirtualKeyOf(event.keysym.sym);
        HWND hwnd = WindowOf(event.windowID);
        if (hwnd == nullptr) {
            hwnd = GetActiveWindow();
        }
        if (virtualKey == 0 || hwnd == nullptr) {
            return;
        }
        input::Key(hwnd, virtualKey, event.state == SDL_PRESSED, event.repeat != 0);
    }

    void HandleWindowEvent(const SDL_WindowEvent& event) {
        HWND hwnd = WindowOf(event.windowID);
        if (hwnd == nullptr) {
            return;
        }
        SdlWindow& entry = windows[hwnd];
        switch (event.event) {
        case SDL_WINDOWEVENT_CLOSE:
            PostMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
            break;
        case SDL_WINDOWEVENT_EXPOSED:
            InvalidateRect(hwnd, nullptr, TRUE);
            MarkDrawn(hwnd);
            break;
        case SDL_WINDOWEVENT_MOVED:
            // The user moved the window: the record follows, and the SDL window is already there.
            // Nobody moves a popup but the program; what SDL reports of one as it maps is stale.
            if (!entry.isOwnedPopup && (event.data1 != entry.rect.left || event.data2 != entry.rect.top)) {
                entry.rect = RECT{event.data1, event.data2, event.data1 + Width(entry.rect),
                                  event.data2 + Height(entry.rect)};
                SetWindowPos(hwnd, nullptr, event.data1, event.data2, 0, 0,
                             SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            }
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if ((event.data1 != Width(entry.rect) || event.data2 != Height(entry.rect)) &&
                GetWindowThreadProcessId(hwnd, nullptr) == windowThread) {
                entry.rect.right = entry.rect.left + event.data1;
                entry.rect.bottom = entry.rect.top + event.data2;
                SetWindowPos(hwnd, nullptr, 0, 0, event.data1, event.data2,
                             SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
                MarkDrawn(hwnd);
            }
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            // Activation belongs to the window's own thread, which activates its window when it
            // shows it.
            if (GetWindowThreadProcessId(hwnd, nullptr) == windowThread && GetActiveWindow() != hwnd &&
                IsWindowEnabled(hwnd)) {
                SetActiveWindow(hwnd);
            }
            break;
        default:
            break;
        }
    }

    const DWORD windowThread;
    const Uint32 wakeEvent;
    const SIZE previousScreen;
    const bool canWaitInSdl;
    std::atomic<bool> wakePending{false};
    // The wake-up of a driver that cannot wait, and the events SDL announced that the window
    // thread has not yet taken.
    static constexpr std::chrono::milliseconds EventArrivalLimit{20};
    std::mutex wokenMutex;
    bool isWoken = false;
    int unseenEvents = 0;
    Clock::time_point lastAnnounced{};
    std::condition_variable wokenCondition;
    // Touched by the window thread only.
    std::map<HWND, SdlWindow> windows;
    POINT lastMouse{};
    std::map<SDL_SystemCursor, SDL_Cursor*> cursors;
    std::map<HWND, Frame> lastFrames; // the latest frame of each window of another thread
    std::set<HWND> framesToShow;
    // Filled by any thread, emptied by the window thread (otherDrawn: by the window's own thread).
    std::mutex pendingMutex;
    std::set<HWND> changed;
    std::set<HWND> destroyed;
    std::set<HWND> drawn;      // the window thread's own top-level windows
    std::set<HWND> otherDrawn; // top-level windows of other threads, copied by their threads
    std::map<HWND, Frame> frames;
    HCURSOR wantedCursor = nullptr;
    bool isCursorPending = false;
};

} // namespace

DisplayBackend* CreateSdlBackend(bool isOffscreen) {
    if (isOffscreen) {
        SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, "offscreen", SDL_HINT_OVERRIDE);
    }
    // The window surfaces are the driver's own framebuffers. An accelerated one sets up a renderer
    // nobody uses (a few hundred milliseconds on the offscreen driver), and to set it up SDL makes
    // the window again, which loses what the window manager was told of it (a dialog's type, the
    // window it belongs to).
    SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
    // The program handles SIGINT and SIGTERM itself, and closing the last window is the
    // program's decision, not SDL's.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        SDL_Quit();
        return nullptr;
    }
    const char* videoDriver = SDL_GetCurrentVideoDriver();
    if (videoDriver != nullptr && std::string(videoDriver) == "x11") {
        PassGoneWindowErrors();
    }
    const Uint32 wakeEvent = SDL_RegisterEvents(1);
    if (wakeEvent == static_cast<Uint32>(-1)) {
        SDL_Quit();
        return nullptr;
    }
    SDL_StopTextInput();
    const SIZE previousScreen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.w > 0 && mode.h > 0) {
        SetScreenSize(mode.w, mode.h);
    }
    // SDL 2 polls once a millisecond where the driver has no way to wait for its events.
    const std::string driver = SDL_GetCurrentVideoDriver() != nullptr ? SDL_GetCurrentVideoDriver() : "";
    const bool canWaitInSdl = driver != "offscreen" && driver != "dummy";
    return new SdlBackend(GetCurrentThreadId(), wakeEvent, previousScreen, canWaitInSdl);
}

} // namespace platform
