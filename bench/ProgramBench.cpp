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

#include "ProgramRun.h"

#include "support/WineSession.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

namespace {

using bench::Clock;
using bench::Run;
using bench::RunOutcome;
using bench::RunPlan;
using bench::Seconds;

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

void PrintDownload(const RunPlan& plan, const RunOutcome& outcome, double target) {
    const double limit = plan.baud / 10.0;
    const double ratio = outcome.firstToLast > 0 ? outcome.bytes / outcome.firstToLast / limit : 0.0;
    char wanted[64] = "";
    if (target > 0) {
        std::snprintf(wanted, sizeof wanted, " (target >= %.2f, <= 1.0)", target);
    }
    std::printf(
        "%6u baud%s, monitor %s: %ld bytes in %.3f s, ratio %.4f%s; answer %.2f ms after the CR came in; "
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
    const testsupport::WineSession session(root);
    if (!session.Failure().empty()) {
        std::printf("Wine: %s\n", session.Failure().c_str());
        return 1;
    }
    std::printf(
        "the same downloads from tolva-dnc.exe under Wine (wineserver included) and from the Linux build\n");
    bool isAllRight = true;
    for (const auto& [baud, bytes] : {std::pair<unsigned, std::size_t>{9600, 10000}, {115200, 120000}}) {
        for (const testsupport::WineSession* wine :
             {&session, static_cast<const testsupport::WineSession*>(nullptr)}) {
            RunPlan plan{baud, bytes, false};
            plan.wine = wine;
            const RunOutcome outcome = Run(root, plan);
            std::printf("%s ", wine != nullptr ? "Wine: " : "Linux:");
            PrintDownload(plan, outcome, 0.0);
            isAllRight = isAllRight && outcome.isRight;
        }
    }
    constexpr auto idleSpan = std::chrono::seconds(10);
    for (const testsupport::WineSession* wine :
         {&session, static_cast<const testsupport::WineSession*>(nullptr)}) {
        RunPlan idle{115200, 0, false, 0, idleSpan};
        idle.wine = wine;
        const RunOutcome waiting = Run(root, idle);
        std::printf("%s waiting for a request, %lld s: CPU %.2f %% of one core%s%s\n",
                    wine != nullptr ? "Wine: " : "Linux:", static_cast<long long>(idleSpan.count()),
                    100.0 * waiting.idleCpuShare,
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
    std::printf("tolva-dnc (unattended, no screen) downloading to tolva-sim through a pseudo-terminal\n");
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
    } speeds[] = {{9600, 10000, 0.98, 0.95},
                  {38400, 40000, 0.98, 0.95},
                  {115200, 120000, 0.97, 0.95},
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
    std::printf(
        "waiting for a request, %lld s: program CPU %.2f %% of one core (target <= 1 %%), a bare 1 ms sleep "
        "loop %.2f %%, ratio %.2f; resident memory %.1f MB (target <= 25 MB)%s%s\n",
        static_cast<long long>(idleSpan.count()), 100.0 * waiting.idleCpuShare, 100.0 * loopShare,
        loopShare > 0 ? waiting.idleCpuShare / loopShare : 0.0, waiting.residentKilobytes / 1024.0,
        waiting.isRight ? "" : " -- WRONG: ", waiting.problem.c_str());
    isAllRight = isAllRight && waiting.isRight;

    // Every byte of a paced line waits its character delay before it is queued, and the line goes
    // out after its last pause: the pauses and the wire time add up, less what of each line's last
    // chunk (16 characters at most) goes out during the next line's first pause, which begins when
    // the chunk is in the transmitter and the output queue empty.
    constexpr int charDelay = 2;
    const RunPlan paced{115200, 5000, false, charDelay};
    const RunOutcome pacedOutcome = Run(root, paced);
    const double expected = pacedOutcome.bytes * (charDelay * 0.001 + 10.0 / paced.baud);
    std::printf(
        "character delay %d ms at %u baud: %ld bytes in %.2f s from the request, against pauses and wire "
        "time %.2f s: ratio %.3f (target 0.98..1.02); program CPU %.1f %% of one core (target <= 10 "
        "%%)%s%s\n",
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
                    (servedOutcome.bytes / servedOutcome.firstToLast) /
                        (cabledOutcome.bytes / cabledOutcome.firstToLast));
    }
    isAllRight = isAllRight && cabledOutcome.isRight && servedOutcome.isRight;
    std::filesystem::remove_all(root);
    return isAllRight ? 0 : 1;
}
