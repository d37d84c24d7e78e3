#pragma once

// A program of ours run as a child process of a test or a benchmark: started with a command line,
// extra environment variables and a working folder of its own, its standard output read through a
// pipe, its standard error kept in a file, its processor time and resident memory read from
// /proc, and its exit awaited with a limit, so that a child that hangs fails the run instead of
// stalling it.

#include <chrono>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    struct Launch {
        std::string program;
        std::vector<std::string> arguments;
        // NAME=VALUE pairs added to (or replacing in) this process's environment.
        std::vector<std::pair<std::string, std::string>> environment;
        // Empty: this process's working folder.
        std::string workingFolder;
    };

    // The child's standard error goes to a file in the scratch folder, named after the file stem.
    ChildProcess(const std::string& scratchFolder, const std::string& errorFileStem);
    virtual ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // False when the child could not be started.
    bool Start(const Launch& launch);
    // The next line of standard output, without its line end; empty when none came in time.
    std::string ReadOutputLine(std::chrono::milliseconds limit);
    // The exit status (128 + the signal for a child killed by one), or -1 when it did not end
    // within the time (it is killed then).
    int WaitForExit(std::chrono::milliseconds limit = std::chrono::seconds(10));
    // Sends a signal; false when the child is not running.
    bool Signal(int signal) const;
    // True until the child has ended (it is reaped then, and WaitForExit gives its status).
    bool IsRunning();
    pid_t Id() const { return process; }
    // User and system processor time of the running child so far, in seconds; -1 when unknown.
    double CpuSeconds() const;
    // The running child's processor time by the scheduler's own count (to the nanosecond), summed over
    // its threads (those that have ended are not in it); -1 when unknown. Finer than CpuSeconds,
    // whose unit is a clock tick: for a child that is meant to do next to nothing.
    double ScheduledSeconds() const;
    // Resident memory of the running child in kilobytes (VmRSS); -1 when unknown.
    long ResidentKilobytes() const;
    // Its proportional share of resident memory (Pss: pages shared with other processes counted
    // in parts), in kilobytes; -1 when unknown.
    long ProportionalKilobytes() const;
    // Open file descriptors of the running child; -1 when unknown.
    int OpenDescriptors() const;
    // Everything written to standard output not yet read as a line, and to standard error.
    std::string StandardOutput();
    std::string StandardError() const;

private:
    std::string errorPath;
    pid_t process = -1;
    int exitStatus = -1;
    int outputDescriptor = -1;
    std::string pendingOutput;
};

// The paths of the programs, as the build gave them.
std::string SimulatorPath();
std::string ProgramPath();
// The path of a program the system has installed (socat, ser2net): looked for on PATH and then in
// the system's program folders, which a user's PATH may lack; empty when it is nowhere.
std::string InstalledProgramPath(const std::string& name);

} // namespace testsupport
