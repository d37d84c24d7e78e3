#pragma once

// Helpers shared by the platform modules' system calls. Not part of the Win32-shaped API, so the
// umbrella header does not include this file.

#include <cerrno>

namespace platform {

// A signal handler installed anywhere in the process (a test's alarm, a terminal's SIGWINCH) can
// interrupt a blocking call; Win32 has no such failure, so every interruptible call is repeated.
// close() is the exception and never goes through here: on Linux the descriptor is gone even when
// close() reports EINTR, and repeating it could close a descriptor another thread just opened.
template <typename Call> auto RetryOnInterrupt(Call call) {
    for (;;) {
        auto result = call();
        if (result != -1 || errno != EINTR)
            return result;
    }
}

} // namespace platform
