// Virtual cables as users make them, served by the real tolva-dnc: a socat pseudo-terminal pair
// named by its links, and a /dev/serial/by-id style symlink to a pseudo-terminal. The port map
// names the link, and the program serves a download through it as through a device, also after
// the adapter behind the link was pulled and plugged in again.

#include "support/ChildProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/TestPrograms.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::InstalledProgramPath;
using testsupport::SimulatorProcess;

class VirtualCableTest : public ::testing::Test {
protected:
    void SetUp() override {
        testsupport::WriteFirstRunProfile(folder, "CABLE");
        fs::copy_file(TOLVA_SAMPLE_PROGRAM, folder / "nc/5.T3");
    }

    // The simulator on its side of the cable asks for program 5; the program, its COM1 mapped to
    // what portPath makes of the simulator's port, serves it and is closed first.
    void ExpectDownloadThrough(const std::vector<std::string>& simulatorCable,
                               const std::function<std::string(const std::string&)>& portPath) {
        std::vector<std::string> arguments = simulatorCable;
        for (const char* argument : {"--baud", "115200", "--wait", "1500", "--download", "5", "--hold"}) {
            arguments.emplace_back(argument);
        }
        arguments.insert(arguments.end(), {"--expect-file", folder / "nc/5.T3"});
        SimulatorProcess simulator(folder.Path());
        ASSERT_TRUE(simulator.Start(arguments));
        const std::string simulatorPort = simulator.ReadPortPath();
        ASSERT_FALSE(simulatorPort.empty()) << simulator.StandardError();
        const std::string port = portPath(simulatorPort);
        ASSERT_FALSE(port.empty());
        ChildProcess program(folder.Path(), "tolva-dnc");
        ASSERT_TRUE(
            program.Start({testsupport::ProgramPath(),
                           {"CABLE"},
                           {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
                           folder.Path()}));
        EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(30)), "DONE");
        ASSERT_TRUE(program.Signal(SIGTERM));
        EXPECT_EQ(program.WaitForExit(), 0) << program.StandardError();
        ASSERT_TRUE(simulator.Signal(SIGTERM));
        EXPECT_EQ(simulator.WaitForExit(), 0) << "the program arrived as sent: " << simulator.StandardError();
        EXPECT_NE(folder.Read("activity.log").find("Download Completed"), std::string::npos);
        EXPECT_EQ(program.StandardError().find("(OK)"), std::string::npos)
            << "no box: " << program.StandardError();
    }

    testsupport::TempFolder folder;
};

TEST_F(VirtualCableTest, ASocatPseudoTerminalPairServesLikeADevice) {
    const std::string socat = InstalledProgramPath("socat");
    ASSERT_FALSE(socat.empty()) << "socat is installed by tools/install-deps";
    ChildProcess cable(folder.Path(), "socat");
    ASSERT_TRUE(cable.Start(
        {socat,
         {"PTY,link=" + (folder / "machine") + ",raw,echo=0", "PTY,link=" + (folder / "dnc") + ",raw,echo=0"},
         {},
         {}}));
    for (int round = 0; round < 100 && !(fs::exists(folder / "machine") && fs::exists(folder / "dnc"));
         ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ASSERT_TRUE(fs::exists(folder / "dnc")) << cable.StandardError();
    ExpectDownloadThrough({"--device", folder / "machine"},
                          [&](const std::string&) { return folder / "dnc"; });
    cable.Signal(SIGTERM);
    cable.WaitForExit();
}

TEST_F(VirtualCableTest, ABySerialIdSymlinkServesLikeTheDeviceItNames) {
    const std::string link = folder / "serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0";
    fs::create_directories(fs::path(link).parent_path());
    // The link is made before the program starts, as udev makes it when the adapter is plugged in.
    ExpectDownloadThrough({"--pty"}, [&](const std::string& simulatorPort) {
        fs::create_symlink(simulatorPort, link);
        return link;
    });
}

// The adapter goes mid-download (its pseudo-terminal closes with the simulator) and comes back
// under the same by-id name (a new pseudo-terminal behind the link): one box, the cut download
// logged as failed, and the next request served without a restart or a press of a button.
TEST_F(VirtualCableTest, AnAdapterPulledMidDownloadIsServedAgainOnceItIsBack) {
    const std::string link = folder / "serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3XYZ-if00-port0";
    fs::create_directories(fs::path(link).parent_path());
    folder.Write("nc/7.T3", testsupport::Stored(testsupport::NumberedProgram(3000)));
    SimulatorProcess pulled(folder.Path());
    ASSERT_TRUE(pulled.Start({"--baud", "115200", "--record", folder / "line.txt", "--start-wait", "1500",
                              "--download", "7", "--idle", "5000"}));
    const std::string firstPort = pulled.ReadPortPath();
    ASSERT_FALSE(firstPort.empty());
    fs::create_symlink(firstPort, link);
    ChildProcess program(folder.Path(), "tolva-dnc");
    ASSERT_TRUE(
        program.Start({testsupport::ProgramPath(),
                       {"CABLE"},
                       {{"COM1", link}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
                       folder.Path()}));
    for (int round = 0; round < 400 && folder.Read("line.txt").size() < 4000; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_GE(folder.Read("line.txt").size(), 4000u) << "the download is under way";
    ASSERT_TRUE(pulled.Signal(SIGKILL));
    pulled.WaitForExit();
    std::this_thread::sleep_for(std::chrono::seconds(1));
    EXPECT_NE(folder.Read("activity.log").find("Download Error(s)"), std::string::npos)
        << folder.Read("activity.log");

    // Plugged in again: udev points the same name at the new device. The program looks for it
    // every two seconds, and purges the port as it opens it, so the request comes after that.
    SimulatorProcess pluggedIn(folder.Path());
    ASSERT_TRUE(pluggedIn.Start({"--baud", "115200", "--start-wait", "4000", "--timeout", "15000",
                                 "--download", "5", "--expect-file", folder / "nc/5.T3", "--hold"}));
    const std::string secondPort = pluggedIn.ReadPortPath();
    ASSERT_FALSE(secondPort.empty());
    fs::create_symlink(secondPort, link + ".new");
    fs::rename(link + ".new", link);
    EXPECT_EQ(pluggedIn.ReadOutputLine(std::chrono::seconds(30)), "DONE") << pluggedIn.StandardError();
    ASSERT_TRUE(program.Signal(SIGTERM));
    EXPECT_EQ(program.WaitForExit(), 0) << program.StandardError();
    ASSERT_TRUE(pluggedIn.Signal(SIGTERM));
    EXPECT_EQ(pluggedIn.WaitForExit(), 0) << "served exactly after the replug: " << pluggedIn.StandardError();
    const std::string boxes = program.StandardError();
    EXPECT_EQ(testsupport::CountOf(boxes, "(OK)"), 1u) << boxes;
    EXPECT_NE(boxes.find("Comms Status Check: COM1\nThe device is not connected."), std::string::npos)
        << boxes;
    EXPECT_NE(folder.Read("activity.log").find("Download Completed"), std::string::npos)
        << folder.Read("activity.log");
}

} // namespace
