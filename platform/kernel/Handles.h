#pragma once

// Kernel object handles. A HANDLE is a key into one process-wide table of objects (files now,
// serial ports and threads later), so a handle that was never issued, or is already closed, is
// told apart and fails with ERROR_INVALID_HANDLE as in Win32 instead of touching a stale
// descriptor. Lookups share ownership: a CloseHandle on one thread while another thread is inside
// ReadFile on the same handle frees the object only when that read has returned.

#include "platform/WinTypes.h"
#include "platform/kernel/Errors.h"

#include <memory>

BOOL CloseHandle(HANDLE hObject);

namespace platform {

// The common base of everything a HANDLE can stand for. ReadFile and WriteFile dispatch here, so
// each kind of object brings its own I/O; the defaults fail as Win32 does for objects without it.
class KernelObject {
public:
    virtual ~KernelObject() = default;
    virtual BOOL Read(LPVOID buffer, DWORD count, LPDWORD done);
    virtual BOOL Write(LPCVOID buffer, DWORD count, LPDWORD done);
    // The handle was closed; a thread still using the object may be waiting in it.
    virtual void Closed() {}
};

// Enters an object in the table and returns its new handle, never null nor INVALID_HANDLE_VALUE.
HANDLE InsertHandle(std::shared_ptr<KernelObject> object);

// The object behind a handle, or nullptr with ERROR_INVALID_HANDLE set.
std::shared_ptr<KernelObject> LookupHandle(HANDLE handle);

// As LookupHandle, for handles that must stand for one kind of object.
template <typename Object> std::shared_ptr<Object> LookupHandleAs(HANDLE handle) {
    std::shared_ptr<Object> object = std::dynamic_pointer_cast<Object>(LookupHandle(handle));
    if (object == nullptr)
        SetLastError(ERROR_INVALID_HANDLE);
    return object;
}

} // namespace platform
