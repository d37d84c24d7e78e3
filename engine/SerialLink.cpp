#include "engine/SerialLink.h"

#include "framework/SystemErrorText.h"
#include "platform/Extras.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace engine {

using framework::String;

namespace {

// The flow-control names, in the order they are compared (exact, case-sensitive).
struct FlowRow {
    const char* name;
    bool hardware;
    bool software;
};

const FlowRow flowRows[] = {
    {"Combined", true, true},
    {"Hardware", true, false},
    {"Xon/Xoff", false, true},
    {"None", false, false},
};

// The name to open: ports beyond COM9 only open in the device form "\\.\COM10", as on Win32; the
// settings hold the plain name.
String OpenName(const String& port) {
    String upper(port);
    const bool isNumberedPort = upper.FindText("COM", 1, true) == 1 && upper.Length() >= 5;
    for (int32_t position = 4; isNumberedPort && position <= upper.Length(); ++position) {
        if (upper.At(position) < '0' || upper.At(position) > '9') {
            return port;
        }
    }
    return isNumberedPort ? String("\\\\.\\").Concat(port) : port;
}

} // namespace

SerialLink::SerialLink(CommsSettings& settings, LinkView& view)
    : settings(settings), view(view), port(INVALID_HANDLE_VALUE) {
    dcb.DCBlength = sizeof dcb;
}

SerialLink::~SerialLink() {
    ClosePort();
}

String SerialLink::DeviceControlString(const CommsSettings& settings) {
    String text;
    return text.Format("baud=%s parity=%c data=%s stop=%s", settings.baudRate.CStr(), settings.parity.At(1),
                       settings.dataBits.CStr(), settings.stopBits.CStr());
}

void SerialLink::ApplyFlowControl(DCB& block, const String& flowControl, bool suppressSoftwareFlow) {
    block.fDsrSensitivity = 0;
    for (const FlowRow& row : flowRows) {
        if (std::strcmp(flowControl.CStr(), row.name) != 0) {
            continue;
        }
        block.fOutxCtsFlow = row.hardware ? 1 : 0;
        block.fOutxDsrFlow = row.hardware ? 1 : 0;
        block.fDtrControl = row.hardware ? DTR_CONTROL_HANDSHAKE : DTR_CONTROL_ENABLE;
        block.fDsrSensitivity = row.hardware ? 1 : 0;
        block.fRtsControl = row.hardware ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
        const bool software = row.software && !suppressSoftwareFlow;
        block.fOutX = software ? 1 : 0;
        block.fInX = software ? 1 : 0;
        return;
    }
}

String SerialLink::Printable(const char* bytes, int32_t count) {
    String text;
    for (int32_t i = 0; i < count; ++i) {
        const unsigned char byte = static_cast<unsigned char>(bytes[i]);
        if (byte >= 0x20 && byte <= 0x7F) {
            text.Append(static_cast<char>(byte));
        } else {
            text.AppendFormat("[%02x]", byte);
        }
    }
    return text;
}

void SerialLink::SetCaption(const String& text) {
    {
        std::lock_guard lock(mutex);
        caption = text;
    }
    view.SetCaption(text.CStr());
}

String SerialLink::CaptionText() const {
    std::lock_guard lock(mutex);
    return caption;
}

COMSTAT SerialLink::LineStatus() const {
    std::lock_guard lock(mutex);
    return lineStatus;
}

void SerialLink::Purge() {
    PurgeComm(port, PURGE_TXCLEAR);
    PurgeComm(port, PURGE_RXCLEAR);
}

void SerialLink::ReportPortError(const char* stepName) {
    const DWORD code = GetLastError() & 0xFFFF;
    String text;
    text.Format("%s\n%s", settings.port.CStr(), framework::SystemErrorText(code).CStr());
    view.ShowPortError(stepName, text.CStr());
}

void SerialLink::ApplyPortSettings(bool suppressSoftwareFlow) {
    if (port != INVALID_HANDLE_VALUE) {
        Purge();
        if (!CloseHandle(port)) {
            ReportPortError("Close Previous Connection");
        }
        port = INVALID_HANDLE_VALUE;
    }
    suppressesSoftwareFlow = suppressSoftwareFlow;
    {
        std::lock_guard lock(mutex);
        isStatusFailing = false;
    }
    HANDLE opened = CreateFileA(OpenName(settings.port).CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    // The poll thread is suspended or not yet started while the port changes.
    port = opened;
    if (port == INVALID_HANDLE_VALUE) {
        ReportPortError("Open Comm");
    }
    ConfigureOpenedPort();
}

bool SerialLink::ReconnectPort() {
    HANDLE opened = CreateFileA(OpenName(settings.port).CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        return false;
    }
    if (port != INVALID_HANDLE_VALUE) {
        // A lost port has nothing left to purge, and closing it cannot fail in a way worth a box.
        CloseHandle(port);
    }
    port = opened;
    {
        std::lock_guard lock(mutex);
        isStatusFailing = false;
    }
    ConfigureOpenedPort();
    return true;
}

bool SerialLink::IsPortLost() const {
    std::lock_guard lock(mutex);
    return port == INVALID_HANDLE_VALUE || isStatusFailing;
}

// The caption names the port and its settings once they are all in force, else "No Link".
void SerialLink::ConfigureOpenedPort() {
    String text;
    text.Format("%s - %s", settings.profileName.CStr(), "No Link");
    if (port != INVALID_HANDLE_VALUE) {
        const String control = DeviceControlString(settings);
        if (!SetupComm(port, InputQueueSize, OutputQueueSize)) {
            ReportPortError("Set Comm Buffer Sizes");
        }
        if (!GetCommState(port, &dcb)) {
            ReportPortError("Get Comm State");
        }
        COMMTIMEOUTS timeouts{MAXDWORD, 0, 0, 0, 0};
        if (!BuildCommDCBA(control.CStr(), &dcb)) {
            ReportPortError("Update Comm State");
        } else {
            ApplyFlowControl(dcb, settings.flowControl, suppressesSoftwareFlow);
            if (!SetCommState(port, &dcb)) {
                ReportPortError("Set Comm State");
            } else if (!SetCommTimeouts(port, &timeouts)) {
                ReportPortError("Setup_Timeouts");
            } else {
                text.Format("%s %s:%s,%c,%s,%s,%s", settings.profileName.CStr(), settings.port.CStr(),
                            settings.baudRate.CStr(), settings.parity.At(1), settings.dataBits.CStr(),
                            settings.stopBits.CStr(), settings.flowControl.CStr());
            }
        }
        Purge();
    }
    {
        std::lock_guard lock(mutex);
        linkCaption = text;
    }
    SetCaption(text);
}

// Both threads check the status: the poll, and the pacing waits of whichever thread queues bytes.
bool SerialLink::CheckStatus() {
    const auto now = std::chrono::steady_clock::now();
    bool wasFailing = false;
    {
        std::lock_guard lock(mutex);
        wasFailing = isStatusFailing;
        // A port that stopped answering is tried once a second, quietly, until it answers again.
        if (wasFailing && now - lastStatusTry < StatusRetryInterval) {
            return false;
        }
        lastStatusTry = now;
    }
    COMSTAT status{};
    DWORD errors = 0;
    if (!ClearCommError(port, &errors, &status)) {
        bool isFirstFailure = false;
        {
            std::lock_guard lock(mutex);
            isFirstFailure = !std::exchange(isStatusFailing, true);
        }
        if (isFirstFailure) {
            ReportPortError("Comms Status Check");
            String text;
            SetCaption(text.Format("%s - %s", settings.profileName.CStr(), "No Link"));
            OnPortLost();
        }
        return false;
    }
    String restored;
    {
        std::lock_guard lock(mutex);
        errorMask = errors;
        lineStatus = status;
        if (std::exchange(isStatusFailing, false)) {
            restored = linkCaption;
        }
    }
    if (!restored.IsEmpty()) {
        SetCaption(restored);
    }
    return true;
}

bool SerialLink::PollPort() {
    if (port == INVALID_HANDLE_VALUE || !CheckStatus()) {
        ProbeLostPort();
        OnPollDone();
        return false;
    }
    CheckLineStatus();
    DWORD flags = 0;
    DWORD inputQueue = 0;
    DWORD outputQueue = 0;
    {
        std::lock_guard lock(mutex);
        std::memcpy(&flags, &lineStatus, sizeof flags);
        for (int bit = 0; bit < HoldFlagCount; ++bit) {
            holdFlags[bit] = (flags >> bit) & 1;
        }
        inputQueue = lineStatus.cbInQue;
        outputQueue = lineStatus.cbOutQue;
    }
    const bool read = inputQueue > 0 && ReadPortData();
    const bool canTransmit = outputQueue == 0 && (flags & (1u << XoffHold)) == 0;
    const bool written = canTransmit && ServiceTransmitter();
    const int32_t received = ReceiveCount();
    if (received > 0) {
        ProcessReceived();
    }
    {
        // Lines are taken one or two per poll; when more wait, the poll comes again at once.
        std::lock_guard lock(mutex);
        isInputPending = receiveCount > 0 && receiveCount < received;
    }
    // Between two program lines the poll finds nothing to do while the last line is on the wire:
    // the line is quiet only when nothing is queued and no download is under way.
    const bool isSending = IsSendingProgram();
    HandOverMonitorText(read || written || outputQueue > 0 || isSending);
    OnPollDone();
    return read || written || (canTransmit && isSending);
}

// A lost port (or one that never opened) is opened and closed again every ReconnectInterval; the
// first time that works, the window thread is asked to reconnect. The poll never swaps the handle
// itself: the window thread uses it too.
void SerialLink::ProbeLostPort() {
    const auto now = std::chrono::steady_clock::now();
    if (!IsPortLost() || now - lastReconnectProbe < ReconnectInterval) {
        return;
    }
    lastReconnectProbe = now;
    HANDLE probe = CreateFileA(OpenName(settings.port).CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        return;
    }
    CloseHandle(probe);
    OnPortBack();
}

// The window waits while it takes the monitor text, so during a transfer the text of many poll
// cycles goes in one hand-over: the window then costs the line nothing per program line. Every
// byte still reaches the monitor, in the order it moved.
void SerialLink::HandOverMonitorText(bool isMoving) {
    const auto now = std::chrono::steady_clock::now();
    if (isMoving && now - lastMonitorHandOver < MonitorHandOverInterval) {
        return;
    }
    String text;
    {
        std::lock_guard lock(mutex);
        if (monitorLine.IsEmpty()) {
            return;
        }
        text = std::move(monitorLine);
        monitorLine = String();
    }
    lastMonitorHandOver = now;
    view.MonitorUpdate(text);
}

bool SerialLink::ReadPortData() {
    int32_t freeSpace = 0;
    {
        std::lock_guard lock(mutex);
        freeSpace = ReceiveBufferSize - receiveCount;
        if (freeSpace == 0) {
            // Nobody consumed 4000 bytes: they are dropped, and the status says so until the next
            // successful read.
            receiveCount = 0;
            state = StateOverrun;
            return false;
        }
        if (state == StateOverrun) {
            state = StateWaiting;
        }
    }
    char arrived[ReceiveBufferSize];
    DWORD count = 0;
    if (!ReadFile(port, arrived, static_cast<DWORD>(freeSpace), &count, nullptr)) {
        ReportPortError("Read Data");
        return false;
    }
    if (count == 0) {
        return false;
    }
    String transmitted;
    {
        std::lock_guard lock(mutex);
        transmitted = std::move(transmitRecord);
        transmitRecord = String();
    }
    if (!transmitted.IsEmpty()) {
        const String record = String("TX ").Concat(transmitted);
        LogRecord(record.CStr(), false);
        std::lock_guard lock(mutex);
        monitorLine.AppendFormat("%s\n", record.CStr());
    }
    const String record = String("RX ").Concat(Printable(arrived, static_cast<int32_t>(count)));
    LogRecord(record.CStr(), true);
    bool isLoopback = false;
    {
        std::lock_guard lock(mutex);
        std::memcpy(receiveBuffer + receiveCount, arrived, count);
        receiveCount += static_cast<int32_t>(count);
        receiveActivity = true;
        if (transmittedLineOpen) {
            monitorLine.Append('\n');
            transmittedLineOpen = false;
        }
        // The record may be longer than a format expansion holds.
        monitorLine.Append(record).Append('\n');
        isLoopback = state == StateLoopbackTest;
    }
    if (isLoopback) {
        CheckLoopbackEcho();
    }
    ProcessReceived();
    return true;
}

bool SerialLink::ServiceTransmitter() {
    const bool wrote = FlushTransmitBuffer() > 0;
    OnTransmitReady();
    return wrote;
}

int32_t SerialLink::FlushTransmitBuffer() {
    char outgoing[TransmitBufferSize];
    int32_t count = 0;
    std::lock_guard order(flushMutex);
    {
        std::lock_guard lock(mutex);
        if (!transmitPending) {
            return 0;
        }
        transmitPending = false;
        count = transmitCount;
        if (count == 0) {
            return 0;
        }
        std::memcpy(outgoing, transmitBuffer, count);
        transmitCount = 0;
        transmitActivity = true;
    }
    // One synchronous write of the whole buffer, outside the lock: it lasts as long as the line
    // takes to carry the bytes.
    DWORD written = 0;
    WriteFile(port, outgoing, static_cast<DWORD>(count), &written, nullptr);
    return count;
}

bool SerialLink::QueueBytes(const char* bytes, int32_t count) {
    std::lock_guard lock(mutex);
    if (count < 0 || transmitCount + count > TransmitBufferSize) {
        return false;
    }
    std::memcpy(transmitBuffer + transmitCount, bytes, count);
    transmitCount += count;
    transmitPending = true;
    return true;
}

bool SerialLink::AppendTransmitByteLocked(char byte) {
    if (transmitCount >= TransmitBufferSize) {
        return false;
    }
    transmitBuffer[transmitCount++] = byte;
    transmitPending = true;
    // Bytes queued by another thread (the loopback test, a refusal after the transmit delay)
    // end the poll's wait, which was for input only.
    if (isPollWaiting && port != INVALID_HANDLE_VALUE) {
        platform::WakeCommWait(port);
    }
    return true;
}

bool SerialLink::IsLineQuiet() {
    if (isPollHoldWanted || IsSendingProgram()) {
        return false;
    }
    std::lock_guard lock(mutex);
    return port != INVALID_HANDLE_VALUE && !isStatusFailing && !transmitPending && transmitCount == 0 &&
           lineStatus.cbOutQue == 0 && lineStatus.cbInQue == 0 && !isInputPending;
}

// The wake-up stays until a wait takes it, so it also ends a pause that has yet to begin.
void SerialLink::WakePoll() {
    if (port != INVALID_HANDLE_VALUE) {
        platform::WakeCommWait(port);
    }
}

int32_t SerialLink::ExtractLine(char terminator, bool keepTerminator, String& message) {
    message = String();
    std::lock_guard lock(mutex);
    const void* found = std::memchr(receiveBuffer, terminator, static_cast<size_t>(receiveCount));
    if (found == nullptr) {
        return 0;
    }
    const int32_t length = static_cast<int32_t>(static_cast<const char*>(found) - receiveBuffer) + 1;
    char copied[ReceiveBufferSize];
    int32_t count = 0;
    // The terminator ends the message and is kept only on request, also when it is printable
    // (the loopback test's "@").
    for (int32_t i = 0; i + 1 < length; ++i) {
        const unsigned char value = static_cast<unsigned char>(receiveBuffer[i]);
        if (value >= 0x20 && value <= 0x7E) {
            copied[count++] = receiveBuffer[i];
        }
    }
    if (keepTerminator) {
        copied[count++] = terminator;
    }
    message.Append(copied, count);
    std::memmove(receiveBuffer, receiveBuffer + length, static_cast<size_t>(receiveCount - length));
    std::memset(receiveBuffer + receiveCount - length, 0, static_cast<size_t>(length));
    receiveCount -= length;
    return count;
}

void SerialLink::WaitForPortWork(DWORD milliseconds) {
    bool isOutputWaiting = false;
    {
        std::lock_guard lock(mutex);
        if (isInputPending) {
            platform::ThreadWaitPoint();
            return;
        }
        isOutputWaiting = transmitPending;
        isPollWaiting = true;
    }
    // Without a port (or with one that has gone) the pause is a plain sleep; the poll's own
    // status check reports the port.
    const bool hasWaited =
        port != INVALID_HANDLE_VALUE && platform::WaitForCommWork(port, milliseconds, isOutputWaiting);
    {
        std::lock_guard lock(mutex);
        isPollWaiting = false;
    }
    if (!hasWaited) {
        Sleep(std::min(milliseconds, FailedWaitPause));
    } else {
        // The port's wait is no suspension point; a suspension (while the settings are re-applied)
        // takes hold here, outside every port call. No yield: the next poll may be due at once.
        platform::ThreadWaitPoint();
    }
}

void SerialLink::AbortPendingCalls() {
    if (port != INVALID_HANDLE_VALUE) {
        PurgeComm(port, PURGE_TXABORT | PURGE_RXABORT);
    }
    WakePoll();
}

void SerialLink::ClosePort() {
    if (port == INVALID_HANDLE_VALUE) {
        return;
    }
    Purge();
    CloseHandle(port);
    port = INVALID_HANDLE_VALUE;
}

bool SerialLink::IsOpen() const {
    return port != INVALID_HANDLE_VALUE;
}

int32_t SerialLink::State() const {
    std::lock_guard lock(mutex);
    return state;
}

void SerialLink::SetState(int32_t newState) {
    std::lock_guard lock(mutex);
    state = newState;
}

void SerialLink::BeginTransfer(int32_t firstState) {
    std::lock_guard lock(mutex);
    state = firstState;
    ++transferSerial;
}

int32_t SerialLink::ReceiveCount() const {
    std::lock_guard lock(mutex);
    return receiveCount;
}

String SerialLink::TakeReceived() {
    std::lock_guard lock(mutex);
    String received;
    received.Append(receiveBuffer, receiveCount);
    receiveCount = 0;
    return received;
}

int32_t SerialLink::TransmitCount() const {
    std::lock_guard lock(mutex);
    return transmitCount;
}

bool SerialLink::HoldFlagSet(HoldFlag flag) const {
    std::lock_guard lock(mutex);
    return holdFlags[flag];
}

bool SerialLink::TakeReceiveActivity() {
    std::lock_guard lock(mutex);
    return std::exchange(receiveActivity, false);
}

bool SerialLink::TakeTransmitActivity() {
    std::lock_guard lock(mutex);
    return std::exchange(transmitActivity, false);
}

} // namespace engine
