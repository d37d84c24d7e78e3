#pragma once

// The controller's end of the cable: the serial port, the controller's bounded input buffer and
// its reading pace.
//
// How it works: Serve() is called in a tight loop by whoever waits (ServeUntil is the one waiting
// loop of the simulator). Each call takes whatever the port has received into the input buffer,
// lets the controller take one byte from the buffer per character time at the line speed,
// appending it to Received(), counts as lost the bytes that still find the buffer full, and
// finally applies XON/XOFF input flow: XOFF when the buffer holds more than three quarters of its
// size, XON once it holds less than a quarter. A simulated controller thereby behaves like a
// machine that parses each character as it comes, and a sender that outruns it fills the buffer.
// Everything sent and received goes through the recorder.
//
// XOFF storms (--xoff-storms): while storms are allowed, the controller turns busy at random
// moments: it sends a burst of XOFFs with XONs between them, ending in XOFF, takes nothing from its
// buffer for the hold, and then goes on as before; the buffer's own flow control sends the XON.

#include "platform/Windows.h"
#include "tools/sim/EventRecorder.h"
#include "tools/sim/SimulatorOptions.h"

#include <chrono>
#include <deque>
#include <functional>
#include <random>
#include <string>

namespace simulator {

class ControllerLine {
public:
    using Clock = std::chrono::steady_clock;

    ControllerLine(const SimulatorOptions& options, EventRecorder& recorder);
    ~ControllerLine();
    ControllerLine(const ControllerLine&) = delete;
    ControllerLine& operator=(const ControllerLine&) = delete;

    // Opens the pseudo-terminal pair or the device and sets the line up. On success path is what
    // the DNC link opens; on failure error says why.
    bool Open(std::string& path, std::string& error);
    // The path Open gave: the DNC link's end of a pseudo-terminal, or the simulator's own device
    // with --device.
    const std::string& Path() const { return portPath; }

    // Sends bytes as they are; false with error set when the port fails.
    bool Send(const std::string& bytes, std::string& error);

    // One round of receiving, pacing and flow control; false with error set when the port fails.
    bool Serve(std::string& error);

    // Serves until done() holds (true) or the deadline passes (false). error is set when the port
    // failed, which also ends the wait with false.
    bool ServeUntil(Clock::time_point deadline, const std::function<bool()>& done, std::string& error);

    // Storms may begin while allowed (during downloads); one under way runs its course.
    void AllowStorms(bool isAllowed);
    // Inside a storm's hold: the controller takes nothing and says nothing.
    bool IsBusy() const { return isBusy; }
    unsigned long long StormCount() const { return stormCount; }
    unsigned long long XoffCount() const { return xoffCount; }
    // The most bytes that arrived between an XOFF of the controller and its next XON: what the
    // sender still sent after it was told to stop.
    unsigned long long MostAfterXoff() const { return mostSinceXoff; }

    // Everything the controller has taken from its buffer so far, in order.
    const std::string& Received() const { return received; }
    // When the controller last took a byte; the start of the run before the first one.
    Clock::time_point LastTaken() const { return lastTaken; }
    unsigned long long LostCount() const { return lostCount; }

private:
    bool Configure(std::string& error);
    bool Pump(std::string& error);
    void TakePaced(Clock::time_point now);
    void DropOverflow();
    bool UpdateFlow(std::string& error);
    bool UpdateStorm(Clock::time_point now, std::string& error);
    Clock::duration NextStormGap();
    std::string PortError(const char* what) const;

    const SimulatorOptions& options;
    EventRecorder& recorder;
    HANDLE port = INVALID_HANDLE_VALUE;
    std::string portPath;
    std::chrono::nanoseconds characterTime{0};
    std::deque<char> buffer;
    std::string received;
    Clock::time_point nextTakeAt;
    Clock::time_point lastTaken;
    // When the last read began: bytes a read returns came in after it.
    Clock::time_point lastReadAt;
    unsigned long long lostCount = 0;
    bool isXoffSent = false;

    std::mt19937_64 random;
    bool areStormsAllowed = false;
    bool isBusy = false;
    Clock::time_point nextStormAt;
    Clock::time_point busyUntil;
    unsigned long long stormCount = 0;
    unsigned long long xoffCount = 0;
    unsigned long long sinceXoff = 0;
    unsigned long long mostSinceXoff = 0;
};

} // namespace simulator
