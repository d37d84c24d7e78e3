#include "support/SimulatorSupport.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using testsupport::SimulatorTest;

const std::string program = "%\nO0123\nN10 G90 G21\nN20 G01 X10.5 Y3\tF200\n\nN30 M02\n";
// The lines as the DNC link sends them: empty lines left out, each ended by CR LF.
const std::string programOnTheLine = "%\r\nO0123\r\nN10 G90 G21\r\nN20 G01 X10.5 Y3\tF200\r\nN30 M02\r\n";

class SimulatorTransferTest : public SimulatorTest {};

TEST_F(SimulatorTransferTest, DownloadOfTheExpectedProgramPasses) {
    folder.Write("123.nc", program);
    StartAndConnect({"--download", "123", "--expect-file", folder / "123.nc", "--idle", "300"});
    EXPECT_EQ(ReceiveUntil("\r"), "DOWNLOAD PROGRAM:123\r");
    Send(programOnTheLine);
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
    EXPECT_EQ(simulator.StandardError(), "");
}

TEST_F(SimulatorTransferTest, DownloadOfAWrongProgramFailsNamingTheLine) {
    folder.Write("123.nc", program);
    StartAndConnect({"--download", "123", "--expect-file", folder / "123.nc", "--idle", "300"});
    EXPECT_EQ(ReceiveUntil("\r"), "DOWNLOAD PROGRAM:123\r");
    Send("%\r\nO0123\r\nN10 G90 G20\r\nN20 G01 X10.5 Y3\tF200\r\nN30 M02\r\n");
    EXPECT_EQ(ExitStatus(), 1);
    std::string error = simulator.StandardError();
    EXPECT_NE(error.find("--download 123"), std::string::npos) << error;
    EXPECT_NE(error.find("line 3 differs"), std::string::npos) << error;
}

TEST_F(SimulatorTransferTest, DownloadMissingItsLastLineFails) {
    folder.Write("123.nc", program);
    StartAndConnect({"--download", "123", "--expect-file", folder / "123.nc", "--idle", "300"});
    ReceiveUntil("\r");
    Send("%\r\nO0123\r\nN10 G90 G21\r\nN20 G01 X10.5 Y3\tF200\r\n");
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("only 4 of 5 lines"), std::string::npos)
        << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, RefusalEndsTheDownloadAndFailsUnlessExpected) {
    folder.Write("9.nc", program);
    StartAndConnect({"--download", "9", "--expect-file", folder / "9.nc", "--idle", "5000"});
    ReceiveUntil("\r");
    auto start = std::chrono::steady_clock::now();
    Send("\x04");
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_LT(testsupport::SecondsSince(start), 3.0) << "the refusal byte ends the transfer at once";
    EXPECT_NE(simulator.StandardError().find("refused"), std::string::npos) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, ExpectedRefusalPasses) {
    StartAndConnect({"--download", "9", "--expect-refusal"});
    ReceiveUntil("\r");
    Send("\x04");
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, VerdictFollowsTheCheck) {
    folder.Write("5.nc", program);
    StartAndConnect({"--download", "5", "--expect-file", folder / "5.nc", "--idle", "300", "--verdict"});
    ReceiveUntil("\r");
    Send(programOnTheLine);
    EXPECT_EQ(ReceiveUntil("EOF 000\r"), "EOF 000\r");
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, NothingArrivingFailsTheDownload) {
    StartAndConnect({"--download", "5", "--timeout", "300"});
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("nothing arrived"), std::string::npos)
        << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, UploadSendsTheLinesAndTheEndOfFileLine) {
    folder.Write("7.nc", "O0007\r\nN10 G00 X0\n\nN20 M30\n");
    StartAndConnect({"--upload", "7", folder / "7.nc", "--upload-delay", "200"});
    std::string received = ReceiveUntil("EOF 000\r\n");
    EXPECT_EQ(received, "UPLOAD PROGRAM:7\rO0007\r\nN10 G00 X0\r\nN20 M30\r\nEOF 000\r\n");
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, UploadWaitsTheDelayBeforeTheFirstLine) {
    folder.Write("7.nc", "O0007\n");
    StartAndConnect({"--upload", "7", folder / "7.nc", "--upload-delay", "400"});
    EXPECT_EQ(ReceiveUntil("\r"), "UPLOAD PROGRAM:7\r");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReceiveUntil("\n"), "O0007\r\n");
    EXPECT_GE(testsupport::SecondsSince(start), 0.3);
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(SimulatorTransferTest, RefusedUploadFails) {
    folder.Write("7.nc", "O0007\n");
    StartAndConnect({"--upload", "7", folder / "7.nc", "--upload-delay", "300"});
    ReceiveUntil("\r");
    Send("\x04");
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("upload was refused"), std::string::npos)
        << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, TestLineIsRequestedAndChecked) {
    StartAndConnect({"--test-line"});
    EXPECT_EQ(ReceiveUntil("\r"), "XYZ\r");
    Send("0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n");
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, WrongTestLineFails) {
    StartAndConnect({"--test-line", "--timeout", "500"});
    ReceiveUntil("\r");
    Send("0123456789ABCDEFGHIJKLMNOPQRSTUVWXY\r\n");
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("--test-line"), std::string::npos) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, EchoReturnsTheTestMessageUpToItsTerminator) {
    StartAndConnect({"--echo", "--expect", "after", "--wait", "1000"});
    Send("LocalTestMessage@");
    EXPECT_EQ(ReceiveUntil("@"), "LocalTestMessage@");
    Send("after");
    EXPECT_EQ(ReceiveUntil("never", std::chrono::milliseconds(400)), "")
        << "nothing after the terminator is echoed";
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, SentLineAndExpectedTextFollowTheScriptOrder) {
    StartAndConnect({"--send", "EOF 000", "--expect", "OK", "--send", "DONE"});
    EXPECT_EQ(ReceiveUntil("\r"), "EOF 000\r");
    EXPECT_EQ(testsupport::ReadPort(Port(), 100), "") << "the second line waits for the expected text";
    Send("OK");
    EXPECT_EQ(ReceiveUntil("\r"), "DONE\r");
    EXPECT_EQ(ExitStatus(), 0);
}

TEST_F(SimulatorTransferTest, ExpectedTextMissingFailsWithWhatArrived) {
    StartAndConnect({"--expect", "ABC", "--timeout", "300"});
    Send("ABD");
    EXPECT_EQ(ExitStatus(), 1);
    std::string error = simulator.StandardError();
    EXPECT_NE(error.find("step 1 (--expect \"ABC\")"), std::string::npos) << error;
    EXPECT_NE(error.find("ABD"), std::string::npos) << error;
}

// --hold keeps the cable up after the steps until the simulator is told to go, serving it all the
// while, and then exits with the status its steps earned.
TEST_F(SimulatorTransferTest, HoldKeepsTheCableUpUntilTerminatedAndKeepsTheVerdict) {
    folder.Write("5.nc", program);
    StartAndConnect(
        {"--download", "5", "--expect-file", folder / "5.nc", "--idle", "300", "--linger", "0", "--hold"});
    ReceiveUntil("\r");
    Send(programOnTheLine);
    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(5)), "DONE");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(simulator.IsRunning()) << "the cable stays up";
    Send("late bytes are still taken\r");
    ASSERT_TRUE(simulator.Signal(SIGTERM));
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
}

TEST_F(SimulatorTransferTest, HoldAfterAFailedStepStillExitsOne) {
    StartAndConnect({"--download", "5", "--timeout", "300", "--hold"});
    EXPECT_EQ(simulator.ReadOutputLine(std::chrono::seconds(5)), "DONE");
    ASSERT_TRUE(simulator.Signal(SIGINT));
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("nothing arrived"), std::string::npos)
        << simulator.StandardError();
}

// --start-when-open plays the first step only once the DNC link holds its end of the cable, which
// it does with an exclusive lock when it opens the port; a link that never opens it fails the run.
TEST_F(SimulatorTransferTest, StartWhenOpenWaitsUntilTheLinkHoldsItsEnd) {
    ASSERT_TRUE(simulator.Start({"--start-when-open", "--send", "HELLO", "--timeout", "5000", "--linger",
                                 "300", "--record", folder / "record.txt"}));
    const std::string path = simulator.ReadPortPath();
    ASSERT_FALSE(path.empty()) << simulator.StandardError();
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    port = std::make_unique<testsupport::PortHandle>(path);
    ASSERT_TRUE(port->IsValid()) << port->OpenError();
    testsupport::SetTimeouts(Port(), MAXDWORD, MAXDWORD, 50);
    EXPECT_EQ(ReceiveUntil("HELLO\r"), "HELLO\r");
    EXPECT_EQ(ExitStatus(), 0) << simulator.StandardError();
    const std::string record = folder.Read("record.txt");
    const std::size_t sent = record.find(" TX HELLO");
    ASSERT_NE(sent, std::string::npos) << record;
    const std::size_t lineStart = record.rfind('\n', sent);
    const double sentAt = std::stod(record.substr(lineStart == std::string::npos ? 0 : lineStart + 1));
    EXPECT_GE(sentAt, 0.65) << "sent only once the port was open: " << record;
}

TEST_F(SimulatorTransferTest, StartWhenOpenFailsWhenTheLinkNeverOpensItsEnd) {
    ASSERT_TRUE(simulator.Start({"--start-when-open", "--send", "HELLO", "--timeout", "300"}));
    EXPECT_FALSE(simulator.ReadPortPath().empty());
    EXPECT_EQ(ExitStatus(), 1);
    EXPECT_NE(simulator.StandardError().find("did not open"), std::string::npos) << simulator.StandardError();
}

} // namespace
