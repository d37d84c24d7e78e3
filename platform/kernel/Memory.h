#pragma once

// Local memory, as far as the system needs it: buffers that FormatMessageA allocates and the
// caller frees with LocalFree. Every block is fixed; moveable blocks do not exist on Linux.

#include "platform/WinTypes.h"

constexpr UINT LMEM_FIXED = 0x0000;
constexpr UINT LMEM_MOVEABLE = 0x0002;
constexpr UINT LMEM_ZEROINIT = 0x0040;
constexpr UINT LPTR = LMEM_FIXED | LMEM_ZEROINIT;

HLOCAL LocalAlloc(UINT uFlags, SIZE_T uBytes);
HLOCAL LocalFree(HLOCAL hMem);
