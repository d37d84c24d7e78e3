#pragma once

// The Font dialog: ChooseFontA as a dialog of the stand-in's own, built in memory and run with
// DialogBoxIndirectParamA.
//
// The dialog lists the installed families (EnumFontFamiliesExA, so fontconfig's names), the four
// styles Regular, Italic, Bold and Bold Italic (fontconfig makes the ones a family lacks), and
// the sizes 8 to 72 points with a field to type any size; with CF_EFFECTS the strike-out and
// underline boxes and the colour list too. A sample text shows the choice as it changes.
//
// With CF_INITTOLOGFONTSTRUCT the dialog starts from the caller's LOGFONTA. A face that is not a
// family of its own here ("Arial") starts on the family it is drawn with ("Liberation Sans"), so
// the family chosen always exists and CF_FORCEFONTEXIST holds by construction. Sizes are points
// at the screen's 96 dots per inch: lfHeight is -MulDiv(points, 96, 72), the em height in pixels,
// and iPointSize tenths of a point. CF_LIMITSIZE keeps the size within nSizeMin..nSizeMax and
// says so in a message box. Hooks, custom templates, printer fonts and the script choice are not
// offered. All calls belong to the thread that runs the dialog.

#include "platform/WinTypes.h"
#include "platform/comdlg/Common.h"
#include "platform/gdi/Fonts.h"

using LPCFHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct CHOOSEFONTA {
    DWORD lStructSize;
    HWND hwndOwner;
    HDC hDC;
    LPLOGFONTA lpLogFont;
    INT iPointSize;
    DWORD Flags;
    COLORREF rgbColors;
    LPARAM lCustData;
    LPCFHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
    HINSTANCE hInstance;
    LPSTR lpszStyle;
    WORD nFontType;
    WORD ___MISSING_ALIGNMENT__;
    INT nSizeMin;
    INT nSizeMax;
};
using LPCHOOSEFONTA = CHOOSEFONTA*;

constexpr DWORD CF_SCREENFONTS = 0x00000001;
constexpr DWORD CF_PRINTERFONTS = 0x00000002;
constexpr DWORD CF_BOTH = CF_SCREENFONTS | CF_PRINTERFONTS;
constexpr DWORD CF_SHOWHELP = 0x00000004;
constexpr DWORD CF_ENABLEHOOK = 0x00000008;
constexpr DWORD CF_ENABLETEMPLATE = 0x00000010;
constexpr DWORD CF_ENABLETEMPLATEHANDLE = 0x00000020;
constexpr DWORD CF_INITTOLOGFONTSTRUCT = 0x00000040;
constexpr DWORD CF_USESTYLE = 0x00000080;
constexpr DWORD CF_EFFECTS = 0x00000100;
constexpr DWORD CF_APPLY = 0x00000200;
constexpr DWORD CF_ANSIONLY = 0x00000400;
constexpr DWORD CF_SCRIPTSONLY = CF_ANSIONLY;
constexpr DWORD CF_NOVECTORFONTS = 0x00000800;
constexpr DWORD CF_NOSIMULATIONS = 0x00001000;
constexpr DWORD CF_LIMITSIZE = 0x00002000;
constexpr DWORD CF_FIXEDPITCHONLY = 0x00004000;
constexpr DWORD CF_WYSIWYG = 0x00008000;
constexpr DWORD CF_FORCEFONTEXIST = 0x00010000;
constexpr DWORD CF_SCALABLEONLY = 0x00020000;
constexpr DWORD CF_TTONLY = 0x00040000;
constexpr DWORD CF_NOFACESEL = 0x00080000;
constexpr DWORD CF_NOSTYLESEL = 0x00100000;
constexpr DWORD CF_NOSIZESEL = 0x00200000;
constexpr DWORD CF_SELECTSCRIPT = 0x00400000;
constexpr DWORD CF_NOSCRIPTSEL = 0x00800000;
constexpr DWORD CF_NOVERTFONTS = 0x01000000;

constexpr WORD BOLD_FONTTYPE = 0x0100;
constexpr WORD ITALIC_FONTTYPE = 0x0200;
constexpr WORD REGULAR_FONTTYPE = 0x0400;
constexpr WORD SCREEN_FONTTYPE = 0x2000;
constexpr WORD PRINTER_FONTTYPE = 0x4000;
constexpr WORD SIMULATED_FONTTYPE = 0x8000;

// TRUE with the chosen font in *lpLogFont, iPointSize, nFontType and (with CF_EFFECTS)
// rgbColors; FALSE when the user cancelled (CommDlgExtendedError 0, the record untouched) or the
// call failed. With CF_USESTYLE the style's name is read from and written to lpszStyle, which
// must hold LF_FACESIZE characters.
BOOL ChooseFontA(LPCHOOSEFONTA lpcf);
