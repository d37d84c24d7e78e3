// Start-up on Linux: the signals that ask a program to end, and the journal's stream.

#include "app/Startup.h"

#include "app/RunApplication.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace app {

namespace {

// Waits for SIGINT or SIGTERM on a thread of its own and closes the main window then.
void WatchSignals(sigset_t signals) {
    int received = 0;
    while (sigwait(&signals, &received) == 0) {
        while (!RequestMainWindowClose()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

} // namespace

void WatchCloseRequests() {
    // The signals are taken by the watcher alone: blocked here, before any other thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WatchSignals, signals).detach();
    // A file-size limit makes the write that passes it fail (EFBIG), as a full disk does, and the
    // upload ends with its error instead of the program.
    std::signal(SIGXFSZ, SIG_IGN);
}

// systemd names the journal stream's device and inode in JOURNAL_STREAM.
bool IsStandardErrorTheJournal() {
    const char* value = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat status {};
    return value != nullptr && std::sscanf(value, "%llu:%llu", &device, &inode) == 2 &&
           fstat(STDERR_FILENO, &status) == 0 && status.st_dev == device && status.st_ino == inode;
}

} // namespace app
