#include "engine/TraceLog.h"
#include "engine/TransferState.h"
#include "support/EngineSupport.h"

#include <csignal>
#include <regex>
#include <sstream>
#include <sys/resource.h>

using engine::TraceLog;
using engine::TransferState;

namespace testsupport {
namespace {

double fakeNow = 0.0;
double FakeClock() {
    return fakeNow;
}

struct Record {
    std::string stamp;
    double since = 0.0;
    double delta = 0.0;
    std::string text;
};

// Splits a trace log into its records, checking the stamp format of each line.
std::vector<Record> Records(const std::string& log) {
    static const std::regex shape(R"((\d\d+):(\d\d):(\d\d\.\d{6}) \(([+-]\d+\.\d{6})\) (.*))");
    std::vector<Record> records;
    std::size_t at = 0;
    while (at < log.size()) {
        const std::size_t end = log.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every record ends with CR LF";
        if (end == std::string::npos) {
            break;
        }
        const std::string line = log.substr(at, end - at);
        std::smatch match;
        EXPECT_TRUE(std::regex_match(line, match, shape)) << line;
        if (match.size() == 6) {
            Record record;
            record.stamp = line.substr(0, 27);
            record.since = std::stoi(match[1]) * 3600.0 + std::stoi(match[2]) * 60.0 + std::stod(match[3]);
            record.delta = std::stod(match[4]);
            record.text = match[5];
            records.push_back(record);
        }
        at = end + 2;
    }
    return records;
}

// The records after the start record and the settings block.
std::vector<std::string> AfterSettings(const std::vector<std::string>& texts) {
    EXPECT_GE(texts.size(), 7u);
    return texts.size() < 7 ? texts : std::vector<std::string>(texts.begin() + 7, texts.end());
}

std::vector<std::string> Texts(const std::vector<Record>& records) {
    std::vector<std::string> texts;
    for (const Record& record : records) {
        texts.push_back(record.text);
    }
    return texts;
}

class LogsTest : public EngineTest {
protected:
    void StartTraceLog() {
        view.saveAnswer = folder / "trace.log";
        engine.ToggleTraceLog(true);
        ASSERT_TRUE(engine.IsTraceLogOpen());
    }
    std::vector<Record> TraceRecords() const { return Records(folder.Read("trace.log")); }
};

TEST(TraceLogFormat, StampsShowHoursMinutesSecondsAndTheDelta) {
    EXPECT_EQ(TraceLog::FormatRecord(3725.5, 0.001532, "RX A").CStr(),
              std::string("01:02:05.500000 (+0.001532) RX A\r\n"));
    EXPECT_EQ(TraceLog::FormatRecord(7.25, 7.25, "Start of logging").CStr(),
              std::string("00:00:07.250000 (+7.250000) Start of logging\r\n"));
    EXPECT_EQ(TraceLog::FormatRecord(36000.0 * 10 + 59.0, 0.0, "x").CStr(),
              std::string("100:00:59.000000 (+0.000000) x\r\n"))
        << "hours take as many digits as they need";
}

TEST(TraceLogFormat, RecordsAreTimedFromTheStartAndLongTextsSplit) {
    testsupport::TempFolder folder;
    TraceLog log(FakeClock);
    fakeNow = 500.0;
    ASSERT_TRUE(log.Create((folder / "t.log").c_str()));
    fakeNow = 500.25;
    log.Write("first");
    fakeNow = 500.0 + 3725.5;
    log.Write(std::string(2500, 'z').c_str());
    log.Close();
    const std::string text = folder.Read("t.log");
    const auto records = Records(text);
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(text.rfind("00:00:00.250000 (+0.250000) first\r\n", 0), 0u);
    EXPECT_NE(text.find("\n01:02:05.500000 (+3725.250000) zzz"), std::string::npos)
        << "a delta wider than its field keeps its digits";
    std::string joined;
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_LE(records[i].text.size(), static_cast<std::size_t>(TraceLog::RecordTextLimit));
        joined += records[i].text;
    }
    EXPECT_EQ(joined, std::string(2500, 'z')) << "split, nothing lost";
}

TEST_F(LogsTest, StartWritesTheSettingsBlockAndTheDialogAsksWithTheLogFilters) {
    settings.logSavePath = "/tmp/old.log";
    settings.uploadPath = "U:/up/";
    settings.downloadPath = "D:/down/";
    settings.transmitDelay = 2;
    settings.charDelay = 3;
    settings.lineDelay = 4;
    settings.sendStartCode = 1;
    settings.sendEndCode = 0;
    StartTraceLog();
    EXPECT_EQ(view.Get(view.saveDialogs),
              std::vector<std::string>{
                  "Save Log File As|/tmp/old.log|Log files (*.log)|*.log|All Files (*.*)|*.*"});
    EXPECT_STREQ(settings.logSavePath.CStr(), (folder / "trace.log").c_str());
    engine.ToggleTraceLog(false);
    EXPECT_FALSE(engine.IsTraceLogOpen());
    const auto records = TraceRecords();
    const std::vector<std::string> expected = {
        "Start of logging",
        "==================== Settings ======================",
        "Port=COM5 baud=115200 parity=None data=8 stop=1 flow=None",
        "Upload path=U:/up/ Download path=D:/down/ Extension=T3",
        "Transmit delay=2 Character Delay=3 Line Delay=4",
        "Send SOT=1 SOT Character=18 Send EOT=0 EOT Character=4",
        "==================== Settings ======================",
        "End of Logging",
    };
    EXPECT_EQ(Texts(records), expected);
    ASSERT_FALSE(records.empty());
    EXPECT_LT(records[0].since, 0.5);
    EXPECT_NEAR(records[0].delta, records[0].since, 2e-6) << "the first delta is the time itself";
    for (std::size_t i = 1; i < records.size(); ++i) {
        EXPECT_NEAR(records[i].delta, records[i].since - records[i - 1].since, 2e-6) << i;
    }
}

TEST_F(LogsTest, CancelledOrUnwritableLogReleasesTheButton) {
    engine.ToggleTraceLog(true); // the dialog is cancelled
    EXPECT_FALSE(engine.IsTraceLogOpen());
    view.saveAnswer = folder / "missing/folder/trace.log";
    engine.ToggleTraceLog(true);
    EXPECT_FALSE(engine.IsTraceLogOpen());
    EXPECT_EQ(view.Infos(), std::vector<std::string>{"Unable to write to log file"});
    EXPECT_EQ(view.Events(), (std::vector<std::string>{"log button released", "log button released"}));
}

// A disk that fills while the trace log runs (a file-size limit on this process stands for it):
// the box comes once, not at every record, and a new log may say so again.
TEST_F(LogsTest, ATraceLogThatStopsTakingRecordsSaysSoOnce) {
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit small{1024, previous.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    StartTraceLog();
    for (int record = 0; record < 100; ++record) {
        engine.LogRecord(("record " + std::to_string(record)).c_str(), false);
    }
    const std::vector<std::string> infos = view.Infos();
    engine.ToggleTraceLog(false);
    StartTraceLog();
    for (int record = 0; record < 100; ++record) {
        engine.LogRecord(("again " + std::to_string(record)).c_str(), false);
    }
    engine.ToggleTraceLog(false);
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_EQ(infos, std::vector<std::string>{"Unable to write to log file"});
    EXPECT_EQ(view.Infos(),
              (std::vector<std::string>{"Unable to write to log file", "Unable to write to log file"}));
    EXPECT_LE(folder.Read("trace.log").size(), 1024u);
}

TEST_F(LogsTest, RepeatedTransmitRecordsAreSuppressedButReceivedOnesAreNot) {
    StartTraceLog();
    Start();
    engine.SendFormatted("%s\r\n", "N10 G01");
    engine.SendFormatted("%s\r\n", "N10 G01");
    EXPECT_EQ(Arrived(18), "N10 G01\r\nN10 G01\r\n");
    line->Send("A");
    ASSERT_TRUE(PumpUntil([&] { return engine.ReceiveCount() == 1; }));
    line->Send("A");
    ASSERT_TRUE(PumpUntil([&] { return engine.ReceiveCount() == 2; }));
    engine.ShutDownLink();
    engine.ShutDownLink(); // closing runs it twice
    const auto tail = AfterSettings(Texts(TraceRecords()));
    EXPECT_EQ(tail,
              (std::vector<std::string>{"TX N10 G01[0d][0a]", "RX A", "RX A", "Application Terminated"}));
}

TEST_F(LogsTest, StartCodeIsRecordedAtTheNextRead) {
    StartTraceLog();
    settings.sendStartCode = 1;
    settings.transmitDelay = 1;
    Start();
    line->Send("DOWNLOAD PROGRAM:5\r");
    EXPECT_EQ(Arrived(1), "\x12");
    line->Send("XYZ\r");
    EXPECT_EQ(Arrived(38).size(), 38u);
    // The monitor text of a poll cycle is handed over at its end, after the write.
    EXPECT_TRUE(PumpUntil([&] { return view.Monitor().find("Z[0d][0a]\n") != std::string::npos; }));
    engine.ToggleTraceLog(false);
    const auto tail = AfterSettings(Texts(TraceRecords()));
    EXPECT_EQ(tail, (std::vector<std::string>{"RX DOWNLOAD PROGRAM:5[0d]", "TX [12]", "RX XYZ[0d]",
                                              "TX 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[0d][0a]",
                                              "End of Logging"}));
    EXPECT_EQ(view.Monitor(), "RX DOWNLOAD PROGRAM:5[0d]\nTX [12]TX [12]\n\nRX XYZ[0d]\nTX "
                              "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ[0d][0a]\n")
        << "the start code's open monitor line is closed before the received line";
}

TEST_F(LogsTest, HoldChangesAreForcedRecordsInBitOrder) {
    settings.flowControl = "Hardware";
    engine.ApplyPortSettings(false);
    StartTraceLog();
    Start();
    line->SetCts(false);
    ASSERT_TRUE(PumpUntil([&] { return engine.HoldFlagSet(engine::SerialLink::CtsHold); }));
    ASSERT_TRUE(PumpUntil([&] { return view.LampChanges().size() == 1; }));
    EXPECT_EQ(view.LampChanges(), std::vector<std::string>{"2+"}) << "the CTS Hold lamp, lit once";
    engine.SuspendPolling();
    line->SetCts(true);
    line->SetDsr(false);
    engine.ResumePolling();
    ASSERT_TRUE(PumpUntil([&] { return engine.HoldFlagSet(engine::SerialLink::DsrHold); }));
    Pump(250);
    engine.ToggleTraceLog(false);
    const auto tail = AfterSettings(Texts(TraceRecords()));
    EXPECT_EQ(tail, (std::vector<std::string>{"CTS Hold=1  ", "CTS Hold=0  DSR Hold=1  ", "End of Logging"}));
    EXPECT_EQ(view.LampChanges(), (std::vector<std::string>{"2+", "2-", "3+"}));
}

// One outcome shown over several status refreshes is one line of the activity log, also when trace
// records come between the refreshes.
TEST_F(LogsTest, ActivityLogIsWrittenOncePerOutcomeEvenAfterATraceRecord) {
    settings.writeLog = 1;
    StartTraceLog();
    engine.SetState(TransferState::DownloadErrors);
    engine.UpdateStatus();
    engine.UpdateStatus();
    const std::string line = "         12:34:56 05/12/2024 Download Error(s) \r\n";
    EXPECT_EQ(folder.Read("activity.log"), line);
    engine.LogRecord("RX something", true);
    engine.UpdateStatus();
    EXPECT_EQ(folder.Read("activity.log"), line) << "the trace log has its own last record";
    EXPECT_EQ(engine::ActivityLog::FormatLine("42", "t", "d", "s").CStr(), std::string("      42 t d s\r\n"));
}

TEST_F(LogsTest, NoActivityLogWhenSwitchedOffAndOneBoxWhenUnwritable) {
    engine.SetState(TransferState::UploadErrors);
    engine.UpdateStatus();
    EXPECT_FALSE(std::filesystem::exists(folder / "activity.log"));
    settings.writeLog = 1;
    settings.logFile = (folder / "no/such/folder/activity.log").c_str();
    for (int i = 0; i < 5; ++i) {
        engine.UpdateStatus();
    }
    EXPECT_EQ(view.Infos(), std::vector<std::string>{"Unable to write to log file"}) << "once per outcome";
    engine.SetState(TransferState::DownloadErrors);
    engine.UpdateStatus();
    EXPECT_EQ(view.Infos().size(), 2u) << "a new outcome shows it again";
}

} // namespace
} // namespace testsupport
