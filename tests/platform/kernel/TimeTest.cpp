#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <random>
#include <sys/time.h>

namespace {

using testsupport::ScopedEnvironment;
using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr LONGLONG ticksPerSecond = 10'000'000;
constexpr LONGLONG secondsFrom1601To1970 = 11'644'473'600;

LONGLONG FileTimeValue(const FILETIME& time) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

FILETIME MakeFileTime(ULONGLONG value) {
    return {static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
}

SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                          int milliseconds = 0) {
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    time.wMilliseconds = static_cast<WORD>(milliseconds);
    return time;
}

LONGLONG ToFileTime(const SYSTEMTIME& time) {
    FILETIME converted{};
    EXPECT_TRUE(SystemTimeToFileTime(&time, &converted));
    return FileTimeValue(converted);
}

TEST(KernelTimeTest, PerformanceCounterRunsAtTenMegahertzAndNeverGoesBack) {
    LARGE_INTEGER frequency{};
    ASSERT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, ticksPerSecond);
    LARGE_INTEGER previous{};
    QueryPerformanceCounter(&previous);
    for (int index = 0; index < 100'000; ++index) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        ASSERT_GE(now.QuadPart, previous.QuadPart);
        previous = now;
    }
}

TEST(KernelTimeTest, PerformanceCounterMeasuresElapsedTime) {
    LARGE_INTEGER start{};
    LARGE_INTEGER end{};
    QueryPerformanceCounter(&start);
    auto clockStart = Clock::now();
    timespec pause{0, 50'000'000};
    ::nanosleep(&pause, nullptr);
    QueryPerformanceCounter(&end);
    auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - clockStart).count();
    LONGLONG counted = (end.QuadPart - start.QuadPart) / 10;
    EXPECT_GE(counted, 50'000);
    EXPECT_NEAR(static_cast<double>(counted), static_cast<double>(elapsed), 5'000.0);
}

TEST(KernelTimeTest, TickCountsAdvanceInMillisecondsAndAgree) {
    ULONGLONG start64 = GetTickCount64();
    DWORD start = GetTickCount();
    EXPECT_LE(static_cast<DWORD>(start - static_cast<DWORD>(start64)), 2u) << "GetTickCount is the low half";
    Sleep(40);
    EXPECT_GE(GetTickCount64() - start64, 40u);
    EXPECT_LT(GetTickCount64() - start64, 1'000u);
    EXPECT_GE(static_cast<DWORD>(GetTickCount() - start), 40u);
}

TEST(KernelTimeTest, SleepWaitsAtLeastTheAskedTime) {
    for (DWORD asked : {1u, 15u, 60u}) {
        auto start = Clock::now();
        Sleep(asked);
        EXPECT_GE(Clock::now() - start, milliseconds(asked)) << asked << " ms";
    }
}

volatile std::sig_atomic_t alarmsSeen = 0;

void CountAlarm(int) {
    alarmsSeen = alarmsSeen + 1;
}

// Without SA_RESTART the alarm interrupts the sleep, which must still last the full time.
TEST(KernelTimeTest, SleepLastsTheFullTimeAcrossSignals) {
    struct sigaction action {};
    struct sigaction previous {};
    action.sa_handler = CountAlarm;
    sigemptyset(&action.sa_mask);
    ASSERT_EQ(::sigaction(SIGALRM, &action, &previous), 0);
    alarmsSeen = 0;
    itimerval timer{{0, 10'000}, {0, 10'000}};
    ASSERT_EQ(::setitimer(ITIMER_REAL, &timer, nullptr), 0);
    auto start = Clock::now();
    Sleep(80);
    auto elapsed = Clock::now() - start;
    itimerval off{};
    ::setitimer(ITIMER_REAL, &off, nullptr);
    ::sigaction(SIGALRM, &previous, nullptr);
    EXPECT_GE(alarmsSeen, 1) << "the alarm must have fired during the sleep";
    EXPECT_GE(elapsed, milliseconds(80));
    EXPECT_LT(elapsed, milliseconds(500)) << "interruptions must not restart the whole wait";
}

TEST(KernelTimeTest, FileTimesCountFrom1601InHundredNanoseconds) {
    EXPECT_EQ(ToFileTime(MakeSystemTime(1601, 1, 1)), 0);
    EXPECT_EQ(ToFileTime(MakeSystemTime(1601, 1, 1, 0, 0, 0, 1)), 10'000);
    EXPECT_EQ(ToFileTime(MakeSystemTime(1970, 1, 1)), secondsFrom1601To1970 * ticksPerSecond);
}

// timegm and gmtime_r serve as the independent calendar here.
TEST(KernelTimeTest, SystemTimesConvertLikeTheCCalendar) {
    std::mt19937_64 random(20240229);
    std::uniform_int_distribution<LONGLONG> seconds(-11'644'473'600LL, 253'402'300'799LL);
    for (int index = 0; index < 2'000; ++index) {
        time_t moment = static_cast<time_t>(seconds(random));
        std::tm calendar{};
        ASSERT_NE(::gmtime_r(&moment, &calendar), nullptr);
        SYSTEMTIME time = MakeSystemTime(calendar.tm_year + 1900, calendar.tm_mon + 1, calendar.tm_mday,
                                         calendar.tm_hour, calendar.tm_min, calendar.tm_sec, index % 1000);
        LONGLONG expected = (moment + secondsFrom1601To1970) * ticksPerSecond + (index % 1000) * 10'000LL;
        ASSERT_EQ(ToFileTime(time), expected) << "time_t " << moment;
        SYSTEMTIME back{};
        FILETIME fileTime = MakeFileTime(static_cast<ULONGLONG>(expected));
        ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &back));
        time.wDayOfWeek = static_cast<WORD>(calendar.tm_wday);
        ASSERT_EQ(std::memcmp(&back, &time, sizeof time), 0) << "time_t " << moment;
    }
}

TEST(KernelTimeTest, FileTimesReachTheYear30828) {
    FILETIME last = MakeFileTime(0x7FFF'FFFF'FFFF'FFFFULL);
    SYSTEMTIME time{};
    ASSERT_TRUE(FileTimeToSystemTime(&last, &time));
    EXPECT_EQ(time.wYear, 30828);
    EXPECT_EQ(time.wMonth, 9);
    EXPECT_EQ(time.wDay, 14);
    FILETIME beyond = MakeFileTime(0x8000'0000'0000'0000ULL);
    EXPECT_FALSE(FileTimeToSystemTime(&beyond, &time));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(KernelTimeTest, ImpossibleSystemTimesAreRefused) {
    const SYSTEMTIME refused[] = {
        MakeSystemTime(1900, 2, 29),          MakeSystemTime(2023, 2, 29),
        MakeSystemTime(2024, 4, 31),          MakeSystemTime(2024, 13, 1),
        MakeSystemTime(2024, 0, 1),           MakeSystemTime(2024, 1, 0),
        MakeSystemTime(1600, 12, 31),         MakeSystemTime(30828, 1, 1),
        MakeSystemTime(2024, 1, 1, 24),       MakeSystemTime(2024, 1, 1, 0, 60),
        MakeSystemTime(2024, 1, 1, 0, 0, 60), MakeSystemTime(2024, 1, 1, 0, 0, 0, 1000),
    };
    for (const SYSTEMTIME& time : refused) {
        FILETIME converted{};
        EXPECT_FALSE(SystemTimeToFileTime(&time, &converted))
            << time.wYear << "-" << time.wMonth << "-" << time.wDay << " " << time.wHour << ":"
            << time.wMinute;
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_GT(ToFileTime(MakeSystemTime(2000, 2, 29)), 0) << "2000 was a leap year";
}

TEST(KernelTimeTest, CompareFileTimeOrdersByBothHalves) {
    FILETIME small = MakeFileTime(0x0000'0000'FFFF'FFFFULL);
    FILETIME large = MakeFileTime(0x0000'0001'0000'0000ULL);
    EXPECT_EQ(CompareFileTime(&small, &large), -1);
    EXPECT_EQ(CompareFileTime(&large, &small), 1);
    EXPECT_EQ(CompareFileTime(&large, &large), 0);
}

TEST(KernelTimeTest, SystemTimeMatchesTheWallClock) {
    FILETIME now{};
    time_t before = std::time(nullptr);
    GetSystemTimeAsFileTime(&now);
    time_t after = std::time(nullptr);
    LONGLONG seconds = FileTimeValue(now) / ticksPerSecond - secondsFrom1601To1970;
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);

    SYSTEMTIME broken{};
    GetSystemTime(&broken);
    GetSystemTimeAsFileTime(&now);
    EXPECT_NEAR(static_cast<double>(FileTimeValue(now) - ToFileTime(broken)), 0.0, 2.0 * ticksPerSecond);
}

TEST(KernelTimeTest, LocalTimeFollowsTheTimeZone) {
    for (const char* zone : {"<+03>-3", "<-0530>5:30", "UTC0"}) {
        SCOPED_TRACE(zone);
        ScopedEnvironment tz("TZ", zone);
        ::tzset();
        std::time_t moment = std::time(nullptr);
        std::tm calendar{};
        ::localtime_r(&moment, &calendar);
        SYSTEMTIME local{};
        SYSTEMTIME utc{};
        GetLocalTime(&local);
        GetSystemTime(&utc);
        double offset = static_cast<double>(ToFileTime(local) - ToFileTime(utc)) / ticksPerSecond;
        EXPECT_NEAR(offset, static_cast<double>(calendar.tm_gmtoff), 2.0);
        if (local.wDay == calendar.tm_mday) {
            EXPECT_EQ(local.wDayOfWeek, calendar.tm_wday);
        }
    }
    ::tzset();
}

} // namespace
