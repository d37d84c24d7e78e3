#pragma once

// The help commands and the help request's record (WM_HELP). The viewer itself is the
// framework's (framework/services/HelpViewer.h): it is ordinary Win32 code and serves both platforms.

#include "platform/WinTypes.h"
#include "platform/user/Constants.h"

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
