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

#include "platform/ComctlImageList.h"
#include "platform/ComdlgCommon.h"
#include "platform/ComdlgFileDialog.h"
#include "platform/ComdlgFontDialog.h"
#include "platform/Display.h"
#include "platform/DriveTable.h"
#include "platform/GdiBitmaps.h"
#include "platform/GdiBmpFile.h"
#include "platform/GdiDeviceContext.h"
#include "platform/GdiDrawing.h"
#include "platform/GdiEdges.h"
#include "platform/GdiFontFamilies.h"
#include "platform/GdiFonts.h"
#include "platform/GdiObjects.h"
#include "platform/GdiSystemColours.h"
#include "platform/GdiText.h"
#include "platform/KernelCodePage.h"
#include "platform/KernelEnvironment.h"
#include "platform/KernelErrors.h"
#include "platform/KernelFiles.h"
#include "platform/KernelFolders.h"
#include "platform/KernelHandles.h"
#include "platform/KernelLocale.h"
#include "platform/KernelMemory.h"
#include "platform/KernelModules.h"
#include "platform/KernelProfiles.h"
#include "platform/KernelSerial.h"
#include "platform/KernelSerialPortMap.h"
#include "platform/KernelSerialPty.h"
#include "platform/KernelThreads.h"
#include "platform/KernelTime.h"
#include "platform/KernelVersion.h"
#include "platform/UserAccelerators.h"
#include "platform/UserButton.h"
#include "platform/UserComboBox.h"
#include "platform/UserConstants.h"
#include "platform/UserDialog.h"
#include "platform/UserEdit.h"
#include "platform/UserHelp.h"
#include "platform/UserListBox.h"
#include "platform/UserMenus.h"
#include "platform/UserMessageBox.h"
#include "platform/UserMessages.h"
#include "platform/UserPaint.h"
#include "platform/UserScrollBar.h"
#include "platform/UserResources.h"
#include "platform/UserSound.h"
#include "platform/UserStatic.h"
#include "platform/UserTreeView.h"
#include "platform/UserUpDown.h"
#include "platform/UserWindows.h"
#include "platform/WinTypes.h"

#endif
