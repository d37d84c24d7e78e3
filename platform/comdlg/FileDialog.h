#pragma once

// The Open and Save As dialogs: GetOpenFileNameA and GetSaveFileNameA as a dialog of the
// stand-in's own, built in memory and run with DialogBoxIndirectParamA.
//
// The dialog shows the current folder on its "Look in" line with an "Up" button, a list of the
// folder's sub-folders ("[name]", with "[..]" for the parent) followed by its files that match
// the chosen filter's patterns, a file-name field, the filter choice and the OK ("Open" or
// "Save") and Cancel buttons. A double click on a folder enters it, on a file chooses it. OK
// with a folder selected in the list enters it; otherwise the file-name field decides: a
// pattern ("*.nc") filters the list, a folder (relative, or with a drive) is entered, anything
// else is the file chosen, checked as the flags ask.
//
// Paths are Windows-shaped: folders are shown and returned with a drive letter and
// backslashes, through the drive table (platform::DriveRoot). A Linux path given as initial
// folder is named by the drive whose folder holds it most closely (C: first among equals, so
// that with the default table `/home/ann` is `C:\home\ann`). A drive's root is the top of the
// tree: "Up" stops there, as on a Windows drive. Names beginning with '.' are hidden, as
// Linux's file managers hide them.
//
// The record may have the full size or the size before the Windows 2000 fields
// (OPENFILENAME_SIZE_VERSION_400A). Hooks, custom templates, OFN_ALLOWMULTISELECT and the
// custom filter are not offered. All calls belong to the thread that runs the dialog.

#include "platform/WinTypes.h"
#include "platform/comdlg/Common.h"

#include <cstddef>

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCSTR lpstrFilter;
    LPSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPSTR lpstrFile;
    DWORD nMaxFile;
    LPSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCSTR lpstrInitialDir;
    LPCSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};
using LPOPENFILENAMEA = OPENFILENAMEA*;

// The record's size before the Windows 2000 fields (76 bytes in a 32-bit program).
constexpr DWORD OPENFILENAME_SIZE_VERSION_400A =
    static_cast<DWORD>(offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(LPCSTR));

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_SHOWHELP = 0x00000010;
constexpr DWORD OFN_ENABLEHOOK = 0x00000020;
constexpr DWORD OFN_ENABLETEMPLATE = 0x00000040;
constexpr DWORD OFN_ENABLETEMPLATEHANDLE = 0x00000080;
constexpr DWORD OFN_NOVALIDATE = 0x00000100;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_EXTENSIONDIFFERENT = 0x00000400;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_CREATEPROMPT = 0x00002000;
constexpr DWORD OFN_SHAREAWARE = 0x00004000;
constexpr DWORD OFN_NOREADONLYRETURN = 0x00008000;
constexpr DWORD OFN_NOTESTFILECREATE = 0x00010000;
constexpr DWORD OFN_NONETWORKBUTTON = 0x00020000;
constexpr DWORD OFN_NOLONGNAMES = 0x00040000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_NODEREFERENCELINKS = 0x00100000;
constexpr DWORD OFN_LONGNAMES = 0x00200000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;
constexpr DWORD OFN_DONTADDTORECENT = 0x02000000;
constexpr DWORD OFN_FORCESHOWHIDDEN = 0x10000000;

// TRUE with the chosen path in lpstrFile; FALSE when the user cancelled (CommDlgExtendedError
// 0) or the call failed. A buffer too small for the path fails with FNERR_BUFFERTOOSMALL and the
// size needed, in characters with the terminator, in its first two bytes.
BOOL GetOpenFileNameA(LPOPENFILENAMEA lpofn);
BOOL GetSaveFileNameA(LPOPENFILENAMEA lpofn);
