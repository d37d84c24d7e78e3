#include "platform/user/State.h"

#include "platform/display/Backend.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Threads.h"
#include "platform/user/StandardClasses.h"

#include <algorithm>
#include <cctype>

namespace platform::user {

namespace {

// The state lives for the whole process and is never destroyed: threads that end while the
// process exits still release their windows and queues here.
struct UserState {
    std::mutex mutex;
    std::map<uintptr_t, std::unique_ptr<WindowRecord>> windows;
    std::map<std::string, std::shared_ptr<ClassRecord>> classes;
    std::map<DWORD, std::unique_ptr<ThreadQueue>> queues;
};

UserState& State() {
    static auto* state = new UserState;
    return *state;
}

std::mutex& userMutex = State().mutex;
std::map<uintptr_t, std::unique_ptr<WindowRecord>>& windows = State().windows;
std::map<std::string, std::shared_ptr<ClassRecord>>& classes = State().classes;
std::map<DWORD, std::unique_ptr<ThreadQueue>>& queues = State().queues;
uintptr_t nextHandle = 0x10000;

std::string Folded(LPCSTR name) {
    std::string folded(name ? name : "");
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

// When a thread ends, its windows go with it, as in Win32, and sends still waiting for it are
// answered with 0, so no sender waits for ever.
struct QueueReleaser {
    ~QueueReleaser() {
        if (threadId == 0) {
            return;
        }
        auto lock = UserLock();
        for (auto& [key, record] : windows) {
            if (record->threadId == threadId && record->surface != nullptr) {
                DestroySurface(record->surface);
                record->surface = nullptr;
            }
        }
        std::erase_if(windows, [this](const auto& entry) { return entry.second->threadId == threadId; });
        for (auto& [key, record] : windows) {
            std::erase_if(record->children, [](HWND child) { return FindWindow(child) == nullptr; });
        }
        auto found = queues.find(threadId);
        if (found == queues.end()) {
            return;
        }
        for (SentMessage* message : found->second->sent) {
            message->done = true;
            Wake(QueueOf(message->senderThread));
        }
        queues.erase(found);
    }
    DWORD threadId = 0;
};

thread_local QueueReleaser queueReleaser;

int Border(const WindowRecord& record) {
    if (record.parent == nullptr) {
        return 0; // the frame of a top-level window belongs to the display
    }
    int width = 0;
    if (record.exStyle & WS_EX_CLIENTEDGE) {
        width += 2;
    }
    if (record.exStyle & WS_EX_STATICEDGE) {
        width += 1;
    }
    if ((record.style & WS_DLGFRAME) || (record.exStyle & WS_EX_DLGMODALFRAME)) {
        width += 3;
    } else if (record.style & WS_BORDER) {
        width += 1;
    }
    return width;
}

} // namespace

std::unique_lock<std::mutex> UserLock() {
    return std::unique_lock(userMutex);
}

std::map<uintptr_t, std::unique_ptr<WindowRecord>>& Windows() {
    return windows;
}

std::map<std::string, std::shared_ptr<ClassRecord>>& Classes() {
    return classes;
}

WindowRecord* FindWindow(HWND hwnd) {
    auto found = windows.find(reinterpret_cast<uintptr_t>(hwnd));
    return found == windows.end() ? nullptr : found->second.get();
}

// The standard classes are entered on the first lookup, under the caller's lock; their atoms
// come from the range Win32 keeps for system classes.
static void EnterStandardClasses() {
    static bool entered = false;
    if (entered) {
        return;
    }
    entered = true;
    ATOM atom = 0x8000;
    for (const StandardClass& standard : StandardClasses()) {
        auto record = std::make_shared<ClassRecord>();
        record->name = standard.name;
        record->style = standard.style;
        record->procedure = standard.procedure;
        record->windowExtraBytes = standard.windowExtraBytes;
        // System cursors are their resource numbers, as LoadCursorA gives them.
        record->cursor =
            reinterpret_cast<HCURSOR>(const_cast<char*>(standard.cursor ? standard.cursor : IDC_ARROW));
        record->atom = atom++;
        classes.emplace(Folded(standard.name), record);
    }
}

std::shared_ptr<ClassRecord> FindClass(LPCSTR name) {
    EnterStandardClasses();
    if (reinterpret_cast<uintptr_t>(name) < 0x10000) {
        const ATOM atom = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
        for (auto& [key, record] : classes) {
            if (record->atom == atom) {
                return record;
            }
        }
        return nullptr;
    }
    auto found = classes.find(Folded(name));
    return found == classes.end() ? nullptr : found->second;
}

ThreadQueue& QueueOf(DWORD threadId) {
    auto& queue = queues[threadId];
    if (!queue) {
        queue = std::make_unique<ThreadQueue>();
        queue->threadId = threadId;
    }
    return *queue;
}

ThreadQueue& CurrentQueue() {
    const DWORD id = GetCurrentThreadId();
    queueReleaser.threadId = id;
    return QueueOf(id);
}

HWND NewWindowHandle() {
    nextHandle += 2;
    return reinterpret_cast<HWND>(nextHandle);
}

void Wake(ThreadQueue& queue) {
    queue.wake.notify_all();
    // Display hook: the window thread of the SDL display waits in SDL, not on the variable.
    platform::WakeDisplay(queue.threadId);
}

bool IsEmpty(const RECT& rect) {
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

RECT ClientRectOf(const WindowRecord& record) {
    const int border = Border(record);
    int width = record.rect.right - record.rect.left - 2 * border;
    int height = record.rect.bottom - record.rect.top - 2 * border;
    if (record.style & WS_VSCROLL) {
        width -= 17;
    }
    if (record.style & WS_HSCROLL) {
        height -= 17;
    }
    return RECT{0, 0, std::max(width, 0), std::max(height, 0)};
}

POINT ClientOffsetOf(const WindowRecord& record) {
    const int border = Border(record);
    return POINT{border, border};
}

POINT ClientOriginOnScreen(const WindowRecord& record) {
    POINT origin{record.rect.left, record.rect.top};
    const POINT offset = ClientOffsetOf(record);
    origin.x += offset.x;
    origin.y += offset.y;
    if (const WindowRecord* parent = FindWindow(record.parent)) {
        const POINT parentOrigin = ClientOriginOnScreen(*parent);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    return origin;
}

Surface* TopLevelSurfaceOf(HWND hwnd, POINT& origin) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return nullptr;
    }
    const WindowRecord* root = record;
    while (const WindowRecord* parent = FindWindow(root->parent)) {
        root = parent;
    }
    const POINT rootOrigin = ClientOriginOnScreen(*root);
    const POINT mine = ClientOriginOnScreen(*record);
    origin = POINT{mine.x - rootOrigin.x, mine.y - rootOrigin.y};
    return root->surface;
}

bool IsVisibleChain(const WindowRecord& record) {
    for (const WindowRecord* window = &record; window != nullptr; window = FindWindow(window->parent)) {
        if ((window->style & WS_VISIBLE) == 0) {
            return false;
        }
    }
    return true;
}

LRESULT CallProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC procedure = nullptr;
    {
        auto lock = UserLock();
        if (const WindowRecord* record = FindWindow(hwnd)) {
            procedure = record->procedure;
        }
    }
    return procedure ? procedure(hwnd, message, wParam, lParam) : 0;
}

} // namespace platform::user
