#include "app/RunApplication.h"

#include "app/TolvaWindow.h"
#include "framework/Application.h"
#include "framework/ClassRegistry.h"
#include "framework/services/FrameworkClasses.h"
#include "framework/services/ProgramPaths.h"
#include "platform/Extras.h"
#include "resources/ResourceIds.h"

#include <atomic>
#include <cstdlib>
#include <string>

namespace app {

namespace {

std::atomic<HWND> runningWindow{nullptr};

// The "View" and "Help" buttons of the main window.
constexpr int ViewButtonId = IDC_COMMS_VIEW;
constexpr int HelpButtonId = IDC_COMMS_HELP;

bool IsSet(const char* variable) {
    const char* value = std::getenv(variable);
    return value != nullptr && std::string(value) == "1";
}

// Publishes the main window's handle for RequestMainWindowClose while its dialog runs.
class PublishedWindow : public TolvaWindow {
public:
    using TolvaWindow::TolvaWindow;
    LRESULT OnInitDialog(framework::MessageRecord& record) override {
        const LRESULT result = TolvaWindow::OnInitDialog(record);
        runningWindow.store(Handle());
        // TOLVA_MONITOR=1: the data monitor is shown from the start, as if "View" had been pressed
        // once the window is up (an unattended program has nobody to press it).
        if (IsSet("TOLVA_MONITOR")) {
            PostMessageA(GetDlgItem(Handle(), ViewButtonId), BM_CLICK, 0, 0);
        }
        // TOLVA_HELP=1: the operator's guide opens with the window, as "Help" would open it.
        if (IsSet("TOLVA_HELP")) {
            PostMessageA(GetDlgItem(Handle(), HelpButtonId), BM_CLICK, 0, 0);
        }
        return result;
    }
    void Close() override {
        runningWindow.store(nullptr);
        // The demo leaves a picture of the window as it was at the end.
        if (const char* path = std::getenv("TOLVA_SCREENSHOT"); path != nullptr && Handle() != nullptr) {
            platform::SnapshotPng(Handle(), path);
        }
        TolvaWindow::Close();
    }
};

} // namespace

framework::SerialisableObject* CreateCommsWindowObject() {
    return new CommsWindow(nullptr);
}

int RunApplication(framework::Application& application, const framework::String& commandLine,
                   int showCommand) {
    framework::ProgramPaths::Instance().Init("QOR.INI", nullptr, true, nullptr);
    framework::RegisterFrameworkClasses();
    framework::ClassRegistry::RegisterClass(&CreateCommsWindowObject, engine::CommsSettings::ClassIdentifier);
    auto* window = new PublishedWindow(nullptr, commandLine);
    application.SetMainWindow(window);
    window->Create(true);
    runningWindow.store(nullptr);
    const int exitCode = application.Run();
    application.SetMainWindow(nullptr);
    delete window;
    return exitCode;
}

bool RequestMainWindowClose() {
    HWND window = runningWindow.load();
    // As the "Close" button reports itself: its id, its code and its handle.
    return window != nullptr && PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                                             reinterpret_cast<LPARAM>(GetDlgItem(window, IDCANCEL))) != 0;
}

} // namespace app
