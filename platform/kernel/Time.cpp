#include "platform/kernel/Time.h"

#include "platform/kernel/Errors.h"
#include "platform/kernel/Threads.h"

#include <cerrno>
#include <ctime>
#include <sched.h>
#include <unistd.h>

namespace {

constexpr LONGLONG nanosecondsPerSecond = 1'000'000'000;
constexpr LONGLONG fileTimeTicksPerSecond = 10'000'000;
constexpr LONGLONG nanosecondsPerFileTimeTick = 100;
constexpr LONGLONG secondsPerDay = 86'400;
constexpr LONGLONG daysFrom1601To1970 = 134'774;
constexpr LONGLONG performanceFrequency = fileTimeTicksPerSecond;
constexpr int firstYear = 1601;
constexpr int lastYear = 30827;

timespec ClockNow(clockid_t clock) {
    timespec now{};
    ::clock_gettime(clock, &now);
    return now;
}

ULONGLONG MonotonicMilliseconds() {
    timespec now = ClockNow(CLOCK_MONOTONIC);
    return static_cast<ULONGLONG>(now.tv_sec) * 1000 + static_cast<ULONGLONG>(now.tv_nsec) / 1'000'000;
}

bool IsLeapYear(LONGLONG year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(LONGLONG year, int month) {
    constexpr int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

// Days since 1970-01-01 in the proleptic Gregorian calendar, counting years from March so that
// the leap day falls at the end of a year and each 400-year era has the same length.
LONGLONG DaysFromCivil(LONGLONG year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    LONGLONG era = (year >= 0 ? year : year - 399) / 400;
    LONGLONG yearOfEra = year - era * 400;
    LONGLONG dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    LONGLONG dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146'097 + dayOfEra - 719'468;
}

void CivilFromDays(LONGLONG days, LONGLONG& year, int& month, int& day) {
    days += 719'468;
    LONGLONG era = (days >= 0 ? days : days - 146'096) / 146'097;
    LONGLONG dayOfEra = days - era * 146'097;
    LONGLONG yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36'524 - dayOfEra / 146'096) / 365;
    LONGLONG dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    LONGLONG monthFromMarch = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

// 1970-01-01 was a Thursday (4, counting Sunday as 0).
WORD DayOfWeek(LONGLONG daysSince1970) {
    return static_cast<WORD>(((daysSince1970 % 7) + 7 + 4) % 7);
}

void FillSystemTime(const std::tm& calendar, long nanoseconds, LPSYSTEMTIME systemTime) {
    systemTime->wYear = static_cast<WORD>(calendar.tm_year + 1900);
    systemTime->wMonth = static_cast<WORD>(calendar.tm_mon + 1);
    systemTime->wDayOfWeek = static_cast<WORD>(calendar.tm_wday);
    systemTime->wDay = static_cast<WORD>(calendar.tm_mday);
    systemTime->wHour = static_cast<WORD>(calendar.tm_hour);
    systemTime->wMinute = static_cast<WORD>(calendar.tm_min);
    // A leap second (60) has no place in a SYSTEMTIME.
    systemTime->wSecond = static_cast<WORD>(calendar.tm_sec > 59 ? 59 : calendar.tm_sec);
    systemTime->wMilliseconds = static_cast<WORD>(nanoseconds / 1'000'000);
}

bool IsValidSystemTime(const SYSTEMTIME& time) {
    if (time.wYear < firstYear || time.wYear > lastYear || time.wMonth < 1 || time.wMonth > 12)
        return false;
    if (time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth))
        return false;
    return time.wHour < 24 && time.wMinute < 60 && time.wSecond < 60 && time.wMilliseconds < 1000;
}

ULONGLONG FileTimeValue(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

void StoreFileTime(ULONGLONG value, LPFILETIME time) {
    time->dwLowDateTime = static_cast<DWORD>(value);
    time->dwHighDateTime = static_cast<DWORD>(value >> 32);
}

} // namespace

DWORD GetTickCount() {
    return static_cast<DWORD>(MonotonicMilliseconds());
}

ULONGLONG GetTickCount64() {
    return MonotonicMilliseconds();
}

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
    timespec now = ClockNow(CLOCK_MONOTONIC);
    lpPerformanceCount->QuadPart = static_cast<LONGLONG>(now.tv_sec) * performanceFrequency +
                                   now.tv_nsec / (nanosecondsPerSecond / performanceFrequency);
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
    lpFrequency->QuadPart = performanceFrequency;
    return TRUE;
}

// The wake-up time is absolute, so a signal that cuts the sleep short only restarts the wait for
// what is left of it, without drift.
void Sleep(DWORD dwMilliseconds) {
    // A sleeping thread is at a wait point: a suspended thread parks here, before and after.
    platform::ThreadWaitPoint();
    if (dwMilliseconds == 0) {
        ::sched_yield();
        return;
    }
    if (dwMilliseconds == INFINITE) {
        for (;;)
            ::pause();
    }
    timespec deadline = ClockNow(CLOCK_MONOTONIC);
    deadline.tv_sec += dwMilliseconds / 1000;
    deadline.tv_nsec += static_cast<long>(dwMilliseconds % 1000) * 1'000'000;
    if (deadline.tv_nsec >= nanosecondsPerSecond) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= nanosecondsPerSecond;
    }
    while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
    platform::ThreadWaitPoint();
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    timespec now = ClockNow(CLOCK_REALTIME);
    std::tm calendar{};
    // localtime_r need not look at TZ again; tzset makes a changed time zone count at once.
    ::tzset();
    ::localtime_r(&now.tv_sec, &calendar);
    FillSystemTime(calendar, now.tv_nsec, lpSystemTime);
}

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    timespec now = ClockNow(CLOCK_REALTIME);
    std::tm calendar{};
    ::gmtime_r(&now.tv_sec, &calendar);
    FillSystemTime(calendar, now.tv_nsec, lpSystemTime);
}

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    timespec now = ClockNow(CLOCK_REALTIME);
    LONGLONG seconds = static_cast<LONGLONG>(now.tv_sec) + daysFrom1601To1970 * secondsPerDay;
    StoreFileTime(
        static_cast<ULONGLONG>(seconds * fileTimeTicksPerSecond + now.tv_nsec / nanosecondsPerFileTimeTick),
        lpSystemTimeAsFileTime);
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
    if (!IsValidSystemTime(*lpSystemTime)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const SYSTEMTIME& time = *lpSystemTime;
    LONGLONG days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) + daysFrom1601To1970;
    LONGLONG seconds = days * secondsPerDay + time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
    StoreFileTime(static_cast<ULONGLONG>(seconds * fileTimeTicksPerSecond + time.wMilliseconds * 10'000LL),
                  lpFileTime);
    return TRUE;
}

// Win32 takes only values below 2^63, which reach beyond the year 30827.
BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    ULONGLONG value = FileTimeValue(*lpFileTime);
    if (value > 0x7FFF'FFFF'FFFF'FFFFULL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    auto ticks = static_cast<LONGLONG>(value);
    LONGLONG seconds = ticks / fileTimeTicksPerSecond;
    LONGLONG days = seconds / secondsPerDay - daysFrom1601To1970;
    LONGLONG secondOfDay = seconds % secondsPerDay;
    LONGLONG year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days, year, month, day);
    *lpSystemTime = {static_cast<WORD>(year),
                     static_cast<WORD>(month),
                     DayOfWeek(days),
                     static_cast<WORD>(day),
                     static_cast<WORD>(secondOfDay / 3600),
                     static_cast<WORD>(secondOfDay / 60 % 60),
                     static_cast<WORD>(secondOfDay % 60),
                     static_cast<WORD>(ticks % fileTimeTicksPerSecond / 10'000)};
    return TRUE;
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
    ULONGLONG first = FileTimeValue(*lpFileTime1);
    ULONGLONG second = FileTimeValue(*lpFileTime2);
    return first < second ? -1 : first > second ? 1 : 0;
}
