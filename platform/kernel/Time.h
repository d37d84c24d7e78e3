#pragma once

// Clocks and calendar time. The tick counts and the performance counter run on the monotonic
// clock, so changing the wall clock never makes a timeout jump; wall-clock time comes from the
// real-time clock and the time zone of the environment (TZ). A FILETIME counts 100 ns since
// 1601-01-01 00:00 UTC.

#include "platform/WinTypes.h"

// Milliseconds since the system started; wraps to zero after 49.7 days as a DWORD does.
DWORD GetTickCount();
ULONGLONG GetTickCount64();

// Ticks of 100 ns (a frequency of 10,000,000), as current Win32 systems report: code written for
// Win32 often scales the counter by 1,000,000 before dividing by the frequency, and a faster
// counter would overflow that product within hours.
BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);

// Sleeps at least the given time, also when signals arrive meanwhile; Sleep(0) gives up the
// rest of the time slice and Sleep(INFINITE) never returns.
void Sleep(DWORD dwMilliseconds);

void GetLocalTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTime(LPSYSTEMTIME lpSystemTime);
void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime);

// Valid from 1601 to 30827; wDayOfWeek is ignored going in and filled in coming out.
BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime);
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime);

// -1, 0 or 1 as the first time is earlier than, equal to or later than the second.
LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2);
