#include "ProgramRun.h"

#include "CpuSampler.h"

#include "engine/CommsSettings.h"
#include "framework/Archive.h"
#include "support/WineSession.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

namespace bench {

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// One event of the simulator's record: when, which way, how many bytes.
struct LineEvent {
    double at = 0.0;
    bool isReceived = false;
    std::string text;
    long bytes = 0;
};

// The record writes bytes outside 0x20..0x7E as [HH]; a '[' of the program itself is followed by
// anything but two upper-case hex digits and ']' in the programs measured here.
long CountBytes(const std::string& printable) {
    auto isHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    long count = 0;
    for (std::size_t at = 0; at < printable.size(); ++count) {
        const bool isEscape = printable[at] == '[' && at + 3 < printable.size() && isHex(printable[at + 1]) &&
                              isHex(printable[at + 2]) && printable[at + 3] == ']';
        at += isEscape ? 4 : 1;
    }
    return count;
}

std::vector<LineEvent> ReadRecord(const std::string& path) {
    std::vector<LineEvent> events;
    std::ifstream file(path, std::ios::binary);
    for (std::string line; std::getline(file, line);) {
        const std::size_t first = line.find(' ');
        if (first == std::string::npos || line.size() < first + 4) {
            continue;
        }
        LineEvent event;
        event.at = std::stod(line.substr(0, first));
        event.isReceived = line.compare(first + 1, 2, "RX") == 0;
        event.text = line.substr(first + 4);
        event.bytes = CountBytes(event.text);
        events.push_back(std::move(event));
    }
    return events;
}

std::string ProgramText(std::size_t bytes) {
    const std::string sample = ReadAll(TOLVA_SAMPLE_PROGRAM);
    std::string program;
    while (program.size() < bytes) {
        program += sample;
    }
    return program;
}

// The settings an operator would have made in the settings dialog, stored as the program stores
// them at its close: the binary settings file in the working folder.
bool WriteSettings(const std::string& folder, const RunPlan& plan) {
    engine::CommsSettings settings = engine::CommsSettings::ForController();
    settings.port = "COM1";
    settings.baudRate = std::to_string(plan.baud).c_str();
    settings.parity = "None";
    settings.dataBits = "8";
    settings.stopBits = "1";
    settings.flowControl = "None";
    settings.uploadPath = (folder + "/nc/").c_str();
    settings.downloadPath = (folder + "/nc/").c_str();
    settings.transmitDelay = 0;
    settings.charDelay = plan.charDelay;
    settings.logFile = (folder + "/activity.log").c_str();
    settings.writeLog = 1;
    framework::Archive archive(framework::String((folder + "/BENCH.INI").c_str()),
                               framework::Archive::DirectionWrite);
    archive.TransferObject(settings);
    archive.Close();
    return archive.ErrorBits() == 0;
}

std::string RunFolder(const std::string& root) {
    static int runNumber = 0;
    return root + "/run" + std::to_string(++runNumber);
}

std::chrono::milliseconds StartWait(const RunPlan& plan) {
    if (plan.startWait.count() > 0) {
        return plan.startWait;
    }
    // Wine takes longer to start a program.
    return std::chrono::milliseconds(plan.wine != nullptr ? 6000 : 2000);
}

} // namespace

double Seconds(Clock::duration span) {
    return std::chrono::duration<double>(span).count();
}

ProgramRun::ProgramRun(const std::string& root, const RunPlan& plan)
    : plan(plan), folder(RunFolder(root)), simulator(folder), server(folder), program(folder, "tolva-dnc") {}

ProgramRun::~ProgramRun() = default;

bool ProgramRun::Start() {
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/nc");
    std::filesystem::create_directories(folder + "/config");
    if (!WriteSettings(folder, plan)) {
        problem = "the settings file could not be written";
        return false;
    }
    const std::string text = ProgramText(plan.bytes);
    std::ofstream(folder + "/nc/1.T3", std::ios::binary) << text;

    // The simulator waits for the program to come up and open its end before it asks.
    const std::string record = folder + "/line.txt";
    std::vector<std::string> arguments{"--baud",    std::to_string(plan.baud),
                                       "--buffer",  std::to_string(text.size() + 4096),
                                       "--record",  record,
                                       "--timeout", "120000",
                                       "--idle",    "1000",
                                       "--wait",    std::to_string(StartWait(plan).count())};
    if (plan.bytes > 0) {
        // The cable stays up after the download until the program has closed: a simulator that
        // leaves first would have the program report the lost device.
        arguments.insert(arguments.end(),
                         {"--expect-file", folder + "/nc/1.T3", "--download", "1", "--wait", "4000"});
    } else {
        arguments.insert(arguments.end(), {"--wait", std::to_string(plan.idleSpan.count() + 1000)});
    }
    simulatorStart = Clock::now();
    if (!simulator.Start(arguments)) {
        problem = "the simulator did not start";
        return false;
    }
    std::string port = simulator.ReadPortPath();
    if (plan.isThroughDeviceServer) {
        if (port.empty() || !server.Start(port, testsupport::DeviceServerProcess::Protocol::ComPortControl)) {
            problem = "ser2net did not start: " + server.Problem();
            return false;
        }
        port = server.Address();
    }
    const char* monitor = plan.isMonitorShown ? "1" : "0";
    if (plan.wine != nullptr) {
        // The settings file is the same bytes on both builds; Wine's program finds it in its
        // working folder as the Linux one does.
        const bool isStarted =
            !port.empty() && plan.wine->LinkComPort(1, port) &&
            plan.wine->Start(program, testsupport::WineSession::WindowsProgramPath(), {"BENCH"}, folder,
                             {{"TOLVA_UNATTENDED", "1"}, {"TOLVA_MONITOR", monitor}});
        if (!isStarted) {
            problem = "the program did not start under Wine";
            return false;
        }
        return true;
    }
    testsupport::ChildProcess::Launch launch{testsupport::ProgramPath(), {"BENCH"}, {}, folder};
    launch.environment = {{"COM1", port},
                          {"TOLVA_UNATTENDED", "1"},
                          {"TOLVA_WINDIR", folder + "/config"},
                          {"XDG_CONFIG_HOME", folder + "/config"},
                          {"TOLVA_MONITOR", monitor}};
    if (port.empty() || !program.Start(launch)) {
        problem = "the program did not start";
        return false;
    }
    return true;
}

Clock::time_point ProgramRun::SettledAt() const {
    return simulatorStart + StartWait(plan);
}

void ProgramRun::SampleCpu() {
    sampler = std::make_unique<CpuSampler>(program, plan.wine != nullptr);
}

double ProgramRun::CpuBetween(Clock::time_point from, Clock::time_point to) const {
    return sampler != nullptr ? sampler->Between(from, to) : 0.0;
}

// The download is over when its activity-log line is there.
void ProgramRun::WaitForDownload() {
    if (downloadSeenAt != Clock::time_point{}) {
        return;
    }
    const std::string log = folder + "/activity.log";
    const Clock::time_point limit = Clock::now() + std::chrono::minutes(3);
    while (ReadAll(log).empty() && simulator.IsRunning() && Clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    downloadSeenAt = Clock::now();
}

void ProgramRun::Close() {
    if (isClosed || !problem.empty()) {
        return;
    }
    isClosed = true;
    if (plan.bytes > 0) {
        // The last line has had its time on the wire; then the program is closed as an operator
        // closes it.
        WaitForDownload();
        std::this_thread::sleep_until(downloadSeenAt + std::chrono::milliseconds(1500));
    }
    residentKilobytes = program.ResidentKilobytes();
    if (plan.wine != nullptr) {
        // As a window manager closes it: WM_CLOSE.
        plan.wine->Run({"taskkill", "/IM", "tolva-dnc.exe"});
    } else {
        program.Signal(SIGTERM);
    }
}

RunOutcome ProgramRun::Finish() {
    RunOutcome outcome;
    if (!problem.empty()) {
        outcome.problem = problem;
        return outcome;
    }
    Close();
    outcome.residentKilobytes = residentKilobytes;
    const int programStatus = program.WaitForExit(std::chrono::seconds(10));
    const int status = simulator.WaitForExit(std::chrono::seconds(20));
    const std::string programErrors = program.StandardError();
    if (status != 0) {
        outcome.problem = "simulator status " + std::to_string(status) + ": " + simulator.StandardError();
    } else if (programStatus != 0) {
        outcome.problem = "program status " + std::to_string(programStatus) + ": " + programErrors;
    } else if (programErrors.find("(OK)") != std::string::npos ||
               programErrors.find("(Yes)") != std::string::npos) {
        // An unattended program logs each box it answered: none is expected here.
        outcome.problem = "the program showed a box: " + programErrors;
    }
    outcome.isRight = outcome.problem.empty();
    return plan.bytes > 0 ? Analyse(outcome) : outcome;
}

RunOutcome ProgramRun::Analyse(RunOutcome outcome) const {
    const double characterTime = 10.0 / plan.baud;
    const std::vector<LineEvent> events = ReadRecord(folder + "/line.txt");
    const LineEvent* request = nullptr;
    const LineEvent* first = nullptr;
    const LineEvent* last = nullptr;
    for (const LineEvent& event : events) {
        if (!event.isReceived && event.text.find("DOWNLOAD PROGRAM") != std::string::npos) {
            request = &event;
        } else if (event.isReceived && request != nullptr) {
            first = first == nullptr ? &event : first;
            last = &event;
            outcome.bytes += event.bytes;
        }
    }
    if (request == nullptr || first == nullptr) {
        outcome.isRight = false;
        outcome.problem += " (no download in the record)";
        return outcome;
    }
    // The simulator stamps its request when the last byte, the CR, is handed to the line: the
    // program can read it from then, and it is off the wire a character later. Received bytes
    // are handed over as their time on the wire begins: an event's bytes are off the wire their
    // wire time after it.
    const double requestEnd = request->at + characterTime;
    const double lastEnd = last->at + last->bytes * characterTime;
    outcome.firstToLast = lastEnd - first->at;
    outcome.requestToLast = lastEnd - requestEnd;
    outcome.answerLatency = first->at - request->at;
    auto onOurClock = [&](double recordSeconds) {
        return simulatorStart +
               std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(recordSeconds));
    };
    outcome.cpuSeconds = CpuBetween(onOurClock(requestEnd), onOurClock(lastEnd));
    return outcome;
}

RunOutcome Run(const std::string& root, const RunPlan& plan) {
    ProgramRun run(root, plan);
    if (!run.Start()) {
        return run.Finish();
    }
    run.SampleCpu();
    double idleCpuShare = 0.0;
    if (plan.bytes == 0) {
        std::this_thread::sleep_until(run.SettledAt());
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(plan.idleSpan);
        const Clock::time_point to = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        idleCpuShare = run.CpuBetween(from, to) / Seconds(to - from);
    }
    RunOutcome outcome = run.Finish();
    outcome.idleCpuShare = idleCpuShare;
    return outcome;
}

} // namespace bench
