#include "platform/Windows.h"
#include "support/PlatformSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {

using testsupport::ScopedEnvironment;

constexpr const char* name = "TOLVA_TEST_VARIABLE";

TEST(KernelEnvironmentTest, MissingVariableIsEnvvarNotFound) {
    ScopedEnvironment variable(name, std::nullopt);
    char buffer[16] = "unchanged";
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
    EXPECT_STREQ(buffer, "unchanged");
}

TEST(KernelEnvironmentTest, ResultCountsFollowWin32BufferConventions) {
    ScopedEnvironment variable(name, "COM3");
    std::string buffer(16, '#');
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer.data(), 16), 4u) << "fits: length without the NUL";
    EXPECT_EQ(buffer.substr(0, 5), std::string("COM3\0", 5));
    EXPECT_EQ(GetEnvironmentVariableA(name, nullptr, 0), 5u) << "size query: length with the NUL";
    buffer.assign(16, '#');
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer.data(), 4), 5u) << "no room for the NUL";
    EXPECT_EQ(buffer, std::string(16, '#')) << "a short buffer stays untouched";
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer.data(), 5), 4u) << "exactly enough";
}

TEST(KernelEnvironmentTest, EmptyValueReturnsZeroWithSuccess) {
    ScopedEnvironment variable(name, "");
    char buffer[4] = "xyz";
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "");
}

TEST(KernelEnvironmentTest, SetValuesAreSeenByTheProcessAndNullDeletes) {
    ScopedEnvironment variable(name, std::nullopt);
    ASSERT_TRUE(SetEnvironmentVariableA(name, "9600,n,8,1"));
    ASSERT_NE(std::getenv(name), nullptr);
    EXPECT_STREQ(std::getenv(name), "9600,n,8,1");
    char buffer[32];
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 10u);
    EXPECT_STREQ(buffer, "9600,n,8,1");
    EXPECT_TRUE(SetEnvironmentVariableA(name, nullptr));
    EXPECT_EQ(std::getenv(name), nullptr);
    EXPECT_EQ(GetEnvironmentVariableA(name, buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

TEST(KernelEnvironmentTest, NamesMatchWithoutRegardToCase) {
    ScopedEnvironment variable(name, "upper");
    char buffer[16];
    EXPECT_EQ(GetEnvironmentVariableA("tolva_test_variable", buffer, sizeof buffer), 5u);
    EXPECT_STREQ(buffer, "upper");
    EXPECT_TRUE(SetEnvironmentVariableA("Tolva_Test_Variable", "replaced"));
    EXPECT_STREQ(std::getenv(name), "replaced") << "the existing variable changes, no second one appears";
    EXPECT_EQ(std::getenv("Tolva_Test_Variable"), nullptr);
}

TEST(KernelEnvironmentTest, NamesWithAnEqualsSignOrEmptyAreRefused) {
    EXPECT_FALSE(SetEnvironmentVariableA("A=B", "x"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(SetEnvironmentVariableA("", "x"));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    char buffer[8];
    EXPECT_EQ(GetEnvironmentVariableA("", buffer, sizeof buffer), 0u);
    EXPECT_EQ(GetLastError(), ERROR_ENVVAR_NOT_FOUND);
}

} // namespace
