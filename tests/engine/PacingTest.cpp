#include "engine/HighResSeconds.h"
#include "support/EngineSupport.h"

#include <algorithm>
#include <ctime>
#include <vector>

namespace testsupport {
namespace {

using engine::HighResSeconds;
using engine::PauseTowards;
using engine::PauseUntil;

double ProcessorSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

// Character delays are whole milliseconds; a pause must never end before its time, and a late
// end only stretches the line, so the bound on lateness is loose enough for a busy machine.
TEST(PauseTest, PauseNeverEndsEarlyAndSleepsThroughMostOfIt) {
    testsupport::Watchdog watchdog;
    std::vector<double> lateness;
    const double processorStart = ProcessorSeconds();
    const double start = HighResSeconds();
    for (double delay : {0.0005, 0.001, 0.002, 0.005}) {
        for (int repeat = 0; repeat < 25; ++repeat) {
            const double until = HighResSeconds() + delay;
            PauseUntil(until);
            const double late = HighResSeconds() - until;
            EXPECT_GE(late, 0.0) << "a pause of " << delay << " s ended early";
            lateness.push_back(late);
        }
    }
    const double elapsed = HighResSeconds() - start;
    const double processor = ProcessorSeconds() - processorStart;
    std::sort(lateness.begin(), lateness.end());
    EXPECT_LT(lateness[lateness.size() / 2], 0.01) << "half the pauses end within 10 ms of their time";
    EXPECT_LT(processor, elapsed * 0.5)
        << "the pauses sleep rather than spin: " << processor << " s of processor in " << elapsed << " s";
}

TEST(PauseTest, PauseStepSleepsAtMostTheLongestAndReturnsAtOnceWhenDue) {
    testsupport::Watchdog watchdog;
    double start = HighResSeconds();
    PauseTowards(start + 10.0, 0.001);
    double took = HighResSeconds() - start;
    EXPECT_GE(took, 0.0009) << "a step far from the end sleeps the longest it may";
    EXPECT_LT(took, 0.1);

    start = HighResSeconds();
    PauseTowards(start - 1.0, 1.0);
    PauseUntil(start - 1.0);
    EXPECT_LT(HighResSeconds() - start, 0.05) << "a time that has passed needs no pause";
}

class EnginePacingTest : public EngineTest {};

// The window thread queues without the poll running, so the bytes stay in the transmit buffer and
// only the pauses take time.
TEST_F(EnginePacingTest, EveryQueuedByteWaitsTheCharacterDelayAndAMessageTheLineDelay) {
    settings.charDelay = 4;
    settings.lineDelay = 30;
    double start = HighResSeconds();
    for (char byte : std::string("G01 X1")) {
        EXPECT_TRUE(engine.QueueByte(static_cast<unsigned char>(byte), true));
    }
    double took = HighResSeconds() - start;
    EXPECT_GE(took, 6 * 0.004) << "six bytes, 4 ms each";
    EXPECT_LT(took, 6 * 0.004 + 0.5);
    EXPECT_EQ(engine.TransmitCount(), 6);

    start = HighResSeconds();
    engine.SendFormatted("%s\r\n", "M2");
    took = HighResSeconds() - start;
    EXPECT_GE(took, 4 * 0.004 + 0.030) << "four bytes and the line delay";
    EXPECT_LT(took, 4 * 0.004 + 0.030 + 0.5);
    EXPECT_EQ(engine.TransmitCount(), 10);

    Start();
    EXPECT_EQ(Arrived(10), "G01 X1M2\r\n") << "the paced bytes go out together at the next poll";
}

} // namespace
} // namespace testsupport
