// The link against the real controller simulator on a real pseudo-terminal: the simulator asks,
// checks what arrives and answers, as a controller on the other end of the cable does.

#include "engine/TransferState.h"
#include "support/EngineSupport.h"
#include "support/SimulatorProcess.h"

#include <atomic>

using engine::TransferState;

namespace testsupport {
namespace {

class EndToEndTest : public EngineTest {
protected:
    // Starts the simulator (which first waits for the link to open its side), and opens the port.
    void Connect(std::vector<std::string> steps) {
        steps.insert(steps.begin(), {"--baud", "115200", "--wait", "300"});
        ASSERT_TRUE(simulator.Start(steps));
        const std::string path = simulator.ReadPortPath();
        ASSERT_FALSE(path.empty()) << simulator.StandardError();
        settings.port = path.c_str();
        engine.ApplyPortSettings(false);
        ASSERT_TRUE(engine.IsOpen());
        ASSERT_TRUE(view.Boxes().empty());
        Start();
    }
    // The simulator's verdict, while the window thread keeps running.
    int SimulatorExit() {
        std::atomic<int> status{-1};
        std::thread waiter([&] { status = simulator.WaitForExit(std::chrono::seconds(20)); });
        PumpUntil([&] { return status != -1; }, 21000);
        waiter.join();
        return status;
    }

    testsupport::SimulatorProcess simulator{folder.Path()};
};

TEST_F(EndToEndTest, ControllerFetchesAProgramAndConfirmsIt) {
    const std::string program = LongProgram(8);
    folder.Write("123.T3", program);
    settings.writeLog = 1;
    Connect({"--download", "000123", "--expect-file", folder / "123.T3", "--idle", "300", "--verdict"});
    EXPECT_EQ(SimulatorExit(), 0) << simulator.StandardError();
    ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted));
    EXPECT_EQ(engine.RequestLine().CStr(), std::string("EOF 000")) << "the controller's verdict arrived";
    EXPECT_EQ(engine.ByteCount(), static_cast<int32_t>(WireForm(program).size()));
    const std::string log = folder.Read("activity.log");
    EXPECT_EQ(log.rfind("     123 12:34:56 05/12/2024 Download Completed " + folder / "123.T3", 0), 0u)
        << log;
}

TEST_F(EndToEndTest, MissingProgramIsRefused) {
    Connect({"--download", "55", "--expect-refusal"});
    EXPECT_EQ(SimulatorExit(), 0) << simulator.StandardError();
    EXPECT_TRUE(WaitForState(TransferState::DownloadOpenFailed));
}

TEST_F(EndToEndTest, ControllerSendsAProgram) {
    folder.Write("source.nc", SampleProgram());
    Connect({"--upload", "7", folder / "source.nc", "--upload-delay", "100", "--linger", "500"});
    EXPECT_EQ(SimulatorExit(), 0) << simulator.StandardError();
    ASSERT_TRUE(WaitForState(TransferState::UploadCompleted));
    std::string stored;
    std::istringstream lines(SampleProgram());
    for (std::string text; std::getline(lines, text);) {
        if (!text.empty()) {
            stored += text + "\r\n";
        }
    }
    EXPECT_EQ(folder.Read("up/7.T3"), stored);
}

TEST_F(EndToEndTest, TestLineAndLoopbackEcho) {
    Connect({"--test-line", "--echo"});
    ASSERT_TRUE(WaitForState(TransferState::LoopBackTest));
    // The simulator echoes only what arrives once its echo step has begun.
    Pump(300);
    engine.StartLoopbackTest();
    EXPECT_TRUE(WaitForState(TransferState::LocalLoopbackSuccess)) << view.Monitor();
    EXPECT_EQ(SimulatorExit(), 0) << simulator.StandardError();
}

} // namespace
} // namespace testsupport
