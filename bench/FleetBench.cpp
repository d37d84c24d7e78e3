// Many machines fed from one PC, one program a machine, as the systemd template unit runs them:
// the real tolva-dnc, unattended, each on a pseudo-terminal of its own with the real tolva-sim at
// the far end, each in a folder of its own with its own settings.
//
// - 1, 8 and 32 programs waiting for requests: the processor time each one takes, against the
//   reference of a process blocked in a read of a pseudo-terminal, measured beside them (the floor
//   a waiting program can reach), and the memory each holds: resident (VmRSS, what `ps` and `top`
//   show, shared libraries counted in full) and proportional (Pss, shared pages counted in parts,
//   what the programs together take from the machine).
// - 8 programs downloading at once at 115,200 baud: each one's bytes against the time from its
//   first to its last byte, as a share of the line-speed limit of 10 bits a character.
//
// Processor time comes from the scheduler's count of each thread (/proc/PID/task/*/schedstat), to
// the nanosecond; a waiting program takes too little for the clock ticks of /proc/PID/stat.
// "fleet_bench N" measures N waiting programs only.

#include "ProgramRun.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <pty.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Clock;
using bench::ProgramRun;
using bench::RunOutcome;
using bench::RunPlan;
using bench::Seconds;

constexpr auto idleSpan = std::chrono::seconds(20);

// The reference: a child process that opens a pseudo-terminal and blocks in a read of it, which
// nothing ever ends. It is what a waiting program costs at the least.
class BlockedReader {
public:
    BlockedReader() {
        int master = -1;
        int slave = -1;
        if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
            return;
        }
        process = ::fork();
        if (process == 0) {
            ::close(master);
            char byte = 0;
            while (::read(slave, &byte, 1) >= 0) {
            }
            ::_exit(0);
        }
        ::close(slave);
        this->master = master;
    }
    ~BlockedReader() {
        if (process > 0) {
            ::kill(process, SIGKILL);
            ::waitpid(process, nullptr, 0);
        }
        if (master >= 0) {
            ::close(master);
        }
    }
    BlockedReader(const BlockedReader&) = delete;
    BlockedReader& operator=(const BlockedReader&) = delete;

    // Its processor time so far, by the scheduler's count; -1 when it did not start.
    double ScheduledSeconds() const {
        if (process <= 0) {
            return -1.0;
        }
        std::FILE* file = std::fopen(("/proc/" + std::to_string(process) + "/schedstat").c_str(), "r");
        unsigned long long running = 0;
        const bool isRead = file != nullptr && std::fscanf(file, "%llu", &running) == 1;
        if (file != nullptr) {
            std::fclose(file);
        }
        return isRead ? static_cast<double>(running) / 1e9 : -1.0;
    }

private:
    pid_t process = -1;
    int master = -1;
};

struct WaitingFigures {
    bool isRight = true;
    std::string problem;
    double cpuShareEach = 0.0; // of one core, the mean of the programs
    double cpuShareMost = 0.0; // the busiest program
    double referenceShare = 0.0;
    double residentMegabytes = 0.0;     // mean
    double proportionalMegabytes = 0.0; // mean
};

// Starts count waiting programs one after the other, lets them settle, and measures them together
// over the idle span.
WaitingFigures MeasureWaiting(const std::string& root, int count) {
    WaitingFigures figures;
    RunPlan plan;
    plan.baud = 115200;
    // The simulators stay on the line through the start of the others and the idle span.
    const auto startAllowance = std::chrono::milliseconds(400) * count;
    plan.startWait = std::chrono::milliseconds(2000) + startAllowance;
    plan.idleSpan = std::chrono::duration_cast<std::chrono::milliseconds>(idleSpan) + std::chrono::seconds(4);
    std::vector<std::unique_ptr<ProgramRun>> runs;
    for (int index = 0; index < count; ++index) {
        runs.push_back(std::make_unique<ProgramRun>(root, plan));
        if (!runs.back()->Start()) {
            figures.isRight = false;
            break;
        }
    }
    BlockedReader reference;
    // Every program up and waiting, with a second to spare.
    std::this_thread::sleep_until(runs.back()->SettledAt() + std::chrono::seconds(1));
    std::vector<double> before;
    for (const auto& run : runs) {
        before.push_back(run->Program().ScheduledSeconds());
    }
    const double referenceBefore = reference.ScheduledSeconds();
    const Clock::time_point from = Clock::now();
    std::this_thread::sleep_for(idleSpan);
    const double span = Seconds(Clock::now() - from);
    figures.referenceShare = (reference.ScheduledSeconds() - referenceBefore) / span;
    double total = 0.0;
    long resident = 0;
    long proportional = 0;
    for (std::size_t index = 0; index < runs.size(); ++index) {
        const double share = (runs[index]->Program().ScheduledSeconds() - before[index]) / span;
        total += share;
        figures.cpuShareMost = std::max(figures.cpuShareMost, share);
        resident += runs[index]->Program().ResidentKilobytes();
        proportional += runs[index]->Program().ProportionalKilobytes();
    }
    const double programs = static_cast<double>(runs.size());
    figures.cpuShareEach = total / programs;
    figures.residentMegabytes = static_cast<double>(resident) / 1024.0 / programs;
    figures.proportionalMegabytes = static_cast<double>(proportional) / 1024.0 / programs;
    for (const auto& run : runs) {
        run->Close();
    }
    for (const auto& run : runs) {
        const RunOutcome outcome = run->Finish();
        if (!outcome.isRight && figures.isRight) {
            figures.isRight = false;
            figures.problem = outcome.problem;
        }
    }
    return figures;
}

bool PrintWaiting(const std::string& root, int count) {
    const WaitingFigures figures = MeasureWaiting(root, count);
    const double allShare = figures.cpuShareEach * count;
    std::printf(
        "%2d waiting programs, %lld s: CPU %.4f %% of one core each (the busiest %.4f %%), %.3f %% in all "
        "(target <= 2 %% for 32); a blocked read of a pseudo-terminal %.4f %%, each program %.4f %% above "
        "it; "
        "memory each: resident %.1f MB (target <= 16 MB), proportional %.1f MB%s%s\n",
        count, static_cast<long long>(idleSpan.count()), 100.0 * figures.cpuShareEach,
        100.0 * figures.cpuShareMost, 100.0 * allShare, 100.0 * figures.referenceShare,
        100.0 * (figures.cpuShareEach - figures.referenceShare), figures.residentMegabytes,
        figures.proportionalMegabytes, figures.isRight ? "" : " -- WRONG: ", figures.problem.c_str());
    std::fflush(stdout);
    return figures.isRight;
}

// Eight downloads of 120 kB at 115,200 baud, begun together: each simulator asks once every
// program has come up.
bool PrintDownloadsAtOnce(const std::string& root) {
    constexpr int count = 8;
    RunPlan plan;
    plan.baud = 115200;
    plan.bytes = 120000;
    std::vector<std::unique_ptr<ProgramRun>> runs;
    const Clock::time_point start = Clock::now();
    bool isAllRight = true;
    for (int index = 0; index < count; ++index) {
        // Each simulator waits until the same moment, whenever it was started.
        plan.startWait = std::chrono::duration_cast<std::chrono::milliseconds>(
            start + std::chrono::seconds(5) - Clock::now());
        runs.push_back(std::make_unique<ProgramRun>(root, plan));
        runs.back()->SampleCpu();
        isAllRight = runs.back()->Start() && isAllRight;
    }
    double worst = 1e9;
    // All downloads end before the first program is closed: each simulator leaves a while after.
    for (const auto& run : runs) {
        run->WaitForDownload();
    }
    for (const auto& run : runs) {
        run->Close();
    }
    for (int index = 0; index < count; ++index) {
        const RunOutcome outcome = runs[static_cast<std::size_t>(index)]->Finish();
        const double limit = plan.baud / 10.0;
        const double ratio = outcome.firstToLast > 0 ? outcome.bytes / outcome.firstToLast / limit : 0.0;
        worst = std::min(worst, ratio);
        std::printf("  download %d of %d at once, %u baud: %ld bytes in %.3f s, ratio %.4f (target >= 0.97); "
                    "answer %.2f ms after the CR%s%s\n",
                    index + 1, count, plan.baud, outcome.bytes, outcome.firstToLast, ratio,
                    outcome.answerLatency * 1e3,
                    outcome.isRight ? "" : " -- WRONG: ", outcome.problem.c_str());
        isAllRight = isAllRight && outcome.isRight;
    }
    std::printf("%d programs downloading at once at %u baud: the slowest at %.4f of its line speed (target "
                ">= 0.97)\n",
                count, plan.baud, worst);
    std::fflush(stdout);
    return isAllRight;
}

} // namespace

int main(int argc, char** argv) {
    const std::string root = (std::filesystem::temp_directory_path() / "tolva-fleet-bench").string();
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    std::printf("tolva-dnc (unattended, no screen), one program a pseudo-terminal with tolva-sim at the far "
                "end, several at once\n");
    bool isAllRight = true;
    if (argc == 2) {
        isAllRight = PrintWaiting(root, std::stoi(argv[1]));
    } else {
        for (int count : {1, 8, 32}) {
            isAllRight = PrintWaiting(root, count) && isAllRight;
        }
        isAllRight = PrintDownloadsAtOnce(root) && isAllRight;
    }
    std::filesystem::remove_all(root);
    return isAllRight ? 0 : 1;
}
