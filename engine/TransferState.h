#pragma once

#include "framework/String.h"

#include <cstdint>

namespace engine {

// The engine state codes 0 to 25 and their status texts. Codes no operation enters keep their
// texts, so that a state set from outside still reads as it always did.
struct TransferState {
    enum Code : int32_t {
        NoLink = 0,
        Waiting = 1,
        LoopBackTest = 2,
        DirectoryListing = 3,
        ControllerOption = 4,
        DownloadWaiting = 5,
        DownloadRequestReceived = 6,
        UploadRequestReceived = 7,
        DownloadPreparation = 8,
        DownloadOpenFailed = 9,
        UploadOpenFailed = 10,
        UploadPreparation = 11,
        Downloading = 12,
        Uploading = 13,
        DownloadErrors = 14,
        UploadErrors = 15,
        DownloadCancelled = 16,
        UploadCancelled = 17,
        DownloadCompleted = 18,
        UploadCompleted = 19,
        AutoloadCutting = 20,
        LocalLoopbackWaiting = 21,
        LocalLoopbackSuccess = 22,
        DirectoryListingError = 23,
        Overrun = 24,
        UnexpectedError = 25,
    };
    static constexpr int32_t LastCode = UnexpectedError;

    // The status text of a state; false for a code outside 0..25, which leaves text untouched.
    static bool StatusText(int32_t code, const framework::String& path, int32_t byteCount, int32_t total,
                           framework::String& text);
    // The outcome states whose text also goes to the activity log.
    static bool IsLogged(int32_t code);
};

} // namespace engine
