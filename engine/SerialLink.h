#pragma once

#include "engine/CommsSettings.h"
#include "engine/LinkView.h"
#include "framework/String.h"
#include "platform/Windows.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>

namespace engine {

// The lowest layer of the engine: the one serial port, opened and configured from the settings,
// polled by the port-poll thread, with the receive and transmit buffers between the port and the
// engine. Every failed port call is reported with its step name and the system's error text; the
// state of the link shows in the window caption.
//
// Two threads: the window's thread opens, reconfigures (with the poll thread suspended) and closes
// the port and may queue bytes; the poll thread runs PollPort and everything it calls. One mutex
// guards the buffers, counts, flags, the engine state and the monitor line; it is never held
// across a port write, a pause or a call to the view.
class SerialLink {
public:
    static constexpr int32_t ReceiveBufferSize = 4000;
    static constexpr int32_t TransmitBufferSize = 1000;
    static constexpr DWORD InputQueueSize = 4000;
    static constexpr DWORD OutputQueueSize = 1000;
    // Engine states the link itself sets.
    static constexpr int32_t StateWaiting = 1;
    static constexpr int32_t StateLoopbackTest = 21;
    static constexpr int32_t StateOverrun = 24;
    // How often a port that stopped answering its status check is tried again.
    static constexpr std::chrono::milliseconds StatusRetryInterval{1000};
    // How often the poll looks whether a lost port can be opened again.
    static constexpr std::chrono::milliseconds ReconnectInterval{2000};
    // While bytes keep moving, the monitor text gathers this long between hand-overs to the
    // window; it goes at once when the line falls quiet.
    static constexpr std::chrono::milliseconds MonitorHandOverInterval{20};
    // The pause between two polls when the port's own wait failed (a device going away): the
    // next poll's status check reports it.
    static constexpr DWORD FailedWaitPause = 10;

    enum HoldFlag { CtsHold, DsrHold, RlsdHold, XoffHold, XoffSent, HoldFlagCount };

    SerialLink(CommsSettings& settings, LinkView& view);
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;
    virtual ~SerialLink();

    virtual void ApplyPortSettings(bool suppressSoftwareFlow);
    // Opens the port of the settings again after it was lost or could not be opened, quietly: a
    // port that is still missing gives no box. True when it opened; it is then set up as
    // ApplyPortSettings sets it up. The poll thread is suspended meanwhile.
    bool ReconnectPort();
    // True while there is no working port: none opened, or its status check fails.
    bool IsPortLost() const;
    void ReportPortError(const char* stepName);
    // One poll cycle: reads what arrived, serves the transmitter when the port can take more, and
    // handles received lines. True when the next cycle should come at once: bytes moved, or the
    // transmitter was served while a download has lines left (an empty line is skipped without
    // moving a byte).
    bool PollPort();
    // Gives the window the monitor text gathered so far: at once when the line is quiet, at most
    // every MonitorHandOverInterval while bytes move.
    void HandOverMonitorText(bool isMoving);
    bool ReadPortData();
    bool ServiceTransmitter();
    int32_t FlushTransmitBuffer();
    // The link's part of the close-down: purge and close the port.
    void ClosePort();
    // Ends a read or write in progress on another thread (a write held by XOFF, for instance).
    void AbortPendingCalls();

    // Queues bytes for the next flush; refused (false) when they do not fit the transmit buffer.
    bool QueueBytes(const char* bytes, int32_t count);
    // Moves the first message ended by the terminator out of the receive buffer: its bytes 0x20 to
    // 0x7E (and the terminator when kept) go to message. Returns the number of bytes copied; 0
    // when no terminator has arrived (the partial message waits) or the message held nothing
    // printable (its bytes are gone all the same).
    int32_t ExtractLine(char terminator, bool keepTerminator, framework::String& message);
    // The poll thread's pause between two polls: up to the time, ended early when the port has
    // work (input arrived, or the output queue drained while bytes wait to be flushed), when a
    // modem line that holds the output changed, or when WakePoll was called.
    void WaitForPortWork(DWORD milliseconds);
    // True when nothing will happen on the link before input arrives or another thread asks for
    // something: a working port, nothing queued or on its way out, no input left to handle, no
    // program being sent. The poll thread may then wait as long as it likes.
    bool IsLineQuiet();
    // Ends the poll thread's pause at once (for a suspension, a stop, bytes queued).
    void WakePoll();
    // While a hold of the poll thread is wanted the line is never quiet, so the poll keeps to its
    // short pause and reaches a wait point soon, however its wake-up and the hold interleave.
    void SetPollHoldWanted(bool isWanted) { isPollHoldWanted = isWanted; }

    // The device-control string the settings give, as "baud=%s parity=%c data=%s stop=%s".
    static framework::String DeviceControlString(const CommsSettings& settings);
    // Applies the flow-control table to a device control block.
    static void ApplyFlowControl(DCB& dcb, const framework::String& flowControl, bool suppressSoftwareFlow);
    // The printable form of received bytes: 0x20..0x7F as themselves, others as [hh].
    static framework::String Printable(const char* bytes, int32_t count);

    bool IsOpen() const;
    int32_t State() const;
    void SetState(int32_t state);
    int32_t ReceiveCount() const;
    // Takes the received bytes out of the buffer (for the engine above and for tests).
    framework::String TakeReceived();
    int32_t TransmitCount() const;
    bool HoldFlagSet(HoldFlag flag) const;
    bool TakeReceiveActivity();
    bool TakeTransmitActivity();
    framework::String CaptionText() const;
    COMSTAT LineStatus() const;
    const DCB& DeviceControlBlock() const { return dcb; }

protected:
    // Engine hooks, filled by the transfer engine and the controller protocol.
    virtual void ProcessReceived() {}
    virtual void OnTransmitReady() {}
    // Whether the transmitter is in the middle of sending a program.
    virtual bool IsSendingProgram() { return false; }
    virtual void StartDownload() {}
    // Line-status monitor and trace log hooks.
    virtual bool CheckLineStatus() { return false; }
    virtual void LogRecord(const char* text, bool forced) {}
    virtual bool CheckLoopbackEcho() { return false; }
    // The end of each poll cycle, on the poll thread: the engine looks whether the window has
    // something new to show.
    virtual void OnPollDone() {}

    // Refreshes the line-status record with ClearCommError; false (reported once) when it failed.
    bool CheckStatus();
    // The status check of the port has just failed for the first time (an adapter pulled, a
    // device server gone). Either thread.
    virtual void OnPortLost() {}
    // A lost port opened again when the poll tried it (and was closed again at once): the port is
    // back, for the window thread to reconnect. Poll thread.
    virtual void OnPortBack() {}
    void SetCaption(const framework::String& text);

    // Sets the first state of a transfer (a request being prepared, a loopback test under way): the
    // outcome that follows is this transfer's own, and goes to the activity log even when its text
    // is the same as the last one's.
    void BeginTransfer(int32_t firstState);

    // What follows needs the lock held.
    std::mutex& Lock() const { return mutex; }
    int32_t& EngineState() { return state; }
    int32_t EngineState() const { return state; }
    // Counts the transfers begun; an outcome is logged once for each.
    uint64_t TransferSerialLocked() const { return transferSerial; }
    const COMSTAT& LineStatusLocked() const { return lineStatus; }
    bool HoldFlagLocked(HoldFlag flag) const { return holdFlags[flag]; }
    // Bytes moved since the lamps last took the activity.
    bool HasActivityLocked() const { return receiveActivity || transmitActivity; }
    bool IsPortLostLocked() const { return port == INVALID_HANDLE_VALUE || isStatusFailing; }
    // Appends one byte to the transmit buffer and marks it pending; false when the buffer is full.
    bool AppendTransmitByteLocked(char byte);
    CommsSettings& Settings() { return settings; }
    LinkView& View() { return view; }
    framework::String& MonitorLine() { return monitorLine; }
    // The printable record of bytes queued outside the formatted sends, logged before the next read.
    framework::String& TransmitRecord() { return transmitRecord; }
    bool& IsTransmittedLineOpen() { return transmittedLineOpen; }

private:
    void Purge();
    void ConfigureOpenedPort();
    void ProbeLostPort();

    CommsSettings& settings;
    LinkView& view;
    mutable std::mutex mutex;
    // Keeps flushes from two threads in order: held from taking the buffer to the end of its write.
    std::mutex flushMutex;
    HANDLE port;
    bool suppressesSoftwareFlow = false;
    DCB dcb{};
    COMSTAT lineStatus{};
    DWORD errorMask = 0;
    bool holdFlags[HoldFlagCount] = {};
    char receiveBuffer[ReceiveBufferSize];
    int32_t receiveCount = 0;
    char transmitBuffer[TransmitBufferSize];
    int32_t transmitCount = 0;
    bool transmitPending = false;
    // The last poll consumed received bytes and more wait: the next poll follows at once.
    bool isInputPending = false;
    // The poll thread is in its pause: bytes queued meanwhile must end it.
    bool isPollWaiting = false;
    std::atomic<bool> isPollHoldWanted{false};
    bool receiveActivity = false;
    bool transmitActivity = false;
    framework::String monitorLine;
    framework::String transmitRecord;
    bool transmittedLineOpen = false;
    int32_t state = StateWaiting;
    uint64_t transferSerial = 0;
    framework::String caption;
    framework::String linkCaption;
    // A failed status check is reported once; the port is then tried again once a second.
    bool isStatusFailing = false;
    std::chrono::steady_clock::time_point lastStatusTry{};
    std::chrono::steady_clock::time_point lastMonitorHandOver{}; // poll thread only
    std::chrono::steady_clock::time_point lastReconnectProbe{};  // poll thread only
};

} // namespace engine
