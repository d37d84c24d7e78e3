#include "framework/Application.h"
#include "framework/services/OpenFileDialog.h"
#include "framework/services/SaveFileDialog.h"
#include "support/InsideTheLoop.h"
#include "support/TempFolder.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>

using framework::OpenFileDialog;
using framework::SaveFileDialog;
using framework::String;
using testsupport::SoonInsideTheLoop;

namespace {

class FileDialogTest : public ::testing::Test {
protected:
    void TearDown() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    // Presses a key in the file dialog once it is up.
    static void SoonPress(const char* caption, int key, const char* typed = nullptr) {
        SoonInsideTheLoop([caption, key, typed] {
            HWND box = testhooks::FindWindowByCaption(caption);
            ASSERT_NE(box, nullptr) << caption;
            if (typed != nullptr) {
                testhooks::TypeText(GetFocus(), typed);
            }
            testhooks::PressKey(box, key);
        });
    }
    static std::string Backslashed(std::string path) {
        for (char& c : path) {
            c = c == '/' ? '\\' : c;
        }
        return path;
    }

    testsupport::Watchdog watchdog;
    testsupport::TempFolder folder;
    framework::Application application{GetModuleHandleA(nullptr)};
};

} // namespace

TEST_F(FileDialogTest, FiltersAndRecordAreLaidOutForTheSystem) {
    const char* filters[] = {"NC Programs", "*.nc", "Logs", "*.log;*.txt", nullptr};
    SoonPress("Open Program", VK_ESCAPE);
    OpenFileDialog dialog(nullptr, "Open Program", (folder / "job.nc").c_str(), filters, 2);
    const OPENFILENAMEA& record = dialog.Record();
    const char expected[] = "NC Programs\0*.nc\0Logs\0*.log;*.txt\0";
    ASSERT_NE(record.lpstrFilter, nullptr);
    EXPECT_EQ(std::string(record.lpstrFilter, sizeof expected), std::string(expected, sizeof expected))
        << "one NUL after each string and one more at the end";
    EXPECT_EQ(record.nFilterIndex, 2u);
    EXPECT_EQ(record.lStructSize, OPENFILENAME_SIZE_VERSION_400A);
    EXPECT_EQ(record.Flags, 0x0000000Cu);
    EXPECT_EQ(record.nMaxFile, 1024u);
    EXPECT_FALSE(dialog.IsAccepted());

    SoonPress("Any", VK_ESCAPE);
    OpenFileDialog plain(nullptr, "Any", nullptr);
    EXPECT_EQ(std::string(plain.Record().lpstrFilter, 20), std::string("All Files (*.*)\0*.*\0", 20));
    EXPECT_EQ(plain.Record().nFilterIndex, 0u);
}

TEST_F(FileDialogTest, InitialPathGivesTheNameAndAnExistingFolder) {
    SoonPress("Open Program", VK_ESCAPE);
    OpenFileDialog existing(nullptr, "Open Program", (folder / "job.nc").c_str());
    EXPECT_STREQ(existing.Record().lpstrFile, "job.nc");
    ASSERT_NE(existing.Record().lpstrInitialDir, nullptr);
    EXPECT_EQ(std::string(existing.Record().lpstrInitialDir), Backslashed(folder.Path() + "/"));

    SoonPress("Open Program", VK_ESCAPE);
    OpenFileDialog missing(nullptr, "Open Program", (folder / "gone/job.nc").c_str());
    EXPECT_STREQ(missing.Record().lpstrFile, "job.nc");
    EXPECT_EQ(missing.Record().lpstrInitialDir, nullptr) << "a missing folder is not given";
}

TEST_F(FileDialogTest, ResultIsThePathWhenConfirmedAndEmptyAfterCancel) {
    SoonPress("Save Log File As", VK_ESCAPE, "other.log");
    SaveFileDialog cancelled(nullptr, "Save Log File As", (folder / "trace.log").c_str());
    String result("stale");
    cancelled.Result(result);
    EXPECT_TRUE(result.IsEmpty()) << "Cancel gives empty text even after a name was typed";

    SoonPress("Save Log File As", VK_RETURN);
    SaveFileDialog confirmed(nullptr, "Save Log File As", (folder / "trace.log").c_str());
    EXPECT_TRUE(confirmed.IsAccepted());
    confirmed.Result(result);
    const std::string path(result.CStr());
    EXPECT_GE(path.size(), 9u);
    EXPECT_EQ(path.substr(path.size() - 9), "trace.log") << path;
}
