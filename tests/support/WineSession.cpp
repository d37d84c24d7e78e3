#include "support/WineSession.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <thread>

namespace testsupport {

namespace fs = std::filesystem;
using testsupport::ChildProcess;

namespace {

// Mono and Gecko are neither needed nor to be had here: without this Wine asks to install them.
// Nor may the programs it installs put menu entries on this machine's desktop.
const std::pair<std::string, std::string> noDownloads{"WINEDLLOVERRIDES",
                                                      "mscoree,mshtml=;winemenubuilder.exe=d"};
const std::pair<std::string, std::string> quiet{"WINEDEBUG", "-all"};

} // namespace

WineSession::WineSession(const std::string& scratchFolder, const std::string& prefixFolder, PrefixState kind)
    : scratch(scratchFolder), prefix(prefixFolder), home(prefixFolder + "-home") {
    std::error_code ignored;
    if (kind == PrefixState::Fresh) {
        fs::remove_all(prefix, ignored);
        fs::remove_all(home, ignored);
    }
    fs::create_directories(home, ignored);
    if (WinePath().empty()) {
        failure = "wine64 is not installed (tools/install-deps installs it)";
        return;
    }
    if (!fs::exists(WindowsProgramPath())) {
        failure = WindowsProgramPath() + " is missing: build it with cmake --preset windows";
        return;
    }
    // An X server of the session's own: Wine's windows need one, and the tests must not draw on
    // the user's screen.
    server = std::make_unique<ChildProcess>(scratch, "xvfb");
    if (!server->Start({testsupport::InstalledProgramPath("Xvfb"),
                        {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
                        {},
                        {}})) {
        failure = "Xvfb could not be started";
        return;
    }
    const std::string number = server->ReadOutputLine(std::chrono::seconds(20));
    if (number.empty()) {
        failure = "Xvfb named no display: " + server->StandardError();
        return;
    }
    display = ":" + number;
    // The prefix is made once and kept between runs: making it takes Wine several seconds.
    if (!fs::exists(fs::path(prefix) / "system.reg")) {
        fs::create_directories(prefix);
        // The registry reaches its files when the prefix's wineserver ends: wait for that.
        if (Run({"wineboot", "-i"}) != 0 || !WaitForPrograms() ||
            !fs::exists(fs::path(prefix) / "system.reg")) {
            failure = "wineboot could not make the prefix " + prefix;
        }
    }
}

WineSession::~WineSession() {
    // Ends the prefix's wineserver with the programs it may still hold, then the X server.
    ChildProcess stop(scratch, "wineserver");
    if (stop.Start(
            {(fs::path(WinePath()).parent_path() / "wineserver").string(), {"-k"}, Environment(), {}})) {
        stop.WaitForExit(std::chrono::seconds(20));
    }
    if (server) {
        server->Signal(SIGTERM);
        server->WaitForExit();
    }
}

// Wine's mount manager makes the prefix's COM links anew when it starts, from the serial devices it
// finds and from HKLM\Software\Wine\Ports, which overrides them: a link made by hand alone is
// replaced by /dev/ttyS0 at the next start. So the port goes into the registry too.
bool WineSession::LinkComPort(int number, const std::string& device) const {
    const std::string name = "COM" + std::to_string(number);
    if (Run({"reg", "add", "HKLM\\Software\\Wine\\Ports", "/v", name, "/d", device, "/f"}) != 0) {
        return false;
    }
    const fs::path link = fs::path(prefix) / "dosdevices" / ("com" + std::to_string(number));
    std::error_code error;
    fs::remove(link, error);
    fs::create_symlink(device, link, error);
    return !error;
}

std::vector<std::pair<std::string, std::string>>
WineSession::Environment(std::vector<std::pair<std::string, std::string>> more) const {
    more.insert(more.begin(),
                {{"WINEPREFIX", prefix}, {"HOME", home}, {"DISPLAY", display}, quiet, noDownloads});
    return more;
}

bool WineSession::Start(ChildProcess& child, const std::string& program,
                        const std::vector<std::string>& arguments, const std::string& workingFolder,
                        std::vector<std::pair<std::string, std::string>> more) const {
    std::vector<std::string> line{program};
    line.insert(line.end(), arguments.begin(), arguments.end());
    return child.Start({WinePath(), line, Environment(std::move(more)), workingFolder});
}

int WineSession::Run(const std::vector<std::string>& arguments) const {
    // The standard error file is named after the program, whether given by name or by path (either
    // kind of separator).
    const std::string& program = arguments.front();
    ChildProcess child(scratch, "wine-" + program.substr(program.find_last_of("/\\") + 1));
    if (!child.Start({WinePath(), arguments, Environment(), {}})) {
        return -1;
    }
    return child.WaitForExit(std::chrono::seconds(120));
}

int WineSession::RunHostProgram(const std::string& program, const std::vector<std::string>& arguments) const {
    ChildProcess child(scratch, fs::path(program).filename().string());
    if (!child.Start({testsupport::InstalledProgramPath(program), arguments, {{"DISPLAY", display}}, {}})) {
        return -1;
    }
    return child.WaitForExit(std::chrono::seconds(30));
}

bool WineSession::WaitForPrograms() const {
    ChildProcess wait(scratch, "wineserver");
    return wait.Start(
               {(fs::path(WinePath()).parent_path() / "wineserver").string(), {"-w"}, Environment(), {}}) &&
           wait.WaitForExit(std::chrono::seconds(60)) == 0;
}

std::string WineSession::DriveC(const std::string& path) const {
    return (fs::path(prefix) / "drive_c" / path).string();
}

bool WineSession::WaitUntilHeld(const std::string& device, int except, std::chrono::seconds limit) {
    const fs::path target = fs::canonical(device);
    const auto end = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < end) {
        std::error_code error;
        for (const fs::directory_entry& process : fs::directory_iterator("/proc", error)) {
            if (process.path().filename() == std::to_string(except)) {
                continue;
            }
            std::error_code ignored;
            for (const fs::directory_entry& descriptor :
                 fs::directory_iterator(process.path() / "fd", ignored)) {
                if (fs::read_symlink(descriptor.path(), ignored) == target) {
                    return true;
                }
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

std::string WineSession::InstallerPath() {
    const char* given = std::getenv("TOLVA_WINDOWS_INSTALLER");
    return given != nullptr ? given : TOLVA_WINDOWS_INSTALLER;
}

std::string WineSession::WindowsProgramPath() {
    const char* given = std::getenv("TOLVA_WINDOWS_PROGRAM");
    return given != nullptr ? given : TOLVA_WINDOWS_PROGRAM;
}

// Debian keeps the 64-bit loader out of PATH, under /usr/lib/wine.
std::string WineSession::WinePath() {
    const std::string onPath = testsupport::InstalledProgramPath("wine64");
    return onPath.empty() && fs::exists("/usr/lib/wine/wine64") ? "/usr/lib/wine/wine64" : onPath;
}

} // namespace testsupport
