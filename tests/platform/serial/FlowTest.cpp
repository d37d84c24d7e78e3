#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::AttachedLine;
using testsupport::ChangeState;
using testsupport::Pattern;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::ReadPort;
using testsupport::SecondsSince;
using testsupport::SetImmediateReads;
using testsupport::Status;
using testsupport::Watchdog;
using testsupport::WritePort;
using Clock = std::chrono::steady_clock;

// Runs one WriteFile on a thread of its own, as the program's poll thread does.
class BackgroundWrite {
public:
    BackgroundWrite(HANDLE port, std::string bytes)
        : bytes(std::move(bytes)), thread([this, port] {
              isWritten = WritePort(port, this->bytes, &written);
              error = GetLastError();
          }) {}
    ~BackgroundWrite() {
        if (thread.joinable())
            thread.join();
    }
    void Join() { thread.join(); }

    std::string bytes;
    BOOL isWritten = FALSE;
    DWORD written = 0;
    DWORD error = 0;

private:
    std::thread thread;
};

class KernelSerialFlowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(port.IsValid()) << port.OpenError();
        SetImmediateReads(port.Get());
    }

    Watchdog watchdog;
    AttachedLine line{"COM8"};
    PortHandle port{"COM8"};
};

TEST_F(KernelSerialFlowTest, XoffStopsOutputWithinOneChunkAndXonSendsTheRest) {
    ChangeState(port.Get(), [](DCB& block) { block.fOutX = TRUE; });
    const std::string program = Pattern(400);
    BackgroundWrite write(port.Get(), program);
    std::string arrived = line->WaitForArrived(100, 2000);
    line->Send("\x13");
    std::size_t acceptedAtXoff = line->AcceptedCount();
    std::this_thread::sleep_for(100ms);
    std::size_t acceptedAfter = line->AcceptedCount();
    EXPECT_LE(acceptedAfter - acceptedAtXoff, 16u) << "output stops within one chunk of an XOFF";
    EXPECT_LT(acceptedAfter, program.size());
    EXPECT_EQ(Status(port.Get()).status.fXoffHold, 1u);

    line->Send("\x11");
    write.Join();
    EXPECT_TRUE(write.isWritten);
    EXPECT_EQ(write.written, program.size());
    EXPECT_EQ(Status(port.Get()).status.fXoffHold, 0u);
    arrived += line->WaitForArrived(program.size() - arrived.size(), 2000);
    EXPECT_EQ(arrived, program);
    EXPECT_EQ(ReadPort(port.Get(), 10), "") << "XON and XOFF are not data";
}

// The far end of the pseudo-terminal counts what it still receives after its XOFF; at 4800 baud a
// chunk takes 33 ms, enough for a far end that answers at once.
TEST_F(KernelSerialFlowTest, XoffFromAPseudoTerminalStopsOutputWithinOneChunk) {
    PseudoTerminal terminal;
    PortHandle ptyPort(terminal.SlavePath());
    ASSERT_TRUE(ptyPort.IsValid()) << ptyPort.OpenError();
    ChangeState(ptyPort.Get(), [](DCB& block) {
        block.BaudRate = CBR_4800;
        block.fOutX = TRUE;
    });
    const std::string program = Pattern(200);
    BackgroundWrite write(ptyPort.Get(), program);
    std::string received = terminal.ReadAtLeast(64, 2000);
    terminal.Write("\x13");
    std::size_t receivedAtXoff = received.size();
    received += terminal.ReadFor(150);
    EXPECT_LE(received.size() - receivedAtXoff, 16u);
    EXPECT_LT(received.size(), program.size());
    terminal.Write("\x11");
    received += terminal.ReadAtLeast(program.size() - received.size(), 2000);
    write.Join();
    EXPECT_EQ(received, program);
    EXPECT_TRUE(write.isWritten);
}

TEST_F(KernelSerialFlowTest, XoffIsSentAtThreeQuartersAndXonBelowOneQuarter) {
    ASSERT_TRUE(SetupComm(port.Get(), 400, 400));
    ChangeState(port.Get(), [](DCB& block) {
        block.fInX = TRUE;
        block.fTXContinueOnXoff = TRUE;
    });
    line->Send(std::string(300, 'a'));
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 0u);
    EXPECT_EQ(line->WaitForArrived(1, 30), "");
    line->Send("b");
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 1u);
    EXPECT_EQ(line->WaitForArrived(1, 1000), "\x13");
    EXPECT_EQ(ReadPort(port.Get(), 201), std::string(201, 'a'));
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 1u) << "100 bytes left is not below a quarter";
    EXPECT_EQ(ReadPort(port.Get(), 1), "a");
    EXPECT_EQ(Status(port.Get()).status.fXoffSent, 0u);
    EXPECT_EQ(line->WaitForArrived(1, 1000), "\x11");
}

TEST_F(KernelSerialFlowTest, OwnXoffHoldsOutputUnlessTxContinuesOnXoff) {
    ASSERT_TRUE(SetupComm(port.Get(), 40, 40));
    ChangeState(port.Get(), [](DCB& block) { block.fInX = TRUE; });
    line->Send(std::string(31, 'a'));
    ASSERT_EQ(Status(port.Get()).status.fXoffSent, 1u);
    ASSERT_EQ(line->WaitForArrived(1, 1000), "\x13");
    BackgroundWrite write(port.Get(), "%");
    EXPECT_EQ(line->WaitForArrived(1, 80), "") << "fTXContinueOnXoff is off";
    EXPECT_EQ(ReadPort(port.Get(), 31).size(), 31u);
    write.Join();
    EXPECT_EQ(line->WaitForArrived(2, 1000), "\x11%");
}

TEST_F(KernelSerialFlowTest, CtsHoldsOutputWithCtsFlow) {
    ChangeState(port.Get(), [](DCB& block) {
        block.fOutxCtsFlow = TRUE;
        block.fRtsControl = RTS_CONTROL_HANDSHAKE;
    });
    EXPECT_TRUE(line->Settings().usesRtsCtsFlow) << "CTS flow with RTS handshake goes to the driver too";
    line->SetCts(false);
    EXPECT_EQ(Status(port.Get()).status.fCtsHold, 1u);
    BackgroundWrite write(port.Get(), "N20 M30");
    EXPECT_EQ(line->WaitForArrived(1, 80), "");
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 7u);
    auto released = Clock::now();
    line->SetCts(true);
    write.Join();
    EXPECT_LT(SecondsSince(released), 0.5);
    EXPECT_EQ(line->WaitForArrived(7, 1000), "N20 M30");
    EXPECT_EQ(Status(port.Get()).status.fCtsHold, 0u);
}

TEST_F(KernelSerialFlowTest, CtsIsIgnoredWithoutCtsFlow) {
    line->SetCts(false);
    EXPECT_EQ(Status(port.Get()).status.fCtsHold, 0u);
    EXPECT_TRUE(WritePort(port.Get(), "ok"));
    EXPECT_EQ(line->WaitForArrived(2, 1000), "ok");
}

TEST_F(KernelSerialFlowTest, DsrHoldsOutputWithDsrFlow) {
    ChangeState(port.Get(), [](DCB& block) { block.fOutxDsrFlow = TRUE; });
    line->SetDsr(false);
    EXPECT_EQ(Status(port.Get()).status.fDsrHold, 1u);
    BackgroundWrite write(port.Get(), "%");
    EXPECT_EQ(line->WaitForArrived(1, 80), "");
    line->SetDsr(true);
    write.Join();
    EXPECT_EQ(line->WaitForArrived(1, 1000), "%");
    EXPECT_EQ(Status(port.Get()).status.fDsrHold, 0u);
}

TEST_F(KernelSerialFlowTest, DtrAndRtsHandshakeDropTheLinesWhileTheInputQueueIsHigh) {
    ASSERT_TRUE(SetupComm(port.Get(), 40, 40));
    ChangeState(port.Get(), [](DCB& block) {
        block.fDtrControl = DTR_CONTROL_HANDSHAKE;
        block.fRtsControl = RTS_CONTROL_HANDSHAKE;
    });
    EXPECT_TRUE(line->IsDtrOn());
    EXPECT_TRUE(line->IsRtsOn());
    line->Send(std::string(31, 'a'));
    Status(port.Get());
    EXPECT_FALSE(line->IsDtrOn());
    EXPECT_FALSE(line->IsRtsOn());
    EXPECT_EQ(line->WaitForArrived(1, 30), "") << "no XOFF without fInX";
    EXPECT_EQ(ReadPort(port.Get(), 30).size(), 30u);
    EXPECT_TRUE(line->IsDtrOn());
    EXPECT_TRUE(line->IsRtsOn());
    EXPECT_FALSE(EscapeCommFunction(port.Get(), CLRDTR)) << "a handshake line is the driver's";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(EscapeCommFunction(port.Get(), SETRTS));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(KernelSerialFlowTest, EscapeFunctionsSetTheLinesAndPretendXoff) {
    EXPECT_TRUE(EscapeCommFunction(port.Get(), CLRDTR));
    EXPECT_FALSE(line->IsDtrOn());
    EXPECT_TRUE(EscapeCommFunction(port.Get(), CLRRTS));
    EXPECT_FALSE(line->IsRtsOn());
    Status(port.Get());
    EXPECT_FALSE(line->IsDtrOn()) << "an enabled DTR stays as the escape left it";
    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETDTR));
    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETRTS));
    EXPECT_TRUE(line->IsDtrOn());
    EXPECT_TRUE(line->IsRtsOn());
    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETBREAK));
    EXPECT_TRUE(line->IsBreakOn());
    EXPECT_TRUE(EscapeCommFunction(port.Get(), CLRBREAK));
    EXPECT_FALSE(line->IsBreakOn());

    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETXOFF));
    EXPECT_EQ(Status(port.Get()).status.fXoffHold, 1u);
    BackgroundWrite write(port.Get(), "x");
    EXPECT_EQ(line->WaitForArrived(1, 60), "");
    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETXON));
    write.Join();
    EXPECT_EQ(line->WaitForArrived(1, 1000), "x");
    EXPECT_FALSE(EscapeCommFunction(port.Get(), 7 + 100));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(KernelSerialFlowTest, ModemStatusFollowsTheLine) {
    DWORD lines = 0;
    ASSERT_TRUE(GetCommModemStatus(port.Get(), &lines));
    EXPECT_EQ(lines, MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
    line->SetCts(false);
    line->SetRlsd(false);
    line->SetRing(true);
    ASSERT_TRUE(GetCommModemStatus(port.Get(), &lines));
    EXPECT_EQ(lines, MS_DSR_ON | MS_RING_ON);
    EXPECT_EQ(Status(port.Get()).status.fRlsdHold, 0u) << "Win32 has no carrier handshake to hold on";
}

TEST_F(KernelSerialFlowTest, ClosingThePortDropsItsLines) {
    ASSERT_TRUE(line->IsDtrOn());
    port.Close();
    EXPECT_FALSE(line->IsOpen());
    EXPECT_FALSE(line->IsDtrOn());
    EXPECT_FALSE(line->IsRtsOn());
}

TEST(KernelSerialTermiosFlowTest, HardwareFlowReachesThePseudoTerminal) {
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    ChangeState(port.Get(), [](DCB& block) {
        block.fOutxCtsFlow = TRUE;
        block.fRtsControl = RTS_CONTROL_HANDSHAKE;
        block.fOutX = TRUE;
        block.fInX = TRUE;
    });
    termios applied = terminal.Settings();
    EXPECT_NE(applied.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(applied.c_iflag & (IXON | IXOFF), 0u) << "XON/XOFF is the port's, not the kernel's";
}

} // namespace
