#include "platform/serial/Port.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Threads.h"
#include "platform/serial/AttachedLines.h"
#include "platform/serial/Network.h"
#include "platform/serial/PortMap.h"
#include "platform/serial/Termios.h"

#include <algorithm>
#include <sys/prctl.h>

namespace {

using Clock = platform::SerialDeadline::Clock;

// Win32's UART driver feeds the transmitter a FIFO's worth, 16 characters, at a time, once the one
// before is all but out. Chunks of that size bound what still goes out after an XOFF and cost one
// wake-up each; the chunk in the transmitter is no longer in the output queue.
constexpr DWORD chunkSize = 16;
constexpr DWORD defaultQueueSize = 4096;
// The longest a read's or write's wait goes without looking at the modem lines and at the handle
// again.
constexpr auto waitSlice = std::chrono::milliseconds(20);
// How often a quiet port's wait looks at modem lines that hold the output, where the device gives
// no event for their change.
constexpr auto modemLookInterval = std::chrono::milliseconds(10);
constexpr DWORD pumpBlock = 512;
// At most 32 KiB per call, so a line that never stops cannot keep the port's lock.
constexpr int pumpRounds = 64;
// A terminal device that had nothing to read is asked again by ClearCommError only after this
// long. A program that queues its bytes one at a time calls ClearCommError for each of them, and
// each look costs a system call; a UART's receive FIFO hands bytes over later than this anyway.
// It is below a character time at 230,400 baud.
constexpr auto quietPumpInterval = std::chrono::microseconds(40);
constexpr char defaultXonChar = 0x11;
constexpr char defaultXoffChar = 0x13;
constexpr DWORD allPurgeFlags = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

WORD QuarterOf(DWORD size) {
    return static_cast<WORD>(std::min<DWORD>(size / 4, 0xFFFF));
}

DCB DefaultState(DWORD inputSize) {
    DCB block{};
    block.DCBlength = sizeof(DCB);
    block.BaudRate = CBR_9600;
    block.fBinary = TRUE;
    block.fDtrControl = DTR_CONTROL_ENABLE;
    block.fRtsControl = RTS_CONTROL_ENABLE;
    block.XonLim = QuarterOf(inputSize);
    block.XoffLim = QuarterOf(inputSize);
    block.ByteSize = 8;
    block.Parity = NOPARITY;
    block.StopBits = ONESTOPBIT;
    block.XonChar = defaultXonChar;
    block.XoffChar = defaultXoffChar;
    return block;
}

// The checks of Win32's UART driver; the speed itself is the device's to judge.
bool IsValidState(const DCB& block, DWORD inputSize) {
    bool isFramingValid = block.BaudRate != 0 && block.ByteSize >= 5 && block.ByteSize <= 8 &&
                          block.Parity <= SPACEPARITY && block.StopBits <= TWOSTOPBITS &&
                          !(block.ByteSize == 5 && block.StopBits == TWOSTOPBITS);
    bool isFlowValid = block.fDtrControl != 3 && block.XonChar != block.XoffChar &&
                       block.XonLim <= inputSize && block.XoffLim <= inputSize;
    return isFramingValid && isFlowValid;
}

// GetCommState reports what the driver keeps, which has no room for the reserved bits and is
// always binary.
DCB NormalisedState(const DCB& block) {
    DCB normalised = block;
    normalised.DCBlength = sizeof(DCB);
    normalised.fBinary = TRUE;
    normalised.fDummy2 = 0;
    normalised.wReserved = 0;
    normalised.wReserved1 = 0;
    return normalised;
}

platform::SerialLineSettings LineSettingsFor(const DCB& block) {
    platform::SerialLineSettings settings;
    settings.baudRate = block.BaudRate;
    settings.byteSize = block.ByteSize;
    settings.parity = block.Parity;
    settings.stopBits = block.StopBits == ONESTOPBIT ? ONESTOPBIT : TWOSTOPBITS;
    settings.checksParity = block.fParity && block.Parity != NOPARITY;
    settings.usesRtsCtsFlow = block.fOutxCtsFlow && block.fRtsControl == RTS_CONTROL_HANDSHAKE;
    return settings;
}

// Once per thread, before its first wait on a line-speed clock: a hand-over that comes later than
// one character time leaves the line idle, and the default slack alone is most of that at
// 115,200 baud.
void UseFineTimerSlack() {
    constexpr unsigned long slackNanoseconds = 1000;
    thread_local bool isFine = false;
    if (!isFine) {
        ::prctl(PR_SET_TIMERSLACK, slackNanoseconds, 0, 0, 0);
        isFine = true;
    }
}

ULONGLONG TotalTimeout(DWORD multiplier, DWORD constant, DWORD count) {
    return static_cast<ULONGLONG>(multiplier) * count + constant;
}

// Whole characters, rounded up, that the line needs for a span of time.
DWORD CharactersIn(Clock::duration left, std::chrono::nanoseconds characterTime) {
    if (left.count() <= 0 || characterTime.count() <= 0)
        return 0;
    auto characters = (std::chrono::duration_cast<std::chrono::nanoseconds>(left) + characterTime -
                       std::chrono::nanoseconds(1)) /
                      characterTime;
    return static_cast<DWORD>(characters);
}

} // namespace

namespace platform {

struct SerialPort::ReadJob {
    BYTE* bytes;
    DWORD count;
    DWORD got = 0;
    DWORD error = ERROR_SUCCESS;
    unsigned long long aborts = 0;
    bool returnsAtOnce = false;
    bool returnsOnAny = false;
    SerialDeadline total = SerialDeadline::Never();
    std::chrono::milliseconds interval{0};
    Clock::time_point lastArrival{};
};

struct SerialPort::WriteJob {
    const BYTE* bytes;
    DWORD count;
    DWORD written = 0;
    DWORD error = ERROR_SUCCESS;
    unsigned long long aborts = 0;
    SerialDeadline deadline = SerialDeadline::Never();
};

// One ReadFile (or WriteFile) at a time, as on a synchronous Win32 handle. The waiting is on a
// condition, so no lock is held meanwhile.
class SerialPort::Turn {
public:
    Turn(SerialPort& port, Direction direction)
        : port(port), isTaken(direction == Direction::Read ? port.isReadTaken : port.isWriteTaken) {
        Lock lock(port.mutex);
        port.turnChanged.wait(lock, [this] { return !isTaken; });
        isTaken = true;
    }
    ~Turn() {
        {
            std::lock_guard lock(port.mutex);
            isTaken = false;
        }
        port.turnChanged.notify_all();
    }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;

private:
    SerialPort& port;
    bool& isTaken;
};

SerialPort::SerialPort(std::unique_ptr<SerialDevice> device, DWORD access)
    : device(std::move(device)), canRead((access & (GENERIC_READ | GENERIC_ALL)) != 0),
      canWrite((access & (GENERIC_WRITE | GENERIC_ALL)) != 0) {}

SerialPort::~SerialPort() = default;

void SerialPort::Closed() {
    isClosed = true;
    device->Wake();
}

DWORD SerialPort::Start() {
    std::lock_guard lock(mutex);
    inputSize = defaultQueueSize;
    outputSize = defaultQueueSize;
    wireFreeAt = Clock::now();
    DWORD error = device->ErrorCounts(lastCounts);
    return error != ERROR_SUCCESS ? error : ConfigureLocked(DefaultState(inputSize));
}

void SerialPort::SetHandle(HANDLE newHandle) {
    handle = newHandle;
}

// --- Input -------------------------------------------------------------------------------------

DWORD SerialPort::PumpLocked(bool isStatusLook) {
    bool isDsrOn = true;
    if (block.fDsrSensitivity) {
        DWORD lines = 0;
        if (DWORD error = device->ModemStatus(lines); error != ERROR_SUCCESS)
            return error;
        isDsrOn = (lines & MS_DSR_ON) != 0;
    }
    const Clock::time_point now = Clock::now();
    const bool isLookDue =
        !isStatusLook || !device->IsReadCostly() || now - lastQuietPump >= quietPumpInterval;
    BYTE bytes[pumpBlock];
    for (int round = 0; isLookDue && round < pumpRounds; ++round) {
        DWORD got = 0;
        if (DWORD error = device->Read(bytes, pumpBlock, got); error != ERROR_SUCCESS)
            return error;
        AcceptLocked(bytes, got, isDsrOn);
        if (round == 0 && got == 0)
            lastQuietPump = now;
        if (got < pumpBlock)
            break;
    }
    if (DWORD error = CollectErrorsLocked(); error != ERROR_SUCCESS)
        return error;
    return UpdateInputFlowLocked();
}

// FIXME: fErrorChar is kept but not applied: a byte with a parity or framing error arrives as the
// driver delivers it (NUL under INPCK) instead of as ErrorChar. Replacing it needs PARMRK marks,
// parsed by the termios device and passed up with the bytes.
void SerialPort::AcceptLocked(const BYTE* bytes, DWORD count, bool isDsrOn) {
    for (DWORD index = 0; index < count; ++index) {
        BYTE byte = bytes[index];
        if (block.fOutX && byte == static_cast<BYTE>(block.XoffChar)) {
            isXoffReceived = true;
            continue;
        }
        if (block.fOutX && byte == static_cast<BYTE>(block.XonChar)) {
            isXoffReceived = false;
            continue;
        }
        if (!isDsrOn || (block.fNull && byte == 0))
            continue;
        if (input.size() >= inputSize) {
            pendingErrors |= CE_RXOVER;
            continue;
        }
        input.push_back(byte);
    }
}

DWORD SerialPort::CollectErrorsLocked() {
    SerialErrorCounts counts;
    if (DWORD error = device->ErrorCounts(counts); error != ERROR_SUCCESS)
        return error;
    pendingErrors |= (counts.overrun != lastCounts.overrun ? CE_OVERRUN : 0) |
                     (counts.bufferOverrun != lastCounts.bufferOverrun ? CE_RXOVER : 0) |
                     (counts.parity != lastCounts.parity ? CE_RXPARITY : 0) |
                     (counts.frame != lastCounts.frame ? CE_FRAME : 0) |
                     (counts.breaks != lastCounts.breaks ? CE_BREAK : 0);
    lastCounts = counts;
    return ERROR_SUCCESS;
}

// The queue is high above its XOFF mark and stays high until it is under its XON mark (or empty,
// for an XonLim of 0).
DWORD SerialPort::UpdateInputFlowLocked() {
    std::size_t xoffMark = inputSize - std::min<DWORD>(block.XoffLim, inputSize);
    if (input.size() > xoffMark)
        isInputHigh = true;
    else if (input.size() < block.XonLim || input.empty())
        isInputHigh = false;
    bool wantsXoffSent = block.fInX && isInputHigh;
    if (wantsXoffSent != isXoffSent) {
        bool isSent = false;
        DWORD error = SendFlowCharacterLocked(wantsXoffSent ? block.XoffChar : block.XonChar, isSent);
        if (error != ERROR_SUCCESS)
            return error;
        if (isSent)
            isXoffSent = wantsXoffSent;
    }
    return ApplyOutputLinesLocked(LineUpdate::HandshakeOnly);
}

// Goes between two chunks of a write, ahead of what is still to come, as Win32's driver sends
// flow characters. A full driver leaves it for the next call.
DWORD SerialPort::SendFlowCharacterLocked(char character, bool& isSent) {
    BYTE byte = static_cast<BYTE>(character);
    DWORD put = 0;
    DWORD error = device->Write(&byte, 1, put);
    isSent = error == ERROR_SUCCESS && put == 1;
    if (isSent) {
        wireFreeAt = std::max(wireFreeAt, Clock::now()) + characterTime;
        isDriverQueueEmpty = false;
    }
    return error;
}

// DTR and RTS follow their control modes. Between SetCommState calls only the handshake and
// toggle modes move them, so that an EscapeCommFunction CLRDTR with DTR_CONTROL_ENABLE stays.
DWORD SerialPort::ApplyOutputLinesLocked(LineUpdate update) {
    bool isAll = update == LineUpdate::All;
    bool isDtrManaged = isAll || block.fDtrControl == DTR_CONTROL_HANDSHAKE;
    bool isRtsManaged =
        isAll || block.fRtsControl == RTS_CONTROL_HANDSHAKE || block.fRtsControl == RTS_CONTROL_TOGGLE;
    bool dtr = block.fDtrControl == DTR_CONTROL_ENABLE ||
               (block.fDtrControl == DTR_CONTROL_HANDSHAKE && !isInputHigh);
    bool rts = block.fRtsControl == RTS_CONTROL_ENABLE ||
               (block.fRtsControl == RTS_CONTROL_HANDSHAKE && !isInputHigh) ||
               (block.fRtsControl == RTS_CONTROL_TOGGLE && isWriting);
    if (isDtrManaged && (isAll || dtr != isDtrOn)) {
        if (DWORD error = device->SetDtr(dtr); error != ERROR_SUCCESS)
            return error;
        isDtrOn = dtr;
    }
    if (isRtsManaged && (isAll || rts != isRtsOn)) {
        if (DWORD error = device->SetRts(rts); error != ERROR_SUCCESS)
            return error;
        isRtsOn = rts;
    }
    return ERROR_SUCCESS;
}

DWORD SerialPort::ConfigureLocked(const DCB& newBlock) {
    SerialLineSettings settings = LineSettingsFor(newBlock);
    if (DWORD error = device->Configure(settings); error != ERROR_SUCCESS)
        return error;
    // Switching fOutX off releases an XOFF hold, as Win32's driver does.
    if (block.fOutX && !newBlock.fOutX)
        isXoffReceived = false;
    block = NormalisedState(newBlock);
    characterTime = CharacterTime(settings);
    if (DWORD error = UpdateInputFlowLocked(); error != ERROR_SUCCESS)
        return error;
    return ApplyOutputLinesLocked(LineUpdate::All);
}

// --- Output ------------------------------------------------------------------------------------

bool SerialPort::IsOutputHeldLocked(DWORD lines) const {
    return isXoffReceived || isBreakOn || (block.fOutxCtsFlow && !(lines & MS_CTS_ON)) ||
           (block.fOutxDsrFlow && !(lines & MS_DSR_ON)) || (isXoffSent && !block.fTXContinueOnXoff);
}

// The transmitter takes the next character as soon as the one before it has begun to go out, so
// a character being sent is on the wire and no longer in the output queue, as with a UART whose
// driver counts only what it has not yet given to the transmitter.
SerialPort::Clock::time_point SerialPort::TransmitterFreeAtLocked() const {
    return wireFreeAt - characterTime;
}

DWORD SerialPort::OutputQueueLocked(Clock::time_point now, DWORD& count) {
    DWORD driverCount = 0;
    DWORD error = ERROR_SUCCESS;
    if (!isDriverQueueEmpty) {
        error = device->OutputQueue(driverCount);
        isDriverQueueEmpty = error == ERROR_SUCCESS && driverCount == 0;
    }
    // What the transmitter holds, a chunk at the most, is out of the queue: the queue empties as a
    // write's last chunk goes in, while its characters still go out, so a program's next write can
    // be ready before the line falls idle.
    DWORD onTheirWay = std::max(driverCount, CharactersIn(TransmitterFreeAtLocked() - now, characterTime));
    count = unsentCount + onTheirWay - std::min(onTheirWay, chunkSize);
    return error;
}

DWORD SerialPort::StopReasonLocked(unsigned long long aborts, unsigned long long currentAborts) const {
    bool isAborted = aborts != currentAborts || isClosed || (block.fAbortOnError && pendingErrors != 0);
    return isAborted ? ERROR_OPERATION_ABORTED : ERROR_SUCCESS;
}

// One step of a write: a chunk handed over, or what to wait for before the next look. Returns
// false when the write is over, failed or not.
bool SerialPort::AdvanceWriteLocked(WriteJob& job, WaitPlan& wait) {
    job.error = PumpLocked();
    if (job.error == ERROR_SUCCESS)
        job.error = StopReasonLocked(job.aborts, writeAborts);
    if (job.error != ERROR_SUCCESS)
        return false;
    Clock::time_point now = Clock::now();
    if (job.written == job.count) {
        // The write is done once its last chunk is in the transmitter, as a UART driver completes
        // a write once its last bytes are in the transmit FIFO. RTS toggled for the write stays up
        // until its last character is on the wire.
        bool waitsForWire = block.fRtsControl == RTS_CONTROL_TOGGLE;
        if (!waitsForWire || now >= TransmitterFreeAtLocked() || job.deadline.HasPassed())
            return false;
        wait = {SerialEvents::None, SerialDeadline::At(TransmitterFreeAtLocked()).Earlier(job.deadline)};
        return true;
    }
    if (job.deadline.HasPassed())
        return false;
    DWORD lines = 0;
    job.error = device->ModemStatus(lines);
    if (job.error != ERROR_SUCCESS)
        return false;
    Clock::time_point handOver = TransmitterFreeAtLocked();
    if (IsOutputHeldLocked(lines) || now < handOver) {
        SerialDeadline until = IsOutputHeldLocked(lines) ? job.deadline : SerialDeadline::At(handOver);
        wait = {SerialEvents::Input, until.Earlier(job.deadline)};
        return true;
    }
    DWORD size = std::min(chunkSize, job.count - job.written);
    DWORD put = 0;
    job.error = device->Write(job.bytes + job.written, size, put);
    if (job.error != ERROR_SUCCESS)
        return false;
    job.written += put;
    unsentCount -= put;
    isDriverQueueEmpty = isDriverQueueEmpty && put == 0;
    wireFreeAt = std::max(wireFreeAt, now) + put * characterTime;
    // A driver that took less is full: wait for room, or for the XOFF that may be why.
    wait = put < size ? WaitPlan{SerialEvents::InputOrRoom, job.deadline}
                      : WaitPlan{SerialEvents::None, SerialDeadline::At(now)};
    return true;
}

BOOL SerialPort::Write(LPCVOID buffer, DWORD count, LPDWORD done) {
    if (!canWrite || (buffer == nullptr && count > 0)) {
        SetLastError(canWrite ? ERROR_NOACCESS : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Turn turn(*this, Direction::Write);
    WriteJob job{static_cast<const BYTE*>(buffer), count};
    {
        std::lock_guard lock(mutex);
        ULONGLONG total =
            TotalTimeout(timeouts.WriteTotalTimeoutMultiplier, timeouts.WriteTotalTimeoutConstant, count);
        job.deadline = total == 0 ? SerialDeadline::Never() : SerialDeadline::AfterMilliseconds(total);
        job.aborts = writeAborts;
        unsentCount = count;
        isWriting = true;
        job.error = ApplyOutputLinesLocked(LineUpdate::HandshakeOnly);
    }
    while (job.error == ERROR_SUCCESS) {
        WaitPlan wait;
        {
            std::lock_guard lock(mutex);
            if (!AdvanceWriteLocked(job, wait))
                break;
        }
        WaitOutside(wait);
    }
    {
        std::lock_guard lock(mutex);
        unsentCount = 0;
        isWriting = false;
        DWORD error = ApplyOutputLinesLocked(LineUpdate::HandshakeOnly);
        job.error = job.error != ERROR_SUCCESS ? job.error : error;
    }
    if (done != nullptr)
        *done = job.written;
    if (job.error != ERROR_SUCCESS) {
        SetLastError(job.error);
        return FALSE;
    }
    return TRUE;
}

// --- Reading -----------------------------------------------------------------------------------

void SerialPort::StartReadLocked(ReadJob& job) const {
    job.aborts = readAborts;
    job.returnsAtOnce = timeouts.ReadIntervalTimeout == MAXDWORD &&
                        timeouts.ReadTotalTimeoutMultiplier == 0 && timeouts.ReadTotalTimeoutConstant == 0;
    job.returnsOnAny =
        timeouts.ReadIntervalTimeout == MAXDWORD && timeouts.ReadTotalTimeoutMultiplier == MAXDWORD &&
        timeouts.ReadTotalTimeoutConstant != 0 && timeouts.ReadTotalTimeoutConstant != MAXDWORD;
    ULONGLONG total = job.returnsOnAny ? timeouts.ReadTotalTimeoutConstant
                                       : TotalTimeout(timeouts.ReadTotalTimeoutMultiplier,
                                                      timeouts.ReadTotalTimeoutConstant, job.count);
    job.total = total == 0 ? SerialDeadline::Never() : SerialDeadline::AfterMilliseconds(total);
    if (timeouts.ReadIntervalTimeout != MAXDWORD)
        job.interval = std::chrono::milliseconds(timeouts.ReadIntervalTimeout);
}

bool SerialPort::AdvanceReadLocked(ReadJob& job, WaitPlan& wait) {
    job.error = PumpLocked();
    if (job.error == ERROR_SUCCESS)
        job.error = StopReasonLocked(job.aborts, readAborts);
    if (job.error != ERROR_SUCCESS)
        return false;
    Clock::time_point now = Clock::now();
    auto taken = static_cast<DWORD>(std::min<std::size_t>(job.count - job.got, input.size()));
    if (taken > 0) {
        std::copy_n(input.begin(), taken, job.bytes + job.got);
        input.erase(input.begin(), input.begin() + taken);
        job.got += taken;
        job.lastArrival = now;
        job.error = UpdateInputFlowLocked();
        if (job.error != ERROR_SUCCESS)
            return false;
    }
    if (job.got == job.count || job.returnsAtOnce || (job.returnsOnAny && job.got > 0) ||
        job.total.HasPassed())
        return false;
    wait = {SerialEvents::Input, job.total};
    // The interval runs from the last byte that came, and only once one has.
    if (job.interval.count() > 0 && job.got > 0) {
        Clock::time_point intervalEnd = job.lastArrival + job.interval;
        if (now >= intervalEnd)
            return false;
        wait.until = wait.until.Earlier(SerialDeadline::At(intervalEnd));
    }
    return true;
}

BOOL SerialPort::Read(LPVOID buffer, DWORD count, LPDWORD done) {
    if (!canRead || (buffer == nullptr && count > 0)) {
        SetLastError(canRead ? ERROR_NOACCESS : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    Turn turn(*this, Direction::Read);
    ReadJob job{static_cast<BYTE*>(buffer), count};
    {
        std::lock_guard lock(mutex);
        StartReadLocked(job);
    }
    for (;;) {
        WaitPlan wait;
        {
            std::lock_guard lock(mutex);
            if (!AdvanceReadLocked(job, wait))
                break;
        }
        WaitOutside(wait);
    }
    if (done != nullptr)
        *done = job.got;
    if (job.error != ERROR_SUCCESS) {
        SetLastError(job.error);
        return FALSE;
    }
    return TRUE;
}

// --- Waiting -----------------------------------------------------------------------------------

bool SerialPort::IsHandleClosed() const {
    HANDLE own = handle;
    if (own == nullptr)
        return false;
    DWORD savedError = GetLastError();
    bool isGone = LookupHandle(own).get() != this;
    SetLastError(savedError);
    return isGone;
}

void SerialPort::WaitOutside(const WaitPlan& wait) {
    if (IsHandleClosed()) {
        isClosed = true;
        return;
    }
    SerialDeadline until = wait.until.Earlier(SerialDeadline::After(waitSlice));
    if (until.HasPassed())
        return;
    ThreadWaitPoint();
    UseFineTimerSlack();
    device->Wait(wait.events, until);
    // The device has one wake-up for all its waiters. One meant for a WaitForWork that this wait
    // took is passed on: that wait may be long.
    if (isWakeRequested && workWaiters > 0)
        device->Wake();
    ThreadWaitPoint();
}

// --- Settings and status -----------------------------------------------------------------------

DWORD SerialPort::Setup(DWORD newInputSize, DWORD newOutputSize) {
    std::lock_guard lock(mutex);
    if (DWORD error = PumpLocked(); error != ERROR_SUCCESS)
        return error;
    if (newInputSize != 0) {
        inputSize = newInputSize;
        block.XonLim = QuarterOf(newInputSize);
        block.XoffLim = QuarterOf(newInputSize);
    }
    if (newOutputSize != 0)
        outputSize = newOutputSize;
    return UpdateInputFlowLocked();
}

DWORD SerialPort::GetState(DCB& state) {
    std::lock_guard lock(mutex);
    DWORD error = PumpLocked();
    if (error == ERROR_SUCCESS)
        state = block;
    return error;
}

DWORD SerialPort::SetState(const DCB& state) {
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard lock(mutex);
        error = PumpLocked();
        if (error == ERROR_SUCCESS)
            error = IsValidState(state, inputSize) ? ConfigureLocked(state) : ERROR_INVALID_PARAMETER;
    }
    // A write held by a flow rule that no longer applies goes on now.
    device->Wake();
    return error;
}

DWORD SerialPort::GetTimeouts(COMMTIMEOUTS& current) {
    std::lock_guard lock(mutex);
    DWORD error = PumpLocked();
    if (error == ERROR_SUCCESS)
        current = timeouts;
    return error;
}

DWORD SerialPort::SetTimeouts(const COMMTIMEOUTS& wanted) {
    if (wanted.ReadIntervalTimeout == MAXDWORD && wanted.ReadTotalTimeoutMultiplier == MAXDWORD &&
        wanted.ReadTotalTimeoutConstant == MAXDWORD)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard lock(mutex);
    DWORD error = PumpLocked();
    if (error == ERROR_SUCCESS)
        timeouts = wanted;
    return error;
}

DWORD SerialPort::Purge(DWORD flags) {
    if (flags == 0 || (flags & ~allPurgeFlags) != 0)
        return ERROR_INVALID_PARAMETER;
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard lock(mutex);
        error = PumpLocked();
        writeAborts += (flags & PURGE_TXABORT) ? 1 : 0;
        readAborts += (flags & PURGE_RXABORT) ? 1 : 0;
        bool clearsInput = (flags & PURGE_RXCLEAR) != 0;
        bool clearsOutput = (flags & PURGE_TXCLEAR) != 0;
        if (error == ERROR_SUCCESS)
            error = device->Discard(clearsInput, clearsOutput);
        if (error == ERROR_SUCCESS && clearsOutput)
            wireFreeAt = Clock::now();
        if (error == ERROR_SUCCESS && clearsInput) {
            input.clear();
            error = UpdateInputFlowLocked();
        }
    }
    device->Wake();
    return error;
}

DWORD SerialPort::ClearErrors(DWORD& errors, COMSTAT& status) {
    std::lock_guard lock(mutex);
    DWORD lines = 0;
    DWORD error = PumpLocked(true);
    if (error == ERROR_SUCCESS)
        error = device->ModemStatus(lines);
    if (error == ERROR_SUCCESS)
        linesAtLastStatus = lines;
    status = {};
    if (error == ERROR_SUCCESS)
        error = OutputQueueLocked(Clock::now(), status.cbOutQue);
    if (error != ERROR_SUCCESS) {
        status = {};
        return error;
    }
    errors = pendingErrors;
    pendingErrors = 0;
    status.fCtsHold = block.fOutxCtsFlow && !(lines & MS_CTS_ON);
    status.fDsrHold = block.fOutxDsrFlow && !(lines & MS_DSR_ON);
    status.fXoffHold = isXoffReceived;
    status.fXoffSent = isXoffSent;
    status.cbInQue = static_cast<DWORD>(input.size());
    return ERROR_SUCCESS;
}

// Win32's driver refuses to set a line that a handshake or RTS toggle drives.
DWORD SerialPort::Escape(DWORD function) {
    DWORD error = ERROR_SUCCESS;
    {
        std::lock_guard lock(mutex);
        error = PumpLocked();
        if (error != ERROR_SUCCESS)
            return error;
        bool isRtsDriven =
            block.fRtsControl == RTS_CONTROL_HANDSHAKE || block.fRtsControl == RTS_CONTROL_TOGGLE;
        bool isDtrDriven = block.fDtrControl == DTR_CONTROL_HANDSHAKE;
        switch (function) {
        case SETXOFF:
        case SETXON:
            isXoffReceived = function == SETXOFF;
            break;
        case SETRTS:
        case CLRRTS:
            error = isRtsDriven ? ERROR_INVALID_PARAMETER : device->SetRts(function == SETRTS);
            isRtsOn = error == ERROR_SUCCESS ? function == SETRTS : isRtsOn;
            break;
        case SETDTR:
        case CLRDTR:
            error = isDtrDriven ? ERROR_INVALID_PARAMETER : device->SetDtr(function == SETDTR);
            isDtrOn = error == ERROR_SUCCESS ? function == SETDTR : isDtrOn;
            break;
        case SETBREAK:
        case CLRBREAK:
            error = device->SetBreak(function == SETBREAK);
            isBreakOn = error == ERROR_SUCCESS ? function == SETBREAK : isBreakOn;
            break;
        default:
            error = ERROR_INVALID_PARAMETER;
            break;
        }
    }
    device->Wake();
    return error;
}

DWORD SerialPort::ModemStatus(DWORD& lines) {
    std::lock_guard lock(mutex);
    DWORD error = PumpLocked();
    return error != ERROR_SUCCESS ? error : device->ModemStatus(lines);
}

// The port has work when input waits, or when output was asked for and the line could take it
// now. Until then the wait is for input (an XON also arrives as input), for the moment the
// line-speed clock says the last byte is out, for a wake-up, for the handle's close, or for a
// change of a modem line that holds the output. A quiet line costs no wake-up however long the
// wait, except on a device whose lines must be looked at (a UART under hardware flow control):
// there they are looked at every modemLookInterval.
DWORD SerialPort::WaitForWork(DWORD milliseconds, bool wantsOutputDrained) {
    SerialDeadline deadline = SerialDeadline::AfterMilliseconds(milliseconds);
    ++workWaiters;
    struct Leave {
        std::atomic<int>& waiters;
        ~Leave() { --waiters; }
    } leave{workWaiters};
    for (;;) {
        WaitPlan wait{SerialEvents::Input, deadline};
        bool looksAtLines = false;
        if (isWakeRequested.exchange(false))
            return ERROR_SUCCESS;
        {
            std::lock_guard lock(mutex);
            if (DWORD error = PumpLocked(); error != ERROR_SUCCESS)
                return error;
            if (!input.empty())
                return ERROR_SUCCESS;
            DWORD lines = 0;
            const DWORD holdMask =
                (block.fOutxCtsFlow ? MS_CTS_ON : 0) | (block.fOutxDsrFlow ? MS_DSR_ON : 0);
            if (wantsOutputDrained || holdMask != 0) {
                if (DWORD error = device->ModemStatus(lines); error != ERROR_SUCCESS)
                    return error;
            }
            if (holdMask != 0) {
                // A change since the caller's last status look is work, also one that came just
                // before this wait began.
                if ((lines & holdMask) != (linesAtLastStatus & holdMask))
                    return ERROR_SUCCESS;
                looksAtLines = !device->SignalsModemChanges();
            }
            if (wantsOutputDrained) {
                Clock::time_point now = Clock::now();
                DWORD queued = 0;
                if (DWORD error = OutputQueueLocked(now, queued); error != ERROR_SUCCESS)
                    return error;
                if (!IsOutputHeldLocked(lines)) {
                    if (queued == 0)
                        return ERROR_SUCCESS;
                    if (TransmitterFreeAtLocked() > now)
                        wait.until = wait.until.Earlier(SerialDeadline::At(TransmitterFreeAtLocked()));
                }
            }
        }
        if (deadline.HasPassed() || isClosed || IsHandleClosed())
            return ERROR_SUCCESS;
        if (looksAtLines)
            wait.until = wait.until.Earlier(SerialDeadline::After(modemLookInterval));
        // Unlike the waits of ReadFile and WriteFile this one is no thread wait point: a thread
        // suspended in here would keep the device open through a re-open of the port. The
        // caller's next Sleep is where a suspension takes hold.
        UseFineTimerSlack();
        device->Wait(wait.events, wait.until);
    }
}

// The request stays until a wait takes it, so a wake-up that comes just before the wait begins
// still ends it.
DWORD SerialPort::WakeWaiter() {
    isWakeRequested = true;
    device->Wake();
    return ERROR_SUCCESS;
}

// --- Opening -----------------------------------------------------------------------------------

bool OpenSerialPortByName(LPCSTR name, DWORD access, HANDLE& handle) {
    std::string key = SerialPortKey(name);
    if (key.empty() && !IsSerialTerminalPath(name))
        return false;
    handle = INVALID_HANDLE_VALUE;
    DWORD error = ERROR_FILE_NOT_FOUND;
    std::unique_ptr<SerialDevice> device;
    if (key.empty()) {
        device = OpenTermiosDevice(name, error);
    } else if (SerialPortMapping mapping = MapSerialPort(key); mapping.source == SerialPortSource::Attached) {
        device = OpenAttachedLine(key, error);
    } else if (mapping.source != SerialPortSource::None && IsNetworkPortAddress(mapping.device)) {
        device = OpenNetworkDevice(mapping.device, error);
    } else if (mapping.source != SerialPortSource::None) {
        device = OpenTermiosDevice(mapping.device, error);
    }
    if (device == nullptr) {
        SetLastError(error);
        return true;
    }
    auto port = std::make_shared<SerialPort>(std::move(device), access);
    if (error = port->Start(); error != ERROR_SUCCESS) {
        SetLastError(error);
        return true;
    }
    handle = InsertHandle(port);
    port->SetHandle(handle);
    return true;
}

} // namespace platform
