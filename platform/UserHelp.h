#pragma once

// The help viewer. WinHelpA opens the program's help file in a window of the stand-in's own: a
// plain text document whose lines starting with "# " are headings; a heading may end with a context
// number in braces ("# Settings {12}"), which HELP_CONTEXT opens at. The text is painted and
// scrolled with the mouse wheel and the arrow and page keys. HELP_QUIT closes the viewer that the
// given window opened. A relative file name is looked for beside the program, then in the current
// folder.

#include "platform/UserConstants.h"
#include "platform/WinTypes.h"

constexpr UINT HELP_CONTEXT = 0x0001;
constexpr UINT HELP_QUIT = 0x0002;
constexpr UINT HELP_INDEX = 0x0003;
constexpr UINT HELP_CONTENTS = 0x0003;
constexpr UINT HELP_CONTEXTPOPUP = 0x0008;

constexpr int HELPINFO_WINDOW = 0x0001;
constexpr int HELPINFO_MENUITEM = 0x0002;

struct HELPINFO {
    UINT cbSize;
    int iContextType;
    int iCtrlId;
    HANDLE hItemHandle;
    DWORD_PTR dwContextId;
    POINT MousePos;
};
using LPHELPINFO = HELPINFO*;

BOOL WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

namespace platform {

// The viewer window that hwnd's WinHelpA calls opened, or null.
HWND HelpViewerOf(HWND owner);
// The first line shown at the top of a viewer (0-based), for tests and the snapshot checks.
int HelpViewerTopLine(HWND viewer);

} // namespace platform
