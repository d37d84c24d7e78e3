#pragma once

// An in-memory serial line for tests: a cable with a programmable far end behind a port name.
//
//   auto line = testhooks::AttachMemoryLine("COM5");
//   HANDLE port = CreateFileA("COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
//   ... WriteFile(port, ...); line->WaitForArrived(10, 1000); line->Send("\x13"); ...
//   CloseHandle(port);
//   testhooks::DetachMemoryLine("COM5");
//
// The line behaves as a UART with a driver buffer: bytes the port writes are accepted up to the
// buffer size and reach the far end one character time apart at the speed and framing the port
// configured, and until the transmitter has begun to send them, they count as the driver's
// output queue. Bytes the far end sends arrive at the port at once. The far end sets CTS, DSR,
// RLSD and RI (CTS, DSR and RLSD start on), sees DTR, RTS and break as the port sets them, reads
// back the configuration the port applied, makes the driver count line errors, and can unplug
// the line, after which every call of the port fails as with a vanished adapter. Only one port
// can have a line open at a time; a second CreateFileA fails with ERROR_ACCESS_DENIED. All
// members are safe to call from any thread.

#include "platform/WinTypes.h"
#include "platform/serial/Device.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace testhooks {

using platform::SerialDeadline;
using platform::SerialErrorCounts;
using platform::SerialLineSettings;

class MemoryLineDevice;

class MemoryLine {
public:
    // bufferSize is how many bytes the line's driver takes before a write must wait.
    explicit MemoryLine(DWORD bufferSize = 4096);
    MemoryLine(const MemoryLine&) = delete;
    MemoryLine& operator=(const MemoryLine&) = delete;

    // The bytes that have reached the far end and were not taken before.
    std::string TakeArrived();
    // As TakeArrived, once at least count bytes have arrived or the time is up.
    std::string WaitForArrived(std::size_t count, DWORD timeoutMs);
    // Every byte the port has put on the line since it was made, arrived or not.
    std::size_t AcceptedCount() const;
    // The bytes on their way: accepted and not yet arrived (the driver's output queue and the
    // character being sent).
    std::size_t InFlightCount() const;

    // Bytes from the far end; they are in the port's driver at once.
    void Send(const std::string& bytes);

    void SetCts(bool isOn);
    void SetDsr(bool isOn);
    void SetRlsd(bool isOn);
    void SetRing(bool isOn);
    bool IsDtrOn() const;
    bool IsRtsOn() const;
    bool IsBreakOn() const;

    // Counts one error of each kind given (CE_OVERRUN, CE_RXOVER, CE_RXPARITY, CE_FRAME, CE_BREAK)
    // in the driver's counters, where ClearCommError finds them.
    void RaiseErrors(DWORD errors);

    // The adapter is pulled out: from now on every call of the port fails.
    void Unplug();

    bool IsOpen() const;
    // The framing and speed the port applied last.
    SerialLineSettings Settings() const;

private:
    friend class MemoryLineDevice;
    using Clock = SerialDeadline::Clock;

    struct InFlight {
        BYTE byte;
        Clock::time_point arrival;
    };

    void NoteChange();
    // Moves what has arrived by now to the far end; time passing is no change of the line.
    void AdvanceLocked(Clock::time_point now) const;

    mutable std::mutex mutex;
    std::condition_variable changed;
    DWORD bufferSize;
    unsigned long long changes = 0;
    bool isOpen = false;
    bool isUnplugged = false;
    SerialLineSettings settings;
    std::deque<BYTE> toPort;
    mutable std::deque<InFlight> inFlight;
    Clock::time_point lineFreeAt;
    mutable std::string arrived;
    std::size_t acceptedCount = 0;
    bool isCtsOn = true;
    bool isDsrOn = true;
    bool isRlsdOn = true;
    bool isRingOn = false;
    bool isDtrOn = false;
    bool isRtsOn = false;
    bool isBreakOn = false;
    SerialErrorCounts errorCounts;
};

// Puts a new line behind a port name (replacing any line there) and returns it. The name is taken
// as CreateFileA takes it ("COM5", "\\.\COM12"); the line wins over every other mapping.
std::shared_ptr<MemoryLine> AttachMemoryLine(const std::string& portName, DWORD bufferSize = 4096);
void DetachMemoryLine(const std::string& portName);

} // namespace testhooks
