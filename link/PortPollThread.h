#pragma once

#include "services/WorkerThread.h"

namespace engine {

class SerialLink;

// The worker that polls the port: PollPort, then a pause of up to IdleWait that ends early when
// the port has work, until a stop is requested; after a poll that moved bytes the next one comes
// at once. The pause, or the wait point that stands for it, is where a suspension (while the
// settings are re-applied) takes hold.
class PortPollThread : public framework::WorkerThread {
public:
    // How long a quiet line is left between two polls: what a hold-lamp change or an unplugged
    // adapter may wait to be seen.
    static constexpr DWORD IdleWait = 10;

    explicit PortPollThread(SerialLink& link) : link(link) {}
    ~PortPollThread() override;

protected:
    DWORD Run() override;

private:
    SerialLink& link;
};

} // namespace engine
