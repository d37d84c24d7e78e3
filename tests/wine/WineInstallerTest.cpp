// The Windows installer as a shop-floor PC's owner meets it, under Wine in a fresh prefix: a
// silent install, the program and its documents in Program Files, the profile's Start-menu
// shortcut starting in the data folder, a first run from that folder with no profile and no
// program-paths file that serves a download from the real tolva-sim, and a silent uninstall that
// takes the program and leaves the operator's data.

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/WineSession.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::SimulatorProcess;
using testsupport::WineSession;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A text as a shortcut file stores it: UTF-16, little-endian.
std::string Utf16(const std::string& text) {
    std::string wide;
    for (const char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// The one user folder of the prefix (Wine names it after the Unix user).
fs::path UserFolder(const WineSession& session) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(session.DriveC("users"), error)) {
        if (entry.path().filename() != "Public" && fs::exists(entry.path() / "AppData")) {
            return entry.path();
        }
    }
    return {};
}

TEST(WineInstallerTest, InstallsRunsAFirstDownloadAndUninstallsLeavingTheOperatorsData) {
    testsupport::TempFolder scratch;
    const WineSession session(scratch.Path(), scratch / "prefix", WineSession::PrefixState::Fresh);
    ASSERT_TRUE(session.Failure().empty()) << session.Failure();
    ASSERT_TRUE(fs::exists(WineSession::InstallerPath()))
        << WineSession::InstallerPath() << " is missing: cmake --build --preset windows makes it";

    ASSERT_EQ(session.Run({WineSession::InstallerPath(), "/S"}), 0);
    ASSERT_TRUE(session.WaitForPrograms());
    const fs::path installed = session.DriveC("Program Files/Tolva DNC");
    for (const char* name :
         {"tolva-dnc.exe", "dnxhelp.hlp", "Operator's Guide.txt", "Licence.txt", "uninstall.exe"}) {
        EXPECT_TRUE(fs::exists(installed / name)) << name;
    }
    const fs::path user = UserFolder(session);
    ASSERT_FALSE(user.empty());
    const fs::path menu = user / "AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Tolva DNC";
    const std::string shortcut = ReadAll(menu / "Tolva DNC (TOLVA).lnk");
    ASSERT_FALSE(shortcut.empty()) << "the default profile's Start-menu shortcut";
    EXPECT_NE(shortcut.find(Utf16("C:\\Program Files\\Tolva DNC\\tolva-dnc.exe")), std::string::npos);
    EXPECT_NE(shortcut.find(Utf16("\\Documents\\Tolva DNC")), std::string::npos)
        << "it starts in the data folder";
    EXPECT_NE(shortcut.find(Utf16("TOLVA")), std::string::npos) << "with the profile's name as its argument";
    const fs::path data = fs::canonical(user / "Documents/Tolva DNC");
    EXPECT_TRUE(fs::is_empty(data)) << "a fresh data folder";

    // The first run, as the shortcut starts it: no profile, no QOR.INI, no QOR.CFG. The program
    // takes the defaults (COM1 at 2400 baud, 8N1, XON/XOFF, 2 s transmit delay) and, with no
    // program folders configured, serves programs from its working folder, the data folder.
    fs::copy_file(TOLVA_SAMPLE_PROGRAM, data / "5.T3");
    ChildProcess cable(scratch.Path(), "socat");
    ASSERT_TRUE(cable.Start({testsupport::InstalledProgramPath("socat"),
                             {"PTY,link=" + (scratch / "machine") + ",raw,echo=0",
                              "PTY,link=" + (scratch / "dnc") + ",raw,echo=0"},
                             {},
                             {}}));
    for (int round = 0; round < 100 && !fs::exists(scratch / "dnc"); ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(session.LinkComPort(1, fs::canonical(scratch / "dnc").string()));
    ChildProcess program(scratch.Path(), "program");
    ASSERT_TRUE(session.Start(program, (installed / "tolva-dnc.exe").string(), {"TOLVA"}, data.string()));
    EXPECT_TRUE(WineSession::WaitUntilHeld(scratch / "dnc", cable.Id(), std::chrono::seconds(60)));
    EXPECT_EQ(
        session.RunHostProgram("xdotool", {"search", "--sync", "--name", "^TOLVA COM1:2400,N,8,1,Xon/Xoff$"}),
        0)
        << "the main window with the default settings in its caption";
    const fs::path snapshots = TOLVA_SNAPSHOT_DIR;
    fs::create_directories(snapshots);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(session.RunHostProgram("import", {"-window", "TOLVA COM1:2400,N,8,1,Xon/Xoff",
                                                (snapshots / "WineFirstRun.png").string()}),
              0);

    // Wine's serial driver has no line clock on a pseudo-terminal: the controller takes the whole
    // program into its buffer (see WineEndToEndTest).
    SimulatorProcess simulator(scratch.Path());
    ASSERT_TRUE(simulator.Start({"--device", scratch / "machine", "--baud", "2400", "--buffer", "1048576",
                                 "--start-wait", "1000", "--timeout", "20000", "--expect-file", data / "5.T3",
                                 "--download", "5", "--hold"}));
    EXPECT_FALSE(simulator.ReadPortPath().empty());
    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(60)), "DONE") << simulator.StandardError();
    session.Run({"taskkill", "/IM", "tolva-dnc.exe"});
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0) << program.StandardError();
    simulator.Signal(SIGTERM);
    EXPECT_EQ(simulator.WaitForExit(), 0) << "the download arrived exactly: " << simulator.StandardError();
    cable.Signal(SIGTERM);
    cable.WaitForExit();
    EXPECT_TRUE(fs::exists(data / "TOLVA.INI"))
        << "the profile's settings, written at close in the data folder";

    ASSERT_EQ(session.Run({"C:\\Program Files\\Tolva DNC\\uninstall.exe", "/S"}), 0);
    ASSERT_TRUE(session.WaitForPrograms());
    EXPECT_FALSE(fs::exists(installed / "tolva-dnc.exe")) << "the program is gone";
    EXPECT_FALSE(fs::exists(installed)) << "and its folder";
    EXPECT_FALSE(fs::exists(menu)) << "and its Start-menu folder";
    EXPECT_TRUE(fs::exists(data / "TOLVA.INI")) << "the operator's settings stay";
    EXPECT_TRUE(fs::exists(data / "5.T3")) << "and the programs";
}

} // namespace
