#pragma once

// The real tolva-sim as a child process of a test: started with a command line, its "PORT" line
// read from its standard output, its standard error kept in a file, and its exit awaited with a
// limit so that a simulator that hangs fails the test instead of stalling it.

#include "support/ChildProcess.h"

#include <chrono>
#include <string>
#include <vector>

namespace testsupport {

class SimulatorProcess : public ChildProcess {
public:
    explicit SimulatorProcess(const std::string& scratchFolder) : ChildProcess(scratchFolder, "sim") {}

    // Starts the simulator; false when it could not be started.
    bool Start(const std::vector<std::string>& arguments) {
        return ChildProcess::Start({SimulatorPath(), arguments, {}, {}});
    }
    // The path of the "PORT path" line, or empty when none came within the time.
    std::string ReadPortPath(std::chrono::milliseconds limit = std::chrono::seconds(5)) {
        const std::string line = ReadOutputLine(limit);
        return line.rfind("PORT ", 0) == 0 ? line.substr(5) : std::string();
    }
};

} // namespace testsupport
