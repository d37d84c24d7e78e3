#include "platform/Windows.h"
#include "support/SerialSupport.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using testsupport::AttachedLine;
using testsupport::ChangeState;
using testsupport::Pattern;
using testsupport::PortHandle;
using testsupport::PseudoTerminal;
using testsupport::SecondsSince;
using testsupport::Status;
using testsupport::Watchdog;
using testsupport::WritePort;
using Clock = std::chrono::steady_clock;

TEST(KernelSerialCharacterTimeTest, CharacterTimeCountsStartDataParityAndStopBits) {
    struct Case {
        DWORD baudRate;
        BYTE byteSize;
        BYTE parity;
        BYTE stopBits;
        long long nanoseconds;
    };
    const Case cases[] = {
        {9600, 8, NOPARITY, ONESTOPBIT, 1'041'666},    {9600, 7, EVENPARITY, ONESTOPBIT, 1'041'666},
        {9600, 8, EVENPARITY, TWOSTOPBITS, 1'250'000}, {9600, 7, NOPARITY, TWOSTOPBITS, 1'041'666},
        {115200, 8, NOPARITY, ONESTOPBIT, 86'805},     {110, 7, MARKPARITY, TWOSTOPBITS, 100'000'000},
        {300, 5, SPACEPARITY, ONESTOPBIT, 26'666'666},
    };
    for (const Case& framing : cases) {
        platform::SerialLineSettings settings;
        settings.baudRate = framing.baudRate;
        settings.byteSize = framing.byteSize;
        settings.parity = framing.parity;
        settings.stopBits = framing.stopBits;
        EXPECT_EQ(platform::CharacterTime(settings).count(), framing.nanoseconds)
            << framing.baudRate << " baud, " << int(framing.byteSize) << " bits";
    }
}

// Samples the output queue from another thread while a write runs, as a second thread of the
// program may.
class QueueWatcher {
public:
    explicit QueueWatcher(HANDLE port)
        : thread([this, port] {
              while (!isStopped) {
                  testsupport::LineStatus status = Status(port);
                  // Samples start with the write, which may begin after the watcher.
                  if (status.isDone && (!samples.empty() || status.status.cbOutQue > 0))
                      samples.push_back(status.status.cbOutQue);
                  std::this_thread::sleep_for(2ms);
              }
          }) {}
    std::vector<DWORD> Stop() {
        isStopped = true;
        thread.join();
        return samples;
    }

private:
    std::atomic<bool> isStopped{false};
    std::vector<DWORD> samples;
    std::thread thread;
};

// The queue only grows by the flow characters the port may slip in; allow a few.
void ExpectCountsDown(const std::vector<DWORD>& samples, DWORD total) {
    ASSERT_GE(samples.size(), 10u);
    EXPECT_GT(samples.front(), total / 2) << "the queue starts near the whole write";
    EXPECT_LE(samples.front(), total);
    for (std::size_t index = 1; index < samples.size(); ++index)
        EXPECT_LE(samples[index], samples[index - 1] + 1) << "sample " << index;
}

class KernelSerialPacingTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(port.IsValid()) << port.OpenError();
        ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_115200; });
    }

    Watchdog watchdog;
    AttachedLine line{"COM7"};
    PortHandle port{"COM7"};
};

TEST_F(KernelSerialPacingTest, WriteTakesTheLineTimeAndTheQueueCountsDown) {
    const std::string program = Pattern(2880);
    QueueWatcher watcher(port.Get());
    auto start = Clock::now();
    DWORD written = 0;
    EXPECT_TRUE(WritePort(port.Get(), program, &written));
    double elapsed = SecondsSince(start);
    std::vector<DWORD> samples = watcher.Stop();
    EXPECT_EQ(written, program.size());
    EXPECT_GE(elapsed, 0.245) << "2880 characters of 10 bits at 115200 baud take 250 ms";
    EXPECT_LT(elapsed, 0.75);
    ExpectCountsDown(samples, 2880);
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 0u) << "WriteFile returns when the bytes are on the wire";
    EXPECT_EQ(line->WaitForArrived(program.size(), 1000), program);
}

// At 110 baud a character takes 91 ms, long enough to look at. A write returns once its last
// chunk is in the transmitter, with the queue empty while those characters still go out: that is
// what lets a program's next write follow without a gap on the line. The next write's chunk goes
// in when the one before is out but for the character being sent.
TEST_F(KernelSerialPacingTest, WriteReturnsOnceItsLastChunkIsInTheTransmitter) {
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_110; });
    auto start = Clock::now();
    EXPECT_TRUE(WritePort(port.Get(), "AB"));
    EXPECT_LT(SecondsSince(start), 0.05) << "the one chunk went straight into the transmitter";
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 0u) << "the transmitter's characters are out of the queue";
    EXPECT_EQ(line->InFlightCount(), 2u);
    EXPECT_TRUE(WritePort(port.Get(), "C"));
    EXPECT_GE(SecondsSince(start), 0.088) << "C waited until A was out and B begun";
    EXPECT_EQ(line->WaitForArrived(3, 2000), "ABC");
    EXPECT_EQ(line->InFlightCount(), 0u);
}

TEST_F(KernelSerialPacingTest, FramingSetsThePace) {
    ChangeState(port.Get(), [](DCB& block) {
        block.BaudRate = CBR_19200;
        block.Parity = EVENPARITY;
        block.StopBits = TWOSTOPBITS;
    });
    auto start = Clock::now();
    EXPECT_TRUE(WritePort(port.Get(), Pattern(320)));
    double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.185)
        << "304 characters of 12 bits at 19200 baud take 190 ms, and the last 16 go on after";
    EXPECT_LT(elapsed, 0.6);
}

TEST_F(KernelSerialPacingTest, PortHandsTheDeviceOneChunkAtATime) {
    std::atomic<bool> isDone{false};
    std::size_t mostInFlight = 0;
    std::thread watcher([&] {
        while (!isDone) {
            mostInFlight = std::max(mostInFlight, line->InFlightCount());
            std::this_thread::sleep_for(200us);
        }
    });
    EXPECT_TRUE(WritePort(port.Get(), Pattern(1000)));
    isDone = true;
    watcher.join();
    EXPECT_GT(mostInFlight, 0u);
    EXPECT_LE(mostInFlight, 17u) << "a chunk of 16 and the last character of the one before";
}

TEST_F(KernelSerialPacingTest, WriteTimeoutEndsAWriteWithTheCountSoFar) {
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_9600; });
    COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 60};
    ASSERT_TRUE(SetCommTimeouts(port.Get(), &timeouts));
    DWORD written = 0;
    auto start = Clock::now();
    EXPECT_TRUE(WritePort(port.Get(), Pattern(1000), &written)) << "a time-out is no failure";
    double elapsed = SecondsSince(start);
    EXPECT_GE(elapsed, 0.055);
    EXPECT_LT(elapsed, 0.5);
    EXPECT_GT(written, 0u);
    EXPECT_LE(written, static_cast<DWORD>(elapsed * 960) + 17) << "no more than the line carried meanwhile";
}

TEST_F(KernelSerialPacingTest, PurgeTxAbortEndsAHeldWrite) {
    ChangeState(port.Get(), [](DCB& block) { block.fOutX = TRUE; });
    line->Send("\x13");
    BOOL isWritten = TRUE;
    DWORD error = 0;
    HANDLE handle = port.Get();
    std::thread writer([&] {
        isWritten = WritePort(handle, "G00 X10");
        error = GetLastError();
    });
    std::this_thread::sleep_for(50ms);
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 7u);
    auto start = Clock::now();
    EXPECT_TRUE(PurgeComm(port.Get(), PURGE_TXABORT | PURGE_TXCLEAR));
    writer.join();
    EXPECT_LT(SecondsSince(start), 0.5);
    EXPECT_FALSE(isWritten);
    EXPECT_EQ(error, ERROR_OPERATION_ABORTED);
    EXPECT_EQ(line->AcceptedCount(), 0u);
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 0u);
}

TEST_F(KernelSerialPacingTest, RtsToggleRaisesRtsForTheTimeOfAWrite) {
    ChangeState(port.Get(), [](DCB& block) { block.fRtsControl = RTS_CONTROL_TOGGLE; });
    EXPECT_FALSE(line->IsRtsOn());
    std::atomic<bool> sawRts{false};
    std::atomic<bool> isDone{false};
    std::thread watcher([&] {
        while (!isDone) {
            sawRts = sawRts || line->IsRtsOn();
            std::this_thread::sleep_for(1ms);
        }
    });
    EXPECT_TRUE(WritePort(port.Get(), Pattern(300)));
    isDone = true;
    watcher.join();
    EXPECT_TRUE(sawRts);
    EXPECT_FALSE(line->IsRtsOn());
    EXPECT_FALSE(EscapeCommFunction(port.Get(), SETRTS)) << "a toggled RTS is the driver's";
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

// A pseudo-terminal reports no output queue; the line-speed clock stands in for it.
TEST(KernelSerialTermiosPacingTest, PseudoTerminalWriteIsPacedAndItsQueueCountsDown) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_115200; });
    const std::string program = Pattern(1440);
    std::string received;
    std::thread farEnd([&] { received = terminal.ReadAtLeast(program.size(), 3000); });
    QueueWatcher watcher(port.Get());
    auto start = Clock::now();
    EXPECT_TRUE(WritePort(port.Get(), program));
    double elapsed = SecondsSince(start);
    std::vector<DWORD> samples = watcher.Stop();
    farEnd.join();
    EXPECT_GE(elapsed, 0.12) << "1440 characters at 115200 baud take 125 ms";
    EXPECT_LT(elapsed, 0.5);
    ExpectCountsDown(samples, 1440);
    EXPECT_EQ(received, program);
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 0u);
}

} // namespace

namespace {

// The poll thread's pause: it ends as soon as input waits or, when asked, as soon as the output
// queue has drained, and otherwise lasts its time.
TEST(KernelSerialWorkWaitTest, WaitEndsEarlyForInputAndForADrainedOutputQueue) {
    Watchdog watchdog;
    AttachedLine line{"COM7"};
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid());
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_9600; });
    auto start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 30, FALSE));
    EXPECT_GE(SecondsSince(start), 0.029) << "an idle port waits the whole time";
    start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 30, TRUE));
    EXPECT_LT(SecondsSince(start), 0.015) << "an empty output queue is work when asked for";

    // Timed from before the sender exists: on a loaded machine the new thread may sleep and send
    // before its creator runs again.
    start = Clock::now();
    std::thread sender([&] {
        std::this_thread::sleep_for(10ms);
        line->Send("x");
    });
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 1000, FALSE));
    const double forInput = SecondsSince(start);
    sender.join();
    EXPECT_GE(forInput, 0.009);
    EXPECT_LT(forInput, 0.5) << "input ends the wait";

    PurgeComm(port.Get(), PURGE_RXCLEAR); // the input that ended the last wait
    // Forty characters at 9600 baud take about 42 ms on the wire, in chunks of 16. The queue is
    // empty once the last chunk is in the transmitter, after 32 characters, which rightly ends the
    // wait while its eight characters still go out.
    std::thread writer([&] { EXPECT_TRUE(WritePort(port.Get(), std::string(40, 'a'))); });
    while (Status(port.Get()).status.cbOutQue == 0) {
        std::this_thread::yield();
    }
    start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 1000, TRUE));
    const double forDrain = SecondsSince(start);
    writer.join();
    EXPECT_LT(forDrain, 0.5) << "the drained queue ends the wait";
    EXPECT_EQ(Status(port.Get()).status.cbOutQue, 0u) << "not before the last chunk is in the transmitter";
    EXPECT_GE(forDrain, 0.025);

    EXPECT_FALSE(platform::WaitForCommWork(INVALID_HANDLE_VALUE, 1, TRUE));
}

} // namespace

namespace {

// Work that comes from another thread (bytes it queued for the poll to write) ends the poll's
// pause at once, also when the wake-up comes just before the pause begins.
TEST(KernelSerialWorkWaitTest, WakeFromAnotherThreadEndsTheWait) {
    Watchdog watchdog;
    AttachedLine line{"COM7"};
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid());
    auto start = Clock::now();
    std::thread waker([&] {
        std::this_thread::sleep_for(10ms);
        EXPECT_TRUE(platform::WakeCommWait(port.Get()));
    });
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 5000, FALSE));
    const double woken = SecondsSince(start);
    waker.join();
    EXPECT_GE(woken, 0.009);
    EXPECT_LT(woken, 2.0) << "the wake-up ends the wait";

    EXPECT_TRUE(platform::WakeCommWait(port.Get()));
    start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 5000, FALSE));
    EXPECT_LT(SecondsSince(start), 2.0) << "a wake-up before the wait is not lost";
    start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 30, FALSE));
    EXPECT_GE(SecondsSince(start), 0.029) << "and it is taken once";

    EXPECT_FALSE(platform::WakeCommWait(INVALID_HANDLE_VALUE));
}

// A quiet line's wait may be long, so whatever the poll must see ends it: a change of a line that
// holds the output (only those: a line no flow rule reads changes nothing the poll shows), and the
// handle's close on another thread.
TEST(KernelSerialWorkWaitTest, AHoldLinesChangeAndTheHandlesCloseEndALongWait) {
    Watchdog watchdog;
    AttachedLine line{"COM7"};
    PortHandle port("COM7");
    ASSERT_TRUE(port.IsValid());
    ChangeState(port.Get(), [](DCB& block) { block.fOutxCtsFlow = TRUE; });
    auto start = Clock::now();
    std::thread lines([&] {
        std::this_thread::sleep_for(20ms);
        line->SetDsr(false); // no flow rule reads DSR here
        std::this_thread::sleep_for(30ms);
        line->SetCts(false);
    });
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 5000, FALSE));
    const double forCts = SecondsSince(start);
    lines.join();
    EXPECT_GE(forCts, 0.045) << "DSR changed nothing the poll shows";
    EXPECT_LT(forCts, 2.0) << "CTS holds the output: its change ends the wait";

    // A change between the caller's last status look and the wait is work too.
    Status(port.Get());
    line->SetCts(true);
    start = Clock::now();
    EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 5000, FALSE));
    EXPECT_LT(SecondsSince(start), 0.5) << "CTS came back before the wait began";

    const HANDLE raw = port.Get();
    start = Clock::now();
    std::thread closer([&] {
        std::this_thread::sleep_for(20ms);
        port.Close();
    });
    platform::WaitForCommWork(raw, 5000, FALSE);
    closer.join();
    EXPECT_LT(SecondsSince(start), 2.0) << "the close ends the wait";
}

// The device has one wake-up for everyone waiting on it: a write's wait on another thread may take
// the one meant for the poll's long wait. It is passed on.
TEST(KernelSerialWorkWaitTest, AWakeUpThatAWritersWaitTookStillEndsTheWorkWait) {
    Watchdog watchdog;
    PseudoTerminal terminal;
    PortHandle port(terminal.SlavePath());
    ASSERT_TRUE(port.IsValid()) << port.OpenError();
    ChangeState(port.Get(), [](DCB& block) { block.BaudRate = CBR_1200; });
    // About 1.3 s of writing, in chunks a line time apart: the writer waits most of the time.
    std::thread writer([&] { EXPECT_TRUE(WritePort(port.Get(), std::string(160, 'w'))); });
    for (int round = 0; round < 5; ++round) {
        auto start = Clock::now();
        std::thread waker([&] {
            std::this_thread::sleep_for(10ms);
            EXPECT_TRUE(platform::WakeCommWait(port.Get()));
        });
        EXPECT_TRUE(platform::WaitForCommWork(port.Get(), 5000, FALSE));
        waker.join();
        EXPECT_LT(SecondsSince(start), 0.5) << "round " << round;
    }
    writer.join();
}

} // namespace
