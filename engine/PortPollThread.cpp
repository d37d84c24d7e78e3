#include "engine/PortPollThread.h"

#include "engine/SerialLink.h"
#include "platform/Extras.h"
#include "platform/Windows.h"

namespace engine {

PortPollThread::~PortPollThread() {
    // The run must end before the object it runs on goes.
    if (IsRunning()) {
        Stop(false);
    }
}

DWORD PortPollThread::Run() {
    while (!IsStopRequested()) {
        if (link.PollPort()) {
            // Bytes moved, or a download has lines left: the next poll comes at once rather than
            // after a millisecond of idle line, so a run of empty program lines, skipped one per
            // poll, leaves no gap. It is still a wait point, so that a suspension takes hold
            // between two polls.
            platform::ThreadWaitPoint();
            continue;
        }
        // The pause between polls ends as soon as the port has work: input arrives, the output
        // queue drains while bytes wait, or another thread queues bytes or wants the thread held.
        link.WaitForPortWork(link.IsLineQuiet() ? QuietWait : IdleWait);
    }
    return 0;
}

} // namespace engine
