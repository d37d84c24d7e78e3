#pragma once

// Private profiles (INI files) read as Win32 reads them, and the "Windows directory" that bare
// profile names live in.
//
// The Windows directory is $TOLVA_WINDIR, else $XDG_CONFIG_HOME/tolva-dnc, else
// $HOME/.config/tolva-dnc, without a trailing `/`; nothing here creates it. A profile name without
// any separator (`QOR.INI`) is looked for there; any other name goes through platform::NativePath
// like every path given to the platform, so `C:\TOLVA\QOR.INI` and `./QOR.INI` work too. A null
// name is `win.ini`, as in Win32.
//
// Every call opens and reads the whole file again (shared for reading and writing, so the share
// locks of kernel/FileSharing.h apply), parses it while looking and keeps nothing: a file changed by an
// editor or by another thread is seen at the next call, and the calls are safe from any thread.
//
// The file is taken as ANSI bytes and returned as found; a UTF-8 byte-order mark at its start is
// skipped. Lines end with LF or CR LF. After leading blanks (space, tab, vertical tab, form feed,
// CR), a line is:
//  - a comment when it starts with `;`;
//  - a section header when it starts with `[`: the name runs to the first `]` or the end of the
//    line, without the blanks around it; the rest of the line is ignored;
//  - otherwise a key: the name up to the first `=` and the value after it, both without the blanks
//    around them. A line without `=` names a key that has no value: it is listed when keys are
//    enumerated, but reading it gives the default. Lines before the first section belong to none.
// Section and key names match without regard to ASCII case; in the names asked for only spaces
// around them are dropped, as in Win32. Only the first section of a name counts, and in it the
// first key of a name. A value enclosed in a matching pair of `'` or `"` loses that pair. A NUL
// byte ends its line, since names and values are handed out as C strings.
//
// Last errors: ERROR_SUCCESS when a value or a list was found; the error of the open or the read
// when the file cannot be read; ERROR_FILE_NOT_FOUND when the section or key is missing; and
// ERROR_MORE_DATA whenever the result was cut to the buffer.
//
// Not supported: UTF-16 profiles (Win32 reads those when they start with a byte-order mark) and
// the mapping of profiles to the registry.

#include "platform/WinTypes.h"

// The Windows directory stand-in by the usual buffer-size rules: its length when it fits, else
// the size needed including the NUL.
UINT GetWindowsDirectoryA(LPSTR lpBuffer, UINT uSize);

// The value of a key, or the default (null is "", trailing spaces are dropped) when the file,
// section or key is missing. A result longer than nSize - 1 is cut to that and NUL-terminated, and
// the count copied is returned.
//
// A null lpAppName lists the section names, a null lpKeyName the key names of the section: each
// name NUL-terminated and one more NUL at the end, returning the count without that last NUL. A
// list that does not fit ends with its last name cut and two NULs, and returns nSize - 2 (0 for a
// buffer smaller than 2); like Win32, a list that fills the buffer exactly is reported as cut. A
// section without keys, or a missing one, gives the default instead of a list.
DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName);

// The value of a key read as an integer, or nDefault when the file, section or key is missing or
// the value is empty. Leading blanks and control characters are skipped, then an optional sign,
// then a prefix 0x, 0o or 0b (lower case only) chooses base 16, 8 or 2 over 10; digits are read up
// to the first character that is not one of that base, none read giving 0. The arithmetic wraps in
// 32 bits, so "-1" is 0xFFFFFFFF. A null lpAppName or lpKeyName gives nDefault.
UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName);
