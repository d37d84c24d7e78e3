#pragma once

// Folders and the names of well-known places: attributes of a path, creating a folder, the
// current folder, the program's own file and the folder for temporary files. Paths given go
// through platform::NativePath; paths returned are Linux paths with `/`, which every call here
// accepts back.

#include "platform/WinTypes.h"

// FILE_ATTRIBUTE_DIRECTORY for a folder; FILE_ATTRIBUTE_READONLY for anything else that this
// process may not write, otherwise FILE_ATTRIBUTE_NORMAL.
DWORD GetFileAttributesA(LPCSTR lpFileName);

BOOL CreateDirectoryA(LPCSTR lpPathName, LPSECURITY_ATTRIBUTES lpSecurityAttributes);

DWORD GetCurrentDirectoryA(DWORD nBufferLength, LPSTR lpBuffer);

// The program is the only module of the process, so every module handle names it.
DWORD GetModuleFileNameA(HMODULE hModule, LPSTR lpFilename, DWORD nSize);

// $TMPDIR, else /tmp, always with a trailing `/`.
DWORD GetTempPathA(DWORD nBufferLength, LPSTR lpBuffer);
