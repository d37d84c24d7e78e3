#pragma once

// The user's locale, read from the C locale of the environment (LANG, LC_ALL, LC_NUMERIC,
// LC_TIME). Only the items the framework asks for are answered; the short date picture is made
// from the locale's date format in Win32's picture letters (dd, MM, yyyy).

#include "platform/WinTypes.h"

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCTYPE LOCALE_SDECIMAL = 0x0000000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0000000F;
constexpr LCTYPE LOCALE_STIME = 0x0000001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x0000001F;

int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);
