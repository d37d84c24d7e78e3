#pragma once

// The help viewer. ShowHelp opens the program's help file in a window of the framework's own, as
// WinHelpA did with the system's viewer, which current systems no longer have: a plain text
// document whose lines starting with "# " are headings; a heading may end with a context number in
// braces ("# Settings {12}"), which HELP_CONTEXT opens at. The text is painted and scrolled with
// the mouse wheel and the arrow and page keys. Contents entries and quoted
// references that name a heading are links, followed with the mouse or with Tab and Enter;
// Backspace and Alt+Left go back, Ctrl+F finds text. HELP_QUIT closes the viewer that the given
// window opened. A relative file name is looked for beside the program, then in the current
// folder.

#include "platform/Windows.h"

#include <string>

namespace framework {

// Takes WinHelpA's commands HELP_INDEX, HELP_CONTEXT, HELP_CONTEXTPOPUP and HELP_QUIT.
BOOL ShowHelp(HWND owner, LPCSTR file, UINT command, ULONG_PTR data);

// The viewer window that owner's ShowHelp calls opened, or null.
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

} // namespace framework
