// The real tolva-dnc serving a machine behind a serial device server: ser2net serves the
// simulator's pseudo-terminal on a loopback port, and the profile's COM1 is mapped to
// rfc2217://127.0.0.1:N (or tcp:// for a raw server), as an operator maps a machine on the shop
// floor's network.

#include "support/ChildProcess.h"
#include "support/DeviceServerProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/TestPrograms.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::CountOf;
using testsupport::DeviceServerProcess;
using testsupport::NumberedProgram;
using testsupport::SimulatorProcess;
using testsupport::Stored;
using Protocol = DeviceServerProcess::Protocol;

class NetworkPortTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(folder / "nc"); }

    // The simulator on its pseudo-terminal with ser2net serving it, and the program on COM1
    // mapped to the server.
    void Start(const std::string& flowControl, Protocol protocol, std::vector<std::string> steps) {
        testsupport::WriteFirstRunProfile(folder, "NET", flowControl);
        steps.insert(steps.begin(), {"--baud", "115200"});
        ASSERT_TRUE(simulator.Start(steps));
        devicePath = simulator.ReadPortPath();
        ASSERT_FALSE(devicePath.empty()) << simulator.StandardError();
        ASSERT_TRUE(server.Start(devicePath, protocol)) << server.Problem();
        ASSERT_TRUE(program.Start(
            {testsupport::ProgramPath(),
             {"NET"},
             {{"COM1", server.Address()}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
             folder.Path()}));
    }

    // The simulator's steps are done: the program is closed first, then the simulator, whose
    // status says whether every download arrived as sent.
    void Finish() {
        EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(60)), "DONE");
        ASSERT_TRUE(program.Signal(SIGTERM));
        EXPECT_EQ(program.WaitForExit(), 0) << program.StandardError();
        ASSERT_TRUE(simulator.Signal(SIGTERM));
        EXPECT_EQ(simulator.WaitForExit(), 0)
            << "the programs arrived as sent: " << simulator.StandardError();
        EXPECT_EQ(program.StandardError().find("(OK)"), std::string::npos)
            << "no box: " << program.StandardError();
    }

    testsupport::TempFolder folder;
    SimulatorProcess simulator{folder.Path()};
    std::string devicePath;
    DeviceServerProcess server{folder.Path()};
    ChildProcess program{folder.Path(), "tolva-dnc"};
};

// XON/XOFF from a controller with a small buffer travels through the server both ways, and the
// program keeps its pace through the network as on a cable.
TEST_F(NetworkPortTest, AComPortControlServerCarriesADownloadAndAnUploadExactly) {
    folder.Write("nc/5.T3", Stored(NumberedProgram(300)));
    const std::string upload = NumberedProgram(120);
    folder.Write("upload.nc", upload);
    Start("Xon/Xoff", Protocol::ComPortControl,
          {"--xonxoff", "--buffer", "256", "--wait", "1500", "--download", "5", "--expect-file",
           folder / "nc/5.T3", "--upload", "8", folder / "upload.nc", "--wait", "1500", "--hold"});
    Finish();
    EXPECT_EQ(folder.Read("nc/8.T3"), Stored(upload)) << "the upload is stored whole";
    const std::string log = folder.Read("activity.log");
    EXPECT_NE(log.find("Download Completed"), std::string::npos) << log;
    EXPECT_NE(log.find("Upload Completed"), std::string::npos) << log;
}

TEST_F(NetworkPortTest, ARawServerCarriesADownloadExactly) {
    folder.Write("nc/5.T3", Stored(NumberedProgram(300)));
    Start("None", Protocol::Raw,
          {"--wait", "1500", "--download", "5", "--expect-file", folder / "nc/5.T3", "--hold"});
    Finish();
    EXPECT_NE(folder.Read("activity.log").find("Download Completed"), std::string::npos);
}

// The server dies while a program goes out: one box says so, the cut download is logged as
// failed, and the program waits quietly instead of spinning on the dead connection. Once the
// server is back, the program reconnects by itself and serves the next request.
TEST_F(NetworkPortTest, AServerKilledMidDownloadGivesOneBoxAndTheProgramReconnectsByItself) {
    folder.Write("nc/5.T3", Stored(NumberedProgram(3000)));
    folder.Write("nc/6.T3", Stored(NumberedProgram(100)));
    Start("None", Protocol::ComPortControl,
          {"--record", folder / "line.txt", "--wait", "1000", "--download", "5", "--idle", "1000", "--wait",
           "8000", "--download", "6", "--hold"});
    for (int round = 0; round < 200 && folder.Read("line.txt").size() < 4000; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_GE(folder.Read("line.txt").size(), 4000u) << "the download is under way";
    const int serverPort = server.Port();
    ASSERT_TRUE(server.Signal(SIGKILL));
    server.WaitForExit();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    EXPECT_TRUE(program.IsRunning());
    const double before = program.CpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double spent = program.CpuSeconds() - before;
    EXPECT_LT(spent, 0.1) << "seconds of processor time in 2 s after the server went";
    const std::string log = folder.Read("activity.log");
    EXPECT_NE(log.find("Download Error(s)"), std::string::npos)
        << "the cut download is logged as failed: " << log;
    EXPECT_EQ(log.find("Download Completed"), std::string::npos) << log;

    DeviceServerProcess restarted(folder.Path());
    ASSERT_TRUE(restarted.Start(devicePath, Protocol::ComPortControl, serverPort)) << restarted.Problem();
    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(30)), "DONE");
    ASSERT_TRUE(program.Signal(SIGTERM));
    EXPECT_EQ(program.WaitForExit(), 0) << program.StandardError();
    simulator.Signal(SIGTERM);
    simulator.WaitForExit();
    const std::string boxes = program.StandardError();
    EXPECT_EQ(CountOf(boxes, "(OK)"), 1u) << boxes;
    EXPECT_EQ(CountOf(boxes, "The device is not connected."), 1u) << boxes;
    EXPECT_NE(folder.Read("activity.log").find("Download Completed"), std::string::npos)
        << "program 6 went out after the reconnect: " << folder.Read("activity.log");
}

} // namespace
