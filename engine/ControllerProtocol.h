#pragma once

#include "engine/TransferEngine.h"
#include "framework/String.h"

namespace engine {

// The cutting-machine controller's line protocol on top of the transfer engine: the controller
// sends lines ended by CR asking for a program ("DOWNLOAD PROGRAM:n"), announcing one
// ("UPLOAD PROGRAM:n"), ending a transfer ("EOF" with "000" for success) or asking for the test
// line ("XYZ"). Program numbers become files in the download and upload folders; a number that
// would leave its folder is refused like a missing file.
//
// Threads: everything runs on the poll thread inside PollPort, except StartDownload after a
// transmit delay, which the window thread's timer runs.
class ControllerProtocol : public TransferEngine {
public:
    static constexpr char LineEnd = '\r';
    static constexpr const char* TestAlphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    // The progress total an upload starts with; it doubles as the file outgrows it.
    static constexpr int32_t UploadTotal = 10000;

    ControllerProtocol(CommsSettings& settings, LinkView& view);

    void StartUpload();
    void WriteUploadLine(const framework::String& text);
    void HandleEndOfFile();
    void SendTestAlphabet();
    // Sets the program number, the transfer path and the caption from the request line; false
    // when the number would leave the folder.
    bool BuildProgramPath(const framework::String& folder);

    framework::String RequestLine() const;
    // Whether a program number stays inside its folder as a file name.
    static bool IsSafeProgramNumber(const framework::String& number);

protected:
    void ProcessReceived() override;
    void OnTransmitReady() override;
    bool IsSendingProgram() override;
    void StartDownload() override;
    void OnPortLost() override;

private:
    framework::String lineTerminator;
    framework::String requestLine;
    // A download went out since the controller's last request: its end-of-file line has one to
    // confirm. Guarded by the lock.
    bool isDownloadSentSinceRequest = false;
};

} // namespace engine
