#include "framework/services/MessageBoxes.h"

#include "framework/Application.h"
#include "framework/Window.h"
#include "resources/ProgramResources.h"
#include "support/InsideTheLoop.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

using framework::Application;
using framework::MessageBoxResult;
using framework::ShowInfo;
using framework::ShowMessage;
using testsupport::SoonInsideTheLoop;
using testsupport::Watchdog;

namespace {

// A top-level framework window, as the program's main window is one.
class FrameWindow : public framework::Window {
public:
    explicit FrameWindow(framework::Window* owner = nullptr) : Window(owner) {
        CreateFrame(WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0);
    }
};

class MessageBoxesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }
    void SetUp() override { application.AttachLogStream(nullptr); }
    void TearDown() override {
        application.SetMainWindow(nullptr);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    Watchdog watchdog;
    Application application{GetModuleHandleA(nullptr)};
};

} // namespace

TEST_F(MessageBoxesTest, UnattendedBoxesAnswerThemselvesIntoTheLog) {
    EXPECT_TRUE(application.IsUnattended()) << "a new application shows no boxes until told it may";
    framework::String log;
    application.AttachLog(&log);
    struct Case {
        uint32_t type;
        int32_t answer;
        const char* word;
        const char* context;
    };
    const Case cases[] = {
        {MB_YESNO | MB_ICONQUESTION, IDYES, "Yes", "a Yes/No question is answered Yes"},
        {MB_OK | MB_ICONINFORMATION, IDOK, "OK", "an OK box is answered OK"},
        {MB_OKCANCEL, IDOK, "OK", "OK/Cancel has OK"},
        {MB_YESNOCANCEL, IDYES, "Yes", "Yes/No/Cancel counts as a question"},
        {MB_ABORTRETRYIGNORE, IDOK, "OK", "Abort/Retry/Ignore counts as an OK box"},
        {MB_RETRYCANCEL, IDYES, "Yes", "bit 2 set: answered Yes"},
    };
    for (const Case& each : cases) {
        log = "";
        const MessageBoxResult result = ShowMessage(nullptr, "Overwrite O1234.NC?", "Upload", each.type);
        EXPECT_EQ(result.answer, each.answer) << each.context;
        EXPECT_EQ(result.toAll, 0u) << each.context;
        EXPECT_EQ(std::string(log.CStr()), std::string("Upload: Overwrite O1234.NC? (") + each.word + ")\n")
            << each.context;
    }

    log = "";
    EXPECT_EQ(ShowInfo("%d lines written to %s", 12, "TRACE.LOG").answer, IDOK);
    EXPECT_STREQ(log.CStr(), "Information: 12 lines written to TRACE.LOG (OK)\n");

    log = "";
    ShowMessage(nullptr, "first", "A", MB_OK, true);
    ShowMessage(nullptr, "second", "B", MB_YESNO);
    EXPECT_STREQ(log.CStr(), "A: first (OK)\nB: second (Yes)\n")
        << "the own box is not shown either; lines add up";
    EXPECT_EQ(testhooks::FindWindowByCaption("A"), nullptr);
    application.AttachLog(nullptr);
}

TEST_F(MessageBoxesTest, AStreamThatTakesLevelsGetsEachLineWithTheLevelOfTheBoxsIcon) {
    std::FILE* stream = std::tmpfile();
    ASSERT_NE(stream, nullptr);
    auto written = [stream] {
        std::fflush(stream);
        std::string text(static_cast<size_t>(std::ftell(stream)), '\0');
        std::rewind(stream);
        text.resize(std::fread(text.data(), 1, text.size(), stream));
        std::rewind(stream);
        if (ftruncate(fileno(stream), 0) != 0)
            ADD_FAILURE() << "cannot empty the stream";
        return text;
    };
    application.AttachLogStream(stream, true);
    ShowMessage(nullptr, "COM1\nAccess is denied.", "Open Comm", MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(written(), "<4>Open Comm: COM1\n<4>Access is denied. (OK)\n")
        << "every line of the box, one level";
    ShowMessage(nullptr, "gone", "Problem", MB_ICONHAND);
    ShowMessage(nullptr, "Overwrite?", "Upload", MB_YESNO | MB_ICONQUESTION);
    ShowMessage(nullptr, "plain", "Note", MB_OK);
    ShowInfo("%d lines", 12);
    EXPECT_EQ(written(), "<3>Problem: gone (OK)\n<5>Upload: Overwrite? (Yes)\n<5>Note: plain (OK)\n"
                         "<6>Information: 12 lines (OK)\n");

    application.AttachLogStream(stream);
    ShowMessage(nullptr, "COM1\nAccess is denied.", "Open Comm", MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(written(), "Open Comm: COM1\nAccess is denied. (OK)\n")
        << "a plain stream gets the box as it is";
    application.AttachLogStream(nullptr);
    std::fclose(stream);
}

TEST_F(MessageBoxesTest, SystemBoxShowsTheTextDisablesTheWindowsAndGivesTheFocusBack) {
    application.SetUnattended(false);
    FrameWindow main;
    auto* other = new FrameWindow(&main); // a top-level window of the application, owned by main
    application.SetMainWindow(&main);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 4, 4, 100, 20,
                                main.Handle(), nullptr, nullptr, nullptr);
    SetFocus(edit);
    ASSERT_EQ(GetFocus(), edit);

    std::string dump;
    bool mainEnabled = true;
    bool otherEnabled = true;
    HWND boxOwner = nullptr;
    SoonInsideTheLoop([&] {
        HWND box = testhooks::FindWindowByCaption("Open Comm");
        ASSERT_NE(box, nullptr);
        dump = testhooks::DumpWindowTree(box);
        mainEnabled = IsWindowEnabled(main.Handle()) != 0;
        otherEnabled = IsWindowEnabled(other->Handle()) != 0;
        boxOwner = GetWindow(box, GW_OWNER);
        testhooks::Click(testhooks::FindControl(box, IDNO));
    });
    const MessageBoxResult result =
        ShowMessage(nullptr, "COM3\nThe port is in use.", "Open Comm", MB_YESNO | MB_ICONINFORMATION);

    EXPECT_EQ(result.answer, IDNO) << "the button pressed";
    EXPECT_NE(dump.find("The port is in use."), std::string::npos) << dump;
    EXPECT_EQ(boxOwner, main.Handle()) << "without an owner the main window owns the box";
    EXPECT_FALSE(mainEnabled);
    EXPECT_FALSE(otherEnabled) << "the application's other windows are disabled too";
    EXPECT_TRUE(IsWindowEnabled(main.Handle()));
    EXPECT_TRUE(IsWindowEnabled(other->Handle())) << "and enabled again afterwards";
    EXPECT_EQ(GetFocus(), edit) << "the focus went back to the window that had it";
}

TEST_F(MessageBoxesTest, OwnBoxFromItsTemplateAnswersByItsButtons) {
    application.SetUnattended(false);
    FrameWindow main;
    application.SetMainWindow(&main);
    struct Case {
        int button; // 0: Esc
        uint32_t type;
        MessageBoxResult expected;
        const char* context;
    };
    const Case cases[] = {
        {IDOK, MB_YESNO, {IDYES, 0}, "the default button answers Yes"},
        {1239, MB_YESNO, {IDYES, 1}, "Yes to all"},
        {1238, MB_YESNO, {IDNO, 0}, "No"},
        {IDCANCEL, MB_YESNO, {IDNO, 1}, "the last button is No to all"},
        {0, MB_YESNO, {IDNO, 1}, "Esc cancels: No to all"},
    };
    for (const Case& each : cases) {
        std::string text;
        std::string firstButton;
        bool questionButtonsShown = false;
        SoonInsideTheLoop([&] {
            HWND box = testhooks::FindWindowByCaption("Upload");
            ASSERT_NE(box, nullptr) << each.context;
            text = testhooks::WindowText(testhooks::FindControl(box, 1241));
            firstButton = testhooks::WindowText(testhooks::FindControl(box, IDOK));
            questionButtonsShown = testhooks::IsShown(testhooks::FindControl(box, 1239));
            if (each.button == 0) {
                testhooks::PressKey(box, VK_ESCAPE);
            } else {
                testhooks::Click(testhooks::FindControl(box, each.button));
            }
        });
        const MessageBoxResult result = ShowMessage(nullptr, "Replace O1234.NC?", "Upload", each.type, true);
        EXPECT_EQ(result.answer, each.expected.answer) << each.context;
        EXPECT_EQ(result.toAll, each.expected.toAll) << each.context;
        EXPECT_EQ(text, "Replace O1234.NC?") << each.context;
        EXPECT_EQ(firstButton, "^66") << "the empty dictionary leaves the reference as written";
        EXPECT_TRUE(questionButtonsShown) << each.context;
        EXPECT_EQ(testhooks::FindWindowByCaption("Upload"), nullptr) << "the box is gone";
    }

    bool questionButtonsShown = true;
    SoonInsideTheLoop([&] {
        HWND box = testhooks::FindWindowByCaption("Note");
        questionButtonsShown = testhooks::IsShown(testhooks::FindControl(box, 1239));
        testhooks::Click(testhooks::FindControl(box, IDOK));
    });
    EXPECT_EQ(ShowMessage(&main, "Saved.", "Note", MB_OK, true).answer, IDYES);
    EXPECT_FALSE(questionButtonsShown) << "a box that asks nothing shows only its first and last button";
}
