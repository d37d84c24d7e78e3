#include "engine/TransferState.h"

namespace engine {

using framework::String;

namespace {

// Texts that stand alone; the states with arguments are formatted below.
const char* const plainTexts[TransferState::LastCode + 1] = {
    "No Link",
    "Waiting...",
    "Loop Back Test",
    "Directory Listing",
    "NC Controller Option",
    "Download Waiting For Controller",
    "Download Request Received",
    "Upload Request Received",
    "Download Preparation",
    "Download could not open/read from",
    "Upload could not open/write to",
    "Upload Preparation",
    "Downloading",
    "Uploading",
    "Download Error(s)",
    "Upload Error(s)",
    "Download Cancelled",
    "Upload Cancelled",
    "Download Completed",
    "Upload Completed",
    "Autoload Cutting",
    "Local Loopback Test Failure",
    "Local_Loop Back Test Success",
    "Directory Listing",
    "Over Run Error! Data loss has occurred!",
    "Unexpected error",
};

} // namespace

bool TransferState::StatusText(int32_t code, const String& path, int32_t byteCount, int32_t total,
                               String& text) {
    if (code < 0 || code > LastCode) {
        return false;
    }
    // Built by appending: a path may be longer than one format expansion holds.
    String built(plainTexts[code]);
    switch (code) {
    case DownloadOpenFailed:
    case UploadOpenFailed:
    case DownloadErrors:
    case UploadErrors:
    case DownloadCancelled:
    case UploadCancelled:
    case AutoloadCutting:
    case UnexpectedError:
        built.Append(' ').Append(path);
        break;
    case Downloading:
        built.Append(' ').Append(path).AppendFormat(" - %i %s %i %s.", byteCount, "of", total, "bytes sent");
        break;
    case Uploading:
        built = "Uploading ";
        built.Append(path).AppendFormat(" - %i bytes received.", byteCount);
        break;
    case DownloadCompleted:
        built.Append(' ').Append(path).AppendFormat(" - %i %s", byteCount, "bytes");
        break;
    case UploadCompleted:
        built.Append(' ').Append(path).AppendFormat(" - %i %s.", byteCount, "bytes in file");
        break;
    case DirectoryListingError:
        built.AppendFormat(": %s", "Error");
        break;
    default:
        break;
    }
    text = built;
    return true;
}

bool TransferState::IsLogged(int32_t code) {
    switch (code) {
    case DownloadOpenFailed:
    case UploadOpenFailed:
    case DownloadErrors:
    case UploadErrors:
    case DownloadCancelled:
    case UploadCancelled:
    case DownloadCompleted:
    case UploadCompleted:
    case AutoloadCutting:
    case DirectoryListingError:
    case Overrun:
    case UnexpectedError:
        return true;
    default:
        return false;
    }
}

} // namespace engine
