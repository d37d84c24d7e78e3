// The real tolva-dnc waiting for requests on a pseudo-terminal, with tolva-sim at the far end:
// while nothing happens its threads sleep, and the request that ends the wait is still served.

#include "support/ChildProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"

#include <chrono>
#include <csignal>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using testsupport::ChildProcess;
using testsupport::SimulatorProcess;

// Every time a thread of the process went to sleep or was put off the processor, summed over its
// threads: what waking costs, counted.
long ContextSwitches(pid_t process) {
    const std::string tasks = "/proc/" + std::to_string(process) + "/task";
    long total = 0;
    DIR* folder = ::opendir(tasks.c_str());
    if (folder == nullptr) {
        return -1;
    }
    while (const dirent* entry = ::readdir(folder)) {
        std::ifstream status(tasks + "/" + entry->d_name + "/status");
        for (std::string line; entry->d_name[0] != '.' && std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                total += std::stol(line.substr(line.find(':') + 1));
            }
        }
    }
    ::closedir(folder);
    return total;
}

// Before, the poll thread woke a hundred times a second and the window ten: over two seconds some
// 220 switches. Now the poll looks once a second in case a wake-up went missing, and the window
// not at all.
TEST(WaitingProgramTest, AWaitingProgramSleepsAndTheRequestThatComesIsServed) {
    testsupport::TempFolder folder;
    testsupport::WriteFirstRunProfile(folder, "QUIET");
    fs::copy_file(TOLVA_SAMPLE_PROGRAM, folder / "nc/5.T3");
    SimulatorProcess simulator(folder.Path());
    ASSERT_TRUE(simulator.Start({"--baud", "115200", "--start-when-open", "--expect-file", folder / "nc/5.T3",
                                 "--wait", "6000", "--download", "5", "--hold"}));
    const std::string port = simulator.ReadPortPath();
    ASSERT_FALSE(port.empty()) << simulator.StandardError();
    ChildProcess program(folder.Path(), "tolva-dnc");
    ASSERT_TRUE(
        program.Start({testsupport::ProgramPath(),
                       {"QUIET"},
                       {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
                       folder.Path()}));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long before = ContextSwitches(program.Id());
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const long after = ContextSwitches(program.Id());
    ASSERT_GE(before, 0);
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer's runtime has a thread of its own in the program, which wakes by itself.
    (void)after;
#else
    EXPECT_LE(after - before, 12) << "the waiting program's threads woke " << after - before
                                  << " times in 2 s";
#endif

    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(30)), "DONE");
    ASSERT_TRUE(program.Signal(SIGTERM));
    EXPECT_EQ(program.WaitForExit(), 0) << program.StandardError();
    ASSERT_TRUE(simulator.Signal(SIGTERM));
    EXPECT_EQ(simulator.WaitForExit(), 0) << "the program arrived as sent: " << simulator.StandardError();
    EXPECT_NE(folder.Read("activity.log").find("Download Completed"), std::string::npos);
}

} // namespace
