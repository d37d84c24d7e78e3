#include "framework/services/WorkerThread.h"

#include "framework/Window.h"

namespace framework {

namespace {
std::atomic<int32_t> runCounter{0};
} // namespace

WorkerThread::WorkerThread(bool useCom) : useCom(useCom) {}

WorkerThread::~WorkerThread() {
    Stop(false);
}

void WorkerThread::SetRunCounter(int32_t value) {
    runCounter = value;
}

HANDLE WorkerThread::Start() {
    stopRequested = 0;
    if (IsRunning()) {
        Stop(false);
        // Stopping the old run raised the flag; the new run must not see it.
        stopRequested = 0;
    }
    // A run whose thread has cleared its handle may not have said it finished yet: its last word
    // must not land on the new run.
    WaitUntilFinished();
    finished = 0;
    int32_t next = 0;
    int32_t current = runCounter.load();
    do {
        next = current == LastRunNumber ? 1 : current + 1;
    } while (!runCounter.compare_exchange_weak(current, next));
    runNumber = next;
    ownerThread = GetCurrentThreadId();
    // The handle is kept by the thread's own end as well; set it before the thread can finish.
    HANDLE thread = CreateThread(nullptr, 0, &WorkerThread::Entry, this, CREATE_SUSPENDED, nullptr);
    handle = thread;
    ResumeThread(thread);
    return thread;
}

DWORD WorkerThread::Entry(LPVOID argument) {
    auto* worker = static_cast<WorkerThread*>(argument);
    if (worker == nullptr) {
        return 0;
    }
    if (worker->useCom) {
        CoInitialize(nullptr);
    }
    worker->Run();
    if (worker->useCom) {
        CoUninitialize();
    }
    worker->Finish();
    return 0;
}

void WorkerThread::Finish() {
    // Window pointers and the run number are read before the object may be released by its owner.
    Window* notify = notifyWindow.load();
    const int32_t number = runNumber;
    // The starting thread is woken in case it waits in WaitUntilFinished; a stray WM_NULL in its
    // queue is harmless. Setting finished is the last touch of the object: the owner may release
    // it from then on, and a new run waits for it.
    const DWORD owner = ownerThread;
    HANDLE thread = handle.load();
    // Only this run's handle is cleared, should the owner have started the next run already.
    HANDLE mine = thread;
    handle.compare_exchange_strong(mine, nullptr);
    finished = 1;
    if (notify != nullptr && notify->Handle() != nullptr) {
        SendMessageA(notify->Handle(), MessageFinished, static_cast<WPARAM>(number),
                     reinterpret_cast<LPARAM>(this));
    }
    PostThreadMessageA(owner, WM_NULL, 0, 0);
    CloseHandle(thread);
}

void WorkerThread::Stop(bool keepWindows) {
    if (!IsRunning()) {
        // A run that has cleared its handle may still be saying that it finished.
        WaitUntilFinished();
        return;
    }
    Resume();
    if (!keepWindows) {
        notifyWindow = nullptr;
        queryWindow = nullptr;
    }
    stopRequested = 1;
    WaitUntilFinished();
}

void WorkerThread::RequestStop() {
    Window* query = queryWindow.load();
    if (query == nullptr) {
        stopRequested = 1;
        return;
    }
    if (SendMessageA(query->Handle(), MessageStopQuery, 0, reinterpret_cast<LPARAM>(this)) == 0) {
        stopRequested = 1;
    }
}

DWORD WorkerThread::Suspend() {
    HANDLE thread = handle.load();
    return thread ? SuspendThread(thread) : 0;
}

DWORD WorkerThread::Resume() {
    HANDLE thread = handle.load();
    return thread ? ResumeThread(thread) : 0;
}

void WorkerThread::WaitUntilFinished() {
    while (finished.load() == 0) {
        // The user's way out of a worker that never ends: Ctrl and Pause held together.
        if (GetAsyncKeyState(VK_PAUSE) < 0 && GetAsyncKeyState(VK_CONTROL) < 0) {
            break;
        }
        MSG message{};
        // Windows keep painting while the caller waits; other input is dropped. Messages sent from
        // the worker (its finished message) are answered inside the wait.
        if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) ||
            (finished.load() == 0 && GetMessageA(&message, nullptr, 0, 0))) {
            if (message.message == WM_PAINT) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
        }
        Sleep(0);
    }
}

} // namespace framework
