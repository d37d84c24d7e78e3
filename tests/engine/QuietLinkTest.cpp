#include "engine/TransferState.h"
#include "support/EngineSupport.h"

using engine::TransferState;

namespace testsupport {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A link waiting for requests does nothing until something happens: the poll waits for the port,
// and the status refresh stops once it has nothing new to show. Whatever then happens (a request,
// a change of settings, the end of a transmit delay) must still be served at once.
class QuietLinkTest : public EngineTest {
protected:
    void StartAndSettle() {
        Start();
        Settle();
    }
    // Left until the refresh has rested: no status write for half a second.
    void Settle() {
        int writes = -1;
        ASSERT_TRUE(PumpUntil(
            [&] {
                const int now = view.StatusWrites();
                const bool isSettled = now == writes;
                writes = now;
                Pump(500);
                return isSettled;
            },
            5000))
            << "the status refresh never rested";
    }
};

TEST_F(QuietLinkTest, TheRefreshRestsWithTheLampsDarkAndARequestWakesIt) {
    StartAndSettle();
    const int writes = view.StatusWrites();
    Pump(1000);
    EXPECT_EQ(view.StatusWrites(), writes) << "nothing new to show: no refresh";

    // A request for a program that is not there: the refusal, and its status, come at once.
    const auto requested = Clock::now();
    line->Send("DOWNLOAD PROGRAM:4711\r");
    EXPECT_EQ(Arrived(1, 2000), "\x04");
    ASSERT_TRUE(PumpUntil([&] { return view.LastStatus().find("4711") != std::string::npos; }, 2000))
        << view.LastStatus();
    EXPECT_LT(SecondsSince(requested), 0.5) << "the status follows the request within a refresh or two";

    // The Rx and Tx lamps lit for the request and its answer, and are dark again before the
    // refresh rests.
    Settle();
    const std::vector<std::string> lamps = view.LampChanges();
    ASSERT_GE(lamps.size(), 2u);
    EXPECT_NE(std::find(lamps.begin(), lamps.end(), "0+"), lamps.end()) << "Rx lit";
    EXPECT_EQ(std::find(lamps.rbegin(), lamps.rend(), "0+") < std::find(lamps.rbegin(), lamps.rend(), "0-"),
              false)
        << "the last Rx change put it out";
    EXPECT_EQ(std::find(lamps.rbegin(), lamps.rend(), "1+") < std::find(lamps.rbegin(), lamps.rend(), "1-"),
              false)
        << "the last Tx change put it out";
}

// The settings dialog's OK holds the poll while the port is opened again; a poll in a quiet
// line's long wait is woken for it rather than waited for.
// A wait that was not woken would hold the dialog up to a second; three changes in a row would
// all be quick by chance only rarely.
TEST_F(QuietLinkTest, ASettingsChangeDoesNotWaitForAQuietPoll) {
    StartAndSettle();
    for (const char* speed : {"9600", "19200", "38400"}) {
        settings.baudRate = speed;
        const auto start = Clock::now();
        engine.ApplySettingsChange();
        EXPECT_LT(SecondsSince(start), 0.25) << speed;
        ASSERT_TRUE(PumpUntil(
            [&] { return view.Captions().back().find(std::string(":") + speed + ",") != std::string::npos; },
            2000));
        Settle();
    }
    line->Send("DOWNLOAD PROGRAM:4711\r");
    EXPECT_EQ(Arrived(1, 2000), "\x04") << "the reopened port is polled";
}

// After the transmit delay the window thread starts the download; the poll that sends it may be
// in a quiet line's wait and must be woken, not left to its end.
TEST_F(QuietLinkTest, TheDownloadFollowsTheTransmitDelayAtOnce) {
    std::ofstream(folder / "123.T3", std::ios::binary) << SampleProgram();
    settings.transmitDelay = 1;
    engine.ApplyPortSettings(false);
    StartAndSettle();
    for (int attempt = 0; attempt < 2; ++attempt) {
        line->Send("DOWNLOAD PROGRAM:123\r");
        ASSERT_TRUE(WaitForState(TransferState::DownloadWaiting, 2000));
        const auto waiting = Clock::now();
        EXPECT_FALSE(Arrived(1, 3000).empty());
        const double waited = SecondsSince(waiting);
        EXPECT_GE(waited, 0.9) << "the transmit delay of 1 s";
        EXPECT_LT(waited, 1.3) << "the first line follows the delay, not the end of a quiet wait";
        ASSERT_TRUE(WaitForState(TransferState::DownloadCompleted, 5000));
        Settle();
        line->TakeArrived(); // the rest of the program
    }
}

} // namespace
} // namespace testsupport
