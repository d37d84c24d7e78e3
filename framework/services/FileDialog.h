#pragma once

#include "framework/String.h"
#include "platform/Windows.h"

#include <cstdint>

namespace framework {

class Window;

// The common part of the file open and save dialogs: the system's file-dialog record with its
// file, folder and filter buffers. Constructing a derived object shows the dialog at once and
// returns when the user has closed it; Result gives the chosen path.
//
// The file buffer starts with the file-name part of the initial path; the dialog opens in the
// initial path's folder when that folder exists. Filters are pairs of C strings (description,
// pattern) in a null-terminated array; without them the dialog offers "All Files (*.*)".
class FileDialog {
public:
    static constexpr DWORD FileBufferSize = 1024;
    static constexpr DWORD MultiFileBufferSize = 65535;
    static constexpr DWORD FolderBufferSize = 1024;

    virtual ~FileDialog();
    FileDialog(const FileDialog&) = delete;
    FileDialog& operator=(const FileDialog&) = delete;

    // The chosen path when the user confirmed the dialog, else empty text.
    void Result(String& out) const;
    bool IsAccepted() const { return accepted == 1; }
    // The record as it was handed to the system.
    const OPENFILENAMEA& Record() const { return record; }

protected:
    using Runner = BOOL (*)(LPOPENFILENAMEA);

    FileDialog(Window* owner, const char* title, const char* initialPath, const char* const* filters,
               int32_t filterIndex, bool multiSelect);
    // Shows the dialog with the application's windows disabled.
    void Run(Runner runner);

private:
    void SetFilters(const char* const* filters, int32_t filterIndex);
    void SetInitialFolder(const String& initialPath);

    OPENFILENAMEA record{};
    char* fileBuffer = nullptr;
    char* folderBuffer = nullptr;
    char* filterBuffer = nullptr;
    uint32_t accepted = 0;
};

} // namespace framework
