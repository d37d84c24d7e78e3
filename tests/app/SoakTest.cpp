// The soak in its short form: tolva-soak drives the real program with downloads, uploads and XOFF
// storms for a quarter of a minute and checks every byte, every activity-log line, memory and
// descriptors. Under the sanitizer presets the program it drives is the sanitizer build.

#include "support/ChildProcess.h"
#include "support/TempFolder.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(SoakTest, AQuarterMinuteOfStormsLosesNothingAndLeaksNothing) {
    testsupport::TempFolder folder;
    testsupport::ChildProcess soak(folder.Path(), "soak");
    std::vector<std::string> arguments{"--seconds", "15", "--seed", "3"};
#if defined(__SANITIZE_ADDRESS__)
    // AddressSanitizer keeps freed memory in quarantine, so resident memory grows without a leak;
    // its leak checker, which fails the program's exit, stands in for the memory figure here.
    arguments.insert(arguments.end(), {"--allowed-growth", "262144"});
#endif
    ASSERT_TRUE(soak.Start({TOLVA_SOAK_PATH, arguments, {}, folder.Path()}));
    std::string report;
    for (std::string line = soak.ReadOutputLine(std::chrono::seconds(90)); !line.empty();
         line = soak.ReadOutputLine(std::chrono::seconds(30))) {
        report += line + "\n";
    }
    EXPECT_EQ(soak.WaitForExit(std::chrono::seconds(30)), 0) << report << soak.StandardError();
    EXPECT_NE(report.find(" 0 bytes lost, 0 programs altered"), std::string::npos) << report;
    EXPECT_EQ(report.find(" 0 downloads"), std::string::npos) << "the soak moved programs: " << report;
}

} // namespace
