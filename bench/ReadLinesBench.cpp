// ReadLines over a 10 MB NC program against a plain std::getline loop over the same file, in the
// same run. Prints the ratio of the two median times; the file layer should stay within a small
// factor of the standard library.
#include "framework/File.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr size_t TargetBytes = 10 * 1024 * 1024;

// A real program repeated to 10 MB with CR LF line ends, as programs arrive from the office.
std::string MakeProgram() {
    std::string source;
    std::ifstream real(TOLVA_SAMPLE_PROGRAM, std::ios::binary);
    std::string line;
    while (std::getline(real, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        source += line + "\r\n";
    }
    if (source.empty()) {
        for (int i = 0; i < 100; ++i) {
            source +=
                "N" + std::to_string(i * 10) + " G01 X" + std::to_string(i * 7) + ".125 Y-3.5 F1200\r\n";
        }
    }
    std::string program;
    program.reserve(TargetBytes + source.size());
    while (program.size() < TargetBytes) {
        program += source;
    }
    return program;
}

const std::string& ProgramPath() {
    static const std::string path = [] {
        const std::string file = (std::filesystem::temp_directory_path() / "tolva-bench-10mb.T3").string();
        std::ofstream(file, std::ios::binary) << MakeProgram();
        return file;
    }();
    return path;
}

void FileReadLines(benchmark::State& state) {
    const framework::String path(ProgramPath().c_str());
    for (auto _ : state) {
        framework::File file(path, framework::File::ModeRead);
        framework::String lines;
        const int count = file.ReadLines(lines, 0x7FFFFFFF, false);
        benchmark::DoNotOptimize(count);
        state.counters["bytes"] = lines.Length();
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(ProgramPath()));
}

void StdGetline(benchmark::State& state) {
    for (auto _ : state) {
        std::ifstream in(ProgramPath(), std::ios::binary);
        std::string lines;
        std::string line;
        bool first = true;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') {
                line.pop_back();
            }
            if (!first) {
                lines += '\n';
            }
            lines += line;
            first = false;
        }
        benchmark::DoNotOptimize(lines.data());
        state.counters["bytes"] = lines.size();
    }
    state.SetBytesProcessed(state.iterations() * std::filesystem::file_size(ProgramPath()));
}

BENCHMARK(FileReadLines)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(StdGetline)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Keeps the median real time of each benchmark so that the ratio can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.aggregate_name == "median") {
                medians[run.run_name.function_name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> medians;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (reporter.medians.count("FileReadLines") && reporter.medians.count("StdGetline")) {
        std::printf("ReadLines / std::getline (median, 10 MB): %.2f\n",
                    reporter.medians["FileReadLines"] / reporter.medians["StdGetline"]);
    }
    std::filesystem::remove(ProgramPath());
    benchmark::Shutdown();
    return 0;
}
