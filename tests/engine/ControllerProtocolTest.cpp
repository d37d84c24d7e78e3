#include "engine/TransferState.h"
#include "support/EngineSupport.h"

#include <algorithm>
#include <filesystem>

using engine::ControllerProtocol;
using engine::TransferState;

namespace testsupport {
namespace {

class ControllerProtocolTest : public EngineTest {
protected:
    std::string PathOf(const std::string& name) const { return folder / name; }
    std::string ActivityLog() const { return folder.Read("activity.log"); }
    // Sends a program to the link as the controller punches it, in pieces the link can take.
    void SendSlowly(const std::string& bytes) {
        for (std::size_t at = 0; at < bytes.size(); at += 1000) {
            line->Send(bytes.substr(at, 1000));
            Pump(15);
        }
    }
    // The index of the first status text starting with prefix, at or after from; -1 when none.
    static int FindStatus(const std::vector<std::string>& texts, const std::string& prefix, int from = 0) {
        for (int i = from; i < static_cast<int>(texts.size()); ++i) {
            if (texts[static_cast<std::size_t>(i)].rfind(prefix, 0) == 0) {
                return i;
            }
        }
        return -1;
    }
};

TEST_F(ControllerProtocolTest, DownloadAfterTheTransmitDelaySendsEveryNonEmptyLine) {
    const std::string program = LongProgram(80); // a few thousand lines
    folder.Write("123.T3", program);
    const std::string wire = WireForm(program);
    ASSERT_GT(std::count(wire.begin(), wire.end(), '\n'), 2000);
    settings.baudRate = "921600";
    settings.transmitDelay = 2;
    settings.sendStartCode = 1;
    settings.writeLog = 1;
    engine.ApplyPortSettings(false);
    Start();
    line->Send("DOWNLOAD PROGRAM:000123\r");
    const std::string first = Arrived(1);
    EXPECT_EQ(first, "\x12") << "the start code comes before the delay";
    const auto requested = std::chrono::steady_clock::now();
    ASSERT_TRUE(WaitForState(TransferState::Downloading, 4000));
    const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - requested).count();
    EXPECT_GE(waited, 1.9) << "the transmit delay of 2 s";
    EXPECT_LE(waited, 3.0);
    const std::string arrived = Arrived(wire.size(), 15000);
    ASSERT_EQ(arrived.size(), wire.size());
    EXPECT_TRUE(arrived == wire) << "the program's lines, exactly, each ended by CR LF";
    ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
    EXPECT_EQ(engine.ByteCount(), static_cast<int32_t>(wire.size()));
    const std::string path = PathOf("123.T3");
    const std::string completed =
        "Download Completed " + path + " - " + std::to_string(wire.size()) + " bytes";
    ASSERT_TRUE(PumpUntil([&] { return view.LastStatus().rfind(completed, 0) == 0; }));
    EXPECT_EQ(view.LastStatus().size(), std::max<std::size_t>(70, completed.size())) << "padded to 70";
    const auto texts = view.StatusTexts();
    const int waiting = FindStatus(texts, "Download Waiting For Controller");
    const int preparing = FindStatus(texts, "Download Preparation", waiting);
    const int sending = FindStatus(texts, "Downloading " + path + " - ", preparing);
    const int done = FindStatus(texts, completed, sending);
    EXPECT_TRUE(waiting >= 0 && preparing > waiting && sending > preparing && done > sending)
        << waiting << " " << preparing << " " << sending << " " << done;
    if (sending > 0) {
        const std::string& text = texts[static_cast<std::size_t>(sending)];
        EXPECT_NE(text.find(" of " + std::to_string(program.size()) + " bytes sent."), std::string::npos)
            << text;
    }
    EXPECT_EQ(view.Captions().back(), "TOLVA  123");
    EXPECT_EQ(ActivityLog(), "     123 12:34:56 05/12/2024 " + completed + "\r\n");
    const auto events = view.Events();
    EXPECT_NE(std::find(events.begin(), events.end(), "enable transfer buttons"), events.end());
}

TEST_F(ControllerProtocolTest, LongLinesGoOutWholeAndTheEndCodeFollowsWhenAsked) {
    const std::string longLine = "G1" + std::string(2500, 'X') + "Y1";
    folder.Write("77.T3", "N10 G01\n" + longLine + "\n\n   \n");
    settings.sendEndCode = 1;
    settings.endCode = 4;
    Start();
    line->Send("DOWNLOAD PROGRAM:77\r");
    const std::string expected = "N10 G01\r\n" + longLine + "\r\n   \r\n\x04";
    EXPECT_EQ(Arrived(expected.size()), expected) << "a line of spaces is sent; nothing is cut";
    ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
    EXPECT_EQ(engine.ByteCount(), 9 + static_cast<int32_t>(longLine.size()) + 2 + 5)
        << "the end code is not counted";
}

TEST_F(ControllerProtocolTest, MissingProgramIsRefusedWithEot) {
    settings.writeLog = 1;
    Start();
    line->Send("DOWNLOAD PROGRAM:4711\r");
    EXPECT_EQ(Arrived(1), "\x04");
    ASSERT_TRUE(WaitForState(TransferState::DownloadOpenFailed));
    const std::string status = "Download could not open/read from " + PathOf("4711.T3");
    ASSERT_TRUE(PumpUntil([&] { return view.LastStatus().rfind(status, 0) == 0; }));
    EXPECT_EQ(ActivityLog(), "    4711 12:34:56 05/12/2024 " + status + "\r\n") << "logged once";
    Pump(50);
    EXPECT_EQ(line->TakeArrived(), "") << "a single refusal byte";
}

TEST_F(ControllerProtocolTest, ProgramNumbersThatLeaveTheirFolderAreRefused) {
    folder.Write("secret.T3", "N1 SECRET\n");
    settings.downloadPath = (folder.Path() + "/down").c_str();
    std::filesystem::create_directory(folder / "down");
    settings.writeLog = 1;
    Start();
    const char* const attempts[] = {"DOWNLOAD PROGRAM:../secret", "DOWNLOAD PROGRAM:..\\secret",
                                    "DOWNLOAD PROGRAM:/etc/passwd", "UPLOAD PROGRAM:../evil",
                                    "UPLOAD PROGRAM:a/../../evil"};
    for (const char* attempt : attempts) {
        SCOPED_TRACE(attempt);
        line->Send(std::string(attempt) + "\r");
        EXPECT_EQ(Arrived(1), "\x04");
        const bool isUpload = std::string(attempt).rfind("UPLOAD", 0) == 0;
        EXPECT_TRUE(
            WaitForState(isUpload ? TransferState::UploadOpenFailed : TransferState::DownloadOpenFailed));
        ASSERT_TRUE(PumpUntil([&] {
            return view.LastStatus().rfind("Download could not", 0) == 0 ||
                   view.LastStatus().rfind("Upload could not", 0) == 0;
        }));
        Pump(120);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "evil.T3"));
    EXPECT_FALSE(std::filesystem::exists(folder / "up/../evil.T3"));
    const std::string log = ActivityLog();
    EXPECT_EQ(log.rfind("../secret 12:34:56 05/12/2024 Download could not open/read from ", 0), 0u) << log;
    EXPECT_NE(log.find("\n ../evil 12:34:56"), std::string::npos) << "right-aligned in eight characters";
    EXPECT_NE(log.find("Upload could not open/write to"), std::string::npos) << log;
}

TEST_F(ControllerProtocolTest, TestLineRequestsAreAnsweredOneLinePerCall) {
    Start();
    line->Send("XYZ\rXYZ\r"); // two lines in one read
    const std::string answer = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    EXPECT_EQ(Arrived(2 * answer.size()), answer + answer);
    ASSERT_TRUE(WaitForState(TransferState::LoopBackTest));
    EXPECT_TRUE(PumpUntil([&] { return view.LastStatus().rfind("Loop Back Test ", 0) == 0; }));
    line->Send("\x01\x02\x7f\r"); // nothing printable: consumed without an answer
    EXPECT_TRUE(PumpUntil([&] { return engine.ReceiveCount() == 0 && engine.RequestLine().Equals("XYZ"); }));
    Pump(50);
    EXPECT_EQ(line->TakeArrived(), "");
    EXPECT_EQ(engine.State(), TransferState::LoopBackTest);
}

TEST_F(ControllerProtocolTest, UploadStoresTheLinesUntilTheEndOfFileLine) {
    settings.writeLog = 1;
    Start();
    std::string program = SampleProgram() + "%\n(a line with % inside)\n";
    std::string sent = "UPLOAD PROGRAM:7\r\n";
    std::istringstream lines(program);
    for (std::string text; std::getline(lines, text);) {
        if (!text.empty()) {
            sent += text + "\r\n";
        }
    }
    SendSlowly(sent + "EOF 000\r\n");
    ASSERT_TRUE(WaitForState(TransferState::UploadCompleted));
    std::string stored;
    std::istringstream kept(program);
    for (std::string text; std::getline(kept, text);) {
        if (!text.empty()) {
            stored += text + "\r\n";
        }
    }
    const std::string path = folder.Path() + "/up/7.T3";
    testsupport::TempFolder unused;
    std::ifstream file(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, stored) << "CR LF line ends; neither the request nor the EOF line";
    const std::string status =
        "Upload Completed " + path + " - " + std::to_string(stored.size()) + " bytes in file.";
    EXPECT_TRUE(PumpUntil([&] { return view.LastStatus().rfind(status, 0) == 0; })) << view.LastStatus();
    EXPECT_EQ(ActivityLog(), "       7 12:34:56 05/12/2024 " + status + "\r\n");
    EXPECT_EQ(view.Captions().back(), "TOLVA  7");
}

// A status refresh can come at any point of a request: one that comes while the next upload's
// path goes in must not log the last outcome again under that path.
TEST_F(ControllerProtocolTest, ARefreshAsTheNextUploadBeginsLogsNothingOfTheLastOne) {
    settings.writeLog = 1;
    Start();
    SendSlowly("UPLOAD PROGRAM:6\r\nN10 G00\r\nEOF 000\r\n");
    ASSERT_TRUE(WaitForState(TransferState::UploadCompleted));
    engine.UpdateStatus();
    view.onCaption = [this] { engine.UpdateStatus(); };
    SendSlowly("UPLOAD PROGRAM:7\r\nN20 G01 X5\r\nEOF 000\r\n");
    ASSERT_TRUE(PumpUntil([&] { return ActivityLog().find("/7.T3") != std::string::npos; }));
    view.onCaption = nullptr;
    const std::string log = ActivityLog();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << log;
    EXPECT_NE(log.find("Upload Completed " + folder.Path() + "/up/6.T3"), std::string::npos) << log;
    EXPECT_NE(log.find("Upload Completed " + folder.Path() + "/up/7.T3"), std::string::npos) << log;
}

// An outcome set while a status update is under way (from inside one of its calls to the window,
// as a box's message loop would) is logged when that update ends, not dropped.
TEST_F(ControllerProtocolTest, AnOutcomeSetDuringAStatusUpdateIsStillLogged) {
    settings.writeLog = 1;
    Start();
    view.onStatusText = [this] {
        engine.SetState(TransferState::DownloadCancelled);
        engine.UpdateStatus();
    };
    engine.UpdateStatus();
    EXPECT_NE(ActivityLog().find("Download Cancelled"), std::string::npos) << ActivityLog();
}

TEST_F(ControllerProtocolTest, UploadWithErrorsAndAGrowingProgressTotal) {
    Start();
    std::string sent = "UPLOAD PROGRAM:0042\r";
    std::string stored;
    for (int i = 0; i < 500; ++i) {
        const std::string text = "N" + std::to_string(i) + " G01 X" + std::to_string(i * 3) + " Y17.5";
        sent += text + "\r\n";
        stored += text + "\r\n";
    }
    ASSERT_GT(stored.size(), 10000u);
    SendSlowly(sent);
    ASSERT_TRUE(PumpUntil([&] { return engine.ByteCount() == static_cast<int32_t>(stored.size()); }));
    EXPECT_EQ(engine.Total(), 20000) << "the total starts at 10000 and doubles";
    EXPECT_EQ(view.Get(view.progressTotal), 20000);
    line->Send("EOF 012\r");
    ASSERT_TRUE(WaitForState(TransferState::UploadErrors));
    const std::string path = folder.Path() + "/up/42.T3";
    EXPECT_TRUE(PumpUntil([&] { return view.LastStatus().rfind("Upload Error(s) " + path, 0) == 0; }));
    std::ifstream file(path, std::ios::binary);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()), stored);
}

TEST_F(ControllerProtocolTest, DownloadRequestDuringAnUploadIsWrittenAndThenFails) {
    folder.Write("123.T3", SampleProgram());
    Start();
    SendSlowly("UPLOAD PROGRAM:8\rN1 G00\rDOWNLOAD PROGRAM:123\r");
    EXPECT_EQ(Arrived(1), "\x04");
    ASSERT_TRUE(WaitForState(TransferState::DownloadOpenFailed));
    line->Send("EOF 000\r");
    Pump(100);
    EXPECT_EQ(engine.State(), TransferState::DownloadOpenFailed) << "no download went out for EOF to confirm";
    EXPECT_EQ(folder.Read("up/8.T3"), "N1 G00\r\nDOWNLOAD PROGRAM:123\r\n");
    line->Send("DOWNLOAD PROGRAM:123\r");
    EXPECT_EQ(Arrived(WireForm(SampleProgram()).size()), WireForm(SampleProgram()))
        << "the upload's file was closed";
}

// The controller's verdict line speaks of the download it was sent: after one, EOF 001 and EOF 000
// set the outcome; with none since the last request, they change nothing.
TEST_F(ControllerProtocolTest, EndOfFileVerdictsConfirmOnlyADownloadThatWentOut) {
    settings.writeLog = 1;
    folder.Write("5.T3", SampleProgram());
    Start();
    line->Send("EOF 001\r");
    Pump(100);
    EXPECT_EQ(engine.State(), TransferState::Waiting) << "no request, no download: nothing to confirm";
    line->Send("DOWNLOAD PROGRAM:5\r");
    Arrived(WireForm(SampleProgram()).size());
    ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
    line->Send("EOF 001\r");
    ASSERT_TRUE(WaitForState(TransferState::DownloadErrors));
    line->Send("PROGRAM EOF 000 OK\r");
    ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
    line->Send("XYZ\r");
    ASSERT_TRUE(WaitForState(TransferState::LoopBackTest));
    line->Send("EOF 001\r");
    Pump(100);
    EXPECT_EQ(engine.State(), TransferState::LoopBackTest)
        << "the test line is a request that sent no program";
}

// An upload refused for its folder gets the refusal byte and its log line; the end-of-file line
// the controller sends after its program confirms nothing, so the refusal stays in the status
// line and in the log.
TEST_F(ControllerProtocolTest, ARefusedUploadStaysRefusedWhenTheControllerEndsItsFile) {
    settings.writeLog = 1;
    settings.uploadPath = (folder.Path() + "/missing").c_str();
    Start();
    line->Send("UPLOAD PROGRAM:7\r");
    EXPECT_EQ(Arrived(1), "\x04");
    ASSERT_TRUE(WaitForState(TransferState::UploadOpenFailed));
    SendSlowly("N10 G00 X1\r\nN20 G01 Y2\r\nEOF 000\r\n");
    const std::string refused = "Upload could not open/write to " + folder.Path() + "/missing/7.T3";
    ASSERT_TRUE(PumpUntil([&] { return ActivityLog().find(refused) != std::string::npos; }));
    Pump(300);
    EXPECT_EQ(engine.State(), TransferState::UploadOpenFailed);
    EXPECT_EQ(view.LastStatus().rfind(refused, 0), 0u) << view.LastStatus();
    EXPECT_EQ(ActivityLog(), "       7 12:34:56 05/12/2024 " + refused + "\r\n")
        << "one line, and no download";
}

// The log keeps one line for each transfer: three downloads of the same program, and two
// refusals of the same missing one, are five lines, however alike their texts.
TEST_F(ControllerProtocolTest, EachTransferIsLoggedOnceWhateverTheTextOfTheOneBefore) {
    settings.writeLog = 1;
    folder.Write("123.T3", SampleProgram());
    Start();
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE(round);
        line->Send("DOWNLOAD PROGRAM:123\r");
        EXPECT_EQ(Arrived(WireForm(SampleProgram()).size()).size(), WireForm(SampleProgram()).size());
        ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
        line->Send("EOF 000\r");
        Pump(250); // two status refreshes and more
    }
    for (int round = 1; round <= 2; ++round) {
        line->Send("DOWNLOAD PROGRAM:99\r");
        EXPECT_EQ(Arrived(1), "\x04");
        Pump(250);
    }
    const std::string log = ActivityLog();
    const auto occurrences = [&log](const std::string& text) {
        int count = 0;
        for (std::size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
            ++count;
        }
        return count;
    };
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 5) << log;
    EXPECT_EQ(occurrences("Download Completed " + PathOf("123.T3")), 3) << log;
    EXPECT_EQ(occurrences("Download could not open/read from " + PathOf("99.T3")), 2) << log;
}

TEST_F(ControllerProtocolTest, OverlongLineIsDroppedAndTheLinkGoesOn) {
    settings.writeLog = 1;
    // Polled by hand, so that the short overrun state can be seen.
    line->Send(std::string(4000, 'x'));
    auto pollUntil = [&](auto condition) {
        for (int i = 0; i < 2000 && !condition(); ++i) {
            engine.PollPort();
            std::this_thread::sleep_for(std::chrono::microseconds(500));
        }
        return condition();
    };
    ASSERT_TRUE(pollUntil([&] { return engine.ReceiveCount() == 4000; }));
    line->Send(std::string(500, 'x'));
    ASSERT_TRUE(pollUntil([&] { return engine.State() == TransferState::Overrun; }));
    engine.UpdateStatus();
    EXPECT_EQ(view.LastStatus().substr(0, 39), "Over Run Error! Data loss has occurred!");
    EXPECT_NE(ActivityLog().find("Over Run Error! Data loss has occurred!\r\n"), std::string::npos);
    ASSERT_TRUE(pollUntil([&] { return engine.State() == TransferState::Waiting; })) << "the next read";
    line->Send("\rXYZ\r");
    const std::string answer = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    std::string arrived;
    ASSERT_TRUE(pollUntil([&] {
        arrived += line->TakeArrived();
        return arrived.size() >= answer.size();
    }));
    EXPECT_EQ(arrived, answer);
}

} // namespace
} // namespace testsupport
