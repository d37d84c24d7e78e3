#include "platform/display/Display.h"

#include "platform/display/Backend.h"

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace platform {

namespace {

// Shows nothing and delivers nothing: every thread waits on its queue's condition variable.
class NullBackend final : public DisplayBackend {
public:
    DisplayKind Kind() const override { return DisplayKind::Null; }
    void WindowChanged(HWND) override {}
    void WindowDestroyed(HWND) override {}
    void WindowDrawn(HWND) override {}
    void CursorChanged(HCURSOR) override {}
    void Idle() override {}
    bool Wait(std::unique_lock<std::mutex>&, user::Clock::time_point) override { return false; }
    void Wake(DWORD) override {}
};

// Never destroyed: threads still ending while the process exits may wake their queues through it.
NullBackend& nullBackend = *new NullBackend;
std::unique_ptr<DisplayBackend> ownedBackend;
// Read by every thread on every hook; written only by InitialiseDisplay and ShutdownDisplay.
std::atomic<DisplayBackend*> current{&nullBackend};

DisplayBackend& Backend() {
    return *current.load(std::memory_order_acquire);
}

// A display can be opened when SDL is told which driver to use or a desktop session is there.
bool HasDesktop() {
    return std::getenv("SDL_VIDEODRIVER") != nullptr || std::getenv("DISPLAY") != nullptr ||
           std::getenv("WAYLAND_DISPLAY") != nullptr;
}

} // namespace

DisplayKind InitialiseDisplay(DisplayKind kind) {
    ShutdownDisplay();
    bool isOffscreen = false;
    if (const char* choice = std::getenv("TOLVA_DISPLAY")) {
        const std::string name(choice);
        if (name == "null") {
            kind = DisplayKind::Null;
        } else if (name == "sdl") {
            kind = DisplayKind::Sdl;
        } else if (name == "offscreen") {
            kind = DisplayKind::Sdl;
            isOffscreen = true;
        }
    }
    if (kind == DisplayKind::Automatic) {
        kind = HasDesktop() ? DisplayKind::Sdl : DisplayKind::Null;
    }
    if (kind == DisplayKind::Sdl) {
        ownedBackend.reset(CreateSdlBackend(isOffscreen));
        if (ownedBackend != nullptr) {
            current.store(ownedBackend.get(), std::memory_order_release);
        }
    }
    return CurrentDisplay();
}

void ShutdownDisplay() {
    {
        // Wake runs with the user lock held: once the null display is in force under the lock, no
        // thread still wakes through the display that goes.
        auto lock = user::UserLock();
        current.store(&nullBackend, std::memory_order_release);
    }
    ownedBackend.reset();
}

DisplayKind CurrentDisplay() {
    return Backend().Kind();
}

void DisplayWindowChanged(HWND hwnd) {
    Backend().WindowChanged(hwnd);
}

void DisplayWindowDestroyed(HWND hwnd) {
    Backend().WindowDestroyed(hwnd);
}

void DisplayWindowDrawn(HWND hwnd) {
    Backend().WindowDrawn(hwnd);
}

void DisplayCursorChanged(HCURSOR cursor) {
    Backend().CursorChanged(cursor);
}

void DisplayIdle() {
    Backend().Idle();
}

bool DisplayWait(std::unique_lock<std::mutex>& lock, user::Clock::time_point due) {
    return Backend().Wait(lock, due);
}

void WakeDisplay(DWORD threadId) {
    Backend().Wake(threadId);
}

} // namespace platform
