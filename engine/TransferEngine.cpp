#include "engine/TransferEngine.h"

#include "engine/ActivityLog.h"
#include "engine/HighResSeconds.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>
#include <utility>

namespace engine {

using framework::String;

namespace {

// The line pause looks at the port at least this often, so that hold changes are logged as they
// come.
constexpr double statusCheckInterval = 0.001;

const char* const holdTexts[SerialLink::HoldFlagCount] = {
    "CTS Hold=%i  ", "DSR Hold=%i  ", "RLS Hold=%i  ", "XOff Hold=%i  ", "XOff Sent=%i  ",
};

} // namespace

TransferEngine::TransferEngine(CommsSettings& settings, LinkView& view) : SerialLink(settings, view) {}

TransferEngine::~TransferEngine() {
    if (pollThread != nullptr) {
        pollThread->RequestStop();
        AbortPendingCalls();
        pollThread->Stop(false);
    }
}

// --- The window's life ---------------------------------------------------------------------------

void TransferEngine::ResetWorkingState() {
    TakeReceived();
    std::lock_guard lock(Lock());
    EngineState() = TransferState::Waiting;
}

void TransferEngine::StartStatusRefresh() {
    statusRefreshTimer = std::make_unique<framework::Timer>(
        [this] {
            if (!IsStatusRefreshPaused()) {
                UpdateStatus();
            }
            RestStatusRefreshWhenQuiet();
        },
        StatusRefreshInterval, true);
}

TransferEngine::ShownState TransferEngine::ShownStateLocked() const {
    ShownState shown;
    shown.state = EngineState();
    shown.done = transfer.byteCount;
    shown.total = transfer.total;
    shown.transfer = TransferSerialLocked();
    for (int flag = 0; flag < HoldFlagCount; ++flag) {
        shown.holdFlags |= HoldFlagLocked(static_cast<HoldFlag>(flag)) ? 1u << flag : 0u;
    }
    shown.isPortLost = IsPortLostLocked();
    shown.isRefreshPaused = isStatusRefreshPaused;
    return shown;
}

// A link that waits for requests has nothing new to show: ten refreshes a second would only wake
// the window thread to draw nothing. So once a refresh finds everything as the one before it did,
// with no byte moved and the Rx and Tx lamps dark, the refresh rests until the poll sees a change.
void TransferEngine::RestStatusRefreshWhenQuiet() {
    bool rests = false;
    {
        std::lock_guard lock(Lock());
        const ShownState shown = ShownStateLocked();
        rests = shown == lastShownState && !HasActivityLocked() && !isUpdatingStatus &&
                pendingOutcome.IsEmpty() && !lampStates[static_cast<int>(LinkView::Lamp::Rx)] &&
                !lampStates[static_cast<int>(LinkView::Lamp::Tx)];
        lastShownState = shown;
        isStatusRefreshResting = rests;
    }
    if (rests && statusRefreshTimer != nullptr) {
        statusRefreshTimer->Stop();
    }
}

// Poll thread. The decision to rest and this look are both made under the lock, so a change is
// either seen by the refresh before it rests or found here after.
void TransferEngine::OnPollDone() {
    {
        std::lock_guard lock(Lock());
        if (!isStatusRefreshResting || (ShownStateLocked() == lastShownState && !HasActivityLocked())) {
            return;
        }
        isStatusRefreshResting = false;
    }
    View().PostToWindowThread([this] { WakeStatusRefresh(); });
}

void TransferEngine::WakeStatusRefresh() {
    {
        std::lock_guard lock(Lock());
        isStatusRefreshResting = false;
    }
    if (statusRefreshTimer != nullptr && !statusRefreshTimer->IsActive()) {
        statusRefreshTimer->Start(true);
    }
}

void TransferEngine::StartPolling() {
    pollThread = std::make_unique<PortPollThread>(*this);
    pollThread->Start();
}

void TransferEngine::ApplySettingsChange() {
    SuspendPolling();
    ApplyPortSettings(false);
    ResumePolling();
}

void TransferEngine::OnPortBack() {
    View().PostToWindowThread([this] { ReconnectLostPort(); });
}

// Only while the poll thread runs: a link that has closed stays closed.
void TransferEngine::ReconnectLostPort() {
    if (pollThread == nullptr || !IsPortLost()) {
        return;
    }
    SuspendPolling();
    ReconnectPort();
    ResumePolling();
}

void TransferEngine::SuspendPolling() {
    if (pollThread != nullptr) {
        // The poll may be in a long pause on a quiet line: it is woken, and until the hold has
        // taken it keeps to short pauses, so that a wake-up that comes just before its next
        // pause cannot leave the hold waiting for that pause's end.
        SetPollHoldWanted(true);
        WakePoll();
        pollThread->Suspend();
    }
}

// The window thread changed the port: the status refresh looks at once.
void TransferEngine::ResumePolling() {
    if (pollThread != nullptr) {
        pollThread->Resume();
        SetPollHoldWanted(false);
    }
    WakeStatusRefresh();
}

void TransferEngine::ShutDownLink() {
    // The poll thread is stopped and awaited before the port goes, so that it never reports a
    // closed port; a write held by XOFF is ended first so the wait cannot hang.
    if (pollThread != nullptr) {
        pollThread->RequestStop();
        AbortPendingCalls();
        pollThread->Stop(false);
        pollThread.reset();
    }
    transmitDelayTimer.reset();
    statusRefreshTimer.reset();
    ClosePort();
    CloseTransferFile();
    bool isLogging = false;
    {
        std::lock_guard lock(Lock());
        isLogging = traceLog.IsOpen();
    }
    if (isLogging) {
        LogRecord("Application Terminated", false);
        std::lock_guard lock(Lock());
        traceLog.Close();
    }
}

// --- Status --------------------------------------------------------------------------------------

// Both threads update the status. A call that finds another under way (the other thread's, or
// its own thread's from inside a box) leaves its outcome to that one, which logs it when it is
// done: an outcome may last only until the next request, and must be logged all the same.
void TransferEngine::UpdateStatus() {
    String text;
    String number;
    uint64_t serial = 0;
    int32_t state = 0;
    int32_t done = 0;
    {
        std::lock_guard lock(Lock());
        state = EngineState();
        if (isUpdatingStatus) {
            if (TransferState::IsLogged(state)) {
                TransferState::StatusText(state, transfer.path, transfer.byteCount, transfer.total,
                                          pendingOutcome);
                pendingOutcomeNumber = transfer.programNumber;
                pendingOutcomeSerial = TransferSerialLocked();
            }
            return;
        }
        isUpdatingStatus = true;
        TransferState::StatusText(state, transfer.path, transfer.byteCount, transfer.total, statusText);
        text = statusText;
        number = transfer.programNumber;
        serial = TransferSerialLocked();
        done = transfer.byteCount;
    }
    if (TransferState::IsLogged(state)) {
        AppendOutcome(text, number, serial);
    }
    if (state == TransferState::DownloadCompleted) {
        View().HideProgressDialogs();
        View().EnableTransferButtons();
    }
    View().SetProgressDone(done);
    // Padded by hand: a long path may not fit one format expansion.
    while (text.Length() < StatusWidth) {
        text.Append(' ');
    }
    View().SetStatusText(text.CStr());
    RefreshLamps();
    for (;;) {
        String outcome;
        {
            std::lock_guard lock(Lock());
            if (pendingOutcome.IsEmpty()) {
                isUpdatingStatus = false;
                return;
            }
            outcome = std::exchange(pendingOutcome, String());
            number = pendingOutcomeNumber;
            serial = pendingOutcomeSerial;
        }
        AppendOutcome(outcome, number, serial);
    }
}

void TransferEngine::RefreshLamps() {
    constexpr int lampCount = static_cast<int>(LinkView::Lamp::Count);
    bool wanted[lampCount] = {TakeReceiveActivity(), TakeTransmitActivity()};
    bool changed[lampCount] = {};
    {
        std::lock_guard lock(Lock());
        for (int flag = 0; flag < HoldFlagCount; ++flag) {
            wanted[2 + flag] = HoldFlagLocked(static_cast<HoldFlag>(flag));
        }
        for (int lamp = 0; lamp < lampCount; ++lamp) {
            changed[lamp] = wanted[lamp] != lampStates[lamp];
            lampStates[lamp] = wanted[lamp];
        }
    }
    for (int lamp = 0; lamp < lampCount; ++lamp) {
        if (changed[lamp]) {
            View().SetLamp(static_cast<LinkView::Lamp>(lamp), wanted[lamp]);
        }
    }
}

String TransferEngine::StatusText() const {
    std::lock_guard lock(Lock());
    return statusText;
}

String TransferEngine::ProgramNumber() const {
    std::lock_guard lock(Lock());
    return transfer.programNumber;
}

String TransferEngine::TransferPath() const {
    std::lock_guard lock(Lock());
    return transfer.path;
}

int32_t TransferEngine::ByteCount() const {
    std::lock_guard lock(Lock());
    return transfer.byteCount;
}

int32_t TransferEngine::Total() const {
    std::lock_guard lock(Lock());
    return transfer.total;
}

bool TransferEngine::IsStatusRefreshPaused() const {
    std::lock_guard lock(Lock());
    return isStatusRefreshPaused;
}

void TransferEngine::ResumeStatusRefresh() {
    std::lock_guard lock(Lock());
    isStatusRefreshPaused = false;
}

// --- Paced sending -------------------------------------------------------------------------------

bool TransferEngine::WaitForEmptyOutputQueue() {
    for (;;) {
        if (!CheckStatus()) {
            return false;
        }
        CheckLineStatus();
        if (LineStatus().cbOutQue == 0) {
            return true;
        }
        std::this_thread::yield();
    }
}

bool TransferEngine::QueueByte(unsigned char byte, bool withinMessage) {
    return QueueByteInto(byte, withinMessage, nullptr);
}

// Bytes of a formatted message are recorded in the message's own record, logged when the message
// is complete; bytes queued alone (the start code) wait in the link's transmit record for the next
// read.
bool TransferEngine::QueueByteInto(unsigned char byte, bool withinMessage, String* messageRecord) {
    if (!WaitForEmptyOutputQueue()) {
        return false;
    }
    PauseUntil(HighResSeconds() + Settings().charDelay * 0.001);
    const char character = static_cast<char>(byte);
    const String printable = Printable(&character, 1);
    for (;;) {
        {
            std::lock_guard lock(Lock());
            if (AppendTransmitByteLocked(character)) {
                String& monitor = MonitorLine();
                bool& isLineOpen = IsTransmittedLineOpen();
                if (!isLineOpen || !withinMessage) {
                    monitor.Append("TX ");
                    isLineOpen = true;
                }
                (messageRecord != nullptr ? *messageRecord : TransmitRecord()).Append(printable);
                monitor.Append(printable);
                if (byte == '\n' || monitor.Length() > MonitorLineLimit) {
                    monitor.Append('\n');
                    isLineOpen = false;
                }
                return true;
            }
        }
        // The buffer is full: a message longer than the buffer goes out in several writes, in
        // order, rather than being cut.
        FlushTransmitBuffer();
    }
}

void TransferEngine::SendFormatted(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::vector<char> expansion(static_cast<size_t>(needed > 0 ? needed : 0) + 1, '\0');
    std::vsnprintf(expansion.data(), expansion.size(), format, arguments);
    va_end(arguments);
    // The message ends at the first NUL of the expansion, as a C string would.
    SendExpansion(expansion.data(), std::strlen(expansion.data()));
}

void TransferEngine::SendExpansion(const char* bytes, size_t count) {
    String record("TX ");
    for (size_t i = 0; i < count; ++i) {
        QueueByteInto(static_cast<unsigned char>(bytes[i]), true, &record);
    }
    LogRecord(record.CStr(), false);
    if (count > 0) {
        std::lock_guard lock(Lock());
        IsTransmittedLineOpen() = bytes[count - 1] != '\n';
    }
    LinePause();
}

void TransferEngine::LinePause() {
    const double until = HighResSeconds() + Settings().lineDelay * 0.001;
    for (;;) {
        if (!CheckStatus()) {
            return;
        }
        CheckLineStatus();
        if (HighResSeconds() < until) {
            PauseTowards(until, statusCheckInterval);
        } else if (LineStatus().cbOutQue == 0) {
            return;
        } else {
            std::this_thread::yield();
        }
    }
}

// --- Download start ------------------------------------------------------------------------------

void TransferEngine::HandleDownloadRequest() {
    uint64_t request = 0;
    {
        std::lock_guard lock(Lock());
        request = ++downloadRequest;
    }
    if (Settings().sendStartCode) {
        QueueByte(Settings().startCode, false);
    }
    const int32_t delay = Settings().transmitDelay;
    if (delay <= 0) {
        DownloadDelayElapsed();
        return;
    }
    BeginTransfer(TransferState::DownloadWaiting);
    {
        std::lock_guard lock(Lock());
        transfer.byteCount = 0;
    }
    // The framework timers belong to the window thread.
    const DWORD interval = static_cast<DWORD>(delay) * 1000;
    View().PostToWindowThread([this, request, interval] { ArmTransmitDelay(request, interval); });
}

void TransferEngine::ArmTransmitDelay(uint64_t request, DWORD interval) {
    {
        std::lock_guard lock(Lock());
        if (request != downloadRequest) {
            return;
        }
    }
    // A one-shot timer: it stops itself when it fires. A newer request's timer replaces it, and an
    // older one that fires anyway finds its request superseded.
    transmitDelayTimer = std::make_unique<framework::OneShotTimer>(
        [this, request] {
            {
                std::lock_guard lock(Lock());
                if (request != downloadRequest) {
                    return;
                }
            }
            DownloadDelayElapsed();
        },
        interval, true);
}

void TransferEngine::DownloadDelayElapsed() {
    BeginTransfer(TransferState::DownloadPreparation);
    UpdateStatus();
    StartDownload();
    // After the transmit delay this runs on the window thread, and the poll that is to send the
    // program may be in a quiet line's long pause.
    WakePoll();
}

// The general link has no program to send; only the controller's protocol starts downloads.
void TransferEngine::StartDownload() {
    View().SoundBeep();
}

void TransferEngine::CloseTransferFile() {
    std::lock_guard lock(Lock());
    transfer.file.Close();
}

// --- Line status ---------------------------------------------------------------------------------

bool TransferEngine::CheckLineStatus() {
    String record;
    {
        std::lock_guard lock(Lock());
        DWORD current = 0;
        DWORD previous = 0;
        std::memcpy(&current, &LineStatusLocked(), sizeof current);
        std::memcpy(&previous, &previousLineStatus, sizeof previous);
        for (int bit = 0; bit < HoldFlagCount; ++bit) {
            if (((current ^ previous) >> bit) & 1) {
                record.AppendFormat(holdTexts[bit], static_cast<int>((current >> bit) & 1));
            }
        }
        previousLineStatus = LineStatusLocked();
    }
    if (record.IsEmpty()) {
        return false;
    }
    LogRecord(record.CStr(), true);
    return true;
}

// --- Logs ----------------------------------------------------------------------------------------

// A trace log that stops taking records (its disk is full) says so once, not at every record.
void TransferEngine::LogRecord(const char* text, bool forced) {
    bool isFirstFailure = false;
    {
        std::lock_guard lock(Lock());
        LogRecordLocked(String(text), forced);
        isFirstFailure = traceLog.HasFailed() && !std::exchange(isTraceFailureShown, true);
    }
    if (isFirstFailure) {
        View().ShowInfo(LogFileProblem);
    }
}

void TransferEngine::LogRecordLocked(const String& text, bool forced) {
    if (!traceLog.IsOpen() || (!forced && text.Equals(lastLoggedText)) || text.IsEmpty()) {
        return;
    }
    lastLoggedText = text;
    traceLog.Write(text);
}

bool TransferEngine::IsTraceLogOpen() const {
    std::lock_guard lock(Lock());
    return traceLog.IsOpen();
}

void TransferEngine::SetTraceClock(TraceLog::ClockFunction clock) {
    std::lock_guard lock(Lock());
    traceLog = TraceLog(clock);
}

void TransferEngine::DumpSettings() {
    const CommsSettings& s = Settings();
    const char* const rule = "==================== Settings ======================";
    String line;
    LogRecord(rule, false);
    LogRecord(line.Format("Port=%s baud=%s parity=%s data=%s stop=%s flow=%s", s.port.CStr(),
                          s.baudRate.CStr(), s.parity.CStr(), s.dataBits.CStr(), s.stopBits.CStr(),
                          s.flowControl.CStr())
                  .CStr(),
              false);
    LogRecord(line.Format("Upload path=%s Download path=%s Extension=%s", s.uploadPath.CStr(),
                          s.downloadPath.CStr(), s.fileExtension.CStr())
                  .CStr(),
              false);
    LogRecord(line.Format("Transmit delay=%i Character Delay=%i Line Delay=%i", s.transmitDelay, s.charDelay,
                          s.lineDelay)
                  .CStr(),
              false);
    LogRecord(line.Format("Send SOT=%i SOT Character=%i Send EOT=%i EOT Character=%i", s.sendStartCode,
                          static_cast<int>(s.startCode), s.sendEndCode, static_cast<int>(s.endCode))
                  .CStr(),
              false);
    LogRecord(rule, false);
}

void TransferEngine::ToggleTraceLog(bool isPressed) {
    if (!isPressed) {
        if (IsTraceLogOpen()) {
            LogRecord("End of Logging", false);
        }
        std::lock_guard lock(Lock());
        traceLog.Close();
        return;
    }
    {
        std::lock_guard lock(Lock());
        traceLog.Close();
    }
    String named;
    String pattern;
    const std::vector<LinkView::FileFilter> filters = {
        {named.Format("%s (*.%s)", "Log files", "log"), pattern.Format("*.%s", "log")},
        {"All Files (*.*)", "*.*"},
    };
    String chosen;
    if (!View().ChooseSaveFile("Save Log File As", Settings().logSavePath, filters, chosen)) {
        View().SetLogButton(false);
        return;
    }
    Settings().logSavePath = chosen;
    bool isCreated = false;
    {
        std::lock_guard lock(Lock());
        isCreated = traceLog.Create(chosen);
        isTraceFailureShown = false;
    }
    if (!isCreated) {
        View().ShowInfo(LogFileProblem);
        View().SetLogButton(false);
        return;
    }
    LogRecord("Start of logging", false);
    DumpSettings();
}

void TransferEngine::AppendActivityLog() {
    String number;
    String text;
    uint64_t serial = 0;
    {
        std::lock_guard lock(Lock());
        number = transfer.programNumber;
        text = statusText;
        serial = TransferSerialLocked();
    }
    AppendOutcome(text, number, serial);
}

void TransferEngine::AppendOutcome(const String& text, const String& number, uint64_t serial) {
    String path;
    {
        std::lock_guard lock(Lock());
        if (Settings().writeLog == 0 || (serial == lastOutcomeSerial && text.Equals(lastOutcomeText))) {
            return;
        }
        path = Settings().logFile;
    }
    if (!ActivityLog::Append(path, number, text)) {
        // The refresh tries again every 100 ms; the box comes once per outcome.
        bool isNewFailure = false;
        {
            std::lock_guard lock(Lock());
            isNewFailure = !failedActivityText.Equals(text);
            failedActivityText = text;
        }
        if (isNewFailure) {
            View().ShowInfo(LogFileProblem);
        }
        return;
    }
    std::lock_guard lock(Lock());
    lastOutcomeText = text;
    lastOutcomeSerial = serial;
    failedActivityText = String();
}

// --- Loopback test -------------------------------------------------------------------------------

void TransferEngine::StartLoopbackTest() {
    SetState(TransferState::Waiting);
    UpdateStatus();
    {
        std::lock_guard lock(Lock());
        isStatusRefreshPaused = true;
    }
    BeginTransfer(TransferState::LocalLoopbackWaiting);
    SendFormatted("%s%c%c", LoopbackMessage, LoopbackTerminator, 0);
}

bool TransferEngine::CheckLoopbackEcho() {
    String echo;
    if (ExtractLine(LoopbackTerminator, false, echo) == 0) {
        return false;
    }
    if (std::strcmp(echo.CStr(), LoopbackMessage) != 0) {
        return false;
    }
    std::lock_guard lock(Lock());
    EngineState() = TransferState::LocalLoopbackSuccess;
    isStatusRefreshPaused = false;
    return true;
}

} // namespace engine
