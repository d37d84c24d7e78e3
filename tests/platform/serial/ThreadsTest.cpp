#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testsupport::AttachedLine;
using testsupport::ChangeState;
using testsupport::Pattern;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::SetImmediateReads;
using testsupport::Watchdog;

// The program's poll thread: ClearCommError, ReadFile, WriteFile back to back, 1 ms apart, until
// a call fails because the handle is gone.
struct PollLoop {
    explicit PollLoop(HANDLE port)
        : thread([this, port] {
              const std::string line = "N10 G01 X10\r\n";
              for (;;) {
                  DWORD errors = 0;
                  COMSTAT status{};
                  if (!ClearCommError(port, &errors, &status))
                      break;
                  char buffer[4000];
                  DWORD got = 0;
                  if (status.cbInQue > 0 && ReadFile(port, buffer, sizeof buffer, &got, nullptr))
                      received += got;
                  DWORD written = 0;
                  if (status.cbOutQue == 0 && !status.fXoffHold &&
                      WriteFile(port, line.data(), static_cast<DWORD>(line.size()), &written, nullptr))
                      sent += written;
                  std::this_thread::sleep_for(1ms);
              }
              lastError = GetLastError();
          }) {}
    void Join() { thread.join(); }

    std::atomic<std::size_t> received{0};
    std::atomic<std::size_t> sent{0};
    DWORD lastError = 0;
    std::thread thread;
};

TEST(KernelSerialThreadsTest, WindowThreadReconfiguresAndClosesWhileThePollRuns) {
    Watchdog watchdog;
    AttachedLine line("COM2");
    PortHandle port("COM2");
    ASSERT_TRUE(port.IsValid());
    SetImmediateReads(port.Get());
    ChangeState(port.Get(), [](DCB& block) {
        block.BaudRate = CBR_115200;
        block.fOutX = TRUE;
        block.fInX = TRUE;
    });
    PollLoop poll(port.Get());
    for (int round = 0; round < 20; ++round) {
        line->Send(Pattern(200));
        line->Send(round % 2 == 0 ? "\x13" : "\x11");
        DCB block{};
        ASSERT_TRUE(GetCommState(port.Get(), &block));
        block.BaudRate = round % 2 == 0 ? CBR_57600 : CBR_115200;
        EXPECT_TRUE(SetCommState(port.Get(), &block));
        EXPECT_TRUE(PurgeComm(port.Get(), round % 3 == 0 ? PURGE_TXABORT | PURGE_TXCLEAR : PURGE_RXCLEAR));
        std::this_thread::sleep_for(5ms);
        line->TakeArrived();
    }
    line->Send("\x11");
    std::this_thread::sleep_for(20ms);
    EXPECT_TRUE(PurgeComm(port.Get(), PURGE_TXCLEAR));
    EXPECT_TRUE(PurgeComm(port.Get(), PURGE_RXCLEAR));
    EXPECT_TRUE(port.Close());
    poll.Join();
    EXPECT_EQ(poll.lastError, ERROR_INVALID_HANDLE) << "the poll ends on the closed handle";
    EXPECT_GT(poll.sent.load(), 0u);
    EXPECT_GT(poll.received.load(), 0u);
    EXPECT_FALSE(line->IsOpen());
}

TEST(KernelSerialThreadsTest, PollAndPurgeOnAPseudoTerminal) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid());
    SetImmediateReads(port.Get());
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_115200; });
    PollLoop poll(port.Get());
    std::size_t echoed = 0;
    for (int round = 0; round < 10; ++round) {
        terminal.Write("%\r\n");
        echoed += terminal.ReadFor(10).size();
        EXPECT_TRUE(PurgeComm(port.Get(), PURGE_TXCLEAR | PURGE_RXCLEAR));
    }
    EXPECT_TRUE(port.Close());
    poll.Join();
    EXPECT_GT(echoed, 0u);
}

} // namespace
