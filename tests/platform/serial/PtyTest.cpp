#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace {

using testsupport::ChangeState;
using testsupport::LineStatus;
using testsupport::PortHandle;
using testsupport::ReadPort;
using testsupport::SetTimeouts;
using testsupport::Status;
using testsupport::Watchdog;
using testsupport::WritePort;

// Reads until count bytes are in or about two seconds passed.
std::string ReadSome(HANDLE port, std::size_t count) {
    SetTimeouts(port, MAXDWORD, MAXDWORD, 100);
    std::string received;
    for (int round = 0; round < 20 && received.size() < count; ++round)
        received += ReadPort(port, static_cast<DWORD>(count - received.size()));
    return received;
}

class KernelSerialPtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        farEnd = platform::OpenPseudoTerminal(path);
        ASSERT_NE(farEnd, INVALID_HANDLE_VALUE) << GetLastError();
    }
    void TearDown() override {
        if (farEnd != INVALID_HANDLE_VALUE)
            CloseHandle(farEnd);
    }

    Watchdog watchdog;
    std::string path;
    HANDLE farEnd = INVALID_HANDLE_VALUE;
};

TEST_F(KernelSerialPtyTest, ProgramSideIsAPortPath) {
    EXPECT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    PortHandle second(path);
    EXPECT_FALSE(second.IsValid()) << "the program's side is still a port that only one may use";
}

TEST_F(KernelSerialPtyTest, BytesPassBothWaysUnchanged) {
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    const std::string request = "DOWNLOAD PROGRAM:1\r\n\x13\x11\x04";
    ASSERT_TRUE(WritePort(farEnd, request));
    EXPECT_EQ(ReadSome(program.Get(), request.size()), request);
    const std::string line = "N10 G01 X5\r\n";
    ASSERT_TRUE(WritePort(program.Get(), line));
    EXPECT_EQ(ReadSome(farEnd, line.size()), line);
}

TEST_F(KernelSerialPtyTest, BytesSentBeforeTheProgramOpensWaitRawAndAreNotEchoed) {
    const std::string early = "EOF 000\r\n";
    ASSERT_TRUE(WritePort(farEnd, early));
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    EXPECT_EQ(ReadSome(program.Get(), early.size()), early);
    SetTimeouts(farEnd, MAXDWORD, MAXDWORD, 100);
    EXPECT_EQ(ReadPort(farEnd, 100), "") << "nothing comes back to the far end";
    LineStatus status = Status(farEnd);
    EXPECT_TRUE(status.isDone) << status.lastError;
}

TEST_F(KernelSerialPtyTest, FarEndSettingsLeaveTheProgramSettingsAlone) {
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    ChangeState(program.Get(), [](DCB& block) { block.BaudRate = CBR_115200; });
    DCB farState{};
    ASSERT_TRUE(GetCommState(farEnd, &farState));
    farState.BaudRate = CBR_1200;
    farState.StopBits = TWOSTOPBITS;
    ASSERT_TRUE(SetCommState(farEnd, &farState)) << GetLastError();

    int descriptor = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(descriptor, 0);
    termios settings{};
    EXPECT_EQ(::tcgetattr(descriptor, &settings), 0);
    ::close(descriptor);
    EXPECT_EQ(::cfgetospeed(&settings), static_cast<speed_t>(B115200));
    EXPECT_EQ(settings.c_cflag & CSTOPB, 0u);
}

TEST_F(KernelSerialPtyTest, FarEndPacesItsWritesAtItsOwnSpeed) {
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    ChangeState(farEnd, [](DCB& block) { block.BaudRate = CBR_1200; });
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(WritePort(farEnd, std::string(36, 'A')));
    // 36 characters of ten bits at 1200 baud take 0.3 s on the wire.
    EXPECT_GE(testsupport::SecondsSince(start), 0.25);
}

TEST_F(KernelSerialPtyTest, ClosingTheFarEndHangsUpTheProgramSide) {
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    SetTimeouts(program.Get(), MAXDWORD, MAXDWORD, 200);
    ASSERT_TRUE(CloseHandle(farEnd));
    farEnd = INVALID_HANDLE_VALUE;
    char byte = 0;
    DWORD got = 0;
    EXPECT_FALSE(ReadFile(program.Get(), &byte, 1, &got, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DEVICE_NOT_CONNECTED));
}

// A program that queues its bytes one at a time calls ClearCommError back to back; those calls
// do not look at the terminal each time, but input is never missed for long, and a far end
// that goes away is still reported.
TEST_F(KernelSerialPtyTest, BackToBackStatusCallsStillSeeInputAndHangUp) {
    PortHandle program(path);
    ASSERT_TRUE(program.IsValid()) << program.OpenError();
    EXPECT_EQ(Status(program.Get()).status.cbInQue, 0u);
    ASSERT_TRUE(WritePort(farEnd, "N1"));
    const auto start = std::chrono::steady_clock::now();
    DWORD waiting = 0;
    long calls = 0;
    while (waiting < 2 && testsupport::SecondsSince(start) < 2.0) {
        waiting = Status(program.Get()).status.cbInQue;
        ++calls;
    }
    EXPECT_EQ(waiting, 2u) << "after " << calls << " calls";
    ASSERT_TRUE(CloseHandle(farEnd));
    farEnd = INVALID_HANDLE_VALUE;
    bool isReported = false;
    while (!isReported && testsupport::SecondsSince(start) < 4.0) {
        DWORD errors = 0;
        COMSTAT status{};
        isReported = !ClearCommError(program.Get(), &errors, &status);
    }
    EXPECT_TRUE(isReported) << "the hang-up ends the status calls";
}

} // namespace
