#include "app/LampControl.h"
#include "app/PicturePanel.h"
#include "app/TolvaWindow.h"
#include "engine/TransferEngine.h"
#include "framework/Application.h"
#include "framework/ProgressMeter.h"
#include "framework/services/TextView.h"
#include "platform/Windows.h"
#include "resources/ProgramResources.h"
#include "resources/ResourceIds.h"
#include "support/DeviceServerProcess.h"
#include "support/SimulatorProcess.h"
#include "support/TempFolder.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"
#include "testhooks/TextFitCheck.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

namespace fs = std::filesystem;

// The main window on settings of the test's choosing, counting its saves instead of writing the
// profile's file into the test's folder.
class TestWindow : public app::TolvaWindow {
public:
    TestWindow(const fs::path& downloads)
        : TolvaWindow(nullptr, framework::String("")), downloads(downloads) {}
    int LoadSettings() override {
        engine::CommsSettings& settings = Settings();
        settings.port = "COM1";
        settings.baudRate = "115200";
        settings.parity = "None";
        settings.dataBits = "8";
        settings.stopBits = "1";
        settings.flowControl = "None";
        settings.transmitDelay = 0;
        settings.downloadPath = (downloads.string() + "/").c_str();
        settings.uploadPath = (downloads.string() + "/").c_str();
        settings.writeLog = 0;
        return 1;
    }
    int SaveSettings() override { return ++saves; }
    fs::path downloads;
    int saves = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }
    void SetUp() override {
        application.SetUnattended(true);
        fs::create_directories(fs::path(folder.Path()) / "nc");
    }
    void TearDown() override {
        unsetenv("COM1");
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    // Runs the main window until `act` returns true (asked every 50 ms), then clicks "Close".
    void RunUntil(TestWindow& window, std::function<bool()> act) {
        application.SetMainWindow(&window);
        static std::function<bool()> pending;
        pending = std::move(act);
        SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
            HWND main = testhooks::FindWindowByClass("#32770");
            if (main == nullptr || !pending || !pending()) {
                return;
            }
            KillTimer(nullptr, id);
            pending = nullptr;
            testhooks::Click(GetDlgItem(main, IDCANCEL));
        });
        window.Create(true);
        application.SetMainWindow(nullptr);
    }

    testsupport::Watchdog watchdog{std::chrono::seconds(60)};
    framework::Application application{GetModuleHandleA(nullptr)};
    testsupport::TempFolder folder;
};

TEST_F(MainWindowTest, ServesADownloadAndClosesSavingTwice) {
    fs::copy_file(TOLVA_SAMPLE_PROGRAM, fs::path(folder.Path()) / "nc" / "123.T3");
    testsupport::SimulatorProcess simulator(folder.Path());
    // The request waits until the window is surely up and the monitor shown, also under a sanitizer.
    ASSERT_TRUE(
        simulator.Start({"--baud", "115200", "--wait", "1500", "--download", "000123", "--expect-file",
                         (fs::path(folder.Path()) / "nc" / "123.T3").string(), "--idle", "300"}));
    const std::string port = simulator.ReadPortPath();
    ASSERT_FALSE(port.empty());
    setenv("COM1", port.c_str(), 1);

    TestWindow window(fs::path(folder.Path()) / "nc");
    bool monitorSeen = false;
    RunUntil(window, [&] {
        // Show the data monitor once, so the transfer is seen there.
        if (!monitorSeen) {
            monitorSeen = true;
            testhooks::Click(testhooks::FindControl(window.Handle(), IDC_COMMS_VIEW));
            EXPECT_TRUE(window.Panel()->IsMonitorShown());
        }
        return std::string(window.Engine()->StatusText().CStr()).find("Download Completed") !=
               std::string::npos;
    });
    EXPECT_EQ(simulator.WaitForExit(), 0) << simulator.StandardError();
    EXPECT_EQ(window.saves, 2); // the close query and the close both shut the link down
    EXPECT_GT(window.Panel()->Monitor()->LineCount(), 10);
    EXPECT_NE(std::string(window.Engine()->StatusText().CStr()).find("123.T3"), std::string::npos);
    EXPECT_EQ(window.Meter()->Percent(), 100.0);
}

// A device server that goes away takes the link with it: one box and "No Link". Applying the
// settings once it is back reconnects at once, without waiting for the link to find it by itself.
TEST_F(MainWindowTest, ApplyingTheSettingsReconnectsAPortWhoseServerCameBack) {
    using testsupport::DeviceServerProcess;
    testsupport::SimulatorProcess simulator(folder.Path());
    ASSERT_TRUE(simulator.Start({"--baud", "115200", "--wait", "30000"}));
    const std::string pty = simulator.ReadPortPath();
    ASSERT_FALSE(pty.empty());
    DeviceServerProcess server(folder.Path());
    ASSERT_TRUE(server.Start(pty, DeviceServerProcess::Protocol::ComPortControl)) << server.Problem();
    setenv("COM1", server.Address().c_str(), 1);
    framework::String boxes;
    application.AttachLog(&boxes);

    TestWindow window(fs::path(folder.Path()) / "nc");
    std::optional<DeviceServerProcess> restarted;
    int phase = 0;
    std::string captionWhenLost;
    std::string captionWhenApplied;
    RunUntil(window, [&] {
        const std::string caption = window.Engine()->CaptionText().CStr();
        if (phase == 0 && caption.find("COM1:115200") != std::string::npos) {
            server.Signal(SIGKILL);
            server.WaitForExit();
            phase = 1;
        } else if (phase == 1 && caption.find("No Link") != std::string::npos) {
            captionWhenLost = caption;
            restarted.emplace(folder.Path());
            EXPECT_TRUE(restarted->Start(pty, DeviceServerProcess::Protocol::ComPortControl, server.Port()))
                << restarted->Problem();
            window.Engine()->ApplySettingsChange();
            captionWhenApplied = window.Engine()->CaptionText().CStr();
            return true;
        }
        return false;
    });
    application.AttachLog(nullptr);
    EXPECT_NE(captionWhenLost.find("No Link"), std::string::npos);
    EXPECT_NE(captionWhenApplied.find("COM1:115200,N,8,1,None"), std::string::npos) << captionWhenApplied;
    const std::string log = boxes.CStr();
    EXPECT_NE(log.find("Comms Status Check"), std::string::npos) << log;
    EXPECT_EQ(log.find("Comms Status Check"), log.rfind("Comms Status Check")) << "one box: " << log;
    EXPECT_EQ(log.find("Open Comm"), std::string::npos) << log;
    simulator.Signal(SIGTERM);
    simulator.WaitForExit();
}

// Logging off or shutting Windows down ends the process after WM_ENDSESSION: the window closes
// then as "Close" closes it, settings saved.
TEST_F(MainWindowTest, TheEndOfTheUsersSessionClosesTheWindowSavingTheSettings) {
    setenv("COM1", (fs::path(folder.Path()) / "no-such-device").string().c_str(), 1);
    TestWindow window(fs::path(folder.Path()) / "nc");
    int savesBefore = -1;
    int savesAfter = -1;
    RunUntil(window, [&] {
        savesBefore = window.saves;
        constexpr UINT endSession = 0x0016; // WM_ENDSESSION, which only Windows sends
        SendMessageA(window.Handle(), endSession, TRUE, 0);
        savesAfter = window.saves;
        return true;
    });
    EXPECT_GT(savesAfter, savesBefore);
}

TEST_F(MainWindowTest, StartsUpAsTheTemplateSaysAndMonitorLinesNeedTheView) {
    // No controller: COM1 leads nowhere, so the port steps fail into logged boxes.
    setenv("COM1", (fs::path(folder.Path()) / "no-such-device").string().c_str(), 1);
    TestWindow window(fs::path(folder.Path()) / "nc");
    RunUntil(window, [&] {
        HWND main = window.Handle();
        char text[64] = "";
        GetWindowTextA(main, text, sizeof text);
        EXPECT_STREQ(text, "TOLVA - No Link"); // the profile name, and the port that failed
        GetDlgItemTextA(main, 15259, text, sizeof text);
        EXPECT_EQ(std::string(text).rfind("2.26.050 \n", 0), 0u);
        // The system's name, in full or in short, is whole in its field.
        EXPECT_FALSE(testhooks::IsTextClipped(GetDlgItem(main, 15259))) << text;
        EXPECT_FALSE(testhooks::IsShown(testhooks::FindControl(main, 15210)));
        EXPECT_FALSE(testhooks::IsShown(testhooks::FindControl(main, 15270)));
        // A long download folder gives way in the middle of the status line, so its counts show.
        HWND status = GetDlgItem(main, 15201);
        EXPECT_TRUE(GetWindowLongPtrA(status, GWL_STYLE) & SS_PATHELLIPSIS);
        window.SetStatusText(
            ("Downloading /srv/cnc/" + std::string(120, 'x') + "/123.T3 - 512 of 4096 bytes sent.").c_str());
        RECT room{};
        GetClientRect(status, &room);
        HDC dc = GetDC(status);
        HGDIOBJ previous =
            SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(status, WM_GETFONT, 0, 0)));
        SIZE tail{};
        const char* counts = "/123.T3 - 512 of 4096 bytes sent.";
        GetTextExtentPoint32A(dc, counts, static_cast<int>(std::strlen(counts)), &tail);
        SelectObject(dc, previous);
        ReleaseDC(status, dc);
        EXPECT_LT(tail.cx, room.right)
            << "the part after the last separator fits, so path ellipsis keeps it whole";
        // Lamps start unlit and change only when asked to change.
        app::LampControl* rx = window.Lamp(engine::LinkView::Lamp::Rx);
        EXPECT_FALSE(rx->IsOn());
        window.SetLamp(engine::LinkView::Lamp::Rx, true);
        EXPECT_TRUE(rx->IsOn());
        // Without "View" monitor text empties the monitor; with it, lines are kept.
        window.AddMonitorLine("dropped\n");
        EXPECT_EQ(window.Panel()->Monitor()->LineCount(), 0);
        testhooks::Click(testhooks::FindControl(main, IDC_COMMS_VIEW));
        window.AddMonitorLine("kept\n");
        EXPECT_EQ(window.Panel()->Monitor()->LineCount(), 1);
        return true;
    });
    EXPECT_EQ(window.saves, 2);
    EXPECT_EQ(window.Settings().fileExtension.CStr(), std::string("T3"));
}

} // namespace
