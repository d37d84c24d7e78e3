// Several machines served from one PC: four real tolva-dnc, four profiles, four virtual cables,
// all downloading and uploading at once at 115,200 baud with XON/XOFF; and a fifth instance set
// to a port another one holds.

#include "support/ChildProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/TestPrograms.h"
#include "tools/sim/PortHolder.h"

#include <array>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::CountOf;
using testsupport::NumberedProgram;
using testsupport::SimulatorProcess;
using testsupport::Stored;

constexpr int machines = 4;

// One machine: its profile's own folders and log, its simulator, its program.
struct Machine {
    std::string profile;
    std::string folder;
    std::string upload;
    std::unique_ptr<SimulatorProcess> simulator;
    std::string port;
    std::unique_ptr<ChildProcess> program;
};

// A profile of its own for each machine, in the shared configuration folder, with its own nc
// folder and activity log; all instances work in the same folder, as on a shop-floor PC.
void WriteProfile(const testsupport::TempFolder& root, const std::string& profile) {
    const std::string own = root / profile;
    fs::create_directories(own + "/nc");
    fs::create_directories(root / "config");
    root.Write("config/" + profile + ".INI",
               "[Port Settings]\nport=COM1\nbaudrate=115200\nparity=None\ndatabits=8\nstopbits=1\n"
               "flow control=Xon/Xoff\ntransmit delay=0\n[Files]\nupload path=" +
                   own + "/nc/\ndownload path=" + own + "/nc/\nfile extension=T3\n[Log]\nlog file=" + own +
                   "/activity.log\nwrite log=1\n");
}

bool StartProgram(const testsupport::TempFolder& root, Machine& machine, const std::string& port) {
    machine.program = std::make_unique<ChildProcess>(root.Path(), "tolva-dnc-" + machine.profile);
    return machine.program->Start(
        {testsupport::ProgramPath(),
         {machine.profile},
         {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", root / "config"}},
         root.Path()});
}

TEST(MultiInstanceTest, FourMachinesAtOnceEachExactWithItsOwnSettingsAndLog) {
    testsupport::TempFolder root;
    std::array<Machine, machines> all;
    for (int index = 0; index < machines; ++index) {
        Machine& machine = all[index];
        machine.profile = std::string("CUTTER") + static_cast<char>('A' + index);
        machine.folder = root / machine.profile;
        WriteProfile(root, machine.profile);
        // Each machine's programs differ, so a program that reached the wrong machine shows.
        root.Write(machine.profile + "/nc/5.T3", Stored(NumberedProgram(150 + 40 * index)));
        root.Write(machine.profile + "/nc/6.T3", Stored(NumberedProgram(60 + 10 * index)));
        machine.upload = NumberedProgram(80 + 15 * index);
        root.Write(machine.profile + "/upload.nc", machine.upload);
        machine.simulator = std::make_unique<SimulatorProcess>(machine.folder);
        ASSERT_TRUE(machine.simulator->Start({"--baud",
                                              "115200",
                                              "--xonxoff",
                                              "--buffer",
                                              "512",
                                              "--timeout",
                                              "30000",
                                              "--start-when-open",
                                              "--start-wait",
                                              "500",
                                              "--expect-folder",
                                              machine.folder + "/nc",
                                              "--download",
                                              "5",
                                              "--upload",
                                              "8",
                                              machine.folder + "/upload.nc",
                                              "--download",
                                              "6",
                                              "--hold"}));
        machine.port = machine.simulator->ReadPortPath();
        ASSERT_FALSE(machine.port.empty()) << machine.simulator->StandardError();
    }
    for (Machine& machine : all) {
        ASSERT_TRUE(StartProgram(root, machine, machine.port));
    }
    for (Machine& machine : all) {
        EXPECT_EQ(machine.simulator->ReadOutputLine(std::chrono::seconds(90)), "DONE") << machine.profile;
    }
    for (Machine& machine : all) {
        ASSERT_TRUE(machine.program->Signal(SIGTERM));
        EXPECT_EQ(machine.program->WaitForExit(std::chrono::seconds(20)), 0)
            << machine.profile << ": " << machine.program->StandardError();
        EXPECT_EQ(machine.program->StandardError().find("(OK)"), std::string::npos)
            << machine.profile << ": " << machine.program->StandardError();
        ASSERT_TRUE(machine.simulator->Signal(SIGTERM));
        EXPECT_EQ(machine.simulator->WaitForExit(), 0)
            << machine.profile << ", downloads exact: " << machine.simulator->StandardError();
    }
    for (Machine& machine : all) {
        EXPECT_EQ(root.Read(machine.profile + "/nc/8.T3"), Stored(machine.upload)) << machine.profile;
        const std::string log = root.Read(machine.profile + "/activity.log");
        EXPECT_EQ(CountOf(log, "Download Completed"), 2u) << machine.profile << ": " << log;
        EXPECT_EQ(CountOf(log, "Upload Completed"), 1u) << machine.profile << ": " << log;
        EXPECT_NE(log.find(machine.folder + "/nc/5.T3"), std::string::npos) << machine.profile << ": " << log;
        EXPECT_NE(log.find(machine.folder + "/nc/8.T3"), std::string::npos) << machine.profile << ": " << log;
        for (const Machine& other : all) {
            if (&other != &machine) {
                EXPECT_EQ(log.find(other.folder + "/"), std::string::npos)
                    << machine.profile << "'s log: " << log;
            }
        }
        EXPECT_TRUE(fs::exists(root / (machine.profile + ".INI"))) << "each profile saves its own settings";
    }
}

// A port is one program's: a second instance set to a port the first holds gets the "Open Comm"
// box and serves nothing, and the first goes on serving its machine exactly.
TEST(MultiInstanceTest, ASecondInstanceOnAHeldPortIsRefusedAndTheFirstIsUndisturbed) {
    testsupport::TempFolder root;
    Machine first;
    first.profile = "FIRST";
    first.folder = root / "FIRST";
    Machine second;
    second.profile = "SECOND";
    second.folder = root / "SECOND";
    WriteProfile(root, first.profile);
    WriteProfile(root, second.profile);
    root.Write("FIRST/nc/5.T3", Stored(NumberedProgram(400)));
    first.simulator = std::make_unique<SimulatorProcess>(first.folder);
    ASSERT_TRUE(first.simulator->Start({"--baud", "115200", "--xonxoff", "--timeout", "30000",
                                        "--start-when-open", "--start-wait", "500", "--expect-folder",
                                        first.folder + "/nc", "--download", "5", "--hold"}));
    first.port = first.simulator->ReadPortPath();
    ASSERT_FALSE(first.port.empty());
    ASSERT_TRUE(StartProgram(root, first, first.port));
    // The second starts once the first holds its port, however long a loaded machine takes to get
    // it there.
    for (int look = 0; look < 3000 && !simulator::IsPortHeld(first.port); ++look)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(simulator::IsPortHeld(first.port)) << first.program->StandardError();
    ASSERT_TRUE(StartProgram(root, second, first.port));
    EXPECT_EQ(first.simulator->ReadOutputLine(std::chrono::seconds(60)), "DONE");
    ASSERT_TRUE(second.program->Signal(SIGTERM));
    EXPECT_EQ(second.program->WaitForExit(std::chrono::seconds(20)), 0) << second.program->StandardError();
    ASSERT_TRUE(first.program->Signal(SIGTERM));
    EXPECT_EQ(first.program->WaitForExit(std::chrono::seconds(20)), 0) << first.program->StandardError();
    ASSERT_TRUE(first.simulator->Signal(SIGTERM));
    EXPECT_EQ(first.simulator->WaitForExit(), 0)
        << "the first served exactly: " << first.simulator->StandardError();

    const std::string refused = second.program->StandardError();
    EXPECT_NE(refused.find("Open Comm: COM1\nAccess is denied."), std::string::npos) << refused;
    EXPECT_EQ(refused.find("(OK)"), refused.rfind("(OK)")) << "one box: " << refused;
    EXPECT_EQ(first.program->StandardError().find("(OK)"), std::string::npos)
        << first.program->StandardError();
    EXPECT_NE(root.Read("FIRST/activity.log").find("Download Completed"), std::string::npos);
    EXPECT_FALSE(fs::exists(root / "SECOND/activity.log")) << "the second served nothing";
}

} // namespace
