#pragma once

// The narrow interface between a serial port and what carries its bytes: a terminal device
// (serial/Termios.h: UARTs, USB adapters, pseudo-terminals), a network server (serial/Network.h)
// or a line attached to the process (serial/AttachedLines.h). A device only moves bytes and reads
// and sets lines; the Win32 behaviour on top (pacing, XON/XOFF, queues, time-outs) is the port's,
// so it is the same on every device.
//
// No call blocks except Wait. Calls report ERROR_SUCCESS or a Win32 code; a device that has gone
// (adapter unplugged, far end of a pseudo-terminal closed) reports ERROR_DEVICE_NOT_CONNECTED
// from then on. The port serialises the calls that move bytes; Wait and Wake may come from any
// thread at any time.

#include "platform/WinTypes.h"
#include "platform/serial/Comm.h"

#include <chrono>

struct pollfd;

namespace platform {

// A point on the monotonic clock after which a wait gives up. Every blocking wait of the serial
// ports is bounded by one of these, so a changed wall clock never stretches or cuts a time-out.
class SerialDeadline {
public:
    using Clock = std::chrono::steady_clock;

    static SerialDeadline Never() { return SerialDeadline(Clock::time_point::max()); }
    static SerialDeadline At(Clock::time_point when) { return SerialDeadline(when); }
    static SerialDeadline After(std::chrono::nanoseconds span) { return SerialDeadline(Clock::now() + span); }
    static SerialDeadline AfterMilliseconds(ULONGLONG milliseconds) {
        // Anything beyond a few centuries is as good as never and would overflow the clock.
        constexpr ULONGLONG longest = 1ULL << 42;
        return milliseconds >= longest ? Never() : After(std::chrono::milliseconds(milliseconds));
    }

    bool IsNever() const { return when == Clock::time_point::max(); }
    bool HasPassed() const { return !IsNever() && Clock::now() >= when; }
    Clock::time_point When() const { return when; }
    SerialDeadline Earlier(SerialDeadline other) const { return other.when < when ? other : *this; }

    // What is left, never negative; a day for a deadline that never comes.
    std::chrono::nanoseconds Remaining() const {
        if (IsNever())
            return std::chrono::hours(24);
        auto left = when - Clock::now();
        return left.count() > 0 ? std::chrono::duration_cast<std::chrono::nanoseconds>(left)
                                : std::chrono::nanoseconds(0);
    }

private:
    explicit SerialDeadline(Clock::time_point when) : when(when) {}
    Clock::time_point when;
};

// The framing and speed as a device applies them. 1.5 stop bits arrive here as TWOSTOPBITS,
// since that is what Linux can send.
struct SerialLineSettings {
    DWORD baudRate = CBR_9600;
    BYTE byteSize = 8;
    BYTE parity = NOPARITY;
    BYTE stopBits = ONESTOPBIT;
    bool checksParity = false;
    bool usesRtsCtsFlow = false;

    bool operator==(const SerialLineSettings&) const = default;
};

// How long one character takes on the wire: start bit, data bits, parity bit, stop bits.
inline std::chrono::nanoseconds CharacterTime(const SerialLineSettings& settings) {
    long long bits = 1 + settings.byteSize + (settings.parity != NOPARITY ? 1 : 0) +
                     (settings.stopBits == ONESTOPBIT ? 1 : 2);
    long long baud = settings.baudRate == 0 ? 1 : settings.baudRate;
    return std::chrono::nanoseconds(bits * 1'000'000'000LL / baud);
}

// The driver's running error counts, as TIOCGICOUNT gives them.
struct SerialErrorCounts {
    DWORD overrun = 0;
    DWORD bufferOverrun = 0;
    DWORD parity = 0;
    DWORD frame = 0;
    DWORD breaks = 0;
};

// What a wait is for besides its deadline.
enum class SerialEvents : unsigned { None = 0, Input = 1, Room = 2, InputOrRoom = 3 };

inline bool Includes(SerialEvents events, SerialEvents wanted) {
    return (static_cast<unsigned>(events) & static_cast<unsigned>(wanted)) != 0;
}

class SerialDevice {
public:
    virtual ~SerialDevice() = default;

    // Applies the whole framing or nothing; a speed the device cannot run is
    // ERROR_INVALID_PARAMETER and leaves the old settings in force.
    virtual DWORD Configure(const SerialLineSettings& settings) = 0;

    // Take what has arrived, or as much as the device accepts now, possibly nothing.
    virtual DWORD Read(BYTE* data, DWORD size, DWORD& got) = 0;
    // True when each Read costs a system call, so that a status call made again within
    // microseconds need not look for input again.
    virtual bool IsReadCostly() const { return false; }
    virtual DWORD Write(const BYTE* data, DWORD size, DWORD& put) = 0;

    // Bytes accepted by Write and not yet sent, as far as the driver can tell (0 if it cannot).
    virtual DWORD OutputQueue(DWORD& count) = 0;
    virtual DWORD Discard(bool input, bool output) = 0;

    // MS_CTS_ON, MS_DSR_ON, MS_RING_ON, MS_RLSD_ON. A device without modem lines reports CTS, DSR
    // and RLSD on, so that hardware flow control never holds it.
    virtual DWORD ModemStatus(DWORD& lines) = 0;
    // True when Wait returns as the modem lines change (or the device has none, or they never
    // change); false when only looking at them again shows a change, as on a UART.
    virtual bool SignalsModemChanges() const { return true; }
    virtual DWORD SetDtr(bool on) = 0;
    virtual DWORD SetRts(bool on) = 0;
    virtual DWORD SetBreak(bool on) = 0;

    // All zero, for ever, on a device that keeps no counts.
    virtual DWORD ErrorCounts(SerialErrorCounts& counts) = 0;

    // Returns when input has arrived (Input), when Write may take more (Room), when Wake was
    // called, when something else about the line changed, or at the deadline, whichever is first.
    // May return early; callers look again.
    virtual void Wait(SerialEvents events, SerialDeadline deadline) = 0;
    virtual void Wake() = 0;
};

// ppoll on the descriptors until the deadline: the count of those with events, 0 when the
// deadline passed, -1 on a failure (a signal among them).
int PollUntil(pollfd* watched, unsigned long count, SerialDeadline deadline);

} // namespace platform
