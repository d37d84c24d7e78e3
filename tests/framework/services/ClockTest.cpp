#include "framework/services/Clock.h"

#include "framework/services/FileTimeValue.h"
#include "framework/services/SystemVersion.h"
#include "platform/Windows.h"
#include "testhooks/VersionAnswer.h"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <regex>

namespace {

using framework::String;

// Runs with the C locale so the short date is MM/dd/yy and the time HH:mm:ss.
class ClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (const char* all = std::getenv("LC_ALL")) {
            saved = all;
        }
        setenv("LC_ALL", "C", 1);
    }
    void TearDown() override {
        if (saved.empty()) {
            unsetenv("LC_ALL");
        } else {
            setenv("LC_ALL", saved.c_str(), 1);
        }
    }
    std::string saved;
};

TEST_F(ClockTest, PicturesExpandEveryFieldForm) {
    const SYSTEMTIME time{2026, 3, 4, 5, 7, 8, 9, 0};
    char text[64];
    ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, "d/M/yy dd.MM.yyyy", text, sizeof text), 0);
    EXPECT_STREQ(text, "5/3/26 05.03.2026");
    ASSERT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, "h:mm:ss tt|HH'h'm", text, sizeof text), 0);
    EXPECT_STREQ(text, "7:08:09 AM|07h8");
    const SYSTEMTIME noon{2026, 3, 4, 5, 12, 0, 0, 0};
    ASSERT_GT(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &noon, "hh t", text, sizeof text), 0);
    EXPECT_STREQ(text, "12 P");
}

TEST_F(ClockTest, LocalePicturesAndBufferRules) {
    const SYSTEMTIME time{1999, 12, 5, 31, 23, 59, 58, 0};
    char text[64];
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, text, sizeof text), 9);
    EXPECT_STREQ(text, "12/31/99");
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, nullptr, 0), 9);
    char small[4];
    EXPECT_EQ(GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &time, nullptr, small, sizeof small), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    const SYSTEMTIME bad{1999, 13, 5, 31, 23, 59, 58, 0};
    EXPECT_EQ(GetDateFormatA(LOCALE_USER_DEFAULT, 0, &bad, nullptr, text, sizeof text), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST_F(ClockTest, DateAndTimeTextsFollowTheLocale) {
    framework::Clock clock;
    String date("stale");
    String time("stale");
    ASSERT_TRUE(clock.DateText(date));
    ASSERT_TRUE(clock.TimeText(time));
    EXPECT_TRUE(std::regex_match(date.CStr(), std::regex(R"(\d\d/\d\d/\d\d)"))) << date.CStr();
    EXPECT_TRUE(std::regex_match(time.CStr(), std::regex(R"(\d\d:\d\d:\d\d)"))) << time.CStr();
}

TEST(FileTimeValueTest, NowIsLaterThanZeroAndEqualToItself) {
    const framework::FileTimeValue zero;
    const framework::FileTimeValue now(true);
    EXPECT_EQ(zero.Value().dwLowDateTime | zero.Value().dwHighDateTime, 0u);
    EXPECT_EQ(now.Compare(zero), 1);
    EXPECT_EQ(zero.Compare(now), -1);
    EXPECT_EQ(now.Compare(now), 0);
}

// Answers GetVersionExA with a record of an older system for one test.
class VersionTest : public ::testing::Test {
protected:
    void TearDown() override { testhooks::SetVersionAnswer(std::nullopt); }

    static String NameFor(DWORD platformId, DWORD major, DWORD minor, const char* servicePack = "",
                          bool refuseExtended = false) {
        testhooks::VersionAnswer answer;
        answer.record.dwPlatformId = platformId;
        answer.record.dwMajorVersion = major;
        answer.record.dwMinorVersion = minor;
        std::strcpy(answer.record.szCSDVersion, servicePack);
        answer.refuseExtended = refuseExtended;
        testhooks::SetVersionAnswer(answer);
        return framework::WindowsVersionName();
    }
};

TEST_F(VersionTest, NamesFollowTheVersionTable) {
    EXPECT_STREQ(NameFor(0, 3, 11).CStr(), "Windows 32S");
    EXPECT_STREQ(NameFor(1, 4, 0).CStr(), "Windows 95");
    EXPECT_STREQ(NameFor(1, 4, 0, " C ").CStr(), "Windows 95 OSR2");
    EXPECT_STREQ(NameFor(1, 4, 0, "C").CStr(), "Windows 95");
    EXPECT_STREQ(NameFor(1, 4, 10, " A ").CStr(), "Windows 98 SE");
    EXPECT_STREQ(NameFor(1, 4, 10, " B ").CStr(), "Windows 98");
    EXPECT_STREQ(NameFor(1, 4, 90).CStr(), "Windows ME");
    EXPECT_STREQ(NameFor(1, 4, 50).CStr(), "Windows ME plus");
    EXPECT_STREQ(NameFor(1, 5, 0).CStr(), "Windows ME plus");
    EXPECT_STREQ(NameFor(2, 3, 51).CStr(), "Windows NT");
    EXPECT_STREQ(NameFor(2, 4, 0).CStr(), "Windows NT");
    EXPECT_STREQ(NameFor(2, 5, 0).CStr(), "Windows 2000");
    EXPECT_STREQ(NameFor(2, 5, 1).CStr(), "Windows XP");
    EXPECT_STREQ(NameFor(2, 5, 2).CStr(), "Windows XP plus");
    EXPECT_STREQ(NameFor(2, 6, 0).CStr(), "Windows XP plus");
    EXPECT_STREQ(NameFor(3, 5, 1).CStr(), "Windows X");
    EXPECT_EQ(NameFor(2, 5, 1).Granularity(), 32);
}

TEST_F(VersionTest, OlderSystemsAnswerThePlainRecordAndFailuresGiveTheFallback) {
    EXPECT_STREQ(NameFor(1, 4, 10, " A ", true).CStr(), "Windows 98 SE");
    EXPECT_FALSE(framework::IsWindowsNT());
    testhooks::VersionAnswer refused;
    refused.record.dwPlatformId = VER_PLATFORM_WIN32_NT;
    refused.refuseExtended = refused.refusePlain = true;
    testhooks::SetVersionAnswer(refused);
    EXPECT_STREQ(framework::WindowsVersionName().CStr(), "Windows X");
    EXPECT_FALSE(framework::IsWindowsNT());
}

TEST_F(VersionTest, TheStandInIsAnNtSystemAndNamesTheRealOne) {
    EXPECT_TRUE(framework::IsWindowsNT());
    EXPECT_STREQ(framework::WindowsVersionName().CStr(), "Windows XP");
    EXPECT_FALSE(framework::OperatingSystemName().IsEmpty());
    OSVERSIONINFOA wrongSize{};
    wrongSize.dwOSVersionInfoSize = 100;
    EXPECT_FALSE(GetVersionExA(&wrongSize));
}

} // namespace
