// The Win32 communications calls: each finds the port behind the handle and turns the port's
// result into Win32's BOOL and last error. A handle that is no port fails with
// ERROR_INVALID_HANDLE, as Win32 does for a file handle.

#include "platform/serial/Comm.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Handles.h"
#include "platform/serial/Port.h"

namespace {

// Runs a call on the port behind a handle and reports its outcome the Win32 way.
template <typename Call> BOOL OnPort(HANDLE handle, Call call) {
    std::shared_ptr<platform::SerialPort> port = platform::LookupHandleAs<platform::SerialPort>(handle);
    if (port == nullptr)
        return FALSE;
    DWORD error = call(*port);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return FALSE;
    }
    return TRUE;
}

BOOL InvalidParameter() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}

} // namespace

BOOL SetupComm(HANDLE hFile, DWORD dwInQueue, DWORD dwOutQueue) {
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.Setup(dwInQueue, dwOutQueue); });
}

BOOL GetCommState(HANDLE hFile, LPDCB lpDCB) {
    if (lpDCB == nullptr)
        return InvalidParameter();
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.GetState(*lpDCB); });
}

BOOL SetCommState(HANDLE hFile, LPDCB lpDCB) {
    if (lpDCB == nullptr)
        return InvalidParameter();
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.SetState(*lpDCB); });
}

BOOL SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    if (lpCommTimeouts == nullptr)
        return InvalidParameter();
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.SetTimeouts(*lpCommTimeouts); });
}

BOOL GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts) {
    if (lpCommTimeouts == nullptr)
        return InvalidParameter();
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.GetTimeouts(*lpCommTimeouts); });
}

BOOL PurgeComm(HANDLE hFile, DWORD dwFlags) {
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.Purge(dwFlags); });
}

// Either pointer may be null, as in Win32.
BOOL ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat) {
    return OnPort(hFile, [&](platform::SerialPort& port) {
        DWORD errors = 0;
        COMSTAT status{};
        DWORD error = port.ClearErrors(errors, status);
        if (error == ERROR_SUCCESS && lpErrors != nullptr)
            *lpErrors = errors;
        if (error == ERROR_SUCCESS && lpStat != nullptr)
            *lpStat = status;
        return error;
    });
}

BOOL EscapeCommFunction(HANDLE hFile, DWORD dwFunc) {
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.Escape(dwFunc); });
}

BOOL GetCommModemStatus(HANDLE hFile, LPDWORD lpModemStat) {
    if (lpModemStat == nullptr)
        return InvalidParameter();
    return OnPort(hFile, [&](platform::SerialPort& port) { return port.ModemStatus(*lpModemStat); });
}

namespace platform {

BOOL WaitForCommWork(HANDLE port, DWORD milliseconds, BOOL wantsOutputDrained) {
    return OnPort(
        port, [&](SerialPort& serial) { return serial.WaitForWork(milliseconds, wantsOutputDrained != 0); });
}

BOOL WakeCommWait(HANDLE port) {
    return OnPort(port, [](SerialPort& serial) { return serial.WakeWaiter(); });
}

} // namespace platform
