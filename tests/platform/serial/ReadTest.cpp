#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::AttachedLine;
using testsupport::ChangeState;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::ReadPort;
using testsupport::SecondsSince;
using testsupport::SetImmediateReads;
using testsupport::SetTimeouts;
using testsupport::Status;
using testsupport::Watchdog;
using Clock = std::chrono::steady_clock;

class KernelSerialReadTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(port.IsValid()) << port.OpenError(); }

    Watchdog watchdog;
    AttachedLine line{"COM6"};
    PortHandle port{"COM6"};
};

TEST_F(KernelSerialReadTest, MaximumIntervalReturnsAtOnceWithWhatHasArrived) {
    SetImmediateReads(port.Get());
    auto start = Clock::now();
    EXPECT_EQ(ReadPort(port.Get(), 100), "");
    EXPECT_LT(SecondsSince(start), 0.2) << "no waiting";
    line->Send("N10 G01");
    EXPECT_EQ(ReadPort(port.Get(), 100), "N10 G01");
    line->Send("abcdef");
    EXPECT_EQ(ReadPort(port.Get(), 4), "abcd");
    EXPECT_EQ(ReadPort(port.Get(), 4), "ef");
}

TEST_F(KernelSerialReadTest, MaximumIntervalAndMultiplierReturnAsSoonAsAnythingArrives) {
    SetTimeouts(port.Get(), MAXDWORD, MAXDWORD, 2000);
    // Timed from before the far end exists, which may run ahead of its creator on a loaded machine.
    auto start = Clock::now();
    std::thread farEnd([&] {
        std::this_thread::sleep_for(50ms);
        line->Send("%");
    });
    EXPECT_EQ(ReadPort(port.Get(), 100), "%");
    farEnd.join();
    EXPECT_GE(SecondsSince(start), 0.04);
    EXPECT_LT(SecondsSince(start), 1.0);

    SetTimeouts(port.Get(), MAXDWORD, MAXDWORD, 60);
    start = Clock::now();
    EXPECT_EQ(ReadPort(port.Get(), 100), "");
    EXPECT_GE(SecondsSince(start), 0.055);
}

TEST_F(KernelSerialReadTest, TotalTimeoutEndsAReadWithTheBytesSoFar) {
    SetTimeouts(port.Get(), 0, 1, 60);
    line->Send("abc");
    auto start = Clock::now();
    EXPECT_EQ(ReadPort(port.Get(), 10), "abc");
    double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.065) << "60 ms plus 1 ms for each of 10 bytes";
    EXPECT_LT(elapsed, 1.0);
}

TEST_F(KernelSerialReadTest, IntervalTimeoutRunsFromTheLastByte) {
    SetTimeouts(port.Get(), 40, 0, 0);
    auto start = Clock::now();
    std::thread farEnd([&] {
        line->Send("ab");
        std::this_thread::sleep_for(20ms);
        line->Send("cd");
    });
    std::string read = ReadPort(port.Get(), 10);
    double elapsed = SecondsSince(start);
    farEnd.join();
    EXPECT_EQ(read, "abcd");
    EXPECT_GE(elapsed, 0.055) << "20 ms to the second pair, then 40 ms of silence";
    EXPECT_LT(elapsed, 1.0);
}

TEST_F(KernelSerialReadTest, ReadWithoutTimeoutsWaitsForTheWholeCount) {
    std::thread farEnd([&] {
        for (const char* part : {"N1", "0 G", "00"}) {
            std::this_thread::sleep_for(15ms);
            line->Send(part);
        }
    });
    EXPECT_EQ(ReadPort(port.Get(), 7), "N10 G00");
    farEnd.join();
}

TEST_F(KernelSerialReadTest, PurgeRxAbortEndsAWaitingRead) {
    DWORD got = 99;
    BOOL isRead = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread reader([&] {
        char buffer[10];
        isRead = ReadFile(handle, buffer, sizeof buffer, &got, nullptr);
        error = GetLastError();
    });
    std::this_thread::sleep_for(30ms);
    line->Send("xy");
    std::this_thread::sleep_for(30ms);
    auto start = Clock::now();
    EXPECT_TRUE(PurgeComm(port.Get(), PURGE_RXABORT));
    reader.join();
    EXPECT_LT(SecondsSince(start), 0.5);
    EXPECT_FALSE(isRead);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);
    EXPECT_EQ(got, 2u);
}

TEST_F(KernelSerialReadTest, CloseHandleOnAnotherThreadEndsAWaitingRead) {
    BOOL isRead = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread reader([&] {
        char buffer[10];
        DWORD got = 0;
        isRead = ReadFile(handle, buffer, sizeof buffer, &got, nullptr);
        error = GetLastError();
    });
    std::this_thread::sleep_for(30ms);
    auto start = Clock::now();
    EXPECT_TRUE(port.Close());
    reader.join();
    EXPECT_LT(SecondsSince(start), 0.5);
    EXPECT_FALSE(isRead);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);
    EXPECT_FALSE(line->IsOpen()) << "the device goes when the last call on it has returned";
}

TEST_F(KernelSerialReadTest, InputQueueCountsAndRxClearEmptiesIt) {
    SetImmediateReads(port.Get());
    line->Send("0123456789");
    EXPECT_EQ(Status(port.Get()).status.cbInQue, 10u);
    EXPECT_EQ(ReadPort(port.Get(), 3), "012");
    EXPECT_EQ(Status(port.Get()).status.cbInQue, 7u);
    EXPECT_TRUE(PurgeComm(port.Get(), PURGE_RXCLEAR));
    EXPECT_EQ(Status(port.Get()).status.cbInQue, 0u);
    EXPECT_EQ(ReadPort(port.Get(), 10), "");
}

TEST_F(KernelSerialReadTest, PurgeRefusesUnknownFlags) {
    EXPECT_FALSE(PurgeComm(port.Get(), 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(PurgeComm(port.Get(), 0x10));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(KernelSerialReadTest, DriverErrorCountsBecomeErrorBitsOnce) {
    EXPECT_EQ(Status(port.Get()).errors, 0u);
    line->RaiseErrors(CE_FRAME | CE_BREAK);
    EXPECT_EQ(Status(port.Get()).errors, CE_FRAME | CE_BREAK);
    EXPECT_EQ(Status(port.Get()).errors, 0u) << "ClearCommError clears what it reported";
    line->RaiseErrors(CE_OVERRUN | CE_RXPARITY | CE_RXOVER);
    EXPECT_EQ(Status(port.Get()).errors, CE_OVERRUN | CE_RXPARITY | CE_RXOVER);
}

TEST_F(KernelSerialReadTest, AFullInputQueueLosesBytesAndSaysCeRxover) {
    SetImmediateReads(port.Get());
    ASSERT_TRUE(SetupComm(port.Get(), 8, 8));
    line->Send("0123456789AB");
    testsupport::LineStatus status = Status(port.Get());
    EXPECT_EQ(status.errors, CE_RXOVER);
    EXPECT_EQ(status.status.cbInQue, 8u);
    EXPECT_EQ(ReadPort(port.Get(), 20), "01234567");
}

TEST_F(KernelSerialReadTest, AbortOnErrorFailsReadsUntilClearCommError) {
    SetImmediateReads(port.Get());
    ChangeState(port.Get(), [](DCB& block) { block.fAbortOnError = TRUE; });
    line->Send("ok");
    line->RaiseErrors(CE_FRAME);
    char buffer[8];
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(port.Get(), buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_FALSE(WriteFile(port.Get(), "x", 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_OPERATION_ABORTED);
    EXPECT_EQ(Status(port.Get()).errors, CE_FRAME);
    EXPECT_EQ(ReadPort(port.Get(), 8), "ok");
}

TEST_F(KernelSerialReadTest, XonAndXoffAreDataWithoutOutXAndTakenOutWithIt) {
    SetImmediateReads(port.Get());
    line->Send("a\x13"
               "b\x11"
               "c");
    EXPECT_EQ(ReadPort(port.Get(), 10), "a\x13"
                                        "b\x11"
                                        "c");
    ChangeState(port.Get(), [](DCB& block) { block.fOutX = TRUE; });
    line->Send("a\x13"
               "b\x11"
               "c");
    EXPECT_EQ(ReadPort(port.Get(), 10), "abc");
}

TEST_F(KernelSerialReadTest, NullStrippingAndDsrSensitivityDropInput) {
    SetImmediateReads(port.Get());
    ChangeState(port.Get(), [](DCB& block) { block.fNull = TRUE; });
    line->Send(std::string("a\0b\0", 4));
    EXPECT_EQ(ReadPort(port.Get(), 10), "ab");
    ChangeState(port.Get(), [](DCB& block) {
        block.fNull = FALSE;
        block.fDsrSensitivity = TRUE;
    });
    line->SetDsr(false);
    line->Send("lost");
    EXPECT_EQ(ReadPort(port.Get(), 10), "");
    line->SetDsr(true);
    line->Send("kept");
    EXPECT_EQ(ReadPort(port.Get(), 10), "kept");
}

TEST_F(KernelSerialReadTest, HandleOpenedForWritingOnlyCannotRead) {
    port.Close();
    HANDLE writer = CreateFileA("COM6", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    char buffer[4];
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(writer, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_TRUE(WriteFile(writer, "x", 1, &got, nullptr));
    CloseHandle(writer);
}

TEST(KernelSerialTermiosReadTest, BytesFromThePseudoTerminalArriveAndXoffSentGoesBack) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    SetImmediateReads(port.Get());
    ASSERT_TRUE(SetupComm(port.Get(), 400, 400));
    ChangeState(port.Get(), [](DCB& block) {
        block.fInX = TRUE;
        block.fTXContinueOnXoff = TRUE;
    });
    terminal.Write(std::string(300, 'a'));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Status(port.Get()).status.cbInQue, 300u);
    EXPECT_EQ(terminal.ReadFor(20), "") << "at three quarters exactly, no XOFF yet";
    terminal.Write("b");
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 1u);
    EXPECT_EQ(terminal.ReadAtLeast(1, 1000), "\x13");
    EXPECT_EQ(ReadPort(port.Get(), 202), std::string(202, 'a'));
    EXPECT_EQ(terminal.ReadAtLeast(1, 1000), "\x11");
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 0u);
    EXPECT_EQ(ReadPort(port.Get(), 400), std::string(98, 'a') + "b");
}

} // namespace
