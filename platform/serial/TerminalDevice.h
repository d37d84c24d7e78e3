#pragma once

// What the devices over a terminal descriptor do alike: a UART or USB adapter's device
// (serial/Termios.h) and the master side of a pseudo-terminal pair (serial/Pty.h). Both move bytes
// through one non-blocking descriptor, wait on it beside an eventfd that Wake sets, and are gone for
// ever once the terminal hangs up, after which every call reports ERROR_DEVICE_NOT_CONNECTED.

#include "platform/WinTypes.h"
#include "platform/kernel/Errors.h"
#include "platform/serial/Device.h"

#include <atomic>

namespace platform {

class TerminalDevice : public SerialDevice {
public:
    // Closes the descriptor and the eventfd.
    ~TerminalDevice() override;

    DWORD Read(BYTE* data, DWORD size, DWORD& got) override;
    DWORD Write(const BYTE* data, DWORD size, DWORD& put) override;
    // tcflush; on a pseudo-terminal's master it flushes the queues as the program's side sees them.
    DWORD Discard(bool input, bool output) override;
    void Wait(SerialEvents events, SerialDeadline deadline) override;
    void Wake() override;

protected:
    // isHangUp tells the errno values that mean the terminal is gone; goneEvents the poll events.
    TerminalDevice(int descriptor, int wakeDescriptor, bool (*isHangUp)(int errnoValue), short goneEvents)
        : descriptor(descriptor), wakeDescriptor(wakeDescriptor), isHangUp(isHangUp), goneEvents(goneEvents) {
    }

    // ERROR_DEVICE_NOT_CONNECTED once the terminal is gone, else ERROR_SUCCESS.
    DWORD Status() const { return isGone ? ERROR_DEVICE_NOT_CONNECTED : ERROR_SUCCESS; }
    // The Win32 error for a failed call, noting a hang-up.
    DWORD Failure(int errnoValue);

    const int descriptor;
    std::atomic<bool> isGone{false};

private:
    const int wakeDescriptor;
    bool (*const isHangUp)(int errnoValue);
    const short goneEvents;
};

} // namespace platform
