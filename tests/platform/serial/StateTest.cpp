#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <termios.h>

namespace {

using testsupport::AttachedLine;
using testsupport::ChangeState;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::State;

class KernelSerialStateTest : public ::testing::Test {
protected:
    AttachedLine line{"COM5"};
    PortHandle port{"COM5"};
};

TEST_F(KernelSerialStateTest, NewPortHasTheDefaultState) {
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    DCB block = State(port.Get());
    EXPECT_EQ(block.DCBlength, sizeof(DCB));
    EXPECT_EQ(block.BaudRate, CBR_9600);
    EXPECT_EQ(block.ByteSize, 8);
    EXPECT_EQ(block.Parity, NOPARITY);
    EXPECT_EQ(block.StopBits, ONESTOPBIT);
    EXPECT_EQ(block.fBinary, 1u);
    EXPECT_EQ(block.fOutX, 0u);
    EXPECT_EQ(block.fInX, 0u);
    EXPECT_EQ(block.fOutxCtsFlow, 0u);
    EXPECT_EQ(block.fDtrControl, DTR_CONTROL_ENABLE);
    EXPECT_EQ(block.fRtsControl, RTS_CONTROL_ENABLE);
    EXPECT_EQ(block.XonChar, 0x11);
    EXPECT_EQ(block.XoffChar, 0x13);
    EXPECT_EQ(block.XonLim, 1024);
    EXPECT_EQ(block.XoffLim, 1024);
    EXPECT_TRUE(line->IsDtrOn());
    EXPECT_TRUE(line->IsRtsOn());
    COMMTIMEOUTS timeouts;
    std::memset(&timeouts, 0xFF, sizeof timeouts);
    ASSERT_TRUE(GetCommTimeouts(port.Get(), &timeouts));
    COMMTIMEOUTS none{};
    EXPECT_EQ(std::memcmp(&timeouts, &none, sizeof none), 0);
}

TEST_F(KernelSerialStateTest, SetStateReadsBackAndReachesTheDevice) {
    ASSERT_TRUE(port.IsValid());
    DCB wanted = State(port.Get());
    wanted.BaudRate = CBR_19200;
    wanted.ByteSize = 7;
    wanted.Parity = MARKPARITY;
    wanted.StopBits = ONE5STOPBITS;
    wanted.fParity = TRUE;
    wanted.fOutX = TRUE;
    wanted.fInX = TRUE;
    wanted.fTXContinueOnXoff = TRUE;
    wanted.fNull = TRUE;
    wanted.fAbortOnError = TRUE;
    wanted.fErrorChar = TRUE;
    wanted.XonLim = 100;
    wanted.XoffLim = 200;
    wanted.XonChar = 'Q';
    wanted.XoffChar = 'S';
    wanted.ErrorChar = '?';
    wanted.EofChar = 0x1A;
    wanted.EvtChar = '\n';
    ASSERT_TRUE(SetCommState(port.Get(), &wanted)) << GetLastError();
    DCB read = State(port.Get());
    EXPECT_EQ(std::memcmp(&read, &wanted, sizeof read), 0);

    platform::SerialLineSettings applied = line->Settings();
    EXPECT_EQ(applied.baudRate, CBR_19200);
    EXPECT_EQ(applied.byteSize, 7);
    EXPECT_EQ(applied.parity, MARKPARITY);
    EXPECT_EQ(applied.stopBits, TWOSTOPBITS) << "1.5 stop bits are sent as 2";
    EXPECT_TRUE(applied.checksParity);
    EXPECT_FALSE(applied.usesRtsCtsFlow);
}

TEST_F(KernelSerialStateTest, EveryParityAndStopBitSettingReachesTheDevice) {
    ASSERT_TRUE(port.IsValid());
    for (BYTE parity = NOPARITY; parity <= SPACEPARITY; ++parity) {
        for (BYTE stopBits : {ONESTOPBIT, ONE5STOPBITS, TWOSTOPBITS}) {
            ChangeState(port.Get(), [&](DCB& block) {
                block.Parity = parity;
                block.StopBits = stopBits;
            });
            std::string context = "parity " + std::to_string(parity) + " stop " + std::to_string(stopBits);
            EXPECT_EQ(State(port.Get()).Parity, parity) << context;
            EXPECT_EQ(State(port.Get()).StopBits, stopBits) << context;
            EXPECT_EQ(line->Settings().parity, parity) << context;
            EXPECT_EQ(line->Settings().stopBits, stopBits == ONESTOPBIT ? ONESTOPBIT : TWOSTOPBITS)
                << context;
        }
    }
}

TEST_F(KernelSerialStateTest, InvalidBlocksAreRefusedAndChangeNothing) {
    ASSERT_TRUE(port.IsValid());
    struct Case {
        const char* name;
        void (*spoil)(DCB& block);
    };
    const Case cases[] = {
        {"speed 0", [](DCB& block) { block.BaudRate = 0; }},
        {"4 data bits", [](DCB& block) { block.ByteSize = 4; }},
        {"9 data bits", [](DCB& block) { block.ByteSize = 9; }},
        {"parity 5", [](DCB& block) { block.Parity = 5; }},
        {"stop bits 3", [](DCB& block) { block.StopBits = 3; }},
        {"5 data bits with 2 stop bits",
         [](DCB& block) {
             block.ByteSize = 5;
             block.StopBits = TWOSTOPBITS;
         }},
        {"DTR control 3", [](DCB& block) { block.fDtrControl = 3; }},
        {"XON equal to XOFF", [](DCB& block) { block.XonChar = block.XoffChar; }},
        {"XonLim beyond the queue", [](DCB& block) { block.XonLim = 4097; }},
        {"XoffLim beyond the queue", [](DCB& block) { block.XoffLim = 5000; }},
    };
    DCB before = State(port.Get());
    platform::SerialLineSettings appliedBefore = line->Settings();
    for (const Case& invalid : cases) {
        DCB block = before;
        block.BaudRate = CBR_4800;
        invalid.spoil(block);
        SetLastError(0);
        EXPECT_FALSE(SetCommState(port.Get(), &block)) << invalid.name;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER) << invalid.name;
        DCB after = State(port.Get());
        EXPECT_EQ(std::memcmp(&after, &before, sizeof after), 0) << invalid.name;
        EXPECT_TRUE(line->Settings() == appliedBefore) << invalid.name;
    }
}

TEST_F(KernelSerialStateTest, FiveDataBitsTakeOneAndAHalfStopBits) {
    ASSERT_TRUE(port.IsValid());
    DCB block = State(port.Get());
    block.ByteSize = 5;
    block.StopBits = ONE5STOPBITS;
    EXPECT_TRUE(SetCommState(port.Get(), &block)) << GetLastError();
    EXPECT_EQ(line->Settings().byteSize, 5);
}

TEST_F(KernelSerialStateTest, SetupCommPutsTheFlowMarksAtQuartersOfTheInputQueue) {
    ASSERT_TRUE(port.IsValid());
    ASSERT_TRUE(SetupComm(port.Get(), 4000, 1000));
    DCB block = State(port.Get());
    EXPECT_EQ(block.XonLim, 1000);
    EXPECT_EQ(block.XoffLim, 1000);
    block.XoffLim = 4000;
    EXPECT_TRUE(SetCommState(port.Get(), &block)) << "a limit as large as the queue is valid";
    block.XoffLim = 4001;
    EXPECT_FALSE(SetCommState(port.Get(), &block));
    EXPECT_TRUE(SetupComm(port.Get(), 0, 0)) << "zero keeps the sizes and the limits";
    EXPECT_EQ(State(port.Get()).XoffLim, 4000);
    EXPECT_TRUE(SetupComm(port.Get(), 400, 0));
    EXPECT_EQ(State(port.Get()).XoffLim, 100);
}

TEST_F(KernelSerialStateTest, TimeoutsReadBackAndAllThreeReadValuesAtMaximumAreRefused) {
    ASSERT_TRUE(port.IsValid());
    COMMTIMEOUTS wanted{MAXDWORD, 0, 0, 10, 500};
    ASSERT_TRUE(SetCommTimeouts(port.Get(), &wanted));
    COMMTIMEOUTS read{};
    ASSERT_TRUE(GetCommTimeouts(port.Get(), &read));
    EXPECT_EQ(std::memcmp(&read, &wanted, sizeof read), 0);
    COMMTIMEOUTS invalid{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
    EXPECT_FALSE(SetCommTimeouts(port.Get(), &invalid));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    ASSERT_TRUE(GetCommTimeouts(port.Get(), &read));
    EXPECT_EQ(read.WriteTotalTimeoutConstant, 500u);
}

TEST_F(KernelSerialStateTest, NullStructuresAreInvalidParameters) {
    ASSERT_TRUE(port.IsValid());
    EXPECT_FALSE(GetCommState(port.Get(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetCommState(port.Get(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetCommTimeouts(port.Get(), nullptr));
    EXPECT_FALSE(GetCommTimeouts(port.Get(), nullptr));
    EXPECT_FALSE(GetCommModemStatus(port.Get(), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_TRUE(ClearCommError(port.Get(), nullptr, nullptr));
}

TEST(KernelSerialHandleTest, CommCallsOnHandlesThatAreNoPortsFailWithInvalidHandle) {
    HANDLE file =
        CreateFileA("/dev/null", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "/dev/null is no terminal, so it opens as a file";
    DCB block{};
    COMSTAT status{};
    for (HANDLE handle : {file, INVALID_HANDLE_VALUE, static_cast<HANDLE>(nullptr)}) {
        EXPECT_FALSE(GetCommState(handle, &block));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(ClearCommError(handle, nullptr, &status));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_FALSE(PurgeComm(handle, PURGE_RXCLEAR));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    }
    CloseHandle(file);
}

// The far (master) end of a pseudo-terminal reports the settings of the program's end. A pty
// forces CS8 and clears PARENB, so the framing is checked through GetCommState instead.
TEST(KernelSerialTermiosStateTest, StateReachesThePseudoTerminal) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.IsOpen());
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();

    termios initial = terminal.Settings();
    EXPECT_EQ(cfgetospeed(&initial), B9600);
    EXPECT_EQ(initial.c_lflag & (ICANON | ECHO | ISIG), 0u) << "raw mode";
    EXPECT_EQ(initial.c_iflag & (IXON | IXOFF | ICRNL), 0u) << "the kernel's XON/XOFF stays off";
    EXPECT_EQ(initial.c_oflag & OPOST, 0u);
    EXPECT_EQ(initial.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(initial.c_cflag & (CSTOPB | CRTSCTS | CMSPAR | PARODD), 0u);

    struct Case {
        DWORD baudRate;
        BYTE parity;
        BYTE stopBits;
        bool isHardwareFlow;
        speed_t speed;
        tcflag_t controlFlags;
        tcflag_t inputFlags;
    };
    const Case cases[] = {
        {CBR_115200, ODDPARITY, TWOSTOPBITS, false, B115200, PARODD | CSTOPB, INPCK},
        {CBR_19200, MARKPARITY, ONE5STOPBITS, true, B19200, PARODD | CMSPAR | CSTOPB | CRTSCTS, INPCK},
        {CBR_2400, SPACEPARITY, ONESTOPBIT, false, B2400, CMSPAR, INPCK},
        {CBR_1200, NOPARITY, ONESTOPBIT, true, B1200, CRTSCTS, 0},
    };
    for (const Case& wanted : cases) {
        ChangeState(port.Get(), [&](DCB& block) {
            block.BaudRate = wanted.baudRate;
            block.ByteSize = 7;
            block.Parity = wanted.parity;
            block.fParity = TRUE;
            block.StopBits = wanted.stopBits;
            block.fOutxCtsFlow = wanted.isHardwareFlow;
            block.fRtsControl = wanted.isHardwareFlow ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
        });
        std::string context = "speed " + std::to_string(wanted.baudRate);
        termios applied = terminal.Settings();
        EXPECT_EQ(cfgetospeed(&applied), wanted.speed) << context;
        EXPECT_EQ(applied.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS), wanted.controlFlags) << context;
        EXPECT_EQ(applied.c_iflag & INPCK, wanted.inputFlags) << context;
        DCB block = State(port.Get());
        EXPECT_EQ(block.ByteSize, 7) << context;
        EXPECT_EQ(block.Parity, wanted.parity) << context;
        EXPECT_EQ(block.StopBits, wanted.stopBits) << context;
    }
}

TEST(KernelSerialTermiosStateTest, ModemLinesOfAPseudoTerminalReadAsOn) {
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    DWORD lines = 0;
    ASSERT_TRUE(GetCommModemStatus(port.Get(), &lines));
    EXPECT_EQ(lines, MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON);
    EXPECT_TRUE(EscapeCommFunction(port.Get(), CLRDTR)) << "a line the device lacks is set without complaint";
    EXPECT_TRUE(EscapeCommFunction(port.Get(), SETRTS));
}

} // namespace
