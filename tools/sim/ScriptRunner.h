#pragma once

// Plays the steps of the command line in order on the controller's line, and stops at the first
// step whose expectation fails. Each step reads from where the previous one stopped reading, so
// "--download 1 --download 2" checks the two transfers separately.

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

    std::string RunSteps();
    std::string RunStep(const ScriptStep& step);
    std::string SendLine(const std::string& text);
    std::string Download(const ScriptStep& step);
    std::string CheckDownload(const std::string& arrived);
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
};

} // namespace simulator
