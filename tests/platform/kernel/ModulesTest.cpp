#include "platform/Windows.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

TEST(KernelModules, BuiltInModulesAndTheirEntryPoints) {
    HMODULE controls = LoadLibraryA("COMCTL32.DLL");
    ASSERT_NE(controls, nullptr) << "names are case-insensitive";
    EXPECT_EQ(LoadLibraryA("comctl32"), controls) << "a name without extension means a library";
    auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(GetProcAddress(controls, "DllGetVersion"));
    ASSERT_NE(getVersion, nullptr);
    DLLVERSIONINFO info{sizeof info, 0, 0, 0, 0};
    EXPECT_EQ(getVersion(&info), S_OK);
    EXPECT_GE(info.dwMajorVersion * 100 + info.dwMinorVersion, 580u) << "at least 5.80";
    DLLVERSIONINFO tooSmall{4, 0, 0, 0, 0};
    EXPECT_EQ(getVersion(&tooSmall), E_INVALIDARG);
    EXPECT_EQ(GetProcAddress(controls, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);

    EXPECT_EQ(LoadLibraryA("uxtheme.dll"), nullptr) << "no visual styles on this platform";
    EXPECT_EQ(GetLastError(), ERROR_MOD_NOT_FOUND);
    HMODULE shell = LoadLibraryA("shell32.dll");
    ASSERT_NE(shell, nullptr);
    EXPECT_EQ(GetProcAddress(shell, "SHGetSettings"), nullptr);
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
}

TEST(KernelLocale, ItemsFollowTheBufferRules) {
    char value[16] = {};
    const int needed = GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, nullptr, 0);
    EXPECT_EQ(needed, 2) << "one character and its terminator";
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, value, sizeof value), 2);
    EXPECT_STREQ(value, ".") << "the C locale of the test run";
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, value, sizeof value), 2);
    EXPECT_STREQ(value, ":");
    EXPECT_GT(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, value, sizeof value), 1);
    EXPECT_NE(std::string(value).find("MM"), std::string::npos) << value;
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, value, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(GetLocaleInfoA(LOCALE_USER_DEFAULT, 0x7777, value, sizeof value), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_FLAGS);
}
