#pragma once

// Ends the process with a message when a test has not finished within its time, so that a modal
// loop or a timer that never fires fails the run in seconds instead of hanging it.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace testsupport {

class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(10)) {
        thread = std::thread([this, limit] {
            std::unique_lock lock(mutex);
            if (!finished.wait_for(lock, limit, [this] { return done; })) {
                std::fprintf(stderr, "watchdog: test did not finish within %lld s\n",
                             static_cast<long long>(limit.count()));
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(mutex);
            done = true;
        }
        finished.notify_all();
        thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread thread;
};

} // namespace testsupport
