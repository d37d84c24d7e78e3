#pragma once

// The Windows build of the program as a user runs it under Wine on this machine: an X server of
// its own (Xvfb), a Wine prefix made once and kept for the run, and COM1 of that prefix linked to
// a pseudo-terminal that the real tolva-sim holds at the other end. Wine is started the way a user
// starts it, and a program is closed the way a window manager closes it (WM_CLOSE through Wine's
// taskkill).

#include "tools/ChildProcess.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace winetest {

class WineSession {
public:
    // Starts Xvfb and makes (or takes) the prefix; Failure() says what went wrong, if anything.
    explicit WineSession(const std::string& scratchFolder);
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
    bool Start(tools::tests::ChildProcess& child, const std::string& program, const std::vector<std::string>& arguments,
               const std::string& workingFolder, std::vector<std::pair<std::string, std::string>> more = {}) const;
    // Runs a Windows program of Wine's own (taskkill, reg) to its end; its exit status, or -1.
    int Run(const std::vector<std::string>& arguments) const;
    // Runs a program of this machine (xdotool, import) against the session's display to its end.
    int RunHostProgram(const std::string& program, const std::vector<std::string>& arguments) const;

    // The file name of the Windows program, as the build gave it, and of Wine's loader.
    static std::string WindowsProgramPath();
    static std::string WinePath();

private:
    std::string scratch;
    std::string prefix;
    std::string display;
    std::string failure;
    std::unique_ptr<tools::tests::ChildProcess> server;
};

} // namespace winetest
