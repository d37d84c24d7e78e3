#include "link/PortPollThread.h"

#include "link/SerialLink.h"
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
        const bool hasMovedBytes = link.PollPort();
        if (hasMovedBytes) {
            // A poll that wrote leaves the transmitter free, and the engine may have queued
            // nothing in it (an empty program line is skipped), so the next poll comes at once
            // rather than after a millisecond of idle line. It is still a wait point, so that a
            // suspension takes hold between two polls.
            // FIXME: only the first of several empty lines in a row is spared the millisecond: a
            // poll that skipped one moved no bytes, and the poll cannot tell that from an idle
            // engine.
            platform::ThreadWaitPoint();
            continue;
        }
        // The millisecond between polls ends early when the port has work, so a download is not
        // held back a millisecond per line.
        link.WaitForPortWork(1);
    }
    return 0;
}

} // namespace engine
