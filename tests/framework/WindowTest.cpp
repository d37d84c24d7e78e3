#include "framework/Window.h"

#include "framework/Application.h"
#include "support/ProbeWindow.h"

#include <gtest/gtest.h>
#include <memory>

using framework::Application;
using framework::MessageHandler;
using framework::MessageRecord;
using framework::Window;
using testsupport::ProbeWindow;

namespace {

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    Application application{GetModuleHandleA(nullptr)};
};

MessageHandler Handler(LRESULT (ProbeWindow::*operation)(MessageRecord&)) {
    return static_cast<MessageHandler>(operation);
}

bool QuitPosted() {
    MSG message;
    return PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

} // namespace

TEST_F(WindowTest, ObjectIsBoundToItsHandle) {
    ProbeWindow window;
    ASSERT_NE(window.Handle(), nullptr);
    EXPECT_EQ(Window::FromHandle(window.Handle()), &window);
    EXPECT_EQ(window.GetKind(), Window::KindCanvasFrame);
    EXPECT_EQ(std::string(window.ClassName().CStr()).rfind("QOR:t8:n", 0), 0u);
    ProbeWindow other;
    EXPECT_FALSE(window.ClassName().Equals(other.ClassName())) << "each frame window has its own class";
}

TEST_F(WindowTest, UnboundWindowGetsDefaultProcessing) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Window::FrameProcedure;
    windowClass.lpszClassName = "UnboundFrame";
    RegisterClassExA(&windowClass);
    HWND hwnd =
        CreateWindowExA(0, "UnboundFrame", "plain text", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(Window::FromHandle(hwnd), nullptr);
    EXPECT_EQ(GetWindowTextLengthA(hwnd), 10) << "the default procedure answered";
    DestroyWindow(hwnd);
    UnregisterClassA("UnboundFrame", nullptr);
}

TEST_F(WindowTest, ReentrantSizeIsIgnored) {
    ProbeWindow window;
    window.calls.clear();
    window.resizeInOnSize = true;
    MoveWindow(window.Handle(), 0, 0, 300, 200, FALSE);
    EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "OnSize"), 1);
    // MoveWindow places the whole window, frame included.
    RECT placed;
    GetWindowRect(window.Handle(), &placed);
    EXPECT_EQ(placed.right - placed.left, 123) << "the nested resize itself happened";
}

TEST_F(WindowTest, ClosingTheMainWindowPostsQuit) {
    auto* main = new ProbeWindow;
    application.SetMainWindow(main);
    auto* other = new ProbeWindow;
    SendMessageA(other->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(other->Handle(), nullptr) << "the window was destroyed";
    EXPECT_FALSE(QuitPosted()) << "closing another window does not end the program";

    main->refuseClose = true;
    SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
    EXPECT_NE(main->Handle(), nullptr) << "OnClose refused";
    EXPECT_FALSE(QuitPosted());

    main->refuseClose = false;
    SendMessageA(main->Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(main->Handle(), nullptr);
    EXPECT_TRUE(QuitPosted());
    application.SetMainWindow(nullptr);
    delete other;
    delete main;
}

TEST_F(WindowTest, HandlerTablesAskTheNewestFirst) {
    ProbeWindow window;
    window.calls.clear();
    window.AddHandler(&window, Handler(&ProbeWindow::First), WM_APP + 50);
    window.AddHandler(&window, Handler(&ProbeWindow::Second), WM_APP + 50);
    window.AddHandler(&window, Handler(&ProbeWindow::Second), WM_APP + 50); // duplicate: ignored
    window.secondResult = 0;
    window.firstResult = 5;
    EXPECT_EQ(window.Send(WM_APP + 50), 5);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"Second", "First"}));

    window.calls.clear();
    window.secondResult = 7;
    EXPECT_EQ(window.Send(WM_APP + 50), 7);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"Second"})) << "a non-zero answer ends the search";

    window.calls.clear();
    window.RemoveHandler(&window, Handler(&ProbeWindow::Second), WM_APP + 50);
    window.Send(WM_APP + 50);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"First"}));
}

TEST_F(WindowTest, CommandHandlersMatchIdCodeAndControl) {
    ProbeWindow window;
    window.AddCommandHandler(&window, Handler(&ProbeWindow::First), 100, 0, nullptr);
    window.AddCommandHandler(&window, Handler(&ProbeWindow::Second), -1, 1, nullptr);
    window.firstResult = 1;
    window.secondResult = 1;
    window.calls.clear();
    window.Send(WM_COMMAND, MAKEWPARAM(100, 0), 0);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"OnCommand 100/0", "First"}));
    window.calls.clear();
    window.Send(WM_COMMAND, MAKEWPARAM(200, 1), 0);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"OnCommand 200/1", "Second"}));
    window.calls.clear();
    window.Send(WM_COMMAND, MAKEWPARAM(200, 2), 0);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"OnCommand 200/2"})) << "no handler matches";
    window.calls.clear();
    window.commandResult = 9;
    EXPECT_EQ(window.Send(WM_COMMAND, MAKEWPARAM(100, 0), 0), 9);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"OnCommand 100/0"})) << "OnCommand answered first";
}

TEST_F(WindowTest, SysColorChangeReachesControlsInsideGroupingObjects) {
    ProbeWindow frame;
    auto* group = new ProbeWindow(&frame, false); // windowless grouping object
    auto* inner = new ProbeWindow(group, false);
    HWND control = CreateWindowExA(0, frame.ClassName().CStr(), "", WS_CHILD, 0, 0, 5, 5, frame.Handle(),
                                   nullptr, nullptr, nullptr);
    ASSERT_NE(control, nullptr);
    inner->Adopt(control);
    inner->calls.clear();
    frame.calls.clear();
    SendMessageA(frame.Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(frame.calls, (std::vector<std::string>{"OnSysColorChange"}));
    EXPECT_EQ(inner->calls, (std::vector<std::string>{"OnSysColorChange"}));
}

TEST_F(WindowTest, DestroyingAParentDeletesItsChildren) {
    auto* parent = new ProbeWindow;
    auto* child = new ProbeWindow(parent);
    HWND childHandle = child->Handle();
    ASSERT_TRUE(IsWindow(childHandle));
    EXPECT_EQ(parent->ChildCount(), 1);
    EXPECT_TRUE(IsChild(parent->Handle(), childHandle));
    HWND parentHandle = parent->Handle();
    delete parent;
    EXPECT_FALSE(IsWindow(childHandle));
    EXPECT_FALSE(IsWindow(parentHandle));
}

TEST_F(WindowTest, DeleteChildMessageDeletesOnlyRealChildren) {
    ProbeWindow parent;
    auto* child = new ProbeWindow(&parent);
    ProbeWindow stranger;
    parent.Send(framework::MessageDeleteChild, reinterpret_cast<WPARAM>(parent.Handle()),
                reinterpret_cast<LPARAM>(&stranger));
    EXPECT_NE(stranger.Handle(), nullptr) << "not a child: left alone";
    parent.Send(framework::MessageDeleteChild, reinterpret_cast<WPARAM>(parent.Handle()),
                reinterpret_cast<LPARAM>(child));
    EXPECT_EQ(parent.ChildCount(), 0);
}

TEST_F(WindowTest, ToolTipTextsAreShortenedInTheMiddle) {
    const std::string seventy = std::string(31, 'a') + std::string(8, 'm') + std::string(31, 'z');
    EXPECT_STREQ(Window::ShortenToolTip(seventy.c_str()).CStr(),
                 (std::string(31, 'a') + "..." + std::string(31, 'z')).c_str());
    const std::string sixtyFour(64, 'x');
    EXPECT_STREQ(Window::ShortenToolTip(sixtyFour.c_str()).CStr(), sixtyFour.c_str()) << "64 stay whole";

    ProbeWindow owner;
    ProbeWindow tool(&owner);
    tool.toolTip = seventy;
    NMTTDISPINFOA request{};
    request.hdr = NMHDR{nullptr, reinterpret_cast<UINT_PTR>(tool.Handle()), TTN_GETDISPINFOA};
    request.uFlags = TTF_IDISHWND;
    EXPECT_EQ(owner.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request)), 1);
    EXPECT_EQ(request.lpszText, request.szText);
    EXPECT_EQ(std::string(request.szText), std::string(31, 'a') + "..." + std::string(31, 'z'));
}

TEST_F(WindowTest, WrappersDoNothingWithoutAHandle) {
    ProbeWindow windowless(nullptr, false);
    EXPECT_EQ(windowless.Show(SW_SHOW), 0);
    EXPECT_FALSE(windowless.IsVisible());
    EXPECT_EQ(windowless.Enable(true), 0);
    EXPECT_EQ(windowless.Send(WM_USER), 0);
    windowless.SetText("kept");
    EXPECT_STREQ(windowless.GetText().CStr(), "kept");
    ProbeWindow window;
    window.SetText("caption");
    char text[32];
    GetWindowTextA(window.Handle(), text, sizeof text);
    EXPECT_STREQ(text, "caption");
    window.Show(SW_SHOW);
    EXPECT_TRUE(window.IsVisible());
    window.SetFocus();
    EXPECT_TRUE(window.HasFocus());
}
