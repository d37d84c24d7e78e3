#include "framework/services/FileDialog.h"

#include "framework/Application.h"
#include "framework/Path.h"
#include "framework/Window.h"

#include <cstring>

namespace framework {

namespace {

// The fixed list offered when the caller gives none, with its double NUL.
constexpr char AllFiles[] = "All Files (*.*)\0*.*\0";

constexpr DWORD SingleFlags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
constexpr DWORD MultipleFlags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;

char* ZeroedBuffer(size_t size) {
    char* buffer = new char[size];
    std::memset(buffer, 0, size);
    return buffer;
}

} // namespace

FileDialog::FileDialog(Window* owner, const char* title, const char* initialPath, const char* const* filters,
                       int32_t filterIndex, bool multiSelect) {
    const DWORD fileSize = multiSelect ? MultiFileBufferSize : FileBufferSize;
    fileBuffer = ZeroedBuffer(fileSize);
    folderBuffer = ZeroedBuffer(FolderBufferSize);
    const String path(initialPath ? initialPath : "");
    const String name = PathFileName(path);
    std::strncpy(fileBuffer, name.CStr(), fileSize - 1);

    // The record in its size before the Windows 2000 extension fields.
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.hwndOwner = owner ? owner->Handle() : nullptr;
    SetFilters(filters, filterIndex);
    record.lpstrFile = fileBuffer;
    record.nMaxFile = fileSize;
    SetInitialFolder(path);
    record.lpstrTitle = title;
    record.Flags = multiSelect ? MultipleFlags : SingleFlags;
}

FileDialog::~FileDialog() {
    delete[] fileBuffer;
    delete[] folderBuffer;
    delete[] filterBuffer;
}

void FileDialog::SetFilters(const char* const* filters, int32_t filterIndex) {
    if (filters == nullptr) {
        record.lpstrFilter = AllFiles;
        record.nFilterIndex = 0;
        return;
    }
    size_t total = 0;
    for (const char* const* each = filters; *each != nullptr; ++each) {
        total += std::strlen(*each) + 1;
    }
    filterBuffer = ZeroedBuffer(total + 2);
    char* end = filterBuffer;
    for (const char* const* each = filters; *each != nullptr; ++each) {
        const size_t length = std::strlen(*each) + 1;
        std::memcpy(end, *each, length);
        end += length;
    }
    record.lpstrFilter = filterBuffer;
    record.nFilterIndex = static_cast<DWORD>(filterIndex);
}

void FileDialog::SetInitialFolder(const String& initialPath) {
    String folder = PathDirectory(initialPath);
    if (folder.IsEmpty() || !PathExists(folder)) {
        return;
    }
    for (int32_t i = 1; i <= folder.Length(); ++i) {
        if (folder.At(i) == '/') {
            folder.At(i) = '\\';
        }
    }
    std::strncpy(folderBuffer, folder.CStr(), FolderBufferSize - 1);
    record.lpstrInitialDir = folderBuffer;
}

void FileDialog::Run(Runner runner) {
    Application* application = Application::Instance();
    if (application != nullptr) {
        application->DisableWindows();
    }
    accepted = runner(&record) ? 1 : 0;
    if (application != nullptr) {
        application->EnableWindows();
    }
}

void FileDialog::Result(String& out) const {
    out = accepted == 1 ? fileBuffer : "";
}

} // namespace framework
