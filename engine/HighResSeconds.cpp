#include "engine/HighResSeconds.h"

#include "platform/Extras.h"
#include "platform/Windows.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>

namespace engine {

namespace {

// How late a sleep of a millisecond or two wakes here: about 0.1 ms, seldom more than 0.15 ms
// when the machine is not busy (the default timer slack of 50 us and the scheduler's wake-up).
// A pause sleeps until this much before its end and spins the rest, so it keeps its exactness
// while the spinning is a tenth of a 2 ms character delay rather than three quarters of it.
constexpr double spinStretch = 0.0002;

} // namespace

double HighResSeconds() {
    LARGE_INTEGER counter{};
    LARGE_INTEGER frequency{};
    if (QueryPerformanceCounter(&counter) && QueryPerformanceFrequency(&frequency) &&
        frequency.QuadPart != 0) {
        return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
    }
    return static_cast<double>(GetTickCount() / 1000);
}

void PauseTowards(double until, double longest) {
    const double nap = std::min(until - HighResSeconds() - spinStretch, longest);
    // The last stretch is spun by the caller's loop. Yielding in it would be no gentler on an idle
    // machine and, on a busy one, would give the processor away for a whole time slice.
    if (nap <= 0.0) {
        return;
    }
    platform::ThreadWaitPoint();
    std::this_thread::sleep_for(std::chrono::duration<double>(nap));
    platform::ThreadWaitPoint();
}

void PauseUntil(double until) {
    while (HighResSeconds() < until) {
        PauseTowards(until, std::numeric_limits<double>::infinity());
    }
}

} // namespace engine
