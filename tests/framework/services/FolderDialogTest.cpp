#include "framework/services/FolderDialog.h"

#include "framework/Application.h"
#include "resources/ProgramResources.h"
#include "support/InsideTheLoop.h"
#include "support/TempFolder.h"
#include "support/Watchdog.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>

using framework::FolderDialog;
using framework::String;
using testsupport::SoonInsideTheLoop;

namespace {

class FolderDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }
    void SetUp() override { std::filesystem::create_directories(folder / "NC"); }
    void TearDown() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
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

TEST_F(FolderDialogTest, MissingSubPathPreselectsItsNearestExistingParent) {
    FolderDialog dialog(nullptr, "Upload Path", (folder / "NC/old/jobs").c_str());
    EXPECT_STREQ(dialog.PreselectedFolder().CStr(), (folder / "NC/").c_str());

    std::string caption;
    std::string title;
    std::string shown;
    SoonInsideTheLoop([&] {
        ASSERT_NE(dialog.Handle(), nullptr);
        caption = testhooks::WindowText(dialog.Handle());
        title = testhooks::WindowText(GetDlgItem(dialog.Handle(), FolderDialog::TitleId));
        shown = testhooks::WindowText(GetDlgItem(dialog.Handle(), FolderDialog::EditId));
        testhooks::Click(GetDlgItem(dialog.Handle(), IDOK));
    });
    dialog.Create(true);
    EXPECT_EQ(caption, "Browse for Folder") << "the caption's text, not its dictionary reference";
    EXPECT_EQ(title, "Upload Path");
    EXPECT_EQ(shown, Backslashed(folder / "NC/")) << "the tree selected the folder and the edit box shows it";
    EXPECT_TRUE(dialog.IsAccepted());
    String chosen;
    dialog.Folder(chosen);
    EXPECT_STREQ(chosen.CStr(), (folder / "NC/").c_str()) << "slashes and a trailing slash";

    FolderDialog tooDeep(nullptr, "Download Path", (folder / "a/b/c/d/e/f/g/h/i/j/k/l").c_str());
    EXPECT_TRUE(tooDeep.PreselectedFolder().IsEmpty()) << "at most ten steps up";

    folder.Write("NC/activity.log", "     123 12:00:00 01/12/2026 Download Completed\r\n");
    FolderDialog ofAFile(nullptr, "Log File Path", (folder / "NC/activity.log").c_str());
    EXPECT_STREQ(ofAFile.PreselectedFolder().CStr(), (folder / "NC/").c_str()) << "a file's own folder";
}

TEST_F(FolderDialogTest, TypedMissingPathBeepsAndKeepsTheDialogOpen) {
    FolderDialog dialog(nullptr, "Download Path", folder.Path().c_str());
    bool stillOpen = false;
    DWORD selection = 0;
    bool editHasFocus = false;
    size_t beeps = 0;
    SoonInsideTheLoop([&] {
        HWND edit = GetDlgItem(dialog.Handle(), FolderDialog::EditId);
        SetWindowTextA(edit, (folder / "missing").c_str());
        testhooks::ClearBeeps();
        testhooks::Click(GetDlgItem(dialog.Handle(), IDOK));
        beeps = testhooks::Beeps().size();
        stillOpen = dialog.Handle() != nullptr && IsWindowVisible(dialog.Handle());
        editHasFocus = GetFocus() == edit;
        selection = static_cast<DWORD>(SendMessageA(edit, EM_GETSEL, 0, 0));

        SetWindowTextA(edit, (folder / "NC").c_str());
        testhooks::Click(GetDlgItem(dialog.Handle(), IDOK));
    });
    dialog.Create(true);
    EXPECT_EQ(beeps, 1u);
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(editHasFocus);
    const auto length = static_cast<DWORD>((folder / "missing").size());
    EXPECT_EQ(selection, MAKELONG(0, length)) << "the whole typed text is selected";
    EXPECT_TRUE(dialog.IsAccepted()) << "an existing typed folder is taken";
    String chosen;
    dialog.Folder(chosen);
    EXPECT_STREQ(chosen.CStr(), (folder / "NC/").c_str());
}
