#pragma once

// What the common dialogs share: the extended error of the last common-dialog call on this
// thread, and how a dialog is run. Each GetOpenFileNameA, GetSaveFileNameA and ChooseFontA call
// sets the error, to 0 when the user confirmed or cancelled and to one of the codes below when
// the call failed.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"
#include "platform/user/Dialog.h"
#include "platform/user/Windows.h"

constexpr DWORD CDERR_DIALOGFAILURE = 0xFFFF;
constexpr DWORD CDERR_GENERALCODES = 0x0000;
constexpr DWORD CDERR_STRUCTSIZE = 0x0001;
constexpr DWORD CDERR_INITIALIZATION = 0x0002;
constexpr DWORD CDERR_NOTEMPLATE = 0x0003;
constexpr DWORD CDERR_NOHINSTANCE = 0x0004;
constexpr DWORD CDERR_LOADSTRFAILURE = 0x0005;
constexpr DWORD CDERR_FINDRESFAILURE = 0x0006;
constexpr DWORD CDERR_LOADRESFAILURE = 0x0007;
constexpr DWORD CDERR_LOCKRESFAILURE = 0x0008;
constexpr DWORD CDERR_MEMALLOCFAILURE = 0x0009;
constexpr DWORD CDERR_MEMLOCKFAILURE = 0x000A;
constexpr DWORD CDERR_NOHOOK = 0x000B;
constexpr DWORD CDERR_REGISTERMSGFAIL = 0x000C;

constexpr DWORD CFERR_CHOOSEFONTCODES = 0x2000;
constexpr DWORD CFERR_NOFONTS = 0x2001;
constexpr DWORD CFERR_MAXLESSTHANMIN = 0x2002;

constexpr DWORD FNERR_FILENAMECODES = 0x3000;
constexpr DWORD FNERR_SUBCLASSFAILURE = 0x3001;
constexpr DWORD FNERR_INVALIDFILENAME = 0x3002;
constexpr DWORD FNERR_BUFFERTOOSMALL = 0x3003;

// Control ids of the common dialogs, as the classic dialogs number them.
constexpr int chx1 = 0x0410; // font: "Stri&keout"
constexpr int chx2 = 0x0411; // font: "&Underline"
constexpr int grp1 = 0x0430; // font: "Effects"
constexpr int grp2 = 0x0431; // font: "Sample"
constexpr int psh1 = 0x0400; // file: "Up"
constexpr int stc1 = 0x0440; // file: the current folder; font: "&Font:"
constexpr int stc2 = 0x0441; // file: "Files of type:"; font: "Font st&yle:"
constexpr int stc3 = 0x0442; // file: "File name:"; font: "&Size:"
constexpr int stc4 = 0x0443; // file: "Look in:"; font: "&Colour:"
constexpr int stc5 = 0x0444; // font: the sample text
constexpr int lst1 = 0x0460; // file: folders and files; font: families
constexpr int lst2 = 0x0461; // font: styles
constexpr int lst3 = 0x0462; // font: sizes
constexpr int cmb1 = 0x0470; // file: filters
constexpr int cmb4 = 0x0473; // font: colours
constexpr int edt1 = 0x0480; // file: file name
constexpr int edt3 = 0x0482; // font: size

DWORD CommDlgExtendedError();

namespace platform {
class DialogTemplateWriter;
} // namespace platform

namespace platform::comdlg {

void SetExtendedError(DWORD code);

// Sets the extended error and answers FALSE, for a call that fails before its dialog shows.
BOOL Fail(DWORD code);

// Shows the dialog modally over owner; self arrives as WM_INITDIALOG's lParam. True when the user
// confirmed with IDOK; a dialog that could not be made sets CDERR_DIALOGFAILURE.
bool RunModal(HINSTANCE instance, const DialogTemplateWriter& layout, HWND owner, DLGPROC procedure,
              void* self);

// The object behind a dialog run by RunModal: kept at WM_INITDIALOG, nullptr before it.
template <typename Dialog> Dialog* DialogObject(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
    }
    return reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
}

} // namespace platform::comdlg
