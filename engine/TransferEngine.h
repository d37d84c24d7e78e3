#pragma once

#include "engine/LinkView.h"
#include "engine/PortPollThread.h"
#include "engine/SerialLink.h"
#include "engine/TraceLog.h"
#include "engine/TransferState.h"
#include "framework/File.h"
#include "framework/String.h"
#include "framework/services/Timer.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace engine {

// The part of the link that knows what it is doing: the engine state and its status line, the
// progress meter and the lamps, paced queueing of outgoing bytes, the start of a download after
// the transmit delay, the line-status monitor, the trace and activity logs, and the loopback test.
// The controller's line protocol (ControllerProtocol) derives from it and fills the transfers in.
//
// Threads. The window thread owns the framework timers (the 100 ms status refresh, which rests
// while nothing changes, and the transmit delay), the poll thread, the trace-log button and the
// loopback test; the poll thread runs PollPort and, through the hooks, the controller's requests,
// the download pacing and the uploads. Both call UpdateStatus and queue bytes. The one mutex of the link
// guards the engine's fields as well; it is never held across a pause, a port write or a call to the view.
//
// How the main window drives it:
//   initialisation: ApplyPortSettings(false), ResetWorkingState(), StartStatusRefresh(),
//                   StartPolling()
//   settings dialog accepted: ApplySettingsChange()
//   a lost port that comes back is reconnected by itself (the poll finds it, the window thread
//   reopens it)
//   "Log" button: ToggleTraceLog(pressed); "Test" button: StartLoopbackTest()
//   closing: ShutDownLink() (safe to run twice), then the window saves the settings.
class TransferEngine : public SerialLink {
public:
    static constexpr DWORD StatusRefreshInterval = 100;
    static constexpr unsigned char RefusalByte = 0x04;
    static constexpr int32_t StatusWidth = 70;
    // A monitor line longer than this is ended even without a line feed.
    static constexpr int32_t MonitorLineLimit = 255;
    static constexpr const char* LoopbackMessage = "LocalTestMessage";
    static constexpr char LoopbackTerminator = '@';
    static constexpr const char* LogFileProblem = "Unable to write to log file";

    TransferEngine(CommsSettings& settings, LinkView& view);
    ~TransferEngine() override;

    // The window's life.
    void ResetWorkingState();
    void StartStatusRefresh();
    void StartPolling();
    // Re-opens the port from changed settings with the poll thread held.
    void ApplySettingsChange();
    // Holds the poll thread between two polls (while the settings dialog stores its fields, say).
    void SuspendPolling();
    void ResumePolling();
    // The engine's part of closing: the poll thread stopped, the timers gone, the port purged and
    // closed, the transfer file closed, the trace log ended with "Application Terminated".
    void ShutDownLink();

    void UpdateStatus();
    // Paced queueing of one byte; false when the port's status check failed and the byte was
    // dropped.
    bool QueueByte(unsigned char byte, bool withinMessage);
    // A printf-style message queued byte by byte up to the first NUL of its expansion, logged as
    // one "TX " record, then the line pause. The expansion is not cut, so a long program line goes
    // out whole.
    void SendFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void HandleDownloadRequest();
    void DownloadDelayElapsed();
    void CloseTransferFile();

    // The trace log and the activity log.
    void ToggleTraceLog(bool isPressed);
    void DumpSettings();
    void AppendActivityLog();
    // One trace record; a repeat of the last logged text is dropped unless forced.
    void LogRecord(const char* text, bool forced) override;

    void StartLoopbackTest();

    framework::String StatusText() const;
    framework::String ProgramNumber() const;
    framework::String TransferPath() const;
    int32_t ByteCount() const;
    int32_t Total() const;
    bool IsTraceLogOpen() const;
    bool IsStatusRefreshPaused() const;
    // The trace log's clock, for tests of its time stamps.
    void SetTraceClock(TraceLog::ClockFunction clock);

protected:
    // The transfer in progress; guarded by the lock.
    struct Transfer {
        framework::File file{framework::String()};
        framework::String path;
        framework::String programNumber;
        std::vector<framework::String> programLines;
        int32_t lineIndex = 0;
        int32_t byteCount = 0;
        int32_t total = 0;
    };

    void StartDownload() override;
    void OnPortBack() override;
    void OnPollDone() override;
    bool CheckLineStatus() override;
    bool CheckLoopbackEcho() override;

    // A controller request or a finished loopback test brings the status refresh back.
    void ResumeStatusRefresh();
    Transfer& TransferLocked() { return transfer; }

private:
    bool QueueByteInto(unsigned char byte, bool withinMessage, framework::String* messageRecord);
    bool WaitForEmptyOutputQueue();
    void LinePause();
    void SendExpansion(const char* bytes, size_t count);
    void ArmTransmitDelay(uint64_t request, DWORD interval);
    // Window thread: reopens a lost port that the poll found back, unless the link closed meanwhile.
    void ReconnectLostPort();
    void RefreshLamps();
    // What the status refresh shows, to see whether anything changed since it last looked.
    struct ShownState {
        int32_t state = 0;
        int32_t done = 0;
        int32_t total = 0;
        uint64_t transfer = 0;
        unsigned holdFlags = 0;
        bool isPortLost = false;
        bool isRefreshPaused = false;
        bool operator==(const ShownState&) const = default;
    };
    ShownState ShownStateLocked() const;
    // Window thread: the status refresh rests (its timer stopped) once a refresh finds nothing
    // changed and the Rx and Tx lamps dark; the poll wakes it when something changes.
    void RestStatusRefreshWhenQuiet();
    void WakeStatusRefresh();
    void LogRecordLocked(const framework::String& text, bool forced);
    // One outcome's activity-log line, once for each transfer: an outcome shown over several
    // status refreshes is written once, and the next transfer's is written whatever its text.
    void AppendOutcome(const framework::String& text, const framework::String& number, uint64_t serial);

    Transfer transfer;
    framework::String statusText;
    bool isUpdatingStatus = false;
    // An outcome a status update saw while another was under way, for that one to log.
    framework::String pendingOutcome;
    framework::String pendingOutcomeNumber;
    uint64_t pendingOutcomeSerial = 0;
    bool isStatusRefreshPaused = false;
    // The status refresh has rested; the poll thread wakes it with a posted call.
    bool isStatusRefreshResting = false;
    ShownState lastShownState;
    bool lampStates[static_cast<int>(LinkView::Lamp::Count)] = {};
    COMSTAT previousLineStatus{};
    TraceLog traceLog;
    bool isTraceFailureShown = false;
    // The last trace record, which is not written twice in a row unless forced.
    framework::String lastLoggedText;
    // The outcome last written to the activity log, and the transfer it belonged to.
    framework::String lastOutcomeText;
    uint64_t lastOutcomeSerial = 0;
    // The outcome whose activity-log line could not be written; its box is shown once.
    framework::String failedActivityText;
    // Counts download requests, so that a transmit delay of an earlier request never starts one.
    uint64_t downloadRequest = 0;

    // Window thread only.
    std::unique_ptr<framework::Timer> statusRefreshTimer;
    std::unique_ptr<framework::OneShotTimer> transmitDelayTimer;
    std::unique_ptr<PortPollThread> pollThread;
};

} // namespace engine
