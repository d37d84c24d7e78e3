#pragma once

// The up/down arrows of a number field ("msctls_updown32"): two arrow buttons that step a
// position within a range, optionally bound to a buddy window (usually an EDIT field) whose text
// shows the position (UDS_SETBUDDYINT) and beside which the arrows place themselves
// (UDS_ALIGNRIGHT, UDS_ALIGNLEFT; the buddy gives up the width). With UDS_ARROWKEYS the Up and
// Down keys in the buddy step as well.
//
// Each step asks the parent first with UDN_DELTAPOS (a WM_NOTIFY it can refuse by answering
// non-zero), then moves the position (clamped, or wrapped with UDS_WRAP), writes the buddy's text
// and reports WM_VSCROLL (WM_HSCROLL with UDS_HORZ) with SB_THUMBPOSITION and the new position;
// SB_ENDSCROLL follows when the button or key is let go. A held arrow repeats. As in Win32 the
// range starts as 100 down to 0, so the parent normally sets it first. The state lives in the
// window record's extra bytes.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

constexpr char UPDOWN_CLASSA[] = "msctls_updown32";

constexpr DWORD UDS_WRAP = 0x0001;
constexpr DWORD UDS_SETBUDDYINT = 0x0002;
constexpr DWORD UDS_ALIGNRIGHT = 0x0004;
constexpr DWORD UDS_ALIGNLEFT = 0x0008;
constexpr DWORD UDS_AUTOBUDDY = 0x0010;
constexpr DWORD UDS_ARROWKEYS = 0x0020;
constexpr DWORD UDS_HORZ = 0x0040;
constexpr DWORD UDS_NOTHOUSANDS = 0x0080;

constexpr UINT UDM_SETRANGE = WM_USER + 101;
constexpr UINT UDM_GETRANGE = WM_USER + 102;
constexpr UINT UDM_SETPOS = WM_USER + 103;
constexpr UINT UDM_GETPOS = WM_USER + 104;
constexpr UINT UDM_SETBUDDY = WM_USER + 105;
constexpr UINT UDM_GETBUDDY = WM_USER + 106;
constexpr UINT UDM_SETRANGE32 = WM_USER + 111;
constexpr UINT UDM_GETRANGE32 = WM_USER + 112;
constexpr UINT UDM_SETPOS32 = WM_USER + 113;
constexpr UINT UDM_GETPOS32 = WM_USER + 114;

constexpr UINT UDN_FIRST = static_cast<UINT>(-721);
constexpr UINT UDN_DELTAPOS = UDN_FIRST - 1;

struct NMUPDOWN {
    NMHDR hdr;
    int iPos;
    int iDelta;
};
using LPNMUPDOWN = NMUPDOWN*;

namespace platform::user {

LRESULT UpDownProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace platform::user
