// The real tolva-dnc, run as an operator runs it, receiving uploads from tolva-sim while the
// upload folder cannot take more: a file-size limit on the program (RLIMIT_FSIZE, set from here)
// makes the write that passes it fail as a full disk does.

#include "support/ChildProcess.h"
#include "support/FirstRunProfile.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/TestPrograms.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <sys/resource.h>
#include <thread>

namespace {

using testsupport::ChildProcess;
using testsupport::NumberedProgram;
using testsupport::SimulatorProcess;
using testsupport::Stored;

constexpr rlim_t FileSizeLimit = 4096;

// A write that fails ends the upload with its error, keeps what was written, refuses the rest,
// and leaves the program serving: the next upload that fits is stored whole.
TEST(UploadWriteFailureTest, AFailedWriteEndsTheUploadKeepsThePartAndTheNextUploadWorks) {
    testsupport::TempFolder folder;
    testsupport::WriteFirstRunProfile(folder, "UPLOAD");
    const std::string large = NumberedProgram(400); // about 14 kB, past the limit
    const std::string small = NumberedProgram(20);
    folder.Write("large.nc", large);
    folder.Write("small.nc", small);

    SimulatorProcess simulator(folder.Path());
    ASSERT_TRUE(simulator.Start({"--baud", "115200", "--record", folder / "line.txt", "--wait", "1500",
                                 "--upload-delay", "300", "--upload", "7", folder / "large.nc", "--wait",
                                 "1500", "--upload", "8", folder / "small.nc", "--wait", "1500", "--hold"}));
    const std::string port = simulator.ReadPortPath();
    ASSERT_FALSE(port.empty()) << simulator.StandardError();

    ChildProcess program(folder.Path(), "tolva-dnc");
    ASSERT_TRUE(
        program.Start({testsupport::ProgramPath(),
                       {"UPLOAD"},
                       {{"COM1", port}, {"TOLVA_UNATTENDED", "1"}, {"TOLVA_WINDIR", folder / "config"}},
                       folder.Path()}));
    const rlimit limit{FileSizeLimit, FileSizeLimit};
    ASSERT_EQ(prlimit(program.Id(), RLIMIT_FSIZE, &limit, nullptr), 0);

    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(30)), "DONE");
    EXPECT_TRUE(program.IsRunning()) << "the failed write ended the upload, not the program";
    ASSERT_TRUE(program.Signal(SIGTERM));
    EXPECT_EQ(program.WaitForExit(std::chrono::seconds(10)), 0) << program.StandardError();
    ASSERT_TRUE(simulator.Signal(SIGTERM));
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.StandardError();

    const std::string part = folder.Read("nc/7.T3");
    EXPECT_GT(part.size(), 0u);
    EXPECT_LE(part.size(), FileSizeLimit);
    EXPECT_EQ(Stored(large).compare(0, part.size(), part), 0) << "the part kept is the program's beginning";
    EXPECT_EQ(folder.Read("nc/8.T3"), Stored(small)) << "the next upload is whole";

    const std::string log = folder.Read("activity.log");
    const std::size_t failed = log.find("Upload Error(s)");
    const std::size_t completed = log.find("Upload Completed");
    ASSERT_NE(failed, std::string::npos) << log;
    ASSERT_NE(completed, std::string::npos) << log;
    EXPECT_LT(failed, completed);
    EXPECT_EQ(log.find("Upload Completed", completed + 1), std::string::npos)
        << "the failed one is not complete: " << log;
    EXPECT_NE(folder.Read("line.txt").find(" RX [04]"), std::string::npos)
        << "the controller got the refusal";
    EXPECT_EQ(program.StandardError().find("(OK)"), std::string::npos) << program.StandardError();
}

} // namespace
