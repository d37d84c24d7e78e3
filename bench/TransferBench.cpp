// A whole download through a pseudo-terminal to the controller simulator, which reads at the line
// speed: the effective bytes per second against the line-speed limit (10 bits a character for
// 8N1) at 9,600, 38,400 and 115,200 baud, and the mean gap between lines; then the processor time
// of a paced download with a character delay of 2 ms.
//
// A ratio above 1.0 would mean the port is not paced like a wire. The program is a real NC
// program repeated to about 1 MB (fewer bytes at the slow speeds, so that each run takes about
// ten seconds; the ratio does not depend on the size).

#include "bench/QuietView.h"
#include "link/ControllerProtocol.h"
#include "link/TransferState.h"
#include "platform/Windows.h"
#include "tools/SimulatorProcess.h"

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

// One download of `bytes` of program at `baud`, timed from the first line to the last one
// queued and flushed.
Outcome Download(const std::string& folder, unsigned baud, std::size_t bytes, int charDelay) {
    const std::string sample = ReadAll(TOLVA_SAMPLE_PROGRAM);
    std::string program;
    while (program.size() < bytes) {
        program += sample;
    }
    std::ofstream(folder + "/1.T3", std::ios::binary) << program;
    tools::tests::SimulatorProcess simulator(folder);
    Outcome outcome;
    if (!simulator.Start({"--baud", std::to_string(baud), "--buffer", "4096", "--timeout", "60000", "--idle", "500",
                          "--wait", "300", "--download", "1"})) {
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
    // The last line is written by the flush after it was queued; the flush returns once the line
    // is on the wire.
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.cpuSeconds = ProcessCpuSeconds() - cpuStart;
    outcome.isComplete = link.State() == engine::TransferState::DownloadCompleted;
    outcome.bytes = link.ByteCount();
    for (char c : program) {
        outcome.lines += c == '\n' ? 1 : 0;
    }
    link.ShutDownLink();
    const int status = simulator.WaitForExit(std::chrono::seconds(20));
    if (status != 0) {
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
        std::printf("%6u baud: %lld bytes, %lld lines in %.3f s%s: %.0f bytes/s, ratio %.3f (target >= %.2f, <= "
                    "1.0); mean gap between lines %.1f us\n",
                    run.baud, outcome.bytes, outcome.lines, outcome.seconds, outcome.isComplete ? "" : " (INCOMPLETE)",
                    rate, rate / limit, run.target, gap * 1e6);
        if (isSingle) {
            return 0;
        }
    }
    const Outcome paced = Download(folder, 115200, 20000, 2);
    std::printf("character delay 2 ms at 115200 baud: %lld bytes in %.2f s, process CPU %.2f s (%.0f %% of one core)\n",
                paced.bytes, paced.seconds, paced.cpuSeconds, 100.0 * paced.cpuSeconds / paced.seconds);
    std::filesystem::remove_all(folder);
    return 0;
}
