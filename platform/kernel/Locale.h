#pragma once

// The user's locale, read from the C locale of the environment (LANG, LC_ALL, LC_NUMERIC,
// LC_TIME). Only the items the framework asks for are answered; the short date picture is made
// from the locale's date format in Win32's picture letters (dd, MM, yyyy), the time picture from
// its time format (HH, hh, mm, ss, tt). Date and time texts are written from those pictures.

#include "platform/WinTypes.h"

using LCID = DWORD;
using LCTYPE = DWORD;

constexpr LCID LOCALE_USER_DEFAULT = 0x0400;
constexpr LCID LOCALE_SYSTEM_DEFAULT = 0x0800;
constexpr LCTYPE LOCALE_SDECIMAL = 0x0000000E;
constexpr LCTYPE LOCALE_STHOUSAND = 0x0000000F;
constexpr LCTYPE LOCALE_STIME = 0x0000001E;
constexpr LCTYPE LOCALE_SSHORTDATE = 0x0000001F;
constexpr LCTYPE LOCALE_STIMEFORMAT = 0x00001003;

struct SYSTEMTIME;

int GetLocaleInfoA(LCID Locale, LCTYPE LCType, LPSTR lpLCData, int cchData);

// Write a date or a time by a picture (null: the locale's short date or time picture). Picture
// letters: d dd M MM yy yyyy for dates; h hh H HH m mm s ss t tt for times; text in single quotes
// is copied as it stands. A null time means now. With cchDate 0 the size needed is returned.
int GetDateFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpDate, LPCSTR lpFormat, LPSTR lpDateStr,
                   int cchDate);
int GetTimeFormatA(LCID Locale, DWORD dwFlags, const SYSTEMTIME* lpTime, LPCSTR lpFormat, LPSTR lpTimeStr,
                   int cchTime);
