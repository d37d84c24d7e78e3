#include "platform/kernel/Threads.h"

#include "platform/kernel/Errors.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Waits on a condition with Win32's millisecond time-out, INFINITE included.
template <typename Predicate>
bool WaitFor(std::condition_variable& condition, std::unique_lock<std::mutex>& lock, DWORD milliseconds,
             Predicate ready) {
    if (milliseconds == INFINITE) {
        condition.wait(lock, ready);
        return true;
    }
    return condition.wait_for(lock, std::chrono::milliseconds(milliseconds), ready);
}

// What the stand-in knows about one thread: its suspension count and whether it is parked. Threads
// that the stand-in did not start (the main thread) get a record on first use.
class ThreadRecord : public platform::WaitableObject {
public:
    explicit ThreadRecord(DWORD id) : id(id) {}

    bool WaitSignalled(DWORD milliseconds) override {
        std::unique_lock lock(mutex);
        return WaitFor(changed, lock, milliseconds, [this] { return ended; });
    }

    void Park() {
        std::unique_lock lock(mutex);
        if (suspendCount == 0) {
            return;
        }
        parked = true;
        changed.notify_all();
        changed.wait(lock, [this] { return suspendCount == 0; });
        parked = false;
    }

    DWORD Suspend(bool isSelf) {
        std::unique_lock lock(mutex);
        const DWORD previous = suspendCount++;
        if (previous == 0 && !isSelf && !ended) {
            if (!WaitFor(changed, lock, platform::SuspendTimeoutMs, [this] { return parked || ended; })) {
                --suspendCount;
                return static_cast<DWORD>(-1);
            }
        }
        return previous;
    }

    DWORD Resume() {
        std::lock_guard lock(mutex);
        const DWORD previous = suspendCount;
        if (suspendCount > 0 && --suspendCount == 0) {
            changed.notify_all();
        }
        return previous;
    }

    void Finish(DWORD code) {
        std::lock_guard lock(mutex);
        exitCode = code;
        ended = true;
        changed.notify_all();
    }

    DWORD ExitCode() {
        std::lock_guard lock(mutex);
        return ended ? exitCode : STILL_ACTIVE;
    }

    const DWORD id;

private:
    std::mutex mutex;
    std::condition_variable changed;
    DWORD suspendCount = 0;
    bool parked = false;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

class EventObject : public platform::WaitableObject {
public:
    EventObject(bool manualReset, bool initialState) : manualReset(manualReset), isSet(initialState) {}

    bool WaitSignalled(DWORD milliseconds) override {
        std::unique_lock lock(mutex);
        if (!WaitFor(changed, lock, milliseconds, [this] { return isSet; })) {
            return false;
        }
        if (!manualReset) {
            isSet = false;
        }
        return true;
    }

    void Set(bool value) {
        std::lock_guard lock(mutex);
        isSet = value;
        if (value) {
            changed.notify_all();
        }
    }

private:
    std::mutex mutex;
    std::condition_variable changed;
    const bool manualReset;
    bool isSet;
};

std::atomic<DWORD> nextThreadId{1};
thread_local std::shared_ptr<ThreadRecord> currentThread;

std::shared_ptr<ThreadRecord> CurrentRecord() {
    if (!currentThread) {
        currentThread = std::make_shared<ThreadRecord>(nextThreadId++);
    }
    return currentThread;
}

} // namespace

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter,
                    DWORD dwCreationFlags, LPDWORD lpThreadId) {
    if (lpStartAddress == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto record = std::make_shared<ThreadRecord>(nextThreadId++);
    if (dwCreationFlags & CREATE_SUSPENDED) {
        record->Suspend(true);
    }
    std::thread([record, lpStartAddress, lpParameter] {
        currentThread = record;
        record->Park();
        const DWORD code = lpStartAddress(lpParameter);
        record->Finish(code);
        currentThread.reset();
    }).detach();
    if (lpThreadId != nullptr) {
        *lpThreadId = record->id;
    }
    return platform::InsertHandle(record);
}

DWORD GetCurrentThreadId() {
    return CurrentRecord()->id;
}

DWORD GetThreadId(HANDLE Thread) {
    auto record = platform::LookupHandleAs<ThreadRecord>(Thread);
    return record ? record->id : 0;
}

BOOL GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
    auto record = platform::LookupHandleAs<ThreadRecord>(hThread);
    if (!record || lpExitCode == nullptr) {
        return FALSE;
    }
    *lpExitCode = record->ExitCode();
    return TRUE;
}

DWORD SuspendThread(HANDLE hThread) {
    auto record = platform::LookupHandleAs<ThreadRecord>(hThread);
    if (!record) {
        return static_cast<DWORD>(-1);
    }
    const DWORD previous = record->Suspend(record == currentThread);
    if (record == currentThread) {
        record->Park();
    }
    return previous;
}

DWORD ResumeThread(HANDLE hThread) {
    auto record = platform::LookupHandleAs<ThreadRecord>(hThread);
    return record ? record->Resume() : static_cast<DWORD>(-1);
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR) {
    return platform::InsertHandle(
        std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL SetEvent(HANDLE hEvent) {
    auto event = platform::LookupHandleAs<EventObject>(hEvent);
    if (!event) {
        return FALSE;
    }
    event->Set(true);
    return TRUE;
}

BOOL ResetEvent(HANDLE hEvent) {
    auto event = platform::LookupHandleAs<EventObject>(hEvent);
    if (!event) {
        return FALSE;
    }
    event->Set(false);
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    auto object = platform::LookupHandleAs<platform::WaitableObject>(hHandle);
    if (!object) {
        return WAIT_FAILED;
    }
    platform::ThreadWaitPoint();
    const bool signalled = object->WaitSignalled(dwMilliseconds);
    platform::ThreadWaitPoint();
    return signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

namespace platform {

void ThreadWaitPoint() {
    if (currentThread) {
        currentThread->Park();
    }
}

} // namespace platform
