#pragma once

// Helpers for the window and message tests: a recorder of the messages windows receive, in the
// manner of Wine's message tests, and a watchdog that fails a hanging test in seconds.

#include "platform/Windows.h"
#include "support/Watchdog.h"

#include <atomic>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

struct Recorded {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Messages of interest, in arrival order, from every window of the recording class.
class Recorder {
public:
    static Recorder& Instance() {
        static Recorder recorder;
        return recorder;
    }
    void Add(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        std::lock_guard lock(mutex);
        messages.push_back({hwnd, message, wParam, lParam});
    }
    std::vector<Recorded> Take() {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }

private:
    std::mutex mutex;
    std::vector<Recorded> messages;
};

// Compares the recorded sequence with the expected one, message by message, with a context.
inline void ExpectSequence(const std::vector<Recorded>& got,
                           const std::vector<std::pair<HWND, UINT>>& expected, const char* context) {
    const size_t count = std::min(got.size(), expected.size());
    for (size_t i = 0; i < count; ++i) {
        EXPECT_EQ(got[i].hwnd, expected[i].first) << context << ": message " << i;
        EXPECT_EQ(got[i].message, expected[i].second)
            << context << ": message " << i << " is 0x" << std::hex << got[i].message;
    }
    EXPECT_EQ(got.size(), expected.size()) << context;
}

// The watchdog every loop test of the project uses.
using testsupport::Watchdog;

} // namespace testsupport
