#pragma once

// For the window-tree dumps of the tests: whether a control's text fits the room the control
// draws it in, measured with the control's own font the way the control lays it out. Statics
// (wrapped at words unless single-line), push buttons, check boxes and radio buttons, group
// boxes and drop-down lists are checked; edit fields scroll and never count as clipped, nor do
// texts the control shortens on purpose (ellipsis styles) or windows without text.
//
// FIXME: the expected dumps still mark four labels of the templates, each a pixel or two too
// wide in our rendering of Arial 8 (Liberation Sans at 10.67 px, slight hinting, advances rounded
// to whole pixels): "CTS Hold", "DSR Hold" and "RLS Hold" (46 px in 45 and 47 px of room: the
// word "Hold" wraps below the field) and "File Extension" ("Extension" 48 px in 47). The
// classic platform's hinted glyph widths at this size are not known here; matching them is what
// would clear the marks. Liberation Sans's own TrueType hinting (FreeType's classic interpreter,
// version 35, full hinting) was measured as a stand-in for them: it fits all four (44, 45, 44 and
// 47 px) but widens "w" to 10 px, so the "View" check box clips instead (26 px in 24); Arial's
// own hinted widths would be needed, and Arial is not free to ship.

#include "platform/WinTypes.h"

namespace platform::testing {

bool IsTextClipped(HWND control);

} // namespace platform::testing
