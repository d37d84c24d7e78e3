#include "link/PortPollThread.h"

#include "link/SerialLink.h"

namespace engine {

PortPollThread::~PortPollThread() {
    // The run must end before the object it runs on goes.
    if (IsRunning()) {
        Stop(false);
    }
}

DWORD PortPollThread::Run() {
    while (!IsStopRequested()) {
        link.PollPort();
        // The millisecond between polls ends early when the port has work, so a download is not
        // held back a millisecond per line.
        link.WaitForPortWork(1);
    }
    return 0;
}

} // namespace engine
