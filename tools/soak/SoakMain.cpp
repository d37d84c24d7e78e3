// tolva-soak: hours of traffic through the real program. It runs tolva-dnc as an operator runs
// it (unattended, profile SOAK, XON/XOFF at 115,200 baud) against tolva-sim on a pseudo-terminal,
// round after round: a download of a real NC program, an upload, and two longer downloads, while
// the simulator throws XOFF storms at random moments. Every download is compared line by line by
// the simulator, every upload byte by byte here, every outcome with its activity-log line, and the
// program's resident memory and open descriptors are sampled throughout.
//
//   tolva-soak [--lines N | --seconds S] [--seed N] [--storm-gap MS] [--baud N] [--allowed-growth KB]
//              [--keep]
//
// --allowed-growth is the growth of resident memory after the warm-up that still counts as flat
// (default 1024 kB).
//
// Prints the figures of the run and exits 0 when nothing was lost or altered, the program
// closed cleanly, and memory and descriptors stayed flat after the warm-up; 1 otherwise.

#include "support/ChildProcess.h"
#include "support/SimulatorProcess.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using testsupport::ChildProcess;
using testsupport::SimulatorProcess;

constexpr auto sampleInterval = std::chrono::seconds(2);
constexpr auto longestWarmUp = std::chrono::seconds(30);
constexpr int firstUploadNumber = 100;

struct SoakOptions {
    unsigned long long lines = 0;
    unsigned seconds = 120;
    unsigned long long seed = 1;
    unsigned stormGapMs = 500;
    unsigned baud = 115200;
    long allowedGrowthKilobytes = 1024;
    bool keepsFolder = false;
};

struct Sample {
    double at = 0.0;
    long residentKilobytes = -1;
    int descriptors = -1;
};

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::size_t CountOf(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// The lines of the sample that the link sends and stores: non-empty, without their line ends.
std::vector<std::string> SampleLines() {
    std::istringstream text(ReadAll(TOLVA_SAMPLE_PROGRAM));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

// The sample program over and over, as one longer program: copies lines only.
std::string Program(const std::vector<std::string>& lines, int copies, const std::string& lineEnd) {
    std::string program;
    for (int copy = 0; copy < copies; ++copy) {
        for (const std::string& line : lines) {
            program += line + lineEnd;
        }
    }
    return program;
}

bool ParseArguments(int argc, char** argv, SoakOptions& options) {
    for (int index = 1; index < argc; ++index) {
        const std::string option = argv[index];
        const bool hasValue = index + 1 < argc;
        if (option == "--lines" && hasValue) {
            options.lines = std::stoull(argv[++index]);
        } else if (option == "--seconds" && hasValue) {
            options.seconds = static_cast<unsigned>(std::stoul(argv[++index]));
        } else if (option == "--seed" && hasValue) {
            options.seed = std::max(1ULL, std::stoull(argv[++index]));
        } else if (option == "--storm-gap" && hasValue) {
            options.stormGapMs = static_cast<unsigned>(std::max(1UL, std::stoul(argv[++index])));
        } else if (option == "--baud" && hasValue) {
            options.baud = static_cast<unsigned>(std::stoul(argv[++index]));
        } else if (option == "--allowed-growth" && hasValue) {
            options.allowedGrowthKilobytes = std::stol(argv[++index]);
        } else if (option == "--keep") {
            options.keepsFolder = true;
        } else {
            std::fprintf(stderr,
                         "usage: tolva-soak [--lines N | --seconds S] [--seed N] [--storm-gap MS] [--baud N] "
                         "[--allowed-growth KB] [--keep]\n");
            return false;
        }
    }
    return true;
}

// NAME=VALUE of the simulator's SUMMARY line.
unsigned long long SummaryValue(const std::string& summary, const std::string& name) {
    const std::size_t at = summary.find(" " + name + "=");
    return at == std::string::npos ? 0 : std::stoull(summary.substr(at + name.size() + 2));
}

void WriteProfile(const std::string& folder, unsigned baud) {
    fs::create_directories(folder + "/config");
    std::ofstream(folder + "/config/SOAK.INI")
        << "[Port Settings]\nport=COM1\nbaudrate=" << baud
        << "\nparity=None\ndatabits=8\nstopbits=1\nflow control=Xon/Xoff\ntransmit delay=0\n[Files]\nupload "
           "path="
        << folder << "/up/\ndownload path=" << folder << "/nc/\nfile extension=T3\n[Log]\nlog file=" << folder
        << "/activity.log\nwrite log=1\n";
}

} // namespace

int main(int argc, char** argv) {
    SoakOptions options;
    if (!ParseArguments(argc, argv, options)) {
        return 2;
    }
    std::string pattern = (fs::temp_directory_path() / "tolva-soak-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("tolva-soak: mkdtemp");
        return 2;
    }
    const std::string folder = pattern;
    fs::create_directories(folder + "/nc");
    fs::create_directories(folder + "/up");
    WriteProfile(folder, options.baud);

    // A round: download 1 (the sample), upload 100+round (five times the sample), download 2 (ten
    // times), download 3 (forty times).
    const std::vector<std::string> sample = SampleLines();
    const int copies[] = {1, 10, 40};
    for (int program = 1; program <= 3; ++program) {
        std::ofstream(folder + "/nc/" + std::to_string(program) + ".T3", std::ios::binary)
            << Program(sample, copies[program - 1], "\n");
    }
    std::ofstream(folder + "/upload.nc", std::ios::binary) << Program(sample, 5, "\n");
    const std::string storedUpload = Program(sample, 5, "\r\n");
    const unsigned long long linesPerRound = sample.size() * (1 + 5 + 10 + 40);
    const unsigned long long rounds =
        options.lines > 0 ? (options.lines + linesPerRound - 1) / linesPerRound : 0;

    std::vector<std::string> arguments{"--baud",
                                       std::to_string(options.baud),
                                       "--xoff-storms",
                                       std::to_string(options.seed),
                                       "--storm-gap",
                                       std::to_string(options.stormGapMs),
                                       "--buffer",
                                       "1024",
                                       "--idle",
                                       "300",
                                       "--timeout",
                                       "30000",
                                       "--upload-delay",
                                       "300",
                                       "--start-when-open",
                                       "--start-wait",
                                       "500",
                                       "--expect-folder",
                                       folder + "/nc",
                                       "--summary",
                                       "--hold",
                                       "--repeat",
                                       std::to_string(rounds)};
    if (options.lines == 0) {
        arguments.insert(arguments.end(), {"--for-seconds", std::to_string(options.seconds)});
    }
    arguments.insert(arguments.end(), {"--download", "1", "--upload", std::to_string(firstUploadNumber) + "+",
                                       folder + "/upload.nc", "--download", "2", "--download", "3"});
    SimulatorProcess simulator(folder);
    if (!simulator.Start(arguments)) {
        std::fprintf(stderr, "tolva-soak: the simulator did not start\n");
        return 1;
    }
    const std::string port = simulator.ReadPortPath();
    ChildProcess program(folder, "tolva-dnc");
    if (port.empty() ||
        !program.Start({testsupport::ProgramPath(),
                        {"SOAK"},
                        {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder + "/config"}},
                        folder})) {
        std::fprintf(stderr, "tolva-soak: the program did not start: %s\n",
                     simulator.StandardError().c_str());
        return 1;
    }
    std::printf(
        "tolva-soak: tolva-dnc against tolva-sim at %u baud with XON/XOFF and XOFF storms (seed %llu, "
        "%u ms apart on average), %s\n",
        options.baud, options.seed, options.stormGapMs,
        options.lines > 0
            ? (std::to_string(rounds) + " rounds of " + std::to_string(linesPerRound) + " lines").c_str()
            : (std::to_string(options.seconds) + " s").c_str());
    std::fflush(stdout);

    // Samples until the simulator reports its summary; the last round may outlast --for-seconds.
    const Clock::time_point start = Clock::now();
    std::vector<Sample> samples;
    std::string summary;
    while (program.IsRunning()) {
        samples.push_back({std::chrono::duration<double>(Clock::now() - start).count(),
                           program.ResidentKilobytes(), program.OpenDescriptors()});
        const std::string line = simulator.ReadOutputLine(sampleInterval);
        if (line.rfind("SUMMARY", 0) == 0) {
            // Every round is over: the program waits for the next request, with no file open.
            summary = line;
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            samples.push_back({std::chrono::duration<double>(Clock::now() - start).count(),
                               program.ResidentKilobytes(), program.OpenDescriptors()});
            break;
        }
        if (!line.empty() || !simulator.IsRunning()) {
            break; // the simulator ended early or said something else: a failed step
        }
    }
    const bool isDone = !summary.empty() && simulator.ReadOutputLine(std::chrono::seconds(10)) == "DONE";
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const bool wasRunning = program.IsRunning();
    program.Signal(SIGTERM);
    const int programStatus = program.WaitForExit(std::chrono::seconds(20));
    simulator.Signal(SIGTERM);
    const int simulatorStatus = simulator.WaitForExit(std::chrono::seconds(20));

    std::vector<std::string> problems;
    if (!isDone || simulatorStatus != 0) {
        problems.push_back("the simulator failed (status " + std::to_string(simulatorStatus) +
                           "): " + simulator.StandardError());
    }
    if (!wasRunning || programStatus != 0) {
        problems.push_back("the program ended badly (status " + std::to_string(programStatus) +
                           "): " + program.StandardError());
    }
    if (program.StandardError().find("(OK)") != std::string::npos) {
        problems.push_back("the program showed a box: " + program.StandardError());
    }
    const unsigned long long downloads = SummaryValue(summary, "downloads");
    const unsigned long long uploads = SummaryValue(summary, "uploads");
    unsigned long long wrongUploads = 0;
    for (unsigned long long upload = 0; upload < uploads; ++upload) {
        const std::string path = folder + "/up/" + std::to_string(firstUploadNumber + upload) + ".T3";
        wrongUploads += ReadAll(path) == storedUpload ? 0 : 1;
    }
    if (wrongUploads > 0) {
        problems.push_back(std::to_string(wrongUploads) + " uploads were not stored as sent");
    }
    const std::string log = ReadAll(folder + "/activity.log");
    const std::size_t downloadLines = CountOf(log, "Download Completed");
    const std::size_t uploadLines = CountOf(log, "Upload Completed");
    if (downloadLines != downloads || uploadLines != uploads || CountOf(log, "Error") > 0) {
        problems.push_back("the activity log has " + std::to_string(downloadLines) + " downloads and " +
                           std::to_string(uploadLines) + " uploads completed, the simulator saw " +
                           std::to_string(downloads) + " and " + std::to_string(uploads));
    }

    // Memory and descriptors after the warm-up: the first quarter of the run, at most 30 s.
    const double warmUp = std::min(seconds / 4, std::chrono::duration<double>(longestWarmUp).count());
    const auto settled = std::find_if(samples.begin(), samples.end(),
                                      [&](const Sample& sample) { return sample.at >= warmUp; });
    // A transfer holds its file open, so descriptors are compared with the fewest seen after the
    // warm-up, and the last sample, taken with the program idle, must not have more.
    long startKilobytes = -1, endKilobytes = -1, peakKilobytes = -1;
    int fewestDescriptors = -1, endDescriptors = -1, peakDescriptors = -1;
    if (settled != samples.end() && !summary.empty()) {
        startKilobytes = settled->residentKilobytes;
        fewestDescriptors = settled->descriptors;
        endKilobytes = samples.back().residentKilobytes;
        endDescriptors = samples.back().descriptors;
        for (auto sample = settled; sample != samples.end(); ++sample) {
            peakKilobytes = std::max(peakKilobytes, sample->residentKilobytes);
            peakDescriptors = std::max(peakDescriptors, sample->descriptors);
            fewestDescriptors = std::min(fewestDescriptors, sample->descriptors);
        }
        if (peakKilobytes - startKilobytes > options.allowedGrowthKilobytes) {
            problems.push_back("resident memory grew by " + std::to_string(peakKilobytes - startKilobytes) +
                               " kB after the warm-up");
        }
        if (endDescriptors > fewestDescriptors) {
            problems.push_back("open descriptors grew from " + std::to_string(fewestDescriptors) + " to " +
                               std::to_string(endDescriptors));
        }
    } else {
        problems.push_back("no sample after the warm-up");
    }

    std::printf(
        "%.0f s, %llu rounds: %llu downloads and %llu uploads, %llu lines, %llu bytes through the line; "
        "%llu XOFF storms with %llu XOFFs, at most %llu bytes after an XOFF; %llu bytes lost, %llu programs "
        "altered\n",
        seconds, SummaryValue(summary, "rounds"), downloads, uploads, SummaryValue(summary, "lines"),
        SummaryValue(summary, "bytes"), SummaryValue(summary, "storms"), SummaryValue(summary, "xoffs"),
        SummaryValue(summary, "after-xoff"), SummaryValue(summary, "lost"),
        wrongUploads + (simulatorStatus == 0 ? 0 : 1ULL));
    std::printf("resident memory after %.0f s of warm-up %.1f MB, at the end %.1f MB, highest %.1f MB; "
                "open descriptors at the fewest %d, at the end %d, during transfers up to %d\n",
                warmUp, startKilobytes / 1024.0, endKilobytes / 1024.0, peakKilobytes / 1024.0,
                fewestDescriptors, endDescriptors, peakDescriptors);
    for (const std::string& problem : problems) {
        std::printf("PROBLEM: %s\n", problem.c_str());
    }
    if (options.keepsFolder || !problems.empty()) {
        std::printf("the run's files are in %s\n", folder.c_str());
    } else {
        fs::remove_all(folder);
    }
    return problems.empty() ? 0 : 1;
}
