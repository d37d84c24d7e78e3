#pragma once

// The real tolva-sim as a child process of a test: started with a command line, its "PORT" line
// read from its standard output, its standard error kept in a file, and its exit awaited with a
// limit so that a simulator that hangs fails the test instead of stalling it.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tools::tests {

class SimulatorProcess {
public:
    explicit SimulatorProcess(const std::string& scratchFolder);
    ~SimulatorProcess();
    SimulatorProcess(const SimulatorProcess&) = delete;
    SimulatorProcess& operator=(const SimulatorProcess&) = delete;

    // Starts the simulator; false when it could not be started.
    bool Start(const std::vector<std::string>& arguments);
    // The path of the "PORT path" line, or empty when none came within the time.
    std::string ReadPortPath(std::chrono::milliseconds limit = std::chrono::seconds(5));
    // The exit status, or -1 when the process did not end within the time (it is killed then).
    int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Everything written to standard output after the PORT line, and to standard error.
    std::string StandardOutput();
    std::string StandardError() const;

private:
    std::string errorPath;
    pid_t process = -1;
    int outputDescriptor = -1;
    std::string pendingOutput;
};

// The simulator's path, as the build gave it.
std::string SimulatorPath();

} // namespace tools::tests
