#include "framework/services/HelpService.h"

#include "framework/Application.h"
#include "framework/services/HelpViewer.h"
#include "support/ProbeWindow.h"
#include "support/TempFolder.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>

using framework::Application;
using framework::HelpService;
using framework::MessageRecord;
using testsupport::ProbeWindow;

namespace {

class HelpServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder.Write("dnxhelp.hlp",
                     "# Contents\r\nThe link serves programs.\r\n\r\n# Settings {12}\r\nPort and folders.\r\n"
                     "# Lamps {20}\r\nCTS, DSR, RLS.\r\n");
        path = folder / "dnxhelp.hlp";
    }
    MessageRecord HelpRequest(HELPINFO& info) {
        return MessageRecord{main.Handle(), reinterpret_cast<LPARAM>(&info), 0, WM_HELP};
    }

    testsupport::TempFolder folder;
    std::string path;
    Application application{GetModuleHandleA(nullptr)};
    ProbeWindow main;
    HelpService help;
};

} // namespace

TEST_F(HelpServiceTest, NothingHappensWithoutFileAndOwner) {
    EXPECT_EQ(help.ShowContents(), 0);
    EXPECT_EQ(framework::HelpViewerOf(main.Handle()), nullptr);
    EXPECT_EQ(help.CloseHelp(), 0);
}

TEST_F(HelpServiceTest, ContentsTopicsAndQuit) {
    help.SetHelpFile(&main, path.c_str());
    EXPECT_TRUE(help.ShowContents());
    HWND viewer = framework::HelpViewerOf(main.Handle());
    ASSERT_NE(viewer, nullptr);
    EXPECT_TRUE(IsWindowVisible(viewer));
    EXPECT_EQ(framework::HelpViewerTopLine(viewer), 0);
    help.ShowTopic(12);
    EXPECT_EQ(framework::HelpViewerOf(main.Handle()), viewer) << "one viewer per owner";
    EXPECT_EQ(framework::HelpViewerTopLine(viewer), 3) << "opened at the heading of context 12";
    SendMessageA(viewer, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(framework::HelpViewerTopLine(viewer), 4);
    testhooks::PumpMessages(); // painting the text must not fail
    EXPECT_TRUE(help.CloseHelp());
    EXPECT_FALSE(IsWindow(viewer));
    EXPECT_TRUE(help.HelpFile().IsEmpty());
    EXPECT_EQ(help.Owner(), nullptr);
}

TEST_F(HelpServiceTest, RequestsFindTheControlTopicElseTheWindowTopic) {
    help.SetHelpFile(&main, path.c_str());
    ProbeWindow control(&main);
    ProbeWindow other(&main);
    EXPECT_FALSE(help.AddTopic(nullptr, 1));
    EXPECT_TRUE(help.AddTopic(&main, 0));
    help.AddControlTopic(&main, &control, 20, -1, false);
    HELPINFO info{sizeof(HELPINFO), HELPINFO_WINDOW, 0, control.Handle(), 0, {}};
    EXPECT_EQ(help.RouteHelpRequest(&main, HelpRequest(info)), 1) << "the control's own topic";
    EXPECT_EQ(framework::HelpViewerTopLine(framework::HelpViewerOf(main.Handle())), 5)
        << "the heading of context 20";
    info.hItemHandle = other.Handle();
    EXPECT_EQ(help.RouteHelpRequest(&main, HelpRequest(info)), 0) << "no topic of its own: the window's";
    EXPECT_EQ(help.RouteHelpRequest(&other, HelpRequest(info)), -1) << "no topic for that window at all";
    MessageRecord notHelp{main.Handle(), reinterpret_cast<LPARAM>(&info), 0, WM_COMMAND};
    EXPECT_EQ(help.RouteHelpRequest(&main, notHelp), -1);
    help.CloseHelp();
}
