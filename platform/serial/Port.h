#pragma once

// A serial port behind a handle: Win32's communications behaviour, kept by the stand-in itself on
// top of a SerialDevice, because Linux drivers differ where Win32's do not (pseudo-terminals have
// no output queue and no modem lines, many USB adapters ignore IXON).
//
// How it works:
//  - Input. Every call first pumps the device: whatever has arrived is read, XON/XOFF are taken
//    out of it when fOutX is set (they set or clear the XOFF hold), NULs are dropped with fNull,
//    everything is dropped while DSR is off with fDsrSensitivity, and the rest goes to the input
//    queue of the SetupComm size. A byte that finds the queue full is lost and reported as
//    CE_RXOVER, as with Win32's driver. The driver's error counters (TIOCGICOUNT) are read at the
//    same time; their increases become the CE_ bits of ClearCommError.
//  - Input flow. When the queue holds more than its size less XoffLim the port sends XoffChar
//    (fInX), drops DTR (DTR_CONTROL_HANDSHAKE) and drops RTS (RTS_CONTROL_HANDSHAKE); when it
//    holds fewer than XonLim it sends XonChar and raises them again. The pump is what notices, so
//    the reaction comes with the next call; the program's poll makes that every millisecond.
//  - Output. WriteFile hands the device at most 16 characters at a time and hands it the next
//    chunk when the line-speed clock (start, data, parity and stop bits at the configured speed)
//    says that the last one is out but for one character. Before each chunk it pumps the input,
//    so an XOFF stops the output within one chunk. It holds while XOFF is in force, while CTS is
//    off with fOutxCtsFlow, while DSR is off with fOutxDsrFlow, after its own XOFF without
//    fTXContinueOnXoff, and during a break, and returns once its last chunk is handed over: the
//    chunk is in the transmitter, as a UART driver completes a write once its last bytes are in
//    the transmit FIFO. The output queue of ClearCommError is what that write has not handed over
//    yet plus the larger of the driver's TIOCOUTQ and what the clock says the transmitter has not
//    begun to send, less the chunk the transmitter holds, so a pseudo-terminal, whose TIOCOUTQ is
//    always 0, drains like a UART. What the transmitter holds is not in the queue, as a UART
//    driver's queue never holds its FIFO, so a program that waits for an empty queue before it
//    writes again has the time of a chunk to make its next write while the last one goes out, and
//    keeps the line busy. With RTS_CONTROL_TOGGLE a write returns when its last byte has begun.
//  - Timing. The clock wants wake-ups within a character time (87 us at 115,200 baud), and Linux
//    lets a thread's timers fire up to 50 us late by default to save wake-ups, so a thread that
//    waits on a port asks for a fine timer slack for itself, once.
//  - CTS output flow is also set in the driver (CRTSCTS) when fOutxCtsFlow goes with
//    RTS_CONTROL_HANDSHAKE, so a UART stops at the very character; RTS_CONTROL_TOGGLE raises RTS
//    for the time of each write.
//
// Threads: the program's poll thread calls ReadFile, WriteFile and ClearCommError back to back;
// the window thread may call PurgeComm, SetCommState or CloseHandle meanwhile. One mutex guards
// the port's state and is held only across non-blocking device calls, never across a wait; a
// second WriteFile (or ReadFile) on another thread waits for the first, as on a synchronous Win32
// handle. A wait lasts at most 20 ms before the port looks again, so a CloseHandle on another
// thread (which Win32 answers by cancelling the I/O) ends a waiting read or write with
// ERROR_OPERATION_ABORTED within that time, as PURGE_TXABORT and PURGE_RXABORT do at once. Every
// wait is a thread wait point (platform::ThreadWaitPoint) before and after.
//
// FIXME: CloseHandle cannot reach a call that SuspendThread parked at one of those wait points:
// the device stays open, and a new CreateFileA of the same port is refused with
// ERROR_ACCESS_DENIED, until the thread is resumed and the call returns. A close notification on
// KernelObject would let the port let go of its device at once.
//
// A device that is gone makes every call fail with ERROR_DEVICE_NOT_CONNECTED; CloseHandle still
// succeeds.

#include "platform/WinTypes.h"
#include "platform/kernel/Handles.h"
#include "platform/serial/Comm.h"
#include "platform/serial/Device.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

namespace platform {

class SerialPort final : public KernelObject {
public:
    SerialPort(std::unique_ptr<SerialDevice> device, DWORD access);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // Puts a newly opened device into the port's defaults: 9600 baud, eight data bits, no parity,
    // one stop bit, no flow control, DTR and RTS on, a 4096-byte input queue, no time-outs.
    DWORD Start();
    // The handle the port was entered under, so that a wait can see it closed.
    void SetHandle(HANDLE handle);

    BOOL Read(LPVOID buffer, DWORD count, LPDWORD done) override;
    BOOL Write(LPCVOID buffer, DWORD count, LPDWORD done) override;
    // Ends the waits of threads still in a call.
    void Closed() override;

    // The Win32 calls of the same purpose; each returns ERROR_SUCCESS or the code to set.
    DWORD Setup(DWORD inputSize, DWORD outputSize);
    DWORD GetState(DCB& block);
    DWORD SetState(const DCB& block);
    DWORD GetTimeouts(COMMTIMEOUTS& timeouts);
    DWORD SetTimeouts(const COMMTIMEOUTS& timeouts);
    DWORD Purge(DWORD flags);
    DWORD ClearErrors(DWORD& errors, COMSTAT& status);
    DWORD Escape(DWORD function);
    DWORD ModemStatus(DWORD& lines);
    // WaitForCommWork: up to the time for input, or for a drained and unheld output queue.
    DWORD WaitForWork(DWORD milliseconds, bool wantsOutputDrained);
    // WakeCommWait: ends a WaitForWork of another thread at once.
    DWORD WakeWaiter();

private:
    using Clock = SerialDeadline::Clock;
    using Lock = std::unique_lock<std::mutex>;

    struct WaitPlan {
        SerialEvents events = SerialEvents::None;
        SerialDeadline until = SerialDeadline::Never();
    };
    struct ReadJob;
    struct WriteJob;
    enum class Direction { Read, Write };
    enum class LineUpdate { HandshakeOnly, All };
    class Turn;

    // Reads what the device holds into the input queue. A status look (ClearCommError) on a
    // device whose reads cost a system call skips the read when the last one found nothing
    // within quietPumpInterval.
    DWORD PumpLocked(bool isStatusLook = false);
    void AcceptLocked(const BYTE* bytes, DWORD count, bool isDsrOn);
    DWORD CollectErrorsLocked();
    DWORD UpdateInputFlowLocked();
    DWORD SendFlowCharacterLocked(char character, bool& isSent);
    DWORD ApplyOutputLinesLocked(LineUpdate update);
    DWORD ConfigureLocked(const DCB& block);
    bool IsOutputHeldLocked(DWORD lines) const;
    DWORD StopReasonLocked(unsigned long long aborts, unsigned long long currentAborts) const;
    Clock::time_point TransmitterFreeAtLocked() const;
    DWORD OutputQueueLocked(Clock::time_point now, DWORD& count);

    void StartReadLocked(ReadJob& job) const;
    bool AdvanceReadLocked(ReadJob& job, WaitPlan& wait);
    bool AdvanceWriteLocked(WriteJob& job, WaitPlan& wait);
    void WaitOutside(const WaitPlan& wait);
    bool IsHandleClosed() const;

    std::unique_ptr<SerialDevice> device;
    const bool canRead;
    const bool canWrite;
    std::atomic<HANDLE> handle{nullptr};
    std::atomic<bool> isClosed{false};
    std::atomic<bool> isWakeRequested{false};
    // Threads in WaitForWork: a wake-up that another waiter took is passed on to them.
    std::atomic<int> workWaiters{0};

    std::mutex mutex;
    std::condition_variable turnChanged;
    bool isReadTaken = false;
    bool isWriteTaken = false;

    DCB block{};
    COMMTIMEOUTS timeouts{};
    DWORD inputSize = 4096;
    DWORD outputSize = 4096;
    std::deque<BYTE> input;
    std::chrono::nanoseconds characterTime{0};

    bool isXoffReceived = false;
    bool isXoffSent = false;
    // The modem lines as ClearCommError last saw them: a work wait ends when one that holds the
    // output differs.
    DWORD linesAtLastStatus = MS_CTS_ON | MS_DSR_ON | MS_RLSD_ON;
    bool isInputHigh = false;
    bool isBreakOn = false;
    bool isWriting = false;
    bool isDtrOn = false;
    bool isRtsOn = false;
    DWORD pendingErrors = 0;
    SerialErrorCounts lastCounts;

    Clock::time_point wireFreeAt;
    DWORD unsentCount = 0;
    // Only this port's writes fill the driver's output queue (the device is open exclusively),
    // so once the driver has said it is empty it stays so until the next write, and the status
    // calls that come between two writes, one for every byte a program queues, need not ask it.
    bool isDriverQueueEmpty = false;
    // When a look at the device last found nothing to read.
    Clock::time_point lastQuietPump{};
    unsigned long long writeAborts = 0;
    unsigned long long readAborts = 0;
};

// For CreateFileA: true when the name stands for a serial port (a port name of the port map, or
// an absolute path to a serial terminal), with the new handle, or INVALID_HANDLE_VALUE and the
// last error set, in handle; false for every other name, which is then opened as a file.
bool OpenSerialPortByName(LPCSTR name, DWORD access, HANDLE& handle);

} // namespace platform
