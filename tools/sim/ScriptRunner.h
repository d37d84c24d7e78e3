#pragma once

// Plays the steps of the command line in order on the controller's line, round after round as
// --repeat and --for-seconds say, and stops at the first step whose expectation fails. Each step
// reads from where the previous one stopped reading, so "--download 1 --download 2" checks the
// two transfers separately.

#include "tools/sim/ControllerLine.h"
#include "tools/sim/SimulatorOptions.h"

#include <functional>
#include <string>

namespace simulator {

class ScriptRunner {
public:
    ScriptRunner(const SimulatorOptions& options, ControllerLine& line);

    // Empty when every step held; otherwise the failure, naming the step. isReleased, when
    // given, ends the hold of --hold.
    std::string Run(const std::function<bool()>& isReleased = {});

private:
    using Clock = ControllerLine::Clock;

    std::string RunRounds();
    std::string WaitUntilOpen();
    std::string RunSteps();
    std::string SummaryLine() const;
    // The program a download of number must deliver: --expect-folder's file, else --expect-file.
    std::string ExpectedFile(const std::string& number) const;
    std::string RunStep(const ScriptStep& step);
    std::string SendLine(const std::string& text);
    std::string Download(const ScriptStep& step);
    std::string CheckDownload(const std::string& number, const std::string& arrived);
    std::string Upload(const ScriptStep& step);
    std::string TestLine();
    std::string Echo();
    std::string Wait(unsigned milliseconds);
    std::string Expect(const std::string& text);
    std::string NotYetRead() const;
    Clock::time_point Deadline(unsigned milliseconds) const;

    const SimulatorOptions& options;
    ControllerLine& line;
    std::size_t cursor = 0;
    unsigned round = 0;
    unsigned long long downloads = 0;
    unsigned long long uploads = 0;
    unsigned long long lines = 0;
    unsigned long long bytes = 0;
};

} // namespace simulator
