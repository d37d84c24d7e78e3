#pragma once

#include "framework/services/WorkerThread.h"

namespace engine {

class SerialLink;

// The worker that polls the port: PollPort, then a pause that ends early when the port has work,
// until a stop is requested; after a poll that moved bytes the next one comes at once. The pause
// lasts up to IdleWait during a transfer and up to QuietWait on a quiet line, so that a link
// waiting for requests wakes only when something happens. The pause, or the wait point that
// stands for it, is where a suspension (while the settings are re-applied) takes hold.
class PortPollThread : public framework::WorkerThread {
public:
    // The pause between two polls while a transfer is under way and the port has no work (a
    // program line on the wire, a hold): what a change the port gives no event for may wait to be
    // seen.
    static constexpr DWORD IdleWait = 10;
    // The pause while the line is quiet (waiting for a request). Input, a wake-up from the window
    // thread, a hold line's change and the port's loss each end it at once, so nothing waits for
    // it to run out; it only bounds what a wake-up that never came would cost.
    static constexpr DWORD QuietWait = 1000;

    explicit PortPollThread(SerialLink& link) : link(link) {}
    ~PortPollThread() override;

protected:
    DWORD Run() override;

private:
    SerialLink& link;
};

} // namespace engine
