#pragma once

// What start-up does differently on the two platforms: how a request to close from outside the
// program reaches the main window, and how standard error is read by whoever collects it. One
// implementation file a platform (StartupLinux.cpp, StartupWindows.cpp), chosen by the build.

namespace app {

// Makes the requests to end the program that come from outside it close the main window as its
// "Close" button does: SIGINT and SIGTERM on Linux, the console's Ctrl+C, Ctrl+Break and close
// events on Windows (a window manager's or taskkill's WM_CLOSE reaches the window itself). A
// request that comes before the window runs is kept until it does. Call first thing in main,
// before any other thread starts.
void WatchCloseRequests();

// Whether standard error is the system journal's stream, which files each line at the level it
// names in front (systemd's JOURNAL_STREAM).
bool IsStandardErrorTheJournal();

} // namespace app
