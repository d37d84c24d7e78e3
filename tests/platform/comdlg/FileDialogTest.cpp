#include "platform/comdlg/FileDialog.h"

#include "platform/Windows.h"
#include "support/ControlSupport.h"
#include "support/InsideTheLoop.h"
#include "support/TempFolder.h"
#include "support/UserSupport.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using testhooks::FindControl;
using testhooks::FindWindowByCaption;
using testhooks::PressKey;
using testhooks::TypeText;
using testhooks::WindowText;

using testsupport::SoonInsideTheLoop;

std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::string text(static_cast<size_t>(SendMessageA(list, LB_GETTEXTLEN, i, 0)) + 1, '\0');
        text.resize(
            static_cast<size_t>(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
        rows.push_back(text);
    }
    return rows;
}

// Double-clicks the row with the text, as a user would.
void DoubleClickRow(HWND list, const char* text) {
    const LRESULT index =
        SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
    ASSERT_GE(index, 0) << text;
    RECT row{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&row));
    testhooks::DoubleClickAt(list, POINT{row.left + 10, (row.top + row.bottom) / 2});
}

// Replaces the file-name field's text and presses Enter in it.
void EnterName(HWND dialog, const std::string& text) {
    HWND edit = FindControl(dialog, edt1);
    SetFocus(edit);
    SetWindowTextA(edit, "");
    TypeText(edit, text);
    PressKey(edit, VK_RETURN);
}

constexpr char filters[] = "Logs and texts (*.log;*.txt)\0*.log;*.txt\0All files (*.*)\0*.*\0";

// A folder tree behind drive T:, so that the paths the dialog shows are the same in every run.
class ComdlgFileDialog : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(folder / "jobs/Sub");
        for (const char* name :
             {"notes.txt", "readme.log", ".hidden.log", "jobs/a.log", "jobs/B.TXT", "jobs/c.nc"}) {
            folder.Write(name, "x");
        }
        platform::SetDriveRoot('T', folder.Path());
        std::memset(file, 0, sizeof file);
        std::memset(title, 0, sizeof title);
        record.lStructSize = sizeof record;
        record.lpstrFilter = filters;
        record.nFilterIndex = 1;
        record.lpstrFile = file;
        record.nMaxFile = sizeof file;
        record.lpstrFileTitle = title;
        record.nMaxFileTitle = sizeof title;
        record.lpstrInitialDir = "T:\\";
        record.lpstrTitle = "Pick a Program";
        record.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
        testhooks::ClearBeeps();
    }
    void TearDown() override {
        platform::ResetDriveTable();
        testhooks::PumpMessages();
    }
    HWND Dialog() const { return FindWindowByCaption(record.lpstrTitle); }

    testsupport::Watchdog watchdog{std::chrono::seconds(20)};
    testsupport::TempFolder folder;
    char file[260];
    char title[64];
    OPENFILENAMEA record{};
};

TEST_F(ComdlgFileDialog, OpenEntersAFolderAndADoubleClickChoosesAFile) {
    record.Flags |= OFN_FILEMUSTEXIST;
    SoonInsideTheLoop([this] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        HWND list = FindControl(dialog, lst1);
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\");
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[jobs]", "notes.txt", "readme.log"}))
            << "folders first, files by the first filter, hidden names left out";
        EXPECT_FALSE(testhooks::IsEnabled(FindControl(dialog, psh1))) << "the drive's root is the top";
        EXPECT_EQ(GetFocus(), FindControl(dialog, edt1));
        testsupport::ExpectTreeAndSnapshot(dialog, "ComdlgFileOpen");
        DoubleClickRow(list, "[jobs]");
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\jobs");
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[..]", "[Sub]", "a.log", "B.TXT"}))
            << "patterns match without regard to case";
        EXPECT_TRUE(testhooks::IsEnabled(FindControl(dialog, psh1)));
        DoubleClickRow(list, "a.log");
    });
    ASSERT_TRUE(GetOpenFileNameA(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_STREQ(file, "T:\\jobs\\a.log");
    EXPECT_EQ(platform::NativePath(file), folder / "jobs/a.log");
    EXPECT_EQ(record.nFileOffset, 8);
    EXPECT_EQ(record.nFileExtension, 10);
    EXPECT_STREQ(title, "a.log");
    EXPECT_EQ(record.nFilterIndex, 1u);
}

TEST_F(ComdlgFileDialog, FilterChoiceTypedPatternsAndFoldersChangeTheListing) {
    record.nFilterIndex = 1;
    strcpy(file, "draft.nc");
    SoonInsideTheLoop([this] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        HWND list = FindControl(dialog, lst1);
        EXPECT_EQ(WindowText(FindControl(dialog, edt1)), "draft.nc") << "the name in the buffer is offered";
        HWND combo = FindControl(dialog, cmb1);
        SetFocus(combo);
        PressKey(combo, VK_DOWN);
        EXPECT_EQ(WindowText(combo), "All files (*.*)");
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[jobs]", "notes.txt", "readme.log"}));
        EnterName(dialog, "jobs");
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\jobs") << "a typed folder is entered";
        EXPECT_EQ(WindowText(FindControl(dialog, edt1)), "");
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[..]", "[Sub]", "a.log", "B.TXT", "c.nc"}));
        EnterName(dialog, "*.NC");
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[..]", "[Sub]", "c.nc"}));
        EnterName(dialog, "T:\\jobs\\Sub\\..\\..");
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\") << "a path with a drive, resolved";
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[jobs]"})) << "the typed pattern still holds";
        testhooks::Click(FindControl(dialog, psh1));
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\") << "Up does nothing at the root";
        PressKey(dialog, VK_ESCAPE);
    });
    EXPECT_FALSE(GetOpenFileNameA(&record));
    EXPECT_EQ(CommDlgExtendedError(), 0u) << "cancelling is no error";
    EXPECT_STREQ(file, "draft.nc") << "the buffer is left as it was";
    EXPECT_EQ(record.nFilterIndex, 1u);
}

TEST_F(ComdlgFileDialog, KeyboardEntersFoldersAndAChosenFolderBecomesCurrent) {
    const std::filesystem::path before = std::filesystem::current_path();
    record.lpstrInitialDir = nullptr;
    record.Flags = OFN_HIDEREADONLY;
    const std::string initial = folder / "jobs";
    record.lpstrInitialDir = initial.c_str();
    record.nFilterIndex = 2;
    SoonInsideTheLoop([this] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\jobs") << "a Linux path is named by its drive";
        HWND list = FindControl(dialog, lst1);
        SetFocus(list);
        PressKey(list, VK_DOWN);
        PressKey(list, VK_DOWN);
        PressKey(list, VK_RETURN);
        EXPECT_EQ(WindowText(FindControl(dialog, stc1)), "T:\\jobs\\Sub") << "Enter on a folder enters it";
        EXPECT_EQ(Rows(list), (std::vector<std::string>{"[..]"}));
        EnterName(dialog, "new.nc");
    });
    const BOOL chosen = GetOpenFileNameA(&record);
    const std::filesystem::path after = std::filesystem::current_path();
    std::filesystem::current_path(before);
    ASSERT_TRUE(chosen);
    EXPECT_STREQ(file, "T:\\jobs\\Sub\\new.nc") << "without OFN_FILEMUSTEXIST a new name is taken";
    EXPECT_EQ(record.nFilterIndex, 2u);
    EXPECT_EQ(after, std::filesystem::path(folder / "jobs/Sub"))
        << "without OFN_NOCHANGEDIR the folder is current";
}

TEST_F(ComdlgFileDialog, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    record.lpstrInitialDir = "T:\\jobs";
    record.lpstrTitle = "Save Log File As";
    record.lpstrDefExt = "log";
    record.Flags |= OFN_OVERWRITEPROMPT;
    int prompts = 0;
    SoonInsideTheLoop([this, &prompts] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(WindowText(FindControl(dialog, IDOK)), "&Save");
        testsupport::SoonOnWindow("T:\\jobs\\a.log already exists.\nDo you want to replace it?",
                                  [&prompts](HWND text) {
                                      ++prompts;
                                      PressKey(GetParent(text), 'N');
                                  });
        EnterName(dialog, "a");
        EXPECT_EQ(prompts, 1);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "No keeps the dialog open";
        EnterName(dialog, "trace");
    });
    ASSERT_TRUE(GetSaveFileNameA(&record));
    EXPECT_EQ(prompts, 1) << "a new file needs no question";
    EXPECT_STREQ(file, "T:\\jobs\\trace.log");
    EXPECT_EQ(record.nFileExtension, 14);
    EXPECT_EQ(record.Flags & OFN_EXTENSIONDIFFERENT, 0u);
}

TEST_F(ComdlgFileDialog, OpenRefusesAMissingFileThatMustExist) {
    record.Flags |= OFN_FILEMUSTEXIST;
    bool refused = false;
    SoonInsideTheLoop([this, &refused] {
        HWND dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        testsupport::SoonOnWindow("T:\\missing.txt\nFile not found.\nCheck the file name and try again.",
                                  [&refused](HWND text) {
                                      refused = true;
                                      PressKey(GetParent(text), VK_RETURN);
                                  });
        EnterName(dialog, "missing.txt");
        EXPECT_TRUE(IsWindowVisible(dialog));
        EnterName(dialog, "readme.log");
    });
    ASSERT_TRUE(GetOpenFileNameA(&record));
    EXPECT_TRUE(refused);
    EXPECT_STREQ(file, "T:\\readme.log");
}

TEST_F(ComdlgFileDialog, ShortBufferAndWrongSizeFail) {
    record.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    record.nMaxFile = 8;
    SoonInsideTheLoop([this] { EnterName(Dialog(), "notes.txt"); });
    EXPECT_FALSE(GetOpenFileNameA(&record));
    EXPECT_EQ(CommDlgExtendedError(), FNERR_BUFFERTOOSMALL);
    WORD needed = 0;
    std::memcpy(&needed, file, sizeof needed);
    EXPECT_EQ(needed, std::strlen("T:\\notes.txt") + 1) << "the size needed, in the buffer's first two bytes";
    EXPECT_EQ(Dialog(), nullptr) << "the dialog is gone";

    record.lStructSize = 12;
    EXPECT_FALSE(GetSaveFileNameA(&record));
    EXPECT_EQ(CommDlgExtendedError(), CDERR_STRUCTSIZE);
}

} // namespace
