// The program a user runs, measured from the far end of its cable: the real tolva-dnc, unattended,
// its port a pseudo-terminal whose other end is the real tolva-sim asking for a download.
//
// - Downloads at 9,600, 38,400, 115,200 and 230,400 baud with the data monitor hidden, and again
//   with it shown (TOLVA_MONITOR=1 presses "View" as the window comes up): the bytes that arrived
//   against the time from the first to the last of them (its wire time included), as a ratio to
//   the line-speed limit of 10 bits a character; the time from the request's CR reaching the
//   program's port to the first byte of the answer; the program's processor time during the download.
// - The program waiting for a request with nothing on the line: its processor time over 10 s
//   against a bare loop of 1 ms sleeps measured beside it, and its resident memory.
// - A paced download (character delay 2 ms): its length from the request to the last byte against
//   the sum of its pauses and wire time, and its processor time.
// - A download at 115,200 baud through ser2net with RFC 2217 (the pseudo-terminal served on a
//   loopback port, COM1 mapped to rfc2217://127.0.0.1:N), against the same download cabled.
//
// - "program_bench wine": the Windows build, tolva-dnc.exe, under Wine (COM1 of a prefix of its
//   own linked to the pseudo-terminal, an X server of its own), beside the Linux build in the same
//   run: downloads at 9,600 and 115,200 baud and the waiting program's processor time, with the
//   wineserver's counted in.
//
// The simulator checks every download against the file (its exit status); a run that went wrong
// says so on its line. Times come from the simulator's record of the line, one line an event.
// "program_bench BAUD BYTES [monitor|ser2net]" measures one download only.

#include "framework/Archive.h"
#include "link/CommsSettings.h"
#include "tools/ChildProcess.h"
#include "tools/DeviceServerProcess.h"
#include "tools/SimulatorProcess.h"
#include "wine/WineSession.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using tools::tests::ChildProcess;
using tools::tests::SimulatorProcess;

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

double Seconds(Clock::duration span) { return std::chrono::duration<double>(span).count(); }

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

// The processor seconds of every wineserver on the machine: the one that serves the program under
// Wine does part of its work (handles, waits, messages) on its behalf.
double WineserverCpuSeconds() {
    double total = 0.0;
    std::error_code error;
    for (const std::filesystem::directory_entry& process : std::filesystem::directory_iterator("/proc", error)) {
        const std::string comm = ReadAll((process.path() / "comm").string());
        if (comm.rfind("wineserver", 0) != 0) {
            continue;
        }
        // utime and stime are the 14th and 15th fields, after the name in parentheses.
        const std::string stat = ReadAll((process.path() / "stat").string());
        const std::size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos || nameEnd + 2 > stat.size()) {
            continue; // ended between the two reads
        }
        std::istringstream fields(stat.substr(nameEnd + 2));
        std::string field;
        unsigned long long user = 0;
        unsigned long long system = 0;
        for (int index = 3; index <= 15 && fields >> field; ++index) {
            if (index == 14) {
                user = std::stoull(field);
            } else if (index == 15) {
                system = std::stoull(field);
            }
        }
        total += static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    return total;
}

// The program's processor time, sampled through a run; the samples' clock is this process's. Under
// Wine the wineserver's time is counted in.
class CpuSampler {
public:
    CpuSampler(const ChildProcess& program, bool countsWineserver)
        : program(program), countsWineserver(countsWineserver), thread([this] { Run(); }) {}
    ~CpuSampler() {
        isStopping = true;
        thread.join();
    }
    // The processor seconds the program used between two moments, from the nearest samples.
    double Between(Clock::time_point from, Clock::time_point to) {
        std::lock_guard lock(mutex);
        return At(to) - At(from);
    }

private:
    double At(Clock::time_point when) const {
        double value = samples.empty() ? 0.0 : samples.front().second;
        for (const auto& [at, cpu] : samples) {
            if (at > when) {
                break;
            }
            value = cpu;
        }
        return value;
    }
    void Run() {
        while (!isStopping) {
            const double cpu = program.CpuSeconds() + (countsWineserver ? WineserverCpuSeconds() : 0.0);
            if (cpu >= 0.0) {
                std::lock_guard lock(mutex);
                samples.emplace_back(Clock::now(), cpu);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    const ChildProcess& program;
    const bool countsWineserver;
    std::mutex mutex;
    std::vector<std::pair<Clock::time_point, double>> samples;
    std::atomic<bool> isStopping{false};
    std::thread thread;
};

// A bare loop of 1 ms sleeps on a thread of its own: the processor time it takes is what waking a
// thousand times a second costs on this machine.
double SleepLoopCpuShare(std::chrono::seconds span) {
    double share = 0.0;
    std::thread loop([&] {
        timespec before{};
        timespec after{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &before);
        const auto start = Clock::now();
        while (Clock::now() - start < span) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &after);
        const double cpu = static_cast<double>(after.tv_sec - before.tv_sec) +
                           static_cast<double>(after.tv_nsec - before.tv_nsec) / 1e9;
        share = cpu / Seconds(Clock::now() - start);
    });
    loop.join();
    return share;
}

struct RunPlan {
    unsigned baud = 115200;
    std::size_t bytes = 0; // 0: no download, the program only waits
    bool isMonitorShown = false;
    int charDelay = 0;
    std::chrono::milliseconds idleSpan{0};
    bool isThroughDeviceServer = false;
    // The Windows build under this Wine session, or the Linux build when null.
    const winetest::WineSession* wine = nullptr;
};

struct RunOutcome {
    bool isRight = false;
    std::string problem;
    long bytes = 0;
    double firstToLast = 0.0;    // first byte to the last byte off the wire
    double requestToLast = 0.0;  // the request's CR off the wire to the last byte off the wire
    double answerLatency = 0.0;  // the request's CR readable to the first byte of the answer
    double cpuSeconds = 0.0;     // the program's processor time over requestToLast
    double idleCpuShare = 0.0;   // over the idle span
    long residentKilobytes = -1; // at the end of the run
};

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
    framework::Archive archive(framework::String((folder + "/BENCH.INI").c_str()), framework::Archive::DirectionWrite);
    archive.TransferObject(settings);
    archive.Close();
    return archive.ErrorBits() == 0;
}

RunOutcome Run(const std::string& root, const RunPlan& plan) {
    RunOutcome outcome;
    static int runNumber = 0;
    const std::string folder = root + "/run" + std::to_string(++runNumber);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder + "/nc");
    std::filesystem::create_directories(folder + "/config");
    if (!WriteSettings(folder, plan)) {
        outcome.problem = "the settings file could not be written";
        return outcome;
    }
    const std::string program = ProgramText(plan.bytes);
    std::ofstream(folder + "/nc/1.T3", std::ios::binary) << program;

    // The simulator waits for the program to come up and open its end before it asks; Wine takes
    // longer to start a program.
    const int startWaitMs = plan.wine != nullptr ? 6000 : 2000;
    const std::string record = folder + "/line.txt";
    std::vector<std::string> arguments{"--baud", std::to_string(plan.baud), "--buffer",
                                       std::to_string(program.size() + 4096), "--record", record, "--timeout", "120000",
                                       "--idle", "1000", "--wait", std::to_string(startWaitMs)};
    if (plan.bytes > 0) {
        // The cable stays up after the download until the program has closed: a simulator that
        // leaves first would have the program report the lost device.
        arguments.insert(arguments.end(), {"--expect-file", folder + "/nc/1.T3", "--download", "1", "--wait", "4000"});
    } else {
        arguments.insert(arguments.end(), {"--wait", std::to_string(plan.idleSpan.count() + 1000)});
    }
    SimulatorProcess simulator(folder);
    const Clock::time_point simulatorStart = Clock::now();
    if (!simulator.Start(arguments)) {
        outcome.problem = "the simulator did not start";
        return outcome;
    }
    std::string port = simulator.ReadPortPath();
    tools::tests::DeviceServerProcess server(folder);
    if (plan.isThroughDeviceServer) {
        if (port.empty() || !server.Start(port, tools::tests::DeviceServerProcess::Protocol::ComPortControl)) {
            outcome.problem = "ser2net did not start: " + server.Problem();
            return outcome;
        }
        port = server.Address();
    }
    ChildProcess dnc(folder, "tolva-dnc");
    ChildProcess::Launch launch{tools::tests::ProgramPath(), {"BENCH"}, {}, folder};
    launch.environment = {{"COM1", port},
                          {"TOLVA_UNATTENDED", "1"},
                          {"TOLVA_WINDIR", folder + "/config"},
                          {"XDG_CONFIG_HOME", folder + "/config"},
                          {"TOLVA_MONITOR", plan.isMonitorShown ? "1" : "0"}};
    if (plan.wine != nullptr) {
        // The settings file is the same bytes on both builds; Wine's program finds it in its
        // working folder as the Linux one does.
        const bool isStarted = !port.empty() && plan.wine->LinkComPort(1, port) &&
                               plan.wine->Start(dnc, winetest::WineSession::WindowsProgramPath(), {"BENCH"}, folder,
                                                {{"TOLVA_UNATTENDED", "1"}, {"TOLVA_MONITOR", plan.isMonitorShown ? "1" : "0"}});
        if (!isStarted) {
            outcome.problem = "the program did not start under Wine";
            return outcome;
        }
    } else if (port.empty() || !dnc.Start(launch)) {
        outcome.problem = "the program did not start";
        return outcome;
    }
    CpuSampler sampler(dnc, plan.wine != nullptr);
    if (plan.bytes == 0) {
        // Two seconds to settle, then the idle span.
        std::this_thread::sleep_until(simulatorStart + std::chrono::milliseconds(startWaitMs));
        const Clock::time_point from = Clock::now();
        std::this_thread::sleep_for(plan.idleSpan);
        const Clock::time_point to = Clock::now();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        outcome.idleCpuShare = sampler.Between(from, to) / Seconds(to - from);
    }
    if (plan.bytes > 0) {
        // The download is over when its activity-log line is there and the last line has had
        // its time on the wire; then the program is closed as an operator closes it.
        const std::string log = folder + "/activity.log";
        const Clock::time_point limit = Clock::now() + std::chrono::minutes(3);
        while (ReadAll(log).empty() && simulator.IsRunning() && Clock::now() < limit) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    }
    outcome.residentKilobytes = dnc.ResidentKilobytes();
    if (plan.wine != nullptr) {
        // As a window manager closes it: WM_CLOSE.
        plan.wine->Run({"taskkill", "/IM", "tolva-dnc.exe"});
    } else {
        dnc.Signal(SIGTERM);
    }
    const int programStatus = dnc.WaitForExit(std::chrono::seconds(10));
    const int status = simulator.WaitForExit(std::chrono::seconds(20));
    const std::string programErrors = dnc.StandardError();
    if (status != 0) {
        outcome.problem = "simulator status " + std::to_string(status) + ": " + simulator.StandardError();
    } else if (programStatus != 0) {
        outcome.problem = "program status " + std::to_string(programStatus) + ": " + programErrors;
    } else if (programErrors.find("(OK)") != std::string::npos || programErrors.find("(Yes)") != std::string::npos) {
        // An unattended program logs each box it answered: none is expected here.
        outcome.problem = "the program showed a box: " + programErrors;
    }
    outcome.isRight = outcome.problem.empty();
    if (plan.bytes == 0) {
        return outcome;
    }

    const double characterTime = 10.0 / plan.baud;
    const std::vector<LineEvent> events = ReadRecord(record);
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
        return simulatorStart + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(recordSeconds));
    };
    outcome.cpuSeconds = sampler.Between(onOurClock(requestEnd), onOurClock(lastEnd));
    return outcome;
}

void PrintDownload(const RunPlan& plan, const RunOutcome& outcome, double target) {
    const double limit = plan.baud / 10.0;
    const double ratio = outcome.firstToLast > 0 ? outcome.bytes / outcome.firstToLast / limit : 0.0;
    char wanted[64] = "";
    if (target > 0) {
        std::snprintf(wanted, sizeof wanted, " (target >= %.2f, <= 1.0)", target);
    }
    std::printf("%6u baud%s, monitor %s: %ld bytes in %.3f s, ratio %.4f%s; answer %.2f ms after the CR came in; "
                "program CPU %.1f %% of one core%s%s\n",
                plan.baud, plan.isThroughDeviceServer ? " through ser2net (RFC 2217)" : "",
                plan.isMonitorShown ? "shown " : "hidden", outcome.bytes, outcome.firstToLast, ratio, wanted,
                outcome.answerLatency * 1e3,
                outcome.requestToLast > 0 ? 100.0 * outcome.cpuSeconds / outcome.requestToLast : 0.0,
                outcome.isRight ? "" : " -- WRONG: ", outcome.problem.c_str());
    std::fflush(stdout);
}

// The Windows build under Wine beside the Linux build, in the same run.
int MeasureUnderWine(const std::string& root) {
    const winetest::WineSession session(root);
    if (!session.Failure().empty()) {
        std::printf("Wine: %s\n", session.Failure().c_str());
        return 1;
    }
    std::printf("the same downloads from tolva-dnc.exe under Wine (wineserver included) and from the Linux build\n");
    bool isAllRight = true;
    for (const auto& [baud, bytes] : {std::pair<unsigned, std::size_t>{9600, 10000}, {115200, 120000}}) {
        for (const winetest::WineSession* wine : {&session, static_cast<const winetest::WineSession*>(nullptr)}) {
            RunPlan plan{baud, bytes, false};
            plan.wine = wine;
            const RunOutcome outcome = Run(root, plan);
            std::printf("%s ", wine != nullptr ? "Wine: " : "Linux:");
            PrintDownload(plan, outcome, 0.0);
            isAllRight = isAllRight && outcome.isRight;
        }
    }
    constexpr auto idleSpan = std::chrono::seconds(10);
    for (const winetest::WineSession* wine : {&session, static_cast<const winetest::WineSession*>(nullptr)}) {
        RunPlan idle{115200, 0, false, 0, idleSpan};
        idle.wine = wine;
        const RunOutcome waiting = Run(root, idle);
        std::printf("%s waiting for a request, %lld s: CPU %.2f %% of one core%s%s\n", wine != nullptr ? "Wine: " : "Linux:",
                    static_cast<long long>(idleSpan.count()), 100.0 * waiting.idleCpuShare,
                    waiting.isRight ? "" : " -- WRONG: ", waiting.problem.c_str());
        isAllRight = isAllRight && waiting.isRight;
    }
    return isAllRight ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::string root = (std::filesystem::temp_directory_path() / "tolva-program-bench").string();
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    std::printf("tolva-dnc (unattended, offscreen display) downloading to tolva-sim through a pseudo-terminal\n");
    if (argc == 2 && std::string(argv[1]) == "wine") {
        return MeasureUnderWine(root);
    }
    if (argc >= 3) {
        const std::string how = argc > 3 ? argv[3] : "";
        RunPlan plan{static_cast<unsigned>(std::stoul(argv[1])), std::stoul(argv[2]), how == "monitor"};
        plan.isThroughDeviceServer = how == "ser2net";
        PrintDownload(plan, Run(root, plan), 0.0);
        return 0;
    }
    // About ten seconds a download; the ratio does not depend on the size.
    const struct {
        unsigned baud;
        std::size_t bytes;
        double hidden;
        double shown;
    } speeds[] = {{9600, 10000, 0.98, 0.95}, {38400, 40000, 0.98, 0.95}, {115200, 120000, 0.97, 0.95},
                  {230400, 240000, 0.95, 0.95}};
    bool isAllRight = true;
    for (bool shown : {false, true}) {
        for (const auto& speed : speeds) {
            const RunPlan plan{speed.baud, speed.bytes, shown};
            const RunOutcome outcome = Run(root, plan);
            PrintDownload(plan, outcome, shown ? speed.shown : speed.hidden);
            isAllRight = isAllRight && outcome.isRight;
        }
    }

    // Waiting: the program and the bare sleep loop side by side.
    constexpr auto idleSpan = std::chrono::seconds(10);
    double loopShare = 0.0;
    std::thread reference([&] {
        std::this_thread::sleep_for(std::chrono::seconds(2));
        loopShare = SleepLoopCpuShare(idleSpan);
    });
    RunPlan idle{115200, 0, false, 0, idleSpan};
    const RunOutcome waiting = Run(root, idle);
    reference.join();
    std::printf("waiting for a request, %lld s: program CPU %.2f %% of one core (target <= 1 %%), a bare 1 ms sleep "
                "loop %.2f %%, ratio %.2f; resident memory %.1f MB (target <= 25 MB)%s%s\n",
                static_cast<long long>(idleSpan.count()), 100.0 * waiting.idleCpuShare, 100.0 * loopShare,
                loopShare > 0 ? waiting.idleCpuShare / loopShare : 0.0, waiting.residentKilobytes / 1024.0,
                waiting.isRight ? "" : " -- WRONG: ", waiting.problem.c_str());
    isAllRight = isAllRight && waiting.isRight;

    // Every byte of a paced line waits its character delay before it is queued, and the line goes
    // out after its last pause: the pauses and the wire time add up.
    constexpr int charDelay = 2;
    const RunPlan paced{115200, 5000, false, charDelay};
    const RunOutcome pacedOutcome = Run(root, paced);
    const double expected = pacedOutcome.bytes * (charDelay * 0.001 + 10.0 / paced.baud);
    std::printf("character delay %d ms at %u baud: %ld bytes in %.2f s from the request, against pauses and wire "
                "time %.2f s: ratio %.3f (target 1.00..1.02); program CPU %.1f %% of one core (target <= 10 %%)%s%s\n",
                charDelay, paced.baud, pacedOutcome.bytes, pacedOutcome.requestToLast, expected,
                expected > 0 ? pacedOutcome.requestToLast / expected : 0.0,
                pacedOutcome.requestToLast > 0 ? 100.0 * pacedOutcome.cpuSeconds / pacedOutcome.requestToLast : 0.0,
                pacedOutcome.isRight ? "" : " -- WRONG: ", pacedOutcome.problem.c_str());
    isAllRight = isAllRight && pacedOutcome.isRight;

    // A machine behind a serial device server, beside the same download cabled.
    RunPlan cabled{115200, 120000, false};
    RunPlan served = cabled;
    served.isThroughDeviceServer = true;
    const RunOutcome cabledOutcome = Run(root, cabled);
    const RunOutcome servedOutcome = Run(root, served);
    PrintDownload(cabled, cabledOutcome, 0.97);
    PrintDownload(served, servedOutcome, 0.95);
    if (cabledOutcome.firstToLast > 0 && servedOutcome.firstToLast > 0) {
        std::printf("through ser2net against cabled: ratio %.4f\n",
                    (servedOutcome.bytes / servedOutcome.firstToLast) / (cabledOutcome.bytes / cabledOutcome.firstToLast));
    }
    isAllRight = isAllRight && cabledOutcome.isRight && servedOutcome.isRight;
    std::filesystem::remove_all(root);
    return isAllRight ? 0 : 1;
}
