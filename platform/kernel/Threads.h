#pragma once

// Threads, events and waiting. POSIX cannot stop a thread safely at an arbitrary point, so
// SuspendThread is cooperative: the suspended thread parks at its next wait point (Sleep,
// WaitForSingleObject, a message wait or a cross-thread SendMessageA, a blocking port call) and
// SuspendThread returns once it is parked. Suspensions nest as in Win32: ResumeThread lets the
// thread go on when the count falls back to zero. A thread that never reaches a wait point
// cannot be suspended; SuspendThread then waits up to SuspendTimeoutMs and fails.

#include "platform/Extras.h"
#include "platform/WinTypes.h"
#include "platform/kernel/Handles.h"

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, SIZE_T dwStackSize,
                    LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                    LPDWORD lpThreadId);
DWORD GetCurrentThreadId();
DWORD GetThreadId(HANDLE Thread);
BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD SuspendThread(HANDLE hThread);
DWORD ResumeThread(HANDLE hThread);

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                    LPCSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

// Threads are signalled when they have ended, events while they are set.
DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

namespace platform {

constexpr DWORD SuspendTimeoutMs = 5000;

// A kernel object that WaitForSingleObject can wait for.
class WaitableObject : public KernelObject {
public:
    // True when signalled within the time (INFINITE waits for ever).
    virtual bool WaitSignalled(DWORD milliseconds) = 0;
};

} // namespace platform
