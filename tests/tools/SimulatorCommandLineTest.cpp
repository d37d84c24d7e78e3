#include "support/SimulatorSupport.h"
#include "tools/sim/EventRecorder.h"
#include "tools/sim/ProgramText.h"
#include "tools/sim/SimulatorOptions.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>

namespace {

using testsupport::SimulatorProcess;
using testsupport::SimulatorTest;

class SimulatorCommandLineTest : public SimulatorTest {
protected:
    int Run(const std::vector<std::string>& arguments) {
        SimulatorProcess process(folder.Path());
        EXPECT_TRUE(process.Start(arguments));
        int status = process.WaitForExit();
        output = process.StandardOutput();
        error = process.StandardError();
        return status;
    }

    std::string output;
    std::string error;
};

TEST_F(SimulatorCommandLineTest, HelpExitsZeroAndDocumentsEveryOption) {
    EXPECT_EQ(Run({"--help"}), 0);
    for (const char* option :
         {"--pty",         "--device",         "--baud",     "--framing",     "--buffer",
          "--xonxoff",     "--record",         "--timeout",  "--idle",        "--upload-delay",
          "--expect-file", "--expect-refusal", "--verdict",  "--echo-end",    "--linger",
          "--hold",        "--send",           "--download", "--upload",      "--test-line",
          "--echo",        "--wait",           "--expect",   "--help",        "--expect-folder",
          "--xoff-storms", "--storm-gap",      "--repeat",   "--for-seconds", "--start-wait",
          "--summary"})
        EXPECT_NE(output.find(std::string("  ") + option + " "), std::string::npos) << option;
}

TEST_F(SimulatorCommandLineTest, BadArgumentsExitTwoWithAReason) {
    struct Case {
        std::vector<std::string> arguments;
        const char* reason;
    };
    const Case cases[] = {
        {{"--frobnicate"}, "unknown option"},
        {{"--baud"}, "needs a value"},
        {{"--baud", "fast"}, "--baud needs a whole number"},
        {{"--framing", "9N1"}, "--framing"},
        {{"--framing", "8X1"}, "--framing"},
        {{"--buffer", "2"}, "--buffer"},
        {{"--wait", "-5"}, "--wait"},
        {{"--upload", "7", "/nonexistent/7.nc"}, "cannot read"},
        {{"--expect-file", "/nonexistent/7.nc"}, "cannot read"},
        {{"--echo-end", "ab"}, "--echo-end"},
        {{"--xoff-storms", "0"}, "--xoff-storms needs a whole number of at least 1"},
        {{"--storm-gap", "0"}, "--storm-gap"},
        {{"--expect-folder", "/nonexistent"}, "no folder"},
        {{"--upload", "1x+", "/nonexistent/7.nc"}, "counted program number"},
        {{"--start-when-open", "--device", "/dev/null"}, "needs the simulator's own pseudo-terminal"},
    };
    for (const Case& test : cases) {
        std::string context = test.arguments[0];
        EXPECT_EQ(Run(test.arguments), 2) << context;
        EXPECT_NE(error.find(test.reason), std::string::npos) << context << ": " << error;
        EXPECT_EQ(output, "") << context << ": no port is made for a bad command line";
    }
}

TEST_F(SimulatorCommandLineTest, MissingDeviceFailsWithOne) {
    EXPECT_EQ(Run({"--device", "/dev/ttyNONEXISTENT9"}), 1);
    EXPECT_NE(error.find("/dev/ttyNONEXISTENT9"), std::string::npos) << error;
}

TEST_F(SimulatorCommandLineTest, RecordHasTimestampedTransmitAndReceiveLines) {
    StartAndConnect(
        {"--send", "DOWNLOAD PROGRAM:123", "--expect", "N30\r\n", "--record", folder / "record.txt"});
    ReceiveUntil("\r");
    Send("N10 G01\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    Send("N30\r\n");
    ASSERT_EQ(ExitStatus(), 0) << simulator.StandardError();

    std::istringstream record(folder.Read("record.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(record, line);)
        lines.push_back(line);
    const std::regex shape(R"(\d+\.\d{6} (TX|RX) .+)");
    for (const std::string& line : lines)
        EXPECT_TRUE(std::regex_match(line, shape)) << line;
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(lines[0].find(' ')), " TX DOWNLOAD PROGRAM:123[0D]");
    std::string received;
    double previous = 0;
    for (const std::string& line : lines) {
        double seconds = std::stod(line);
        EXPECT_GE(seconds, previous) << line;
        previous = seconds;
        if (line.find(" RX ") != std::string::npos)
            received += line.substr(line.find(" RX ") + 4);
    }
    EXPECT_EQ(received, "N10 G01[0D][0A]N30[0D][0A]");
    double first = std::stod(lines[1]);
    double last = std::stod(lines.back());
    EXPECT_GE(last - first, 0.09) << "the time stamps show the pause between the two lines";
}

TEST(SimulatorPartsTest, PrintableFormKeepsVisibleBytesAndEscapesTheRest) {
    EXPECT_EQ(simulator::EventRecorder::Printable(std::string("A ~\r\n\x13\x11\x04\x7F\xFF", 10)),
              "A ~[0D][0A][13][11][04][7F][FF]");
    EXPECT_EQ(simulator::EventRecorder::Printable(std::string("\0", 1)), "[00]");
}

TEST(SimulatorPartsTest, ProgramComparisonIgnoresLineEndsAndEmptyLines) {
    using simulator::CompareProgram;
    using simulator::ProgramLines;
    EXPECT_EQ(ProgramLines("A\r\n\r\nB\nC\rD"), (std::vector<std::string>{"A", "B", "C", "D"}));
    EXPECT_EQ(ProgramLines("X\x01Y\tZ\x7F\r\n"), (std::vector<std::string>{"XY\tZ"}));
    EXPECT_EQ(CompareProgram(ProgramLines("A\nB\n"), ProgramLines("A\r\nB\r\n")), "");
    EXPECT_EQ(CompareProgram(ProgramLines("A\nB\n"), ProgramLines("A\r\nC\r\n")),
              "line 2 differs: expected \"B\", received \"C\"");
    EXPECT_NE(CompareProgram(ProgramLines("A\nB\n"), ProgramLines("A\r\n")).find("only 1 of 2"),
              std::string::npos);
    EXPECT_NE(CompareProgram(ProgramLines("A\n"), ProgramLines("A\r\nB\r\n")).find("1 lines more"),
              std::string::npos);
}

TEST(SimulatorPartsTest, OptionsKeepTheStepOrderAndTheLastValue) {
    simulator::SimulatorOptions options;
    std::string error;
    ASSERT_EQ(simulator::ParseOptions({"--send", "A", "--baud", "1200", "--wait", "5", "--test-line",
                                       "--baud", "4800", "--framing", "7E1.5", "--echo"},
                                      options, error),
              simulator::ParseOutcome::Run)
        << error;
    ASSERT_EQ(options.steps.size(), 4u);
    EXPECT_EQ(options.steps[0].kind, simulator::StepKind::Send);
    EXPECT_EQ(options.steps[1].kind, simulator::StepKind::Wait);
    EXPECT_EQ(options.steps[1].milliseconds, 5u);
    EXPECT_EQ(options.steps[2].kind, simulator::StepKind::TestLine);
    EXPECT_EQ(options.steps[3].kind, simulator::StepKind::Echo);
    EXPECT_EQ(options.baudRate, 4800u);
    EXPECT_EQ(options.dataBits, 7u);
    EXPECT_EQ(options.parity, 'E');
    EXPECT_EQ(options.stopBits, 15u);
}

} // namespace
