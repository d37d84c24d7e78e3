#pragma once

// The help viewer. WinHelpA opens the program's help file in a window of the stand-in's own: a
// plain text document whose lines starting with "# " are headings; a heading may end with a context
// number in braces ("# Settings {12}"), which HELP_CONTEXT opens at. The text is painted and
// scrolled with the mouse wheel and the arrow and page keys. Contents entries and quoted references
// that name a heading are links, followed with the mouse or with Tab and Enter; Backspace and
// Alt+Left go back, Ctrl+F finds text. HELP_QUIT closes the viewer that the given window opened.
// A relative file name is looked for beside the program, then in the current folder.

#include "platform/UserConstants.h"
#include "platform/WinTypes.h"

#include <string>

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
// The number of links in a viewer's file, or -1 for a window that is no viewer.
int HelpViewerLinkCount(HWND viewer);
// The heading text the selected link leads to; empty when no link is selected.
std::string HelpViewerSelectedLink(HWND viewer);
// Where the first link in view that shows exactly `text` is drawn, in the viewer's client
// coordinates; false when no such link is in view.
bool HelpViewerLinkRect(HWND viewer, const std::string& text, RECT* rect);
// The text of the find under way; empty when none is.
std::string HelpViewerFindText(HWND viewer);

} // namespace platform
