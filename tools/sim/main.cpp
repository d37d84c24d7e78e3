// tolva-sim: the controller at the far end of the cable, for tests, benchmarks, the demo and for
// users who want to try a setup without a machine. See --help.

#include "tools/sim/ControllerLine.h"
#include "tools/sim/EventRecorder.h"
#include "tools/sim/ScriptRunner.h"
#include "tools/sim/SimulatorOptions.h"

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitBadArguments = 2;

// --hold: SIGTERM or SIGINT releases the cable.
volatile std::sig_atomic_t isReleased = 0;

void Release(int) {
    isReleased = 1;
}

int Fail(const std::string& message, int status) {
    std::fprintf(stderr, "tolva-sim: %s\n", message.c_str());
    return status;
}

} // namespace

int main(int argc, char** argv) {
    simulator::SimulatorOptions options;
    std::string error;
    switch (simulator::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options, error)) {
    case simulator::ParseOutcome::Help:
        std::fputs(simulator::UsageText().c_str(), stdout);
        return exitSuccess;
    case simulator::ParseOutcome::Invalid:
        return Fail(error, exitBadArguments);
    case simulator::ParseOutcome::Run:
        break;
    }
    if (options.holdsLine) {
        std::signal(SIGTERM, Release);
        std::signal(SIGINT, Release);
    }

    simulator::EventRecorder recorder;
    if (!options.recordFile.empty() && !recorder.Open(options.recordFile))
        return Fail("cannot create the record file " + options.recordFile, exitBadArguments);
    simulator::ControllerLine line(options, recorder);
    std::string path;
    if (!line.Open(path, error))
        return Fail(error, exitFailure);
    // The one line on standard output: whoever started the simulator reads it to find the cable.
    std::printf("PORT %s\n", path.c_str());
    std::fflush(stdout);

    simulator::ScriptRunner runner(options, line);
    if (std::string failure = runner.Run([] { return isReleased != 0; }); !failure.empty())
        return Fail(failure, exitFailure);
    return exitSuccess;
}
