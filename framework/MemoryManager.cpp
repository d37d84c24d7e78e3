#include "framework/MemoryManager.h"

#include "platform/Windows.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace framework {

namespace {

std::atomic<MemoryManager::OutOfMemoryHandler> outOfMemoryHandler{nullptr};
std::mutex reserveMutex;

void* LibraryRealloc(void* block, size_t size) {
    if (size == 0) {
        std::free(block);
        return nullptr;
    }
    return std::realloc(block, size);
}

} // namespace

MemoryManager::MemoryManager(ReallocFunction realloc)
    : reallocFunction(realloc ? realloc : LibraryRealloc), reserve(std::malloc(ReserveSize)) {}

MemoryManager::~MemoryManager() {
    std::free(reserve);
}

MemoryManager& MemoryManager::Instance() {
    static MemoryManager instance;
    return instance;
}

void MemoryManager::SetOutOfMemoryHandler(OutOfMemoryHandler handler) {
    outOfMemoryHandler = handler;
}

bool MemoryManager::HasReserve() const {
    std::lock_guard lock(reserveMutex);
    return reserve != nullptr;
}

void MemoryManager::GiveBackReserve() {
    std::lock_guard lock(reserveMutex);
    std::free(reserve);
    reserve = nullptr;
}

void MemoryManager::GiveUp(size_t size) {
    std::fprintf(stderr, "Out of memory: a request for %zu bytes could not be met; the program ends.\n",
                 size);
    std::fflush(stderr);
    std::_Exit(EXIT_FAILURE);
}

void* MemoryManager::Reallocate(void* block, size_t size) {
    if (size == 0) {
        reallocFunction(block, 0);
        return nullptr;
    }
    // A refused request first costs the reserve, which usually lets the user save and close; the
    // application is told on every failed try so that the warning reaches the screen.
    for (int attempt = 0;; ++attempt) {
        if (void* result = reallocFunction(block, size)) {
            return result;
        }
        if (HasReserve()) {
            GiveBackReserve();
        } else if (attempt > RetriesAfterReserve) {
            GiveUp(size);
        } else {
            Sleep(100);
        }
        if (OutOfMemoryHandler handler = outOfMemoryHandler.load()) {
            handler();
        }
    }
}

} // namespace framework
