#include "platform/KernelHandles.h"

#include "platform/KernelErrors.h"

#include <mutex>
#include <unordered_map>

namespace {

// Handle values count up in steps of four from a base, as Win32's do, and are never reused, so a
// handle kept after CloseHandle cannot reach a newer object.
constexpr std::uintptr_t firstHandle = 0x100;
constexpr std::uintptr_t handleStep = 4;

struct HandleTable {
    std::mutex mutex;
    std::uintptr_t nextHandle = firstHandle;
    std::unordered_map<std::uintptr_t, std::shared_ptr<platform::KernelObject>> objects;
};

// Never destroyed: threads that are still ending when the process exits may close handles after
// static destruction has begun.
HandleTable& Table() {
    static auto* table = new HandleTable;
    return *table;
}

std::uintptr_t Key(HANDLE handle) {
    return reinterpret_cast<std::uintptr_t>(handle);
}

} // namespace

BOOL CloseHandle(HANDLE hObject) {
    std::shared_ptr<platform::KernelObject> closed;
    HandleTable& table = Table();
    {
        std::lock_guard lock(table.mutex);
        auto found = table.objects.find(Key(hObject));
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        closed = std::move(found->second);
        table.objects.erase(found);
    }
    // The object, and with it the descriptor, goes here, outside the table's lock, unless another
    // thread still uses it.
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
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    std::uintptr_t key = table.nextHandle;
    table.nextHandle += handleStep;
    table.objects.emplace(key, std::move(object));
    return reinterpret_cast<HANDLE>(key);
}

std::shared_ptr<KernelObject> LookupHandle(HANDLE handle) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    auto found = table.objects.find(Key(handle));
    if (found == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return found->second;
}

} // namespace platform
