#pragma once

// The Win32-shaped API on Linux. Code above the platform includes only this header, as it would
// include <windows.h>; the stand-in's own extras are in namespace platform.

#include "platform/DriveTable.h"
#include "platform/KernelCodePage.h"
#include "platform/KernelEnvironment.h"
#include "platform/KernelErrors.h"
#include "platform/KernelFiles.h"
#include "platform/KernelFolders.h"
#include "platform/KernelHandles.h"
#include "platform/KernelMemory.h"
#include "platform/KernelProfiles.h"
#include "platform/KernelThreads.h"
#include "platform/KernelTime.h"
#include "platform/UserConstants.h"
#include "platform/UserMessageBox.h"
#include "platform/UserMessages.h"
#include "platform/UserPaint.h"
#include "platform/UserWindows.h"
#include "platform/WinTypes.h"
