#pragma once

// The LISTBOX class, single selection: text items with a value each, kept sorted with LBS_SORT
// (case folded), drawn one font height apart with the selected item in the highlight colours and
// a focus rectangle around the caret item while the list has the focus. The mouse selects (press
// and drag; a double click reports LBN_DBLCLK), the keyboard moves the selection (Up, Down,
// PageUp, PageDown, Home, End) and a typed character selects the next item starting with it; the
// wheel and the vertical scroll bar (WS_VSCROLL) scroll the list. With LBS_NOTIFY the parent hears
// LBN_SELCHANGE when the user changes the selection (on the mouse's release, as Win32 reports
// it) and LBN_DBLCLK; LBN_SETFOCUS and LBN_KILLFOCUS come always. Setting the selection by
// message notifies nobody.
//
// The list of a combo box is a list box too, a pop-up made by the combo box with LBS_COMBOBOX and
// the combo box's handle as the creation parameter: it reports to the combo box instead of a
// parent, follows the mouse while dropped, and tells the combo box when an item is chosen or the
// user clicked elsewhere (ComboListChosen, ComboListCancelled).
//
// The state (items, selection, top item, caret, font) lives in the window record's extra bytes.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

constexpr DWORD LBS_NOTIFY = 0x0001;
constexpr DWORD LBS_SORT = 0x0002;
constexpr DWORD LBS_NOREDRAW = 0x0004;
constexpr DWORD LBS_HASSTRINGS = 0x0040;
constexpr DWORD LBS_USETABSTOPS = 0x0080;
constexpr DWORD LBS_NOINTEGRALHEIGHT = 0x0100;
constexpr DWORD LBS_WANTKEYBOARDINPUT = 0x0400;
constexpr DWORD LBS_DISABLENOSCROLL = 0x1000;
constexpr DWORD LBS_COMBOBOX = 0x8000;
constexpr DWORD LBS_STANDARD = LBS_NOTIFY | LBS_SORT | WS_VSCROLL | WS_BORDER;

constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETCURSEL = 0x0186;
constexpr UINT LB_GETSEL = 0x0187;
constexpr UINT LB_GETCURSEL = 0x0188;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_SELECTSTRING = 0x018C;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_FINDSTRING = 0x018F;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr UINT LB_GETITEMRECT = 0x0198;
constexpr UINT LB_GETITEMDATA = 0x0199;
constexpr UINT LB_SETITEMDATA = 0x019A;
constexpr UINT LB_SETCARETINDEX = 0x019E;
constexpr UINT LB_GETCARETINDEX = 0x019F;
constexpr UINT LB_SETITEMHEIGHT = 0x01A0;
constexpr UINT LB_GETITEMHEIGHT = 0x01A1;
constexpr UINT LB_FINDSTRINGEXACT = 0x01A2;
constexpr UINT LB_ITEMFROMPOINT = 0x01A9;

constexpr LRESULT LB_OKAY = 0;
constexpr LRESULT LB_ERR = -1;
constexpr LRESULT LB_ERRSPACE = -2;

constexpr WORD LBN_SELCHANGE = 1;
constexpr WORD LBN_DBLCLK = 2;
constexpr WORD LBN_SELCANCEL = 3;
constexpr WORD LBN_SETFOCUS = 4;
constexpr WORD LBN_KILLFOCUS = 5;

namespace platform::user {

// What the list of a combo box tells its combo box, as WM_COMMAND codes beside LBN_SELCHANGE.
constexpr WORD ComboListChosen = 0x7F01;
constexpr WORD ComboListCancelled = 0x7F02;

LRESULT ListBoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::user
