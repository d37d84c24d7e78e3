#include "link/HighResSeconds.h"

#include "platform/Windows.h"

#include <thread>

namespace engine {

namespace {

// A Sleep(1) may last up to a little over a millisecond; below this the pause spins.
constexpr double spinStretch = 0.0015;

} // namespace

double HighResSeconds() {
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    if (QueryPerformanceCounter(&counter) && QueryPerformanceFrequency(&frequency) && frequency.QuadPart != 0) {
        return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    return static_cast<double>(GetTickCount() / 1000);
}

void PauseUntil(double until) {
    for (double now = HighResSeconds(); now < until; now = HighResSeconds()) {
        if (until - now > spinStretch) {
            Sleep(1);
        } else {
            std::this_thread::yield();
        }
    }
}

} // namespace engine
