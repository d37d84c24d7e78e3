#pragma once

// The Windows build of the program as a user runs it under Wine on this machine: an X server of
// its own (Xvfb), a Wine prefix made once and kept for the run, and COM1 of that prefix linked to
// a pseudo-terminal that the real tolva-sim holds at the other end. Wine is started the way a user
// starts it, and a program is closed the way a window manager closes it (WM_CLOSE through Wine's
// taskkill).

#include "support/ChildProcess.h"

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

class WineSession {
public:
    enum class PrefixState { Kept, Fresh };
    // Starts Xvfb and takes the prefix, making it where it is missing or a fresh one is asked for;
    // Failure() says what went wrong, if anything. The prefix's home (its Documents and Desktop)
    // is a folder of its own beside it, never the user's.
    explicit WineSession(const std::string& scratchFolder,
                         const std::string& prefixFolder = TOLVA_WINE_PREFIX,
                         PrefixState kind = PrefixState::Kept);
    ~WineSession();
    WineSession(const WineSession&) = delete;
    WineSession& operator=(const WineSession&) = delete;

    const std::string& Failure() const { return failure; }
    const std::string& Display() const { return display; }
    const std::string& Prefix() const { return prefix; }

    // Points the prefix's COM1 at a device (a pseudo-terminal's path).
    bool LinkComPort(int number, const std::string& device) const;
    // The environment a Wine program of this session runs in, with more variables added.
    std::vector<std::pair<std::string, std::string>>
    Environment(std::vector<std::pair<std::string, std::string>> more = {}) const;
    // Starts a Windows program under Wine in a working folder.
    bool Start(testsupport::ChildProcess& child, const std::string& program,
               const std::vector<std::string>& arguments, const std::string& workingFolder,
               std::vector<std::pair<std::string, std::string>> more = {}) const;
    // Runs a Windows program of Wine's own (taskkill, reg) to its end; its exit status, or -1.
    int Run(const std::vector<std::string>& arguments) const;
    // Runs a program of this machine (xdotool, import) against the session's display to its end.
    int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments) const;
    // Waits until every Windows program of the prefix has ended (its wineserver with them).
    bool WaitForPrograms() const;
    // The Unix path of a file in the prefix's drive C ("Program Files/Tolva DNC").
    std::string DriveC(const std::string& path) const;

    // Waits until a process other than `except` holds the device open, as a program does once it
    // has opened its port; false when none does within the time.
    static bool WaitUntilHeld(const std::string& device, int except, std::chrono::seconds limit);

    // The file names of the Windows program and its installer, as the build gave them, and of
    // Wine's loader.
    static std::string WindowsProgramPath();
    static std::string InstallerPath();
    static std::string WinePath();

private:
    std::string scratch;
    std::string prefix;
    std::string home;
    std::string display;
    std::string failure;
    std::unique_ptr<testsupport::ChildProcess> server;
};

} // namespace testsupport
