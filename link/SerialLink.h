#pragma once

#include "framework/String.h"
#include "link/CommsSettings.h"
#include "link/LinkView.h"
#include "platform/Windows.h"

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

    enum HoldFlag { CtsHold, DsrHold, RlsdHold, XoffHold, XoffSent, HoldFlagCount };

    SerialLink(CommsSettings& settings, LinkView& view);
    SerialLink(const SerialLink&) = delete;
    SerialLink& operator=(const SerialLink&) = delete;
    virtual ~SerialLink();

    virtual void ApplyPortSettings(bool suppressSoftwareFlow);
    void ReportPortError(const char* stepName);
    bool PollPort();
    bool ReadPortData();
    bool ServiceTransmitter();
    int32_t FlushTransmitBuffer();
    // The link's part of the close-down: purge and close the port.
    void ClosePort();

    // Queues bytes for the next flush; refused (false) when they do not fit the transmit buffer.
    bool QueueBytes(const char* bytes, int32_t count);

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
    const framework::String& CaptionText() const { return caption; }
    const COMSTAT& LineStatus() const { return lineStatus; }
    const DCB& DeviceControlBlock() const { return dcb; }

protected:
    // Engine hooks, filled by the transfer engine and the controller protocol.
    virtual void ProcessReceived() {}
    virtual void OnTransmitReady() {}
    virtual void StartDownload() {}
    // Line-status monitor and trace log hooks.
    virtual void CheckLineStatus() {}
    virtual void LogRecord(const char* text, bool forced) {}
    virtual void CheckLoopbackEcho() {}

    std::mutex& Lock() const { return mutex; }
    CommsSettings& Settings() { return settings; }
    LinkView& View() { return view; }
    framework::String& MonitorLine() { return monitorLine; }
    // The printable record of bytes queued outside the formatted sends, logged before the next read.
    framework::String& TransmitRecord() { return transmitRecord; }
    bool& IsTransmittedLineOpen() { return transmittedLineOpen; }

private:
    void SetCaption(const framework::String& text);
    bool CheckStatus();
    void Purge();

    CommsSettings& settings;
    LinkView& view;
    mutable std::mutex mutex;
    HANDLE port;
    DCB dcb{};
    COMSTAT lineStatus{};
    DWORD errorMask = 0;
    bool holdFlags[HoldFlagCount] = {};
    char receiveBuffer[ReceiveBufferSize];
    int32_t receiveCount = 0;
    char transmitBuffer[TransmitBufferSize];
    int32_t transmitCount = 0;
    bool transmitPending = false;
    bool receiveActivity = false;
    bool transmitActivity = false;
    framework::String monitorLine;
    framework::String transmitRecord;
    bool transmittedLineOpen = false;
    int32_t state = StateWaiting;
    framework::String caption;
    framework::String linkCaption;
    // A failed status check is reported once; the port is then tried again once a second.
    bool isStatusFailing = false;
    std::chrono::steady_clock::time_point lastStatusTry{};
};

} // namespace engine
