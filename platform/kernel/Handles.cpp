#include "platform/kernel/Handles.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/HandleTable.h"

namespace {

// Handle values count up in steps of four from a base, as Win32's do. Never destroyed: threads
// that are still ending when the process exits may close handles after static destruction has
// begun.
platform::HandleTable<platform::KernelObject>& Table() {
    static auto* table = new platform::HandleTable<platform::KernelObject>(0x100, 4);
    return *table;
}

} // namespace

BOOL CloseHandle(HANDLE hObject) {
    // The object, and with it the descriptor, goes when this reference does, outside the table's
    // lock, unless another thread still uses it.
    std::shared_ptr<platform::KernelObject> removed = Table().Remove(hObject);
    if (removed == nullptr)
        return FALSE;
    removed->Closed();
    return TRUE;
}

namespace platform {

BOOL KernelObject::Read(LPVOID buffer, DWORD count, LPDWORD done) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

BOOL KernelObject::Write(LPCVOID buffer, DWORD count, LPDWORD done) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

HANDLE InsertHandle(std::shared_ptr<KernelObject> object) {
    return Table().Insert(std::move(object));
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    return Table().Lookup(handle);
}

} // namespace platform
