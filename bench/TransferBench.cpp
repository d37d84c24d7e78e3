// A whole download through a pseudo-terminal to the controller simulator, which reads at the line
// speed: the effective bytes per second against the line-speed limit (10 bits a character for
// 8N1) at 9,600, 38,400 and 115,200 baud, and the mean gap between lines; then a paced download
// with a character delay of 2 ms: its length against the sum of its pauses and wire time, and its
// processor time against its length.
//
// A ratio above 1.0 would mean the port is not paced like a wire. The program is a real NC
// program repeated to about 1 MB (fewer bytes at the slow speeds, so that each run takes about
// ten seconds; the ratio does not depend on the size).

#include "bench/QuietView.h"

#include "engine/ControllerProtocol.h"
#include "engine/TransferState.h"
#include "platform/Windows.h"
#include "support/SimulatorProcess.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

namespace {

using bench::ProcessCpuSeconds;
using bench::QuietView;

std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

struct Outcome {
    bool isComplete = false;
    double seconds = 0.0;
    double cpuSeconds = 0.0;
    long long bytes = 0;
    long long lines = 0;
};

// What the last line of a program takes on the wire: its text without control characters, CR LF,
// and 10 bits a character.
double LastLineWireSeconds(const std::string& program, unsigned baud) {
    std::size_t end = program.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return 0.0;
    }
    std::size_t begin = program.find_last_of('\n', end);
    begin = begin == std::string::npos ? 0 : begin + 1;
    return (end - begin + 1 + 2) * 10.0 / baud;
}

// One download of `bytes` of program at `baud`, timed from the first line to the moment the last
// one is off the wire; the simulator checks that the program arrived whole.
Outcome Download(const std::string& folder, unsigned baud, std::size_t bytes, int charDelay) {
    const std::string sample = ReadAll(TOLVA_SAMPLE_PROGRAM);
    std::string program;
    while (program.size() < bytes) {
        program += sample;
    }
    std::ofstream(folder + "/1.T3", std::ios::binary) << program;
    testsupport::SimulatorProcess simulator(folder);
    Outcome outcome;
    if (!simulator.Start({"--baud", std::to_string(baud), "--buffer", "4096", "--timeout", "60000", "--idle",
                          "500", "--wait", "300", "--expect-file", folder + "/1.T3", "--download", "1"})) {
        return outcome;
    }
    const std::string path = simulator.ReadPortPath();
    engine::CommsSettings settings = engine::CommsSettings::ForController();
    settings.profileName = "BENCH";
    settings.port = path.c_str();
    settings.baudRate = std::to_string(baud).c_str();
    settings.parity = "None";
    settings.dataBits = "8";
    settings.stopBits = "1";
    settings.flowControl = "None";
    settings.downloadPath = folder.c_str();
    settings.transmitDelay = 0;
    settings.charDelay = charDelay;
    QuietView view;
    engine::ControllerProtocol link(settings, view);
    link.ApplyPortSettings(false);
    link.ResetWorkingState();
    link.StartPolling();
    while (link.State() != engine::TransferState::Downloading) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = ProcessCpuSeconds();
    const auto limit = start + std::chrono::minutes(3);
    while ((link.State() != engine::TransferState::DownloadCompleted || link.TransmitCount() > 0) &&
           std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    // The last line is queued, and the flush that takes it out of the transmit buffer writes it
    // at once; the run ends when its last bit has left, which is its wire time later (34 ms at
    // 9,600 baud, too much to leave out).
    const auto lastFlush = std::chrono::steady_clock::now();
    const auto end = lastFlush + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                     std::chrono::duration<double>(LastLineWireSeconds(program, baud)));
    std::this_thread::sleep_until(end);
    outcome.seconds = std::chrono::duration<double>(end - start).count();
    outcome.cpuSeconds = ProcessCpuSeconds() - cpuStart;
    outcome.isComplete = link.State() == engine::TransferState::DownloadCompleted;
    outcome.bytes = link.ByteCount();
    for (char c : program) {
        outcome.lines += c == '\n' ? 1 : 0;
    }
    link.ShutDownLink();
    const int status = simulator.WaitForExit(std::chrono::seconds(20));
    if (status != 0) {
        outcome.isComplete = false;
        std::fprintf(stderr, "simulator: %d %s\n", status, simulator.StandardError().c_str());
    }
    return outcome;
}

} // namespace

int main(int argc, char** argv) {
    const std::string folder = (std::filesystem::temp_directory_path() / "tolva-transfer-bench").string();
    std::filesystem::create_directories(folder);
    std::printf("download through a pseudo-terminal to tolva-sim, delays 0\n");
    const struct {
        unsigned baud;
        std::size_t bytes;
        double target;
    } runs[] = {{9600, 10000, 0.97}, {38400, 40000, 0.95}, {115200, 1000000, 0.90}};
    // "transfer_bench BAUD BYTES" measures one speed only.
    const bool isSingle = argc == 3;
    for (auto run : runs) {
        if (isSingle) {
            run.baud = static_cast<unsigned>(std::stoul(argv[1]));
            run.bytes = std::stoul(argv[2]);
        }
        const Outcome outcome = Download(folder, run.baud, run.bytes, 0);
        const double limit = run.baud / 10.0;
        const double rate = outcome.bytes / outcome.seconds;
        const double wireSecondsPerLine = (outcome.bytes / static_cast<double>(outcome.lines)) / limit;
        const double gap = outcome.seconds / outcome.lines - wireSecondsPerLine;
        std::printf(
            "%6u baud: %lld bytes, %lld lines in %.3f s%s: %.0f bytes/s, ratio %.4f (target >= %.2f, <= "
            "1.0); mean gap between lines %.1f us\n",
            run.baud, outcome.bytes, outcome.lines, outcome.seconds,
            outcome.isComplete ? "" : " (INCOMPLETE OR WRONG)", rate, rate / limit, run.target, gap * 1e6);
        if (isSingle) {
            return 0;
        }
    }
    // Every byte of a paced line waits its character delay before it is queued, and the line goes
    // out after its last pause, so the pauses and the wire time add up; the ratio against that
    // sum shows how exact the pauses are (1.0 exact, above it late), the processor time against
    // the run's own length how much of a core they cost.
    constexpr int charDelay = 2;
    const Outcome paced = Download(folder, 115200, 20000, charDelay);
    const double pacedLimit = paced.bytes * (charDelay * 0.001 + 10.0 / 115200);
    std::printf(
        "character delay %d ms at 115200 baud: %lld bytes in %.2f s%s, against pauses and wire time %.2f s: "
        "ratio %.3f (1.0 exact); process CPU %.2f s, %.1f %% of one core\n",
        charDelay, paced.bytes, paced.seconds, paced.isComplete ? "" : " (INCOMPLETE OR WRONG)", pacedLimit,
        paced.seconds / pacedLimit, paced.cpuSeconds, 100.0 * paced.cpuSeconds / paced.seconds);
    std::filesystem::remove_all(folder);
    return 0;
}
