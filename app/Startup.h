#pragma once

// What start-up does differently on the two platforms: how a request to close from outside the
// program reaches the main window, and how standard error is read by whoever collects it. One
// implementation file a platform (StartupLinux.cpp, StartupWindows.cpp), chosen by the build.

namespace app {

// Makes the requests to end the program that come from outside it close the main window as its
// "Close" button does: SIGINT and SIGTERM on Linux; on Windows they come as WM_CLOSE to the window
// itself, as a window manager's close does on Linux too. A request that comes before the window
// runs is kept until it does. Call first thing in main, before any other thread starts.
void WatchCloseRequests();

// Whether standard error is the system journal's stream, which files each line at the level it
// names in front (systemd's JOURNAL_STREAM).
bool IsStandardErrorTheJournal();

} // namespace app
