#include "support/SimulatorSupport.h"

#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using testsupport::ChangeState;
using testsupport::Pattern;
using testsupport::SecondsSince;
using testsupport::SimulatorTest;
using Clock = std::chrono::steady_clock;

class SimulatorFlowTest : public SimulatorTest {
protected:
    // The DNC link's side writes faster than the simulated controller reads.
    void UseFastWriter(DWORD baudRate, bool honoursXoff) {
        ChangeState(Port(), [baudRate, honoursXoff](DCB& block) {
            block.BaudRate = baudRate;
            block.fOutX = honoursXoff ? 1 : 0;
        });
    }
};

TEST_F(SimulatorFlowTest, ReadsOneCharacterPerCharacterTime) {
    std::string text = Pattern(36);
    StartAndConnect({"--baud", "1200", "--expect", text, "--linger", "0"});
    UseFastWriter(CBR_115200, false);
    auto start = Clock::now();
    Send(text);
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
    // 36 characters of ten bits at 1200 baud take 0.3 s to read, however fast they came.
    EXPECT_GE(SecondsSince(start), 0.28);
}

TEST_F(SimulatorFlowTest, FullBufferSendsXoffAndDrainedBufferXon) {
    std::string text = Pattern(60);
    StartAndConnect({"--baud", "1200", "--buffer", "64", "--xonxoff", "--expect", text});
    UseFastWriter(CBR_115200, false);
    Send(text);
    auto start = Clock::now();
    EXPECT_EQ(ReceiveUntil("\x13", std::chrono::seconds(2)), "\x13") << "XOFF past three quarters of 64";
    double xoffAt = SecondsSince(start);
    EXPECT_EQ(ReceiveUntil("\x11", std::chrono::seconds(3)), "\x11") << "XON below one quarter";
    // From over 48 to under 16 bytes is more than 32 characters at 120 characters a second.
    EXPECT_GE(SecondsSince(start) - xoffAt, 0.25);
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorFlowTest, WriterThatHonoursXoffLosesNothing) {
    // Twice the controller's pace: the writer stops within one chunk of 16 characters of an XOFF,
    // which a quarter of the buffer holds, while one at wire speed many times the controller's
    // would overrun any margin in the time the XOFF itself takes on the line.
    std::string text = Pattern(300);
    StartAndConnect({"--baud", "2400", "--buffer", "128", "--xonxoff", "--expect", text, "--timeout", "8000",
                     "--record", folder / "record.txt"});
    UseFastWriter(CBR_4800, true);
    Send(text);
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
    std::string record = folder.Read("record.txt");
    std::size_t xoff = record.find(" TX [13]\n");
    std::size_t xon = record.find(" TX [11]\n");
    ASSERT_NE(xoff, std::string::npos) << record;
    EXPECT_NE(xon, std::string::npos) << record;
    EXPECT_GT(xon, xoff);
}

TEST_F(SimulatorFlowTest, ASimulatorNotScheduledForAWhileStillCreditsAPacedSender) {
    // The writer paces at an eighth of the controller's speed, so a real line never fills the
    // buffer, and the buffer is empty most of the time between two chunks. The simulator is stopped
    // three times for 300 ms, as a loaded machine may leave it unscheduled: what piled up meanwhile,
    // over twice the buffer, spent that time on the line and must not count as overflow.
    std::string text = Pattern(300);
    StartAndConnect({"--baud", "9600", "--buffer", "16", "--expect", text, "--timeout", "8000"});
    UseFastWriter(CBR_1200, false);
    std::thread pause([this] {
        for (int stop = 0; stop < 3; ++stop) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(simulator.Id(), SIGSTOP);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            kill(simulator.Id(), SIGCONT);
        }
    });
    Send(text);
    pause.join();
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorFlowTest, OverflowWithoutFlowControlFailsTheRun) {
    std::string text = Pattern(200);
    StartAndConnect({"--baud", "1200", "--buffer", "64", "--wait", "300"});
    UseFastWriter(CBR_115200, false);
    Send(text);
    EXPECT_EQ(ExitStatus(), 1);
    std::string error = simulator.StandardError();
    EXPECT_NE(error.find("overflowed"), std::string::npos) << error;
}

} // namespace
