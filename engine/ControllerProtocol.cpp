#include "engine/ControllerProtocol.h"

#include "framework/Path.h"

#include <utility>

namespace engine {

using framework::File;
using framework::String;

ControllerProtocol::ControllerProtocol(CommsSettings& settings, LinkView& view)
    : TransferEngine(settings, view) {
    lineTerminator.Format("%c%c", 13, 10);
}

String ControllerProtocol::RequestLine() const {
    std::lock_guard lock(Lock());
    return requestLine;
}

// One line per call: the poll calls again for the next.
void ControllerProtocol::ProcessReceived() {
    String message;
    if (ExtractLine(LineEnd, false, message) == 0) {
        return;
    }
    {
        std::lock_guard lock(Lock());
        requestLine = message;
    }
    const bool isEndOfFile = message.FindText("EOF") > 0;
    const bool isUpload = message.FindText("UPLOAD PROGRAM") > 0;
    const bool isDownload = message.FindText("DOWNLOAD PROGRAM") > 0;
    const bool isTestLine = message.FindText("XYZ") > 0;
    if (isEndOfFile || isUpload || isDownload || isTestLine) {
        ResumeStatusRefresh();
    }
    if (isUpload || isDownload || isTestLine) {
        std::lock_guard lock(Lock());
        isDownloadSentSinceRequest = false;
    }
    if (isEndOfFile) {
        HandleEndOfFile();
    }
    if (State() == TransferState::Uploading) {
        WriteUploadLine(message);
    }
    if (isUpload) {
        StartUpload();
    }
    if (isDownload) {
        HandleDownloadRequest();
    }
    if (isTestLine) {
        SendTestAlphabet();
    }
}

// The controller's end-of-file line ends an upload, or gives its verdict on the download it was
// sent. After a request that sent nothing (a refused upload or download, the test line) it has no
// transfer to speak of, and changes neither the status nor the log: a refused upload must not turn
// into a completed download of nothing.
void ControllerProtocol::HandleEndOfFile() {
    CloseTransferFile();
    if (State() == TransferState::UploadErrors) {
        return; // an upload that failed to write stays failed, whatever the controller says
    }
    const bool isSuccess = RequestLine().FindText("000") > 0;
    const bool wasUploading = State() == TransferState::Uploading;
    {
        std::lock_guard lock(Lock());
        if (!wasUploading && !isDownloadSentSinceRequest) {
            return;
        }
    }
    if (isSuccess && wasUploading) {
        View().SetProgress(1, 1);
    }
    if (isSuccess) {
        SetState(wasUploading ? TransferState::UploadCompleted : TransferState::DownloadCompleted);
    } else {
        SetState(wasUploading ? TransferState::UploadErrors : TransferState::DownloadErrors);
    }
    UpdateStatus();
    View().SetProgressDone(0);
}

void ControllerProtocol::SendTestAlphabet() {
    SendFormatted("%s%s", TestAlphabet, lineTerminator.CStr());
    SetState(TransferState::LoopBackTest);
    UpdateStatus();
}

bool ControllerProtocol::IsSafeProgramNumber(const String& number) {
    for (int32_t position = 1; position <= number.Length(); ++position) {
        const unsigned char character = static_cast<unsigned char>(number.At(position));
        if (character < 0x20 || character == 0x7F || character == '/' || character == '\\' ||
            character == ':') {
            return false;
        }
    }
    return number.FindText("..") == 0;
}

bool ControllerProtocol::BuildProgramPath(const String& folder) {
    String number;
    {
        std::lock_guard lock(Lock());
        number = requestLine;
    }
    if (const int32_t colon = number.Find(':'); colon > 0) {
        number = String(number.CStr() + colon);
    }
    int32_t zeros = 0;
    while (zeros < number.Length() && number.At(zeros + 1) == '0') {
        ++zeros;
    }
    number = zeros == number.Length() ? String() : String(number.CStr() + zeros);
    String path(folder);
    framework::NormaliseFolder(path);
    path.Append(number).Append('.').Append(Settings().fileExtension);
    {
        std::lock_guard lock(Lock());
        TransferLocked().programNumber = number;
        TransferLocked().path = path;
    }
    SetCaption(Settings().profileName.Concat("  ").Concat(number));
    return IsSafeProgramNumber(number);
}

// --- Download ------------------------------------------------------------------------------------

void ControllerProtocol::StartDownload() {
    const bool isSafe = BuildProgramPath(Settings().downloadPath);
    bool isOpen = false;
    int32_t total = 0;
    {
        std::lock_guard lock(Lock());
        Transfer& transfer = TransferLocked();
        // The transfer file is still open while an upload runs: the download cannot start then.
        if (isSafe && !transfer.file.IsOpen()) {
            transfer.file.SetPath(transfer.path);
            isOpen =
                transfer.file.Open(File::ModeRead | File::ModeText, 0, File::NormalAttributes, false) != 0;
        }
        if (isOpen) {
            total = static_cast<int32_t>(transfer.file.Size());
            transfer.total = total;
            transfer.byteCount = 0;
            transfer.lineIndex = 0;
        }
    }
    if (!isOpen) {
        SetState(TransferState::DownloadOpenFailed);
        UpdateStatus();
        SendFormatted("%c", RefusalByte);
        return;
    }
    View().SetProgress(total, 0);
    UpdateStatus();
    {
        std::lock_guard lock(Lock());
        Transfer& transfer = TransferLocked();
        transfer.programLines.clear();
        // The controller waits for the first line while the whole program is read: one read per
        // line, each line moved into the list rather than copied.
        String line;
        while (!transfer.file.AtEnd()) {
            transfer.file.ReadLine(line, '\n', 32, 255);
            transfer.programLines.push_back(std::move(line));
        }
    }
    CloseTransferFile();
    std::lock_guard lock(Lock());
    EngineState() = TransferState::Downloading;
    isDownloadSentSinceRequest = true;
}

bool ControllerProtocol::IsSendingProgram() {
    std::lock_guard lock(Lock());
    return EngineState() == TransferState::Downloading;
}

// Runs once per poll cycle in which the port could take more: queues at most one line, which a
// later cycle's flush writes.
void ControllerProtocol::OnTransmitReady() {
    String line;
    int32_t index = 0;
    int32_t count = 0;
    {
        std::lock_guard lock(Lock());
        if (EngineState() != TransferState::Downloading) {
            return;
        }
        const Transfer& transfer = TransferLocked();
        index = transfer.lineIndex;
        count = static_cast<int32_t>(transfer.programLines.size());
        if (index >= 0 && index < count) {
            line = transfer.programLines[static_cast<size_t>(index)];
        }
    }
    if (!line.IsEmpty()) {
        SendFormatted("%s%s", line.CStr(), lineTerminator.CStr());
        int32_t done = 0;
        {
            std::lock_guard lock(Lock());
            TransferLocked().byteCount += line.Length() + 2;
            done = TransferLocked().byteCount;
        }
        View().SetProgressDone(done);
    }
    if (index >= count - 1 && IsSendingProgram()) {
        if (Settings().sendEndCode) {
            QueueByte(Settings().endCode, false);
        }
        View().SetProgressDone(Total());
        SetState(TransferState::DownloadCompleted);
        UpdateStatus();
    }
    std::lock_guard lock(Lock());
    ++TransferLocked().lineIndex;
}

// A port lost in the middle of a transfer ends it as failed: the controller cannot have had the
// rest of a download, and an upload's file holds only what came, so neither may look complete, nor
// go on where it stopped once the port is back. The part of an upload stays under its name.
void ControllerProtocol::OnPortLost() {
    const int32_t state = State();
    if (state == TransferState::Downloading) {
        SetState(TransferState::DownloadErrors);
    } else if (state == TransferState::Uploading) {
        CloseTransferFile();
        SetState(TransferState::UploadErrors);
    } else {
        return;
    }
    UpdateStatus();
    View().SetProgressDone(0);
}

// --- Upload --------------------------------------------------------------------------------------

void ControllerProtocol::StartUpload() {
    // The outcome of the last transfer stays on the status line until now; left in force while
    // the new path goes in, a status refresh in between would log it again under the new path.
    BeginTransfer(TransferState::UploadPreparation);
    const bool isSafe = BuildProgramPath(Settings().uploadPath);
    bool isOpen = false;
    {
        std::lock_guard lock(Lock());
        Transfer& transfer = TransferLocked();
        if (isSafe && !transfer.file.IsOpen()) {
            transfer.file.SetPath(transfer.path);
            isOpen =
                transfer.file.Open(File::ModeWrite | File::ModeText, 0, File::NormalAttributes, false) != 0;
        }
        if (isOpen) {
            transfer.byteCount = 0;
            transfer.lineIndex = 0;
            transfer.total = UploadTotal;
            EngineState() = TransferState::Uploading;
        } else {
            EngineState() = TransferState::UploadOpenFailed;
        }
    }
    if (!isOpen) {
        SendFormatted("%c", RefusalByte);
        return;
    }
    View().SetProgress(UploadTotal, 0);
}

// A line that cannot be written whole (a full disk, a file-size limit, a folder gone) ends the
// upload at once: a program that lost a line must never look complete. The part written stays
// under its name, the status and the activity log say "Upload Error(s)", and the controller gets
// the refusal byte; the lines that still come are not written.
void ControllerProtocol::WriteUploadLine(const String& text) {
    int32_t total = 0;
    int32_t done = 0;
    bool isWritten = true;
    {
        std::lock_guard lock(Lock());
        Transfer& transfer = TransferLocked();
        // Text mode writes each line feed as CR LF.
        const String line = text.Concat("\n");
        uint32_t wanted = static_cast<uint32_t>(line.Length());
        for (int32_t position = 1; position <= line.Length(); ++position) {
            wanted += line.At(position) == '\n' ? 1 : 0;
        }
        isWritten = transfer.file.WriteText(line) == wanted;
        transfer.byteCount = static_cast<int32_t>(transfer.file.Position());
        if (!isWritten) {
            transfer.file.Close();
            EngineState() = TransferState::UploadErrors;
        }
        if (transfer.byteCount > transfer.total) {
            transfer.total *= 2;
        }
        ++transfer.lineIndex;
        total = transfer.total;
        done = transfer.byteCount;
    }
    View().SetProgress(total, done);
    if (!isWritten) {
        UpdateStatus();
        SendFormatted("%c", RefusalByte);
    }
}

} // namespace engine
