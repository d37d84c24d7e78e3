// The Windows build, tolva-dnc.exe, served to the real tolva-sim under Wine, and held against the
// Linux build doing the same work over the same kind of cable: what the controller receives, what
// lands in the upload folder, the activity log and the settings file written at close must be the
// same bytes on both. Wine is an implementation of Win32 we did not write, so whatever holds here
// holds for the code above the platform, not just for our stand-in of the API.

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/TestPrograms.h"
#include "support/WineSession.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::SimulatorProcess;
using testsupport::WineSession;

constexpr const char* profile = "CABLE";

// What one run of a program left behind.
struct Outcome {
    std::string received;     // every byte the controller received, in order
    std::string uploaded;     // the uploaded program as stored
    std::string activity;     // the activity log with its times and dates taken out
    std::string settings;     // the binary settings file written at close
    std::string boxes;        // what the unattended program answered on standard error
    int simulatorStatus = -1; // 0 when every expectation of the controller held
};

// The bytes of the RX events of a simulator record: "seconds RX bytes", with every byte outside
// 0x20-0x7E written as [hh].
std::string ReceivedBytes(const std::string& record) {
    std::string bytes;
    std::istringstream lines(record);
    for (std::string line; std::getline(lines, line);) {
        const size_t at = line.find(" RX ");
        if (at == std::string::npos) {
            continue;
        }
        for (size_t i = at + 4; i < line.size(); ++i) {
            if (line[i] == '[' && i + 3 < line.size() && line[i + 3] == ']') {
                bytes += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 3;
            } else {
                bytes += line[i];
            }
        }
    }
    return bytes;
}

// The activity log with each line's time and date left out: they follow the locale, which Wine
// and the Linux stand-in set up differently ("1:02:03 PM" and "13:02:03").
std::string WithoutTimes(const std::string& log) {
    static const std::regex stamped(R"(^(.{8}) \S+(?: [AP]M)? \S+ (.*)$)");
    std::string kept;
    std::istringstream lines(log);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::smatch parts;
        kept += std::regex_match(line, parts, stamped) ? parts[1].str() + " | " + parts[2].str() + "\n"
                                                       : "?" + line + "\n";
    }
    return kept;
}

// The first-run profile an operator writes: COM1 at 115,200 baud 8N1, no flow control, the
// folder's nc/ for both directions and the activity log in the folder.
std::string FirstRunProfile(const testsupport::TempFolder& folder) {
    return "[Port Settings]\nport=COM1\nbaudrate=115200\nparity=None\ndatabits=8\nstopbits=1\n"
           "flow control=None\ntransmit delay=0\n[Files]\nupload path=" +
           (folder / "nc/") + "\ndownload path=" + (folder / "nc/") +
           "\nfile extension=T3\n[Log]\nlog file=" + (folder / "activity.log") + "\nwrite log=1\n";
}

class WineEndToEndTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { session = std::make_unique<WineSession>(scratch.Path()); }
    static void TearDownTestSuite() { session.reset(); }

    void SetUp() override {
        ASSERT_TRUE(session->Failure().empty()) << session->Failure();
        fs::create_directories(folder / "nc");
        fs::create_directories(folder / "config");
        folder.Write("config/" + std::string(profile) + ".INI", FirstRunProfile(folder));
        // Wine's Windows folder is where a bare profile name is looked for.
        std::ofstream(fs::path(session->Prefix()) / "drive_c/windows" / (std::string(profile) + ".INI"),
                      std::ios::binary)
            << FirstRunProfile(folder);
        fs::copy_file(TOLVA_SAMPLE_PROGRAM, folder / "nc/5.T3");
        upload = testsupport::NumberedProgram(120);
        folder.Write("upload.nc", upload);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove(fs::path(session->Prefix()) / "drive_c/windows" / (std::string(profile) + ".INI"),
                   ignored);
    }

    // Everything a run leaves in the folder goes before the next run, so both start alike.
    void ClearRun() {
        for (const char* name : {"activity.log", "CABLE.INI", "nc/7.T3", "line.txt", "QOR.INI"}) {
            std::error_code ignored;
            fs::remove(folder / name, ignored);
        }
    }

    // One program on a virtual cable (a socat pair): once it holds its end, the controller asks
    // for program 5, uploads program 7, asks for the test line and for program 99, which is not
    // there; then the program is closed as its user would close it.
    Outcome Serve(const std::function<bool(ChildProcess&, const std::string& port)>& start,
                  const std::function<void(ChildProcess&)>& close) {
        ClearRun();
        Outcome outcome;
        ChildProcess cable(folder.Path(), "socat");
        const std::string socat = testsupport::InstalledProgramPath("socat");
        EXPECT_TRUE(cable.Start({socat,
                                 {"PTY,link=" + (folder / "machine") + ",raw,echo=0",
                                  "PTY,link=" + (folder / "dnc") + ",raw,echo=0"},
                                 {},
                                 {}}));
        for (int round = 0; round < 100 && !(fs::exists(folder / "machine") && fs::exists(folder / "dnc"));
             ++round) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        if (!fs::exists(folder / "dnc")) {
            ADD_FAILURE() << "socat made no cable: " << cable.StandardError();
            return outcome;
        }
        ChildProcess program(folder.Path(), "program");
        if (!start(program, fs::canonical(folder / "dnc").string())) {
            ADD_FAILURE() << "the program could not be started";
            return outcome;
        }
        EXPECT_TRUE(WineSession::WaitUntilHeld(folder / "dnc", cable.Id(), std::chrono::seconds(60)))
            << program.StandardError();
        // Wine's serial driver writes to a pseudo-terminal as fast as it takes the bytes: no UART
        // holds WriteFile to the line speed, and the output queue always reads empty. A controller
        // with the usual 1 KB buffer would count the surplus as lost, so here it takes the whole
        // program; pacing is the Linux suites' and the benchmark's business.
        SimulatorProcess simulator(folder.Path());
        EXPECT_TRUE(simulator.Start({"--device",
                                     folder / "machine",
                                     "--baud",
                                     "115200",
                                     "--buffer",
                                     "1048576",
                                     "--start-wait",
                                     "1000",
                                     "--timeout",
                                     "20000",
                                     "--record",
                                     folder / "line.txt",
                                     "--expect-file",
                                     folder / "nc/5.T3",
                                     "--download",
                                     "5",
                                     "--upload",
                                     "7",
                                     folder / "upload.nc",
                                     "--test-line",
                                     "--send",
                                     "DOWNLOAD PROGRAM:99",
                                     "--expect",
                                     "\x04",
                                     "--hold"}));
        EXPECT_FALSE(simulator.ReadPortPath().empty()) << simulator.StandardError();
        EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(90)), "DONE") << simulator.StandardError();
        close(program);
        EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0) << program.StandardError();
        simulator.Signal(SIGTERM);
        outcome.simulatorStatus = simulator.WaitForExit();
        EXPECT_EQ(outcome.simulatorStatus, 0) << simulator.StandardError();
        cable.Signal(SIGTERM);
        cable.WaitForExit();
        outcome.received = ReceivedBytes(folder.Read("line.txt"));
        outcome.uploaded = folder.Read("nc/7.T3");
        outcome.activity = WithoutTimes(folder.Read("activity.log"));
        outcome.settings = folder.Read("CABLE.INI");
        outcome.boxes = program.StandardError();
        return outcome;
    }

    Outcome ServeOnLinux() {
        return Serve(
            [&](ChildProcess& program, const std::string& port) {
                return program.Start(
                    {testsupport::ProgramPath(),
                     {profile},
                     {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
                     folder.Path()});
            },
            [](ChildProcess& program) { program.Signal(SIGTERM); });
    }

    Outcome ServeUnderWine() {
        return Serve(
            [&](ChildProcess& program, const std::string& port) {
                return session->LinkComPort(1, port) &&
                       session->Start(program, WineSession::WindowsProgramPath(), {profile}, folder.Path(),
                                      {{"TOLVA_UNATTENDED", "1"}});
            },
            // As a window manager closes a window: WM_CLOSE, here through Wine's taskkill.
            [&](ChildProcess&) {
                session->Run({"taskkill", "/IM", "tolva-dnc.exe"});
            });
    }

    static testsupport::TempFolder scratch;
    static std::unique_ptr<WineSession> session;
    testsupport::TempFolder folder;
    std::string upload;
};

testsupport::TempFolder WineEndToEndTest::scratch;
std::unique_ptr<WineSession> WineEndToEndTest::session;

TEST_F(WineEndToEndTest, TheWindowsBuildServesTheControllerByteForByteAsTheLinuxBuildDoes) {
    const Outcome linux = ServeOnLinux();
    const Outcome windows = ServeUnderWine();

    EXPECT_EQ(linux.simulatorStatus, 0) << "the Linux build: download exact, test line, refusal";
    EXPECT_EQ(windows.simulatorStatus, 0) << "the Windows build: download exact, test line, refusal";
    EXPECT_FALSE(windows.received.empty());
    EXPECT_TRUE(windows.received == linux.received)
        << "the controller received the same bytes from both (" << windows.received.size() << " and "
        << linux.received.size() << ")";
    EXPECT_NE(windows.received.find('\x04'), std::string::npos)
        << "program 99 was refused with the refusal byte";

    EXPECT_EQ(windows.uploaded, testsupport::Stored(upload)) << "the upload is stored exactly";
    EXPECT_EQ(linux.uploaded, testsupport::Stored(upload));

    EXPECT_EQ(testsupport::CountOf(windows.activity, "Download Completed " + (folder / "nc/5.T3")), 1u)
        << windows.activity;
    EXPECT_EQ(testsupport::CountOf(windows.activity, "Upload Completed " + (folder / "nc/7.T3")), 1u)
        << windows.activity;
    EXPECT_EQ(
        testsupport::CountOf(windows.activity, "Download could not open/read from " + (folder / "nc/99.T3")),
        1u)
        << windows.activity;
    EXPECT_EQ(windows.activity, linux.activity) << "the same activity log lines, times and dates aside";

    EXPECT_FALSE(windows.settings.empty()) << "the settings are written at close";
    EXPECT_TRUE(windows.settings == linux.settings)
        << "the binary settings file is the same on both (" << windows.settings.size() << " and "
        << linux.settings.size() << " bytes)";
    EXPECT_EQ(windows.boxes.find("(OK)"), std::string::npos) << "no box: " << windows.boxes;
}

// Unattended, the Windows build (a desktop program without a console of its own) still answers its
// boxes itself and writes them to standard error, where a service wrapper collects them.
TEST_F(WineEndToEndTest, AnUnattendedProgramAnswersItsBoxesOnStandardError) {
    const fs::path profileFile = fs::path(session->Prefix()) / "drive_c/windows/NOPORT.INI";
    std::ofstream(profileFile, std::ios::binary) << "[Port Settings]\nport=COM99\nbaudrate=9600\n";
    ChildProcess program(folder.Path(), "program");
    ASSERT_TRUE(session->Start(program, WineSession::WindowsProgramPath(), {"NOPORT"}, folder.Path(),
                               {{"TOLVA_UNATTENDED", "1"}}));
    for (int round = 0; round < 200 && program.StandardError().find("(OK)") == std::string::npos; ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    session->Run({"taskkill", "/IM", "tolva-dnc.exe"});
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0);
    fs::remove(profileFile);
    const std::string boxes = program.StandardError();
    // The second line is the system's own text for the error, which Wine words its own way;
    // standard error is in text mode, so each line ends with CR LF, as Windows files do.
    EXPECT_EQ(boxes.rfind("Open Comm: COM99\r\n", 0), 0u) << boxes;
    EXPECT_NE(boxes.find(" (OK)\r\n"), std::string::npos) << boxes;
}

// What an operator sees under Wine: the main window as it opens, and the "Settings" dialog that
// Enter opens from it (its default button is "Change Settings"). The pictures go to the build's
// snapshot folder; the program's own screenshot at close, as the demo takes it, must be a PNG
// that ImageMagick reads.
TEST_F(WineEndToEndTest, TheMainWindowAndTheSettingsDialogShowUnderWine) {
    SimulatorProcess simulator(folder.Path());
    ASSERT_TRUE(simulator.Start({"--baud", "115200", "--wait", "60000"}));
    const std::string port = simulator.ReadPortPath();
    ASSERT_FALSE(port.empty()) << simulator.StandardError();
    ASSERT_TRUE(session->LinkComPort(1, port));
    const fs::path snapshots = TOLVA_SNAPSHOT_DIR;
    fs::create_directories(snapshots);
    const std::string ownPicture = (snapshots / "WineMainWindowAtClose.png").string();
    fs::remove(ownPicture);
    ChildProcess program(folder.Path(), "program");
    ASSERT_TRUE(session->Start(program, WineSession::WindowsProgramPath(), {profile}, folder.Path(),
                               {{"TOLVA_SCREENSHOT", ownPicture}}));

    EXPECT_EQ(
        session->RunHostProgram("xdotool", {"search", "--sync", "--name", "^CABLE COM1:115200,N,8,1,None$"}),
        0)
        << "the main window, its caption naming the profile and the port's settings";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(session->RunHostProgram("import", {"-window", "CABLE COM1:115200,N,8,1,None",
                                                 (snapshots / "WineMainWindow.png").string()}),
              0);
    EXPECT_EQ(session->RunHostProgram("xdotool", {"key", "Return"}), 0);
    EXPECT_EQ(session->RunHostProgram("xdotool", {"search", "--sync", "--name", "^Settings$"}), 0)
        << "Enter pressed the default button";
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_EQ(session->RunHostProgram(
                  "import", {"-window", "Settings", (snapshots / "WineSettingsDialog.png").string()}),
              0);
    EXPECT_EQ(session->RunHostProgram("xdotool", {"key", "Escape"}), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    session->Run({"taskkill", "/IM", "tolva-dnc.exe"});
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(30)), 0) << program.StandardError();
    EXPECT_EQ(session->RunHostProgram("identify", {ownPicture}), 0)
        << "the program's own screenshot is a PNG";
    simulator.Signal(SIGTERM);
    simulator.WaitForExit();
}

} // namespace
