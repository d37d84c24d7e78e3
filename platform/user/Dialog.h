#pragma once

// The dialog manager: dialogs built from templates, their modal loop, keyboard navigation and
// default handling.
//
// A template is a DLGTEMPLATEEX (as the resource compiler writes them) or a plain DLGTEMPLATE.
// Creation follows Win32's order: the dialog window (class "#32770" unless the template names
// another), WM_SETFONT with the template's font, the controls in template order (which is their
// tab order) each with WM_SETFONT, then WM_INITDIALOG; the focus goes to the first tab stop unless
// the dialog procedure answers FALSE; a template with WS_VISIBLE is shown last. Dialog units are
// converted with the average character width and the height of the template's font, measured
// through the stand-in's own fonts ("Arial" 8 gives about 6 x 13 pixels).
//
// The modal loop disables the owner's top-level window, runs until EndDialog, enables the owner
// again, destroys the dialog and gives the focus back to the window that had it. IsDialogMessageA
// gives a dialog its keyboard interface: Tab and Shift+Tab through the WS_TABSTOP controls, arrow
// keys within a WS_GROUP group (clicking automatic radio buttons), Enter for the focused push
// button or the default button, Esc for IDCANCEL, Alt+letter (or the letter alone where the focus
// takes no characters) for the control whose text marks that letter with '&'.
//
// The dialog's own state (its procedure, font, default button, result) lives in a record per
// dialog window that DefDlgProcA drops at WM_NCDESTROY; the window's extra bytes hold the
// DWLP_MSGRESULT, DWLP_DLGPROC and DWLP_USER values as in Win32. All calls belong to the
// dialog's thread.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

#pragma pack(push, 2)
struct DLGTEMPLATE {
    DWORD style;
    DWORD dwExtendedStyle;
    WORD cdit;
    short x;
    short y;
    short cx;
    short cy;
};
#pragma pack(pop)
using LPCDLGTEMPLATEA = const DLGTEMPLATE*;

// Dialog styles.
constexpr DWORD DS_ABSALIGN = 0x0001;
constexpr DWORD DS_SYSMODAL = 0x0002;
constexpr DWORD DS_3DLOOK = 0x0004;
constexpr DWORD DS_FIXEDSYS = 0x0008;
constexpr DWORD DS_NOFAILCREATE = 0x0010;
constexpr DWORD DS_SETFONT = 0x0040;
constexpr DWORD DS_MODALFRAME = 0x0080;
constexpr DWORD DS_NOIDLEMSG = 0x0100;
constexpr DWORD DS_SETFOREGROUND = 0x0200;
constexpr DWORD DS_CONTROL = 0x0400;
constexpr DWORD DS_CENTER = 0x0800;
constexpr DWORD DS_CENTERMOUSE = 0x1000;
constexpr DWORD DS_SHELLFONT = DS_SETFONT | DS_FIXEDSYS;

// Dialog messages and answers.
constexpr UINT DM_GETDEFID = WM_USER + 0;
constexpr UINT DM_SETDEFID = WM_USER + 1;
constexpr UINT DM_REPOSITION = WM_USER + 2;
constexpr WORD DC_HASDEFID = 0x534B;
constexpr WPARAM MSGF_DIALOGBOX = 0;

// WM_GETDLGCODE answers.
constexpr LRESULT DLGC_WANTARROWS = 0x0001;
constexpr LRESULT DLGC_WANTTAB = 0x0002;
constexpr LRESULT DLGC_WANTALLKEYS = 0x0004;
constexpr LRESULT DLGC_WANTMESSAGE = 0x0004;
constexpr LRESULT DLGC_HASSETSEL = 0x0008;
constexpr LRESULT DLGC_DEFPUSHBUTTON = 0x0010;
constexpr LRESULT DLGC_UNDEFPUSHBUTTON = 0x0020;
constexpr LRESULT DLGC_RADIOBUTTON = 0x0040;
constexpr LRESULT DLGC_WANTCHARS = 0x0080;
constexpr LRESULT DLGC_STATIC = 0x0100;
constexpr LRESULT DLGC_BUTTON = 0x2000;

INT_PTR DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);
// The template is found with FindResourceA(hInstance, lpTemplateName, RT_DIALOG).
INT_PTR DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam);
HWND CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                DLGPROC lpDialogFunc, LPARAM dwInitParam);
HWND CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                        LPARAM dwInitParam);
// Ends a modal dialog's loop with the result (the dialog is hidden at once and destroyed by the
// loop); a modeless dialog is only hidden.
BOOL EndDialog(HWND hDlg, INT_PTR nResult);
LRESULT DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
BOOL IsDialogMessageA(HWND hDlg, LPMSG lpMsg);

HWND GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
HWND GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
// The base units of the system font: average character width in the low word, height in the high.
LONG GetDialogBaseUnits();
BOOL MapDialogRect(HWND hDlg, LPRECT lpRect);

BOOL SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
UINT GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
BOOL SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
UINT GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
BOOL CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
UINT IsDlgButtonChecked(HWND hDlg, int nIDButton);
BOOL CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
LRESULT SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);

namespace platform {

// Whether a window was made by the dialog manager (modal or modeless), for message loops that
// route keyboard input through IsDialogMessageA.
bool IsDialogWindow(HWND hwnd);

// The colours a control draws with: the parent's answer to the WM_CTLCOLOR* message, or the
// classic defaults (button face behind static texts and buttons, window colour behind edits) set
// on the context, when the parent answers nothing.
HBRUSH ControlColours(HWND control, HDC dc, UINT ctlColorMessage);

} // namespace platform
