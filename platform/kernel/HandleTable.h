#pragma once

// A table of objects behind handles (internal to platform/): handle values count up in fixed steps
// from a base and are never reused, so a handle kept after its object went cannot reach a newer
// one. Lookups share ownership, so an object removed on one thread while another still uses it
// goes only when that use ends. Thread-safe.

#include "platform/WinTypes.h"
#include "platform/kernel/Errors.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace platform {

template <typename Object> class HandleTable {
public:
    HandleTable(std::uintptr_t firstHandle, std::uintptr_t step) : nextHandle(firstHandle), step(step) {}

    void* Insert(std::shared_ptr<Object> object) {
        std::lock_guard lock(mutex);
        const std::uintptr_t key = nextHandle;
        nextHandle += step;
        objects.emplace(key, std::move(object));
        return reinterpret_cast<void*>(key);
    }

    // The object, or null with ERROR_INVALID_HANDLE set.
    std::shared_ptr<Object> Lookup(const void* handle) {
        std::lock_guard lock(mutex);
        auto found = objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        return found->second;
    }

    // Takes the object out of the table and hands it back, or null with ERROR_INVALID_HANDLE set.
    std::shared_ptr<Object> Remove(const void* handle) {
        std::lock_guard lock(mutex);
        auto found = objects.find(reinterpret_cast<std::uintptr_t>(handle));
        if (found == objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return nullptr;
        }
        std::shared_ptr<Object> removed = std::move(found->second);
        objects.erase(found);
        return removed;
    }

private:
    std::mutex mutex;
    std::uintptr_t nextHandle;
    const std::uintptr_t step;
    std::unordered_map<std::uintptr_t, std::shared_ptr<Object>> objects;
};

} // namespace platform
