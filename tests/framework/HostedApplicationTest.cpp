#include "framework/Application.h"
#include "framework/CurrentFolder.h"
#include "framework/Window.h"
#include "support/ProbeWindow.h"
#include "support/TempFolder.h"
#include "testhooks/TestHooks.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using framework::Application;
using framework::MessageHandler;
using framework::Window;
using testsupport::ProbeWindow;

namespace {

constexpr UINT Ping = WM_APP + 1;

// Another program's window: its own class and procedure, made with the platform calls alone.
std::vector<UINT> hostMessages;

LRESULT HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= WM_APP && message < WM_APP + 0x100) {
        hostMessages.push_back(message);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class HostedApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HostProcedure;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = "HostProgramWindow";
        RegisterClassExA(&windowClass);
        host = CreateWindowExA(0, "HostProgramWindow", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 320,
                               200, nullptr, nullptr, instance, nullptr);
        ASSERT_NE(host, nullptr);
        hostMessages.clear();
    }
    void TearDown() override {
        application.reset();
        DestroyWindow(host);
        testhooks::PumpMessages();
        UnregisterClassA("HostProgramWindow", instance);
    }

    // The framework's view of the host window's messages: a handler on the wrapper records them.
    void ListenOnMainWindow() {
        application->MainWindow()->AddHandler(&listener, static_cast<MessageHandler>(&Window::OnMessage),
                                              Ping);
    }

    const HINSTANCE instance = GetModuleHandleA(nullptr);
    HWND host = nullptr;
    std::unique_ptr<Application> application;
    ProbeWindow listener{nullptr, false};
};

} // namespace

TEST_F(HostedApplicationTest, AttachesToTheWindowAndTakesItsInstance) {
    application = std::make_unique<Application>(nullptr, host, nullptr);
    EXPECT_TRUE(application->IsHosted());
    ASSERT_NE(application->MainWindow(), nullptr);
    EXPECT_EQ(application->MainWindow()->Handle(), host);
    EXPECT_EQ(Window::FromHandle(host), application->MainWindow()) << "the wrapper is bound to the window";
    EXPECT_EQ(application->MainWindow()->GetKind(), Window::KindPlain);
    EXPECT_NE(application->ModuleHandle(), nullptr);
    EXPECT_EQ(application->ModuleHandle(),
              reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(host, GWLP_HINSTANCE)));
    EXPECT_EQ(application->ResourceModule(), application->ModuleHandle());
    EXPECT_NE(application->WheelMessage(), 0u) << "the common start-up still runs";
}

TEST_F(HostedApplicationTest, InstanceOrNoWindowMeansNotHosted) {
    application = std::make_unique<Application>(instance, host, nullptr);
    EXPECT_FALSE(application->IsHosted());
    EXPECT_EQ(application->MainWindow(), nullptr);
    EXPECT_EQ(Window::FromHandle(host), nullptr) << "the window is left alone";
    application.reset();
    application = std::make_unique<Application>(nullptr, nullptr, nullptr);
    EXPECT_FALSE(application->IsHosted());
    EXPECT_EQ(application->MainWindow(), nullptr);
}

TEST_F(HostedApplicationTest, MessagesReachTheWrapperFirstAndThenTheHostsProcedure) {
    application = std::make_unique<Application>(nullptr, host, nullptr);
    ListenOnMainWindow();

    EXPECT_EQ(SendMessageA(host, Ping, 0, 0), 0);
    EXPECT_EQ(listener.calls, (std::vector<std::string>{"OnMessage 1"}));
    EXPECT_EQ(hostMessages, (std::vector<UINT>{Ping})) << "left alone by the framework, it reaches the host";

    PostMessageA(host, Ping, 0, 0);
    testhooks::PumpMessages();
    EXPECT_EQ(listener.calls.size(), 2u) << "posted messages pass the wrapper too";
    EXPECT_EQ(hostMessages.size(), 2u);

    listener.messageResult = 7; // the framework handles it: the host does not see it
    EXPECT_EQ(SendMessageA(host, Ping, 0, 0), 7);
    EXPECT_EQ(listener.calls.size(), 3u);
    EXPECT_EQ(hostMessages.size(), 2u);
}

TEST_F(HostedApplicationTest, TeardownGivesTheWindowBackAlive) {
    const auto hostProcedure = GetWindowLongPtrA(host, GWLP_WNDPROC);
    application = std::make_unique<Application>(nullptr, host, nullptr);
    ListenOnMainWindow();
    const auto wrapper = reinterpret_cast<LONG_PTR>(application->MainWindow());
    EXPECT_EQ(GetWindowLongPtrA(host, GWLP_USERDATA), wrapper);
    EXPECT_NE(GetWindowLongPtrA(host, GWLP_WNDPROC), hostProcedure) << "the wrapper is in front of the host";

    application.reset();
    EXPECT_EQ(Application::Instance(), nullptr);
    EXPECT_TRUE(IsWindow(host)) << "the host's window outlives the application";
    EXPECT_NE(GetWindowLongPtrA(host, GWLP_USERDATA), wrapper);
    EXPECT_EQ(Window::FromHandle(host), nullptr);
    EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), hostProcedure) << "the host's own procedure is back";

    EXPECT_EQ(SendMessageA(host, Ping, 0, 0), 0);
    EXPECT_EQ(hostMessages, (std::vector<UINT>{Ping}));
    EXPECT_TRUE(listener.calls.empty()) << "nothing reaches the deleted wrapper";
}

TEST_F(HostedApplicationTest, HostWindowDestroyedFirstLeavesNothingToDetach) {
    application = std::make_unique<Application>(nullptr, host, nullptr);
    DestroyWindow(host);
    EXPECT_EQ(application->MainWindow()->Handle(), nullptr) << "the wrapper forgot the destroyed window";
    application.reset(); // must not touch the destroyed window
    EXPECT_FALSE(IsWindow(host));
}

TEST_F(HostedApplicationTest, StartUpStillReadsTheCurrentFolderEvenALongOne) {
    testsupport::TempFolder temp;
    // Deeper than the first 260-byte attempt can take.
    std::filesystem::path deep(temp.Path());
    while (deep.string().size() <= MAX_PATH + 20) {
        deep /= "a-folder-name-of-some-length";
    }
    std::filesystem::create_directories(deep);
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(deep);
    application = std::make_unique<Application>(nullptr, host, nullptr);
    std::filesystem::current_path(previous);
    EXPECT_STREQ(framework::CurrentFolder::Get().CStr(), (deep.string() + "/").c_str());
}
