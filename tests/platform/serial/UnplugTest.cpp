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
using testsupport::ExpectEveryCallFails;
using testsupport::Pattern;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::SecondsSince;
using testsupport::SetImmediateReads;
using testsupport::Status;
using testsupport::Watchdog;
using testsupport::WritePort;
using Clock = std::chrono::steady_clock;

TEST(KernelSerialUnplugTest, ClosingTheFarEndMidWriteFailsTheWriteAndEveryCallAfter) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    std::string path = terminal.SlavePath();
    PortHandle port(path);
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_9600; });
    BOOL isWritten = TRUE;
    DWORD written = 0;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread writer([&] {
        isWritten = WritePort(handle, Pattern(2000), &written);
        error = GetLastError();
    });
    EXPECT_FALSE(terminal.ReadAtLeast(32, 2000).empty());
    auto unplugged = Clock::now();
    terminal.Close();
    writer.join();
    EXPECT_LT(SecondsSince(unplugged), 0.5);
    EXPECT_FALSE(isWritten);
    EXPECT_EQ(error, ERROR_DEVICE_NOT_CONNECTED);
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, 2000u);
    ExpectEveryCallFails(port.Get());
    EXPECT_TRUE(port.Close()) << "a gone port still closes";
    PortHandle reopened(path);
    EXPECT_FALSE(reopened.IsValid());
    EXPECT_EQ(reopened.OpenError(), ERROR_FILE_NOT_FOUND) << "the node of the pseudo-terminal is gone";
}

TEST(KernelSerialUnplugTest, ClosingTheFarEndOfAnIdlePortFailsThePoll) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid());
    SetImmediateReads(port.Get());
    terminal.Write("lost");
    terminal.Close();
    ExpectEveryCallFails(port.Get());
}

TEST(KernelSerialUnplugTest, BlockingReadEndsWhenTheFarEndCloses) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid());
    BOOL isRead = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread reader([&] {
        char buffer[8];
        DWORD got = 0;
        isRead = ReadFile(handle, buffer, sizeof buffer, &got, nullptr);
        error = GetLastError();
    });
    std::this_thread::sleep_for(30ms);
    auto unplugged = Clock::now();
    terminal.Close();
    reader.join();
    EXPECT_LT(SecondsSince(unplugged), 0.5);
    EXPECT_FALSE(isRead);
    EXPECT_EQ(error, ERROR_DEVICE_NOT_CONNECTED);
}

TEST(KernelSerialUnplugTest, UnpluggingAMemoryLineEndsAHeldWrite) {
    Watchdog watchdog;
    AttachedLine line("COM9");
    PortHandle port("COM9");
    ASSERT_TRUE(port.IsValid());
    ChangeState(port.Get(), [](DCB& block) { block.fOutX = TRUE; });
    line->Send("\x13");
    BOOL isWritten = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread writer([&] {
        isWritten = WritePort(handle, "held");
        error = GetLastError();
    });
    std::this_thread::sleep_for(30ms);
    line->Unplug();
    writer.join();
    EXPECT_FALSE(isWritten);
    EXPECT_EQ(error, ERROR_DEVICE_NOT_CONNECTED);
    ExpectEveryCallFails(port.Get());
    port.Close();
    PortHandle reopened("COM9");
    EXPECT_EQ(reopened.OpenError(), ERROR_FILE_NOT_FOUND);
}

TEST(KernelSerialUnplugTest, CloseHandleOnAnotherThreadEndsAHeldWrite) {
    Watchdog watchdog;
    AttachedLine line("COM9");
    PortHandle port("COM9");
    ASSERT_TRUE(port.IsValid());
    ChangeState(port.Get(), [](DCB& block) { block.fOutX = TRUE; });
    line->Send("\x13");
    BOOL isWritten = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread writer([&] {
        isWritten = WritePort(handle, "held");
        error = GetLastError();
    });
    std::this_thread::sleep_for(30ms);
    auto closed = Clock::now();
    EXPECT_TRUE(port.Close());
    writer.join();
    EXPECT_LT(SecondsSince(closed), 0.5);
    EXPECT_FALSE(isWritten);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);
    EXPECT_EQ(line->AcceptedCount(), 0u);
    PortHandle reopened("COM9");
    EXPECT_TRUE(reopened.IsValid()) << "the line is free once the write has returned";
}

} // namespace
