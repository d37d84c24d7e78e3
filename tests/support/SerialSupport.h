#pragma once

// Fixtures of the serial-port tests: a watchdog that turns a hang into a failure within seconds,
// a real pseudo-terminal pair whose far (master) end the test plays, an in-memory line attached
// for the length of a test, and short-hands for the Win32 calls the tests repeat.

#include "platform/Windows.h"
#include "testhooks/MemoryLine.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <termios.h>
#include <thread>

namespace testsupport {

// Aborts the test program, naming the test, when a test runs longer than its limit.
class Watchdog {
public:
    explicit Watchdog(std::chrono::seconds limit = std::chrono::seconds(10));
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex;
    std::condition_variable finished;
    bool isFinished = false;
    std::thread thread;
};

// A pseudo-terminal pair. The port opens SlavePath(); the test reads and writes the master end,
// which is non-blocking.
class PseudoTerminal {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool IsOpen() const { return master >= 0; }
    const std::string& SlavePath() const { return slavePath; }
    void Write(const std::string& bytes);
    // Everything that arrives until count bytes are in or the time is up.
    std::string ReadAtLeast(std::size_t count, int timeoutMs);
    // What arrives within the time.
    std::string ReadFor(int milliseconds);
    // The program end's settings, which the master end reports.
    termios Settings() const;
    int MasterDescriptor() const { return master; }
    void Close();

private:
    int master = -1;
    std::string slavePath;
};

// An in-memory line behind a port name for the length of a test.
class AttachedLine {
public:
    explicit AttachedLine(const std::string& portName, DWORD bufferSize = 4096)
        : portName(portName), line(testhooks::AttachMemoryLine(portName, bufferSize)) {}
    ~AttachedLine() { testhooks::DetachMemoryLine(portName); }
    AttachedLine(const AttachedLine&) = delete;
    AttachedLine& operator=(const AttachedLine&) = delete;

    testhooks::MemoryLine* operator->() const { return line.get(); }

private:
    std::string portName;
    std::shared_ptr<testhooks::MemoryLine> line;
};

// The handle is closed with the object unless the test closed it already.
class PortHandle {
public:
    explicit PortHandle(const std::string& name);
    ~PortHandle();
    PortHandle(const PortHandle&) = delete;
    PortHandle& operator=(const PortHandle&) = delete;

    HANDLE Get() const { return handle; }
    bool IsValid() const { return handle != INVALID_HANDLE_VALUE; }
    DWORD OpenError() const { return openError; }
    BOOL Close();

private:
    HANDLE handle;
    DWORD openError;
};

struct LineStatus {
    BOOL isDone = FALSE;
    DWORD lastError = 0;
    DWORD errors = 0;
    COMSTAT status{};
};

LineStatus Status(HANDLE port);
DCB State(HANDLE port);
// Reads return at once with what has arrived, as the program sets its port.
void SetImmediateReads(HANDLE port);
void SetTimeouts(HANDLE port, DWORD interval, DWORD multiplier, DWORD constant);
// Changes the state through a function of the block, expecting success.
template <typename Change> void ChangeState(HANDLE port, Change change) {
    DCB block = State(port);
    change(block);
    SetCommState(port, &block);
}
std::string ReadPort(HANDLE port, DWORD count);
BOOL WritePort(HANDLE port, const std::string& bytes, DWORD* written = nullptr);

double SecondsSince(std::chrono::steady_clock::time_point start);
// FormatMessageA's text of a system error code.
std::string SystemText(DWORD code);
// Every call on a port whose device has gone fails at once with ERROR_DEVICE_NOT_CONNECTED and
// its text (gtest expectations).
void ExpectEveryCallFails(HANDLE port);
// Bytes 0x20 to 0x7E over and over, so that no XON or XOFF appears by chance.
std::string Pattern(std::size_t length);

} // namespace testsupport
