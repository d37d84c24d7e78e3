#include "app/PendingViewState.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace {

using app::PendingViewState;
using Lamp = PendingViewState::Lamp;

// The window thread is told once per batch, and a batch holds the latest value of each kind.
TEST(PendingViewState, LaterChangesReplaceEarlierOnesAndOnlyTheFirstTellsTheWindow) {
    PendingViewState state;
    EXPECT_TRUE(state.SetStatusText("Waiting"));
    EXPECT_FALSE(state.SetStatusText("Downloading 1.T3"));
    EXPECT_FALSE(state.SetLamp(Lamp::Tx, true));
    EXPECT_FALSE(state.SetLamp(Lamp::Rx, true));
    EXPECT_FALSE(state.SetLamp(Lamp::Tx, false));
    const PendingViewState::Changes changes = state.Take();
    ASSERT_TRUE(changes.statusText.has_value());
    EXPECT_STREQ(changes.statusText->CStr(), "Downloading 1.T3");
    EXPECT_EQ(changes.lamps[static_cast<size_t>(Lamp::Tx)], false);
    EXPECT_EQ(changes.lamps[static_cast<size_t>(Lamp::Rx)], true);
    EXPECT_FALSE(changes.lamps[static_cast<size_t>(Lamp::CtsHold)].has_value())
        << "untouched lamps stay as they are";
    EXPECT_FALSE(changes.caption.has_value());
    EXPECT_FALSE(changes.hidesProgressDialogs);

    EXPECT_TRUE(state.SetCaption("DNC - No Link")) << "the next change after a take tells the window again";
    const PendingViewState::Changes next = state.Take();
    EXPECT_STREQ(next.caption->CStr(), "DNC - No Link");
    EXPECT_FALSE(next.statusText.has_value()) << "a take empties the batch";
}

TEST(PendingViewState, ANewTotalKeepsTheNewestDoneValue) {
    PendingViewState state;
    state.SetProgressDone(10);
    state.SetProgress(500, 0);
    state.SetProgressDone(31);
    state.SetProgressDone(62);
    PendingViewState::Changes changes = state.Take();
    EXPECT_EQ(changes.progressTotal, 500);
    EXPECT_EQ(changes.progressDone, 62);

    state.SetProgressDone(93);
    changes = state.Take();
    EXPECT_FALSE(changes.progressTotal.has_value()) << "the done value alone leaves the total";
    EXPECT_EQ(changes.progressDone, 93);

    state.HideProgressDialogs();
    state.EnableTransferButtons();
    changes = state.Take();
    EXPECT_TRUE(changes.hidesProgressDialogs);
    EXPECT_TRUE(changes.enablesTransferButtons);
}

// The poll thread sets while the window thread takes: no change is lost, and every batch that
// holds something was announced by exactly one first change.
TEST(PendingViewState, ChangesFromAnotherThreadAreNeitherLostNorAnnouncedTwice) {
    PendingViewState state;
    constexpr int Count = 20000;
    int announced = 0;
    std::thread poll([&] {
        for (int done = 1; done <= Count; ++done) {
            announced += state.SetProgressDone(done) ? 1 : 0;
        }
    });
    int batches = 0;
    int last = 0;
    while (last < Count) {
        const PendingViewState::Changes changes = state.Take();
        if (changes.progressDone.has_value()) {
            EXPECT_GT(*changes.progressDone, last) << "batches come in order";
            last = *changes.progressDone;
            ++batches;
        }
    }
    poll.join();
    EXPECT_EQ(announced, batches);
}

} // namespace
