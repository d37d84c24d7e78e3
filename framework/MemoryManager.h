#pragma once

#include <cstddef>

namespace framework {

// The one allocator of the framework. Every framework buffer is taken and given back through
// Reallocate, so that running out of memory is handled in one place: the manager holds a 64 KiB
// reserve block from the start, gives it back when the C library first refuses a request, tells the
// application (which warns the user through its main window) and tries again.
//
// Thread-safe: the poll thread allocates while the window thread does.
class MemoryManager {
public:
    using ReallocFunction = void* (*)(void* block, size_t size);
    using OutOfMemoryHandler = void (*)();

    static constexpr size_t ReserveSize = 0x10000;
    // How often a request is retried once the reserve is gone, with a pause between tries, before
    // the process ends in an orderly way.
    static constexpr int RetriesAfterReserve = 50;

    explicit MemoryManager(ReallocFunction realloc = nullptr);
    ~MemoryManager();
    MemoryManager(const MemoryManager&) = delete;
    MemoryManager& operator=(const MemoryManager&) = delete;

    static MemoryManager& Instance();

    void* Allocate(size_t size) { return Reallocate(nullptr, size); }
    void* Reallocate(void* block, size_t size);
    void Free(void* block) { Reallocate(block, 0); }

    bool HasReserve() const;

    // The application installs the handler that sends the out-of-memory message to its main window.
    static void SetOutOfMemoryHandler(OutOfMemoryHandler handler);

private:
    void GiveBackReserve();
    [[noreturn]] static void GiveUp(size_t size);

    ReallocFunction reallocFunction;
    void* reserve;
};

} // namespace framework
