// The real tolva-dnc on a desktop as an operator has one: an X server with the openbox window
// manager, driven by real input (xdotool) and looked at with the X tools (xwininfo, xprop), with
// tolva-sim at the far end of its cable. Pictures go to the snapshot folder.

#include "support/ChildProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testsupport::ChildProcess;
using testsupport::SimulatorProcess;

struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool isViewable = false;
    bool isOverrideRedirect = false;
};

// An X server of the test's own with openbox managing it.
class Desktop {
public:
    explicit Desktop(const std::string& scratch) : server(scratch, "xvfb"), manager(scratch, "openbox") {
        if (!server.Start({testsupport::InstalledProgramPath("Xvfb"),
                           {"-displayfd", "1", "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                           {},
                           {}})) {
            failure = "Xvfb could not be started";
            return;
        }
        const std::string number = server.ReadOutputLine(std::chrono::seconds(20));
        if (number.empty()) {
            failure = "Xvfb named no display: " + server.StandardError();
            return;
        }
        display = ":" + number;
        const std::string openbox = testsupport::InstalledProgramPath("openbox");
        if (openbox.empty() || !manager.Start({openbox, {}, {{"DISPLAY", display}}, {}})) {
            failure = "openbox could not be started (tools/install-deps installs it)";
            return;
        }
        // The window manager is up once it names its check window on the root.
        if (!WaitFor(
                [&] {
                    return Run("xprop -root _NET_SUPPORTING_WM_CHECK").find("window id") != std::string::npos;
                },
                30000)) {
            failure = "openbox did not take the display: " + manager.StandardError() +
                      (manager.IsRunning() ? " (still running)" : " (ended)");
        }
    }
    ~Desktop() {
        manager.Signal(SIGTERM);
        manager.WaitForExit(std::chrono::seconds(5));
        server.Signal(SIGTERM);
        server.WaitForExit(std::chrono::seconds(5));
    }

    const std::string& Failure() const { return failure; }
    const std::string& Display() const { return display; }

    // A command of the X tools against this display; its standard output.
    std::string Run(const std::string& command) const {
        std::string output;
        FILE* pipe = ::popen(("DISPLAY=" + display + " " + command + " 2>/dev/null").c_str(), "r");
        if (pipe == nullptr) {
            return output;
        }
        std::array<char, 4096> buffer{};
        while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) {
            output += buffer.data();
        }
        ::pclose(pipe);
        return output;
    }

    template <class Condition> static bool WaitFor(Condition condition, int milliseconds = 10000) {
        const auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
        while (!condition()) {
            if (Clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // The viewable windows of a process, by their X ids.
    std::vector<std::string> WindowsOf(pid_t process) const {
        std::vector<std::string> ids;
        std::istringstream lines(Run("xdotool search --onlyvisible --pid " + std::to_string(process)));
        for (std::string id; lines >> id;) {
            ids.push_back(id);
        }
        return ids;
    }

    std::string Name(const std::string& id) const {
        std::string name = Run("xdotool getwindowname " + id);
        while (!name.empty() && (name.back() == '\n' || name.back() == '\r')) {
            name.pop_back();
        }
        return name;
    }

    // The shown window of a process whose title starts with the text; empty when none.
    std::string WindowNamed(pid_t process, const std::string& start) const {
        for (const std::string& id : WindowsOf(process)) {
            if (Name(id).rfind(start, 0) == 0 && GeometryOf(id).isViewable) {
                return id;
            }
        }
        return std::string();
    }

    // A shown popup of a process that no window manager handles (a drop-down list).
    std::string PopupOf(pid_t process) const {
        for (const std::string& id : WindowsOf(process)) {
            const Geometry geometry = GeometryOf(id);
            if (geometry.isViewable && geometry.isOverrideRedirect) {
                return id;
            }
        }
        return std::string();
    }

    Geometry GeometryOf(const std::string& id) const {
        Geometry geometry;
        std::istringstream lines(Run("xwininfo -id " + id));
        for (std::string line; std::getline(lines, line);) {
            const std::size_t colon = line.find(':');
            if (colon == std::string::npos) {
                continue;
            }
            const std::string key = line.substr(0, colon);
            const std::string value = line.substr(colon + 1);
            auto number = [&] { return std::atoi(value.c_str()); };
            if (key.find("Absolute upper-left X") != std::string::npos) {
                geometry.x = number();
            } else if (key.find("Absolute upper-left Y") != std::string::npos) {
                geometry.y = number();
            } else if (key.find("Width") != std::string::npos) {
                geometry.width = number();
            } else if (key.find("Height") != std::string::npos) {
                geometry.height = number();
            } else if (key.find("Map State") != std::string::npos) {
                geometry.isViewable = value.find("IsViewable") != std::string::npos;
            } else if (key.find("Override Redirect State") != std::string::npos) {
                geometry.isOverrideRedirect = value.find("yes") != std::string::npos;
            }
        }
        return geometry;
    }

    // The whole screen as a PNG in the snapshot folder.
    void Picture(const std::string& name) const {
        fs::create_directories(TOLVA_SNAPSHOT_DIR);
        Run("import -window root " + (fs::path(TOLVA_SNAPSHOT_DIR) / name).string());
    }

private:
    ChildProcess server;
    ChildProcess manager;
    std::string display;
    std::string failure;
};

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(desktop.Failure().empty()) << desktop.Failure();
        testsupport::WriteFirstRunProfile(folder, "DESK");
        ASSERT_TRUE(simulator.Start({"--baud", "115200", "--wait", "60000"}));
        const std::string port = simulator.ReadPortPath();
        ASSERT_FALSE(port.empty()) << simulator.StandardError();
        ASSERT_TRUE(program.Start({testsupport::ProgramPath(),
                                   {"DESK"},
                                   {{"COM1", port},
                                    {"DISPLAY", desktop.Display()},
                                    {"TOLVA_UNATTENDED", "0"},
                                    {"TOLVA_MONITOR", "1"}, // the data monitor shown, as "View" shows it
                                    {"TOLVA_WINDIR", folder / "config"}},
                                   folder.Path()}));
        ASSERT_TRUE(Desktop::WaitFor(
            [&] { return !(mainWindow = desktop.WindowNamed(program.Id(), "DESK COM1")).empty(); }, 20000))
            << "the main window did not come up: " << program.StandardError();
    }
    void TearDown() override {
        program.Signal(SIGTERM);
        EXPECT_EQ(program.WaitForExit(std::chrono::seconds(15)), 0) << program.StandardError();
        simulator.Signal(SIGTERM);
        simulator.WaitForExit();
    }

    testsupport::TempFolder folder;
    Desktop desktop{folder.Path()};
    SimulatorProcess simulator{folder.Path()};
    ChildProcess program{folder.Path(), "tolva-dnc"};
    std::string mainWindow;
};

// A drop-down list opens under its field, undecorated, and a choice made with the keyboard closes
// it and leaves the focus in the dialog: one more Enter is the dialog's OK.
TEST_F(DesktopTest, AListDropsBelowItsFieldAndAKeyboardChoiceReachesOkWithOneEnter) {
    desktop.Run("xdotool windowactivate --sync " + mainWindow + " key Return");
    std::string settings;
    ASSERT_TRUE(Desktop::WaitFor(
        [&] { return !(settings = desktop.WindowNamed(program.Id(), "Settings")).empty(); }));
    const Geometry dialog = desktop.GeometryOf(settings);
    EXPECT_NE(desktop.Run("xprop -id " + settings + " WM_TRANSIENT_FOR").find("window id"), std::string::npos)
        << "the dialog belongs to the main window";
    EXPECT_NE(
        desktop.Run("xprop -id " + settings + " _NET_WM_WINDOW_TYPE").find("_NET_WM_WINDOW_TYPE_DIALOG"),
        std::string::npos);

    // Port has the focus; the Baud Rate field is the next one.
    desktop.Run("xdotool key Tab key alt+Down");
    std::string list;
    ASSERT_TRUE(Desktop::WaitFor([&] { return !(list = desktop.PopupOf(program.Id())).empty(); }, 5000))
        << "no list dropped";
    const Geometry dropped = desktop.GeometryOf(list);
    desktop.Picture("DesktopDropDownList.png");
    EXPECT_GT(dropped.x, dialog.x) << "the list is in the dialog's width, under its field";
    EXPECT_LT(dropped.x + dropped.width, dialog.x + dialog.width);
    EXPECT_GT(dropped.y, dialog.y + 15) << "below the first row of fields, not at the screen's top";
    EXPECT_LT(dropped.y, dialog.y + 60);
    EXPECT_GT(dropped.height, 30) << "several speeds to choose from";

    desktop.Run("xdotool key Up key Return"); // 115200 is the last speed: the one before
    EXPECT_TRUE(Desktop::WaitFor([&] { return desktop.PopupOf(program.Id()).empty(); }, 3000))
        << "the choice closed it";
    desktop.Run("xdotool key Return");
    EXPECT_TRUE(Desktop::WaitFor([&] { return desktop.WindowNamed(program.Id(), "Settings").empty(); }, 5000))
        << "one Enter is OK";
    std::string caption;
    EXPECT_TRUE(Desktop::WaitFor([&] {
        caption = desktop.Name(mainWindow);
        return caption.find("COM1:") != std::string::npos && caption.find(":115200,") == std::string::npos;
    })) << "the new speed is in force: "
        << caption;
}

// The data monitor's menu opens at the pointer, undecorated, and Escape closes it.
TEST_F(DesktopTest, TheMonitorsMenuOpensAtThePointerAndEscapeClosesIt) {
    const Geometry window = desktop.GeometryOf(mainWindow);
    const int x = window.x + 240;
    const int y = window.y + 200; // inside the monitor, in the lower right of the window
    desktop.Run("xdotool windowactivate --sync " + mainWindow + " mousemove " + std::to_string(x) + " " +
                std::to_string(y) + " click 3");
    std::string menu;
    ASSERT_TRUE(Desktop::WaitFor([&] { return !(menu = desktop.PopupOf(program.Id())).empty(); }, 5000))
        << "no menu opened";
    const Geometry opened = desktop.GeometryOf(menu);
    desktop.Picture("DesktopMonitorMenu.png");
    EXPECT_NEAR(opened.x, x, 3) << "the menu opens at the pointer";
    EXPECT_NEAR(opened.y, y, 3);
    desktop.Run("xdotool key Escape");
    EXPECT_TRUE(Desktop::WaitFor([&] { return desktop.PopupOf(program.Id()).empty(); }, 3000));

    // From the keyboard: the monitor has the focus after the click; Shift+F10 opens the menu at
    // the monitor's top left corner, above and left of where the pointer was.
    desktop.Run("xdotool key shift+F10");
    ASSERT_TRUE(Desktop::WaitFor([&] { return !(menu = desktop.PopupOf(program.Id())).empty(); }, 5000))
        << "Shift+F10 opened no menu";
    const Geometry fromKeys = desktop.GeometryOf(menu);
    EXPECT_GT(fromKeys.x, window.x + 90) << "at the monitor, right of the lamps";
    EXPECT_LT(fromKeys.x, x - 50);
    EXPECT_LT(fromKeys.y, y - 50);
    desktop.Run("xdotool key Escape");
    EXPECT_TRUE(Desktop::WaitFor([&] { return desktop.PopupOf(program.Id()).empty(); }, 3000));
}

// A box about the port belongs to the main window (the window manager keeps it above and groups
// it), is placed as Win32 places a box (centred on the screen), and is wide enough that its
// caption shows whole.
TEST_F(DesktopTest, APortBoxIsADialogOfTheMainWindow) {
    simulator.Signal(SIGKILL); // the cable goes
    std::string box;
    ASSERT_TRUE(Desktop::WaitFor([&] {
        return !(box = desktop.WindowNamed(program.Id(), "Comms Status Check")).empty();
    })) << "no box for the lost port: "
        << program.StandardError();
    desktop.Picture("DesktopPortBox.png");
    const std::string transient = desktop.Run("xprop -id " + box + " WM_TRANSIENT_FOR");
    char owner[32] = "";
    std::snprintf(owner, sizeof owner, "0x%lx", std::stoul(mainWindow));
    EXPECT_NE(transient.find(owner), std::string::npos) << transient << " main window " << owner;
    const Geometry geometry = desktop.GeometryOf(box);
    EXPECT_NEAR(geometry.x + geometry.width / 2, 512, 3) << "centred on the screen";
    EXPECT_GE(geometry.width, 240) << "wide enough for \"Comms Status Check\" and the title bar's buttons";
    desktop.Run("xdotool windowactivate --sync " + box + " key Return");
    EXPECT_TRUE(Desktop::WaitFor(
        [&] { return desktop.WindowNamed(program.Id(), "Comms Status Check").empty(); }, 5000));
}

} // namespace
