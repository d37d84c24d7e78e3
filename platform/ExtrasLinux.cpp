// The extras on Linux: the display is the stand-in's own (SDL on a screen, the null display
// without one), a screenshot is the surface the window is drawn on, requests to end are signals
// and the journal names its stream in the environment. The comm-work wait, the thread wait point
// and the system's name are defined beside the stand-in modules they belong to.

#include "platform/Extras.h"
#include "platform/display/Display.h"
#include "platform/gdi/Surface.h"
#include "platform/user/State.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <pthread.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace platform {

// Without a screen the windows are drawn all the same, into memory of their own (a screenshot
// shows them); nothing is presented and no input comes, so no display library is needed.
Screen StartDisplay(Screen wanted) {
    if (wanted == Screen::Offscreen && std::getenv("TOLVA_DISPLAY") == nullptr) {
        setenv("TOLVA_DISPLAY", "null", 1);
    }
    if (InitialiseDisplay(DisplayKind::Automatic) != DisplayKind::Sdl) {
        return Screen::Offscreen;
    }
    return wanted;
}

void StopDisplay() {
    ShutdownDisplay();
}

bool SnapshotPng(HWND hwnd, const std::string& path) {
    POINT origin{};
    Surface* surface = user::TopLevelSurfaceOf(hwnd, origin);
    return surface != nullptr && SaveSurfacePng(surface, path);
}

namespace {

// Waits for SIGINT or SIGTERM on a thread of its own and asks for the close then.
void WatchSignals(sigset_t signals, bool (*close)()) {
    int received = 0;
    while (sigwait(&signals, &received) == 0) {
        while (!close()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    }
}

} // namespace

void WatchEndRequests(bool (*close)()) {
    // The signals are taken by the watcher alone: blocked here, before any other thread starts.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(WatchSignals, signals, close).detach();
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

} // namespace platform
