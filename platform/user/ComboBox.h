#pragma once

// The COMBOBOX class: CBS_DROPDOWNLIST (a field showing the selected item) and CBS_DROPDOWN (an
// EDIT field the user can type into), each with a button that drops the list down.
//
// The items live in the combo box's list, a list box of its own made as a hidden pop-up window
// ("ComboLBox", owned by the combo box's top-level window) when the combo box is created; the CB_
// item messages are passed on to it as their LB_ twins. The template's height is the height of the
// dropped list: the combo box keeps it and makes its own window as high as one line of its font.
//
// Dropping (a click on the field or the button, F4, Alt+Down) shows the list under the field and
// gives it the mouse: the highlight follows the mouse, a click on an item chooses it, a click
// anywhere else closes the list unchanged. Up, Down, PageUp, PageDown, Home, End and typed letters
// move the selection with the list closed or open; Enter closes it accepting, Esc restoring the
// selection it had when it dropped. The wheel moves the selection, or scrolls the open list.
//
// Notifications to the parent, as Win32 sends them: CBN_DROPDOWN before the list shows;
// CBN_SELENDOK or CBN_SELENDCANCEL, then CBN_CLOSEUP, when it closes; CBN_SELCHANGE for every
// selection the user makes (after the close when chosen with the mouse); CBN_EDITUPDATE and
// CBN_EDITCHANGE when the user types into the field; CBN_SETFOCUS and CBN_KILLFOCUS when the focus
// enters or leaves the combo box and its parts. Setting the selection by message notifies nobody.
//
// The state (the list, the field, heights, focus and dropped flags) lives in the window record's
// extra bytes.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

constexpr DWORD CBS_SIMPLE = 0x0001;
constexpr DWORD CBS_DROPDOWN = 0x0002;
constexpr DWORD CBS_DROPDOWNLIST = 0x0003;
constexpr DWORD CBS_AUTOHSCROLL = 0x0040;
constexpr DWORD CBS_SORT = 0x0100;
constexpr DWORD CBS_HASSTRINGS = 0x0200;
constexpr DWORD CBS_NOINTEGRALHEIGHT = 0x0400;
constexpr DWORD CBS_DISABLENOSCROLL = 0x0800;

constexpr UINT CB_GETEDITSEL = 0x0140;
constexpr UINT CB_LIMITTEXT = 0x0141;
constexpr UINT CB_SETEDITSEL = 0x0142;
constexpr UINT CB_ADDSTRING = 0x0143;
constexpr UINT CB_DELETESTRING = 0x0144;
constexpr UINT CB_GETCOUNT = 0x0146;
constexpr UINT CB_GETCURSEL = 0x0147;
constexpr UINT CB_GETLBTEXT = 0x0148;
constexpr UINT CB_GETLBTEXTLEN = 0x0149;
constexpr UINT CB_INSERTSTRING = 0x014A;
constexpr UINT CB_RESETCONTENT = 0x014B;
constexpr UINT CB_FINDSTRING = 0x014C;
constexpr UINT CB_SELECTSTRING = 0x014D;
constexpr UINT CB_SETCURSEL = 0x014E;
constexpr UINT CB_SHOWDROPDOWN = 0x014F;
constexpr UINT CB_GETITEMDATA = 0x0150;
constexpr UINT CB_SETITEMDATA = 0x0151;
constexpr UINT CB_GETDROPPEDCONTROLRECT = 0x0152;
constexpr UINT CB_GETITEMHEIGHT = 0x0154;
constexpr UINT CB_GETDROPPEDSTATE = 0x0157;
constexpr UINT CB_FINDSTRINGEXACT = 0x0158;
constexpr UINT CB_GETCOMBOBOXINFO = 0x0164;

constexpr LRESULT CB_OKAY = 0;
constexpr LRESULT CB_ERR = -1;
constexpr LRESULT CB_ERRSPACE = -2;

constexpr WORD CBN_SELCHANGE = 1;
constexpr WORD CBN_DBLCLK = 2;
constexpr WORD CBN_SETFOCUS = 3;
constexpr WORD CBN_KILLFOCUS = 4;
constexpr WORD CBN_EDITCHANGE = 5;
constexpr WORD CBN_EDITUPDATE = 6;
constexpr WORD CBN_DROPDOWN = 7;
constexpr WORD CBN_CLOSEUP = 8;
constexpr WORD CBN_SELENDOK = 9;
constexpr WORD CBN_SELENDCANCEL = 10;

// The parts of a combo box: the field, the button, the edit field and the list window.
struct COMBOBOXINFO {
    DWORD cbSize;
    RECT rcItem;
    RECT rcButton;
    DWORD stateButton;
    HWND hwndCombo;
    HWND hwndItem;
    HWND hwndList;
};
using PCOMBOBOXINFO = COMBOBOXINFO*;
BOOL GetComboBoxInfo(HWND hwndCombo, PCOMBOBOXINFO pcbi);

namespace platform::user {

// The id Win32 gives the edit field of a CBS_DROPDOWN combo box.
constexpr int ComboEditId = 1001;

LRESULT ComboBoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::user
