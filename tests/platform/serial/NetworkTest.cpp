// Ports on a serial device server, with the real one: ser2net serves a pseudo-terminal on a
// loopback port, raw or with RFC 2217, the port map sends COM7 there, and the test plays the
// machine at the pseudo-terminal's far end. A test that cannot start ser2net fails.

#include "platform/Windows.h"
#include "support/DeviceServerProcess.h"
#include "support/PlatformSupport.h"
#include "support/SerialSupport.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <termios.h>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::ChangeState;
using testsupport::DeviceServerProcess;
using testsupport::ExpectEveryCallFails;
using testsupport::Pattern;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::ReadPort;
using testsupport::ScopedEnvironment;
using testsupport::SecondsSince;
using testsupport::SetImmediateReads;
using testsupport::State;
using testsupport::Status;
using testsupport::SystemText;
using testsupport::TemporaryFolder;
using testsupport::Watchdog;
using testsupport::WritePort;
using Protocol = DeviceServerProcess::Protocol;
using Clock = std::chrono::steady_clock;

// Every byte value, so that IAC, XON, XOFF, NUL and CR all travel.
std::string AllBytes(int rounds) {
    std::string bytes;
    for (int round = 0; round < rounds; ++round) {
        for (int value = 0; value < 256; ++value)
            bytes += static_cast<char>(value);
    }
    return bytes;
}

class KernelSerialNetworkTest : public ::testing::Test {
protected:
    void Serve(Protocol protocol, int port = 0) {
        ASSERT_TRUE(server.Start(terminal.SlavePath(), protocol, port)) << server.Problem();
        com7.emplace("COM7", server.Address());
    }

    void ExpectBytesBothWays(HANDLE port) {
        const std::string bytes = AllBytes(4);
        ASSERT_TRUE(WritePort(port, bytes));
        EXPECT_EQ(terminal.ReadAtLeast(bytes.size(), 3000), bytes) << "to the machine";
        terminal.Write(bytes);
        std::string arrived;
        for (int round = 0; round < 300 && arrived.size() < bytes.size(); ++round) {
            arrived += ReadPort(port, static_cast<DWORD>(bytes.size() - arrived.size()));
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(arrived, bytes) << "from the machine";
    }

    Watchdog watchdog{std::chrono::seconds(30)};
    TemporaryFolder folder;
    PseudoTerminal terminal;
    DeviceServerProcess server{folder.Path()};
    std::optional<ScopedEnvironment> com7;
};

TEST_F(KernelSerialNetworkTest, ARawStreamCarriesEveryByteBothWays) {
    Serve(Protocol::Raw);
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid()) << SystemText(port.OpenError());
    SetImmediateReads(port.Get());
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_115200; });
    EXPECT_EQ(State(port.Get()).BaudRate, DWORD(CBR_115200)) << "the port's own pacing takes the speed";
    ExpectBytesBothWays(port.Get());
}

TEST_F(KernelSerialNetworkTest, ComPortControlSetsTheServersDeviceAndCarriesEveryByte) {
    Serve(Protocol::ComPortControl);
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid()) << SystemText(port.OpenError());
    SetImmediateReads(port.Get());

    DCB block = State(port.Get());
    block.BaudRate = CBR_38400;
    block.ByteSize = 7;
    block.Parity = EVENPARITY;
    block.StopBits = TWOSTOPBITS;
    ASSERT_TRUE(SetCommState(port.Get(), &block)) << "ser2net confirmed every value";
    // A pseudo-terminal keeps eight data bits and no parity whatever it is told, so speed and stop
    // bits are what can be seen of ser2net's settings there.
    termios applied = terminal.Settings();
    EXPECT_EQ(cfgetospeed(&applied), speed_t(B38400)) << "the speed ser2net gave its device";
    EXPECT_NE(applied.c_cflag & CSTOPB, 0u);

    ChangeState(port.Get(), [](DCB& block) {
        block.BaudRate = CBR_115200;
        block.ByteSize = 8;
        block.Parity = NOPARITY;
        block.StopBits = ONESTOPBIT;
    });
    applied = terminal.Settings();
    EXPECT_EQ(cfgetospeed(&applied), speed_t(B115200));
    EXPECT_EQ(applied.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8));
    ExpectBytesBothWays(port.Get());
}

TEST_F(KernelSerialNetworkTest, ModemLinesAreTheServersAndHardwareFlowReachesItsDevice) {
    Serve(Protocol::ComPortControl);
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid()) << SystemText(port.OpenError());
    DWORD lines = MS_CTS_ON;
    ASSERT_TRUE(GetCommModemStatus(port.Get(), &lines));
    EXPECT_EQ(lines, 0u) << "ser2net reports a pseudo-terminal's lines as all off";

    ChangeState(port.Get(), [](DCB& block) {
        block.fOutxCtsFlow = TRUE;
        block.fRtsControl = RTS_CONTROL_HANDSHAKE;
    });
    termios applied = terminal.Settings();
    EXPECT_NE(applied.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(Status(port.Get()).status.fCtsHold, 1u) << "CTS off holds the output, as on a cable";
}

TEST_F(KernelSerialNetworkTest, XoffFromTheMachineStopsOutputWithinOneChunk) {
    Serve(Protocol::ComPortControl);
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid()) << SystemText(port.OpenError());
    ChangeState(port.Get(), [](DCB& block) {
        block.BaudRate = CBR_4800;
        block.fOutX = TRUE;
    });
    const std::string program = Pattern(200);
    BOOL isWritten = FALSE;
    std::thread writer([&] { isWritten = WritePort(port.Get(), program); });
    std::string received = terminal.ReadAtLeast(64, 3000);
    terminal.Write("\x13");
    const std::size_t receivedAtXoff = received.size();
    received += terminal.ReadFor(200);
    EXPECT_LE(received.size() - receivedAtXoff, 16u);
    EXPECT_LT(received.size(), program.size());
    EXPECT_EQ(Status(port.Get()).status.fXoffHold, 1u);
    terminal.Write("\x11");
    received += terminal.ReadAtLeast(program.size() - received.size(), 3000);
    writer.join();
    EXPECT_TRUE(isWritten);
    EXPECT_EQ(received, program);
}

TEST_F(KernelSerialNetworkTest, AKilledServerIsAnUnpluggedPortAndAReopenReconnects) {
    Serve(Protocol::ComPortControl);
    const int serverPort = server.Port();
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid()) << SystemText(port.OpenError());
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_9600; });
    BOOL isWritten = TRUE;
    DWORD error = 0;
    std::thread writer([&] {
        isWritten = WritePort(port.Get(), Pattern(3000));
        error = GetLastError();
    });
    EXPECT_FALSE(terminal.ReadAtLeast(32, 3000).empty());
    const auto killed = Clock::now();
    ASSERT_TRUE(server.Signal(SIGKILL));
    server.WaitForExit();
    writer.join();
    EXPECT_LT(SecondsSince(killed), 2.0) << "a dropped server is noticed within 2 s";
    EXPECT_FALSE(isWritten);
    EXPECT_EQ(error, ERROR_DEVICE_NOT_CONNECTED);
    ExpectEveryCallFails(port.Get());
    EXPECT_TRUE(port.Close());

    PortHandle whileDown("COM7");
    EXPECT_FALSE(whileDown.IsValid());
    EXPECT_EQ(whileDown.OpenError(), WSAECONNREFUSED);
    EXPECT_EQ(SystemText(whileDown.OpenError()),
              "No connection could be made because the target machine actively refused it.\r\n");

    terminal.ReadFor(50);
    DeviceServerProcess restarted(folder.Path());
    ASSERT_TRUE(restarted.Start(terminal.SlavePath(), Protocol::ComPortControl, serverPort))
        << restarted.Problem();
    PortHandle reopened("COM7");
    ASSERT_TRUE(reopened.IsValid()) << SystemText(reopened.OpenError());
    SetImmediateReads(reopened.Get());
    ExpectBytesBothWays(reopened.Get());
}

TEST_F(KernelSerialNetworkTest, ASecondClientOfAServedPortIsTurnedAwayAsBusy) {
    Serve(Protocol::ComPortControl);
    PortHandle first("COM7");
    ASSERT_TRUE(first.IsValid()) << SystemText(first.OpenError());
    ScopedEnvironment com8("COM8", server.Address());
    PortHandle second("COM8");
    EXPECT_FALSE(second.IsValid());
    EXPECT_EQ(second.OpenError(), ERROR_BUSY);
    SetImmediateReads(first.Get());
    ExpectBytesBothWays(first.Get());
}

TEST(KernelSerialNetworkAddressTest, BadAddressesGiveReadableErrors) {
    Watchdog watchdog;
    const std::pair<std::string, DWORD> cases[] = {
        {"rfc2217://127.0.0.1", ERROR_BAD_NETPATH},
        {"tcp://:7000", ERROR_BAD_NETPATH},
        {"rfc2217://127.0.0.1:70x0", ERROR_BAD_NETPATH},
        {"rfc2217://[::1:7000", ERROR_BAD_NETPATH},
        {"tcp://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort()), WSAECONNREFUSED},
    };
    for (const auto& [address, code] : cases) {
        ScopedEnvironment com7("COM7", address);
        PortHandle port("COM7");
        EXPECT_FALSE(port.IsValid()) << address;
        EXPECT_EQ(port.OpenError(), code) << address;
        EXPECT_NE(SystemText(port.OpenError()), "") << address;
    }
}

} // namespace
