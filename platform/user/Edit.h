#pragma once

// The EDIT class, single line: a caret, a selection made with the mouse (press and drag, double
// click for a word) or with Shift and the cursor keys, Home/End, Ctrl+Left/Right by words,
// Delete/Backspace (Ctrl for a word), Ctrl+A, and the clipboard (Ctrl+C/X/V, Shift+Delete,
// Shift+Insert, Ctrl+Insert) through the display's clipboard. The text scrolls sideways to keep
// the caret in view; without ES_AUTOHSCROLL typing stops where the text would pass the right
// edge. ES_NUMBER takes only digits (others beep), ES_READONLY refuses changes, ES_CENTER and
// ES_RIGHT align the text, ES_PASSWORD shows '*', ES_UPPERCASE/ES_LOWERCASE fold what is typed.
//
// Every change by the user or by EM_REPLACESEL sends EN_UPDATE and then EN_CHANGE to the parent;
// WM_SETTEXT sends EN_UPDATE and EN_CHANGE too, as Win32's edit does. EN_SETFOCUS and
// EN_KILLFOCUS follow the focus, EN_MAXTEXT a refused insertion past the limit. In a dialog the
// edit answers WM_GETDLGCODE with DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS, so Tab and
// Enter go to the dialog. A border (WS_BORDER) is drawn as the sunken client edge of the 3D look.
//
// One level of undo (EM_UNDO, WM_UNDO, Ctrl+Z, Alt+Backspace): the last edit is put back and what
// it restores is selected; undoing again redoes it. A run of typed characters is one edit, and so
// is a run of Backspaces or of Deletes; a cut, paste, clear or undoable EM_REPLACESEL is an edit
// of its own. WM_SETTEXT, EM_EMPTYUNDOBUFFER and EM_REPLACESEL with fCanUndo FALSE empty the
// buffer. The edit has no context menu of its own.
//
// The state (text, selection, scroll offset, limit, undo record) lives in the window record's
// extra bytes.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

constexpr DWORD ES_LEFT = 0x0000;
constexpr DWORD ES_CENTER = 0x0001;
constexpr DWORD ES_RIGHT = 0x0002;
constexpr DWORD ES_MULTILINE = 0x0004;
constexpr DWORD ES_UPPERCASE = 0x0008;
constexpr DWORD ES_LOWERCASE = 0x0010;
constexpr DWORD ES_PASSWORD = 0x0020;
constexpr DWORD ES_AUTOVSCROLL = 0x0040;
constexpr DWORD ES_AUTOHSCROLL = 0x0080;
constexpr DWORD ES_NOHIDESEL = 0x0100;
constexpr DWORD ES_READONLY = 0x0800;
constexpr DWORD ES_WANTRETURN = 0x1000;
constexpr DWORD ES_NUMBER = 0x2000;

constexpr UINT EM_GETSEL = 0x00B0;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT EM_GETMODIFY = 0x00B8;
constexpr UINT EM_SETMODIFY = 0x00B9;
constexpr UINT EM_REPLACESEL = 0x00C2;
constexpr UINT EM_LIMITTEXT = 0x00C5;
constexpr UINT EM_SETLIMITTEXT = EM_LIMITTEXT;
constexpr UINT EM_CANUNDO = 0x00C6;
constexpr UINT EM_UNDO = 0x00C7;
constexpr UINT EM_EMPTYUNDOBUFFER = 0x00CD;
constexpr UINT EM_SETREADONLY = 0x00CF;
constexpr UINT EM_GETLIMITTEXT = 0x00D5;

constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;
constexpr UINT WM_CLEAR = 0x0303;
constexpr UINT WM_UNDO = 0x0304;

constexpr WORD EN_SETFOCUS = 0x0100;
constexpr WORD EN_KILLFOCUS = 0x0200;
constexpr WORD EN_CHANGE = 0x0300;
constexpr WORD EN_UPDATE = 0x0400;
constexpr WORD EN_ERRSPACE = 0x0500;
constexpr WORD EN_MAXTEXT = 0x0501;

namespace platform::user {

LRESULT EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::user
