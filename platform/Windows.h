#pragma once

// The Win32 API as code above the platform sees it. On Windows this is the real <windows.h> with
// the companions the program uses; on Linux it is the stand-in, whose own extras are in namespace
// platform. Code above the platform includes only this header (and platform/Extras.h for the few
// things the two platforms provide differently), as it would include <windows.h>.

#if defined(_WIN32)

#ifndef NOMINMAX
#define NOMINMAX
#endif

// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <windowsx.h>
// clang-format on

// The framework's own operations of these names are not the Win32 calls that <windows.h> maps to
// their A or W forms; code above the platform calls the A forms by their full names.
#undef ChooseFont
#undef FindText
#undef RegisterClass
#undef UnregisterClass

#else

#include "platform/WinTypes.h"
#include "platform/comctl/ImageList.h"
#include "platform/comctl/TreeView.h"
#include "platform/comctl/UpDown.h"
#include "platform/comdlg/Common.h"
#include "platform/comdlg/FileDialog.h"
#include "platform/comdlg/FontDialog.h"
#include "platform/display/Display.h"
#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/BmpFile.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/FontFamilies.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/DriveTable.h"
#include "platform/kernel/Environment.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/Files.h"
#include "platform/kernel/Folders.h"
#include "platform/kernel/Handles.h"
#include "platform/kernel/Locale.h"
#include "platform/kernel/Memory.h"
#include "platform/kernel/Modules.h"
#include "platform/kernel/Profiles.h"
#include "platform/kernel/Threads.h"
#include "platform/kernel/Time.h"
#include "platform/kernel/Version.h"
#include "platform/serial/Comm.h"
#include "platform/serial/PortMap.h"
#include "platform/serial/Pty.h"
#include "platform/user/Accelerators.h"
#include "platform/user/Button.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Constants.h"
#include "platform/user/Dialog.h"
#include "platform/user/Edit.h"
#include "platform/user/Help.h"
#include "platform/user/ListBox.h"
#include "platform/user/Menus.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Resources.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/Sound.h"
#include "platform/user/Static.h"
#include "platform/user/Windows.h"

#endif
