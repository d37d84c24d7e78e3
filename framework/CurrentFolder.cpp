#include "framework/CurrentFolder.h"

#include "framework/Path.h"
#include "platform/Windows.h"

#include <mutex>

namespace framework {

namespace {

std::mutex folderMutex;
String* currentFolder = nullptr;

String ReadWorkingFolder() {
    // First with a 260-byte buffer, again with the length the system reports when that is too small.
    String folder;
    folder.Reserve(MAX_PATH);
    DWORD needed = GetCurrentDirectoryA(MAX_PATH, folder.Buffer());
    if (needed >= MAX_PATH) {
        folder.Reserve(static_cast<int32_t>(needed));
        needed = GetCurrentDirectoryA(needed, folder.Buffer());
    }
    if (needed == 0) {
        return String();
    }
    folder.Resync();
    NormaliseFolder(folder);
    return folder;
}

} // namespace

String CurrentFolder::Get() {
    std::lock_guard lock(folderMutex);
    if (currentFolder == nullptr) {
        currentFolder = new String(ReadWorkingFolder());
    }
    return *currentFolder;
}

void CurrentFolder::Set(const String& folder) {
    std::lock_guard lock(folderMutex);
    String normalised(folder);
    NormaliseFolder(normalised);
    if (currentFolder == nullptr) {
        currentFolder = new String(normalised);
    } else {
        *currentFolder = normalised;
    }
}

} // namespace framework
