#include "platform/serial/TerminalDevice.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/SystemCalls.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

namespace platform {

TerminalDevice::~TerminalDevice() {
    ::close(descriptor);
    ::close(wakeDescriptor);
}

DWORD TerminalDevice::Failure(int errnoValue) {
    if (isHangUp(errnoValue))
        isGone = true;
    return isGone ? ERROR_DEVICE_NOT_CONNECTED : Win32ErrorFromErrno(errnoValue);
}

DWORD TerminalDevice::Read(BYTE* data, DWORD size, DWORD& got) {
    got = 0;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (size == 0)
        return ERROR_SUCCESS;
    const ssize_t count = RetryOnInterrupt([&] { return ::read(descriptor, data, size); });
    if (count > 0) {
        got = static_cast<DWORD>(count);
        return ERROR_SUCCESS;
    }
    // With VMIN 1 an empty terminal says EAGAIN; end of file is a hang-up.
    if (count == 0)
        return Failure(EIO);
    return errno == EAGAIN ? ERROR_SUCCESS : Failure(errno);
}

DWORD TerminalDevice::Write(const BYTE* data, DWORD size, DWORD& put) {
    put = 0;
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    const ssize_t count = RetryOnInterrupt([&] { return ::write(descriptor, data, size); });
    if (count >= 0) {
        put = static_cast<DWORD>(count);
        return ERROR_SUCCESS;
    }
    return errno == EAGAIN ? ERROR_SUCCESS : Failure(errno);
}

DWORD TerminalDevice::Discard(bool input, bool output) {
    if (isGone)
        return ERROR_DEVICE_NOT_CONNECTED;
    if (!input && !output)
        return ERROR_SUCCESS;
    int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ::tcflush(descriptor, queue) == 0 ? ERROR_SUCCESS : Failure(errno);
}

// The wake descriptor is drained by whoever sees it; a second waiter that misses the wake-up
// looks again at the end of its slice, which the port keeps short.
void TerminalDevice::Wait(SerialEvents events, SerialDeadline deadline) {
    if (isGone)
        return;
    short wanted = 0;
    if (Includes(events, SerialEvents::Input))
        wanted |= POLLIN;
    if (Includes(events, SerialEvents::Room))
        wanted |= POLLOUT;
    pollfd watched[] = {{descriptor, wanted, 0}, {wakeDescriptor, POLLIN, 0}};
    if (platform::PollUntil(watched, 2, deadline) <= 0)
        return;
    if (watched[0].revents & goneEvents)
        isGone = true;
    if (watched[1].revents & POLLIN) {
        eventfd_t drained = 0;
        ::eventfd_read(wakeDescriptor, &drained);
    }
}

void TerminalDevice::Wake() {
    ::eventfd_write(wakeDescriptor, 1);
}

} // namespace platform
