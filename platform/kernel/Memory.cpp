#include "platform/kernel/Memory.h"

#include "platform/kernel/Errors.h"

#include <cstdlib>

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes) {
    // Win32 hands out a valid block for zero bytes; malloc(0) may return nullptr.
    SIZE_T size = uBytes == 0 ? 1 : uBytes;
    void* block = (uFlags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
    if (block == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HLOCAL LocalFree(HLOCAL hMem) {
    std::free(hMem);
    return nullptr;
}
