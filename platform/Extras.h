#pragma once

// The few things the program needs that Win32 has no call for, or that the two platforms provide
// in different ways. Code above the platform includes this header beside platform/Windows.h; each
// platform has one implementation file of its own (ExtrasLinux.cpp, ExtrasWindows.cpp), chosen
// by the build.

#if defined(_WIN32)
#include "platform/Windows.h"
#else
#include "platform/WinTypes.h"
#endif

#include <string>

namespace platform {

// Where the program's windows go. Shown: the user's screen. Offscreen: drawn but shown to nobody,
// for a program that runs unattended.
enum class Screen {
    Shown,
    Offscreen,
};

// Opens the display for the calling thread, which will own the program's windows, and returns
// the one in force: a screen that cannot be opened gives Offscreen. Call before any window is
// created; StopDisplay closes it again after the last one has gone.
Screen StartDisplay(Screen wanted);
void StopDisplay();

// Waits up to the given time for work on the port, and returns as soon as its input queue holds a
// byte or, with wantsOutputDrained, as soon as its output queue is empty and output is not held
// (XOFF, CTS, DSR, break). It stands in for a fixed Sleep between two polls of the port, so that a
// transfer is not held back by the poll's cycle. FALSE with the last error for a handle that is no
// port or a device that has gone.
BOOL WaitForCommWork(HANDLE port, DWORD milliseconds, BOOL wantsOutputDrained);
// Ends another thread's WaitForCommWork on the port at once: work for the port came from
// elsewhere (bytes queued by another thread).
BOOL WakeCommWait(HANDLE port);

// A point where a thread that another has suspended with SuspendThread may stop. Threads that
// loop without a blocking system call pass here once a round; where SuspendThread stops a thread
// anywhere, it does nothing.
void ThreadWaitPoint();

// The running system for people to read ("Debian GNU/Linux 12 (bookworm)", "Windows 10 Pro"),
// and the same in few words for a narrow field ("Debian 12", "Windows 10"); never empty.
std::string OperatingSystemName();
std::string OperatingSystemShortName();

// Saves a picture of the whole top-level window that holds hwnd as a PNG file.
bool SnapshotPng(HWND hwnd, const std::string& path);

// Makes the requests to end the program that come from outside it call `close` on a thread of
// their own, again every 100 ms until it answers true (the window that should close may not run
// yet): SIGINT and SIGTERM on Linux. On Windows such requests come as WM_CLOSE to the window
// itself, as a window manager's close does on Linux too, and nothing is watched. Call first thing
// in main, before any other thread starts.
void WatchEndRequests(bool (*close)());

// Whether standard error is the system journal's stream, which files each line at the level it
// names in front (systemd's JOURNAL_STREAM); never on Windows.
bool IsStandardErrorTheJournal();

} // namespace platform
