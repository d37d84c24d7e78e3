#pragma once

// The link tests' fixture: the controller protocol over an in-memory line, with a recording view
// for the window, a real application object for the framework timers, a scratch folder for the
// program files and logs, and a pump that plays the window thread (messages, timers, posted work)
// under a watchdog.

#include "engine/ActivityLog.h"
#include "engine/ControllerProtocol.h"
#include "framework/Application.h"
#include "support/RecordingView.h"
#include "support/SerialSupport.h"
#include "support/TempFolder.h"
#include "testhooks/TestHooks.h"

#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>

namespace testsupport {

// The real NC program the tests send and receive, unchanged.
std::string SampleProgram();
// A program of many lines made from the sample, with what real files carry: blank lines, a line
// of only control bytes, tabs, CR LF and LF line ends mixed, and no line end after the last line.
std::string LongProgram(int copies);
// The bytes a download must put on the wire for a program file: each line without its control
// bytes (tab kept), empty lines left out, each followed by CR LF.
std::string WireForm(const std::string& program);
// The lines of a program as an upload stores them: each followed by CR LF.
std::string StoredForm(const std::string& program);

framework::String FixedTime();
framework::String FixedDate();

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        line = testhooks::AttachMemoryLine("COM5");
        settings.profileName = "TOLVA";
        settings.port = "COM5";
        settings.baudRate = "115200";
        settings.parity = "None";
        settings.dataBits = "8";
        settings.stopBits = "1";
        settings.flowControl = "None";
        settings.downloadPath = folder.Path().c_str();
        settings.uploadPath = (folder.Path() + "/up").c_str();
        settings.logFile = (folder / "activity.log").c_str();
        settings.transmitDelay = 0;
        std::filesystem::create_directory(folder / "up");
        engine::ActivityLog::SetClockTexts(FixedTime, FixedDate);
        engine.ApplyPortSettings(false);
        engine.ResetWorkingState();
    }
    void TearDown() override {
        engine.ShutDownLink();
        testhooks::DetachMemoryLine("COM5");
        engine::ActivityLog::SetClockTexts(nullptr, nullptr);
    }
    void Start() {
        engine.StartStatusRefresh();
        engine.StartPolling();
    }
    // Plays the window thread until the condition holds or the time is up.
    template <class Condition> bool PumpUntil(Condition condition, int milliseconds = 5000) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            testhooks::PumpMessages();
            view.RunPosted();
            if (condition()) {
                return true;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    void Pump(int milliseconds) {
        PumpUntil([] { return false; }, milliseconds);
    }
    // The bytes that reach the controller, once count of them have arrived.
    std::string Arrived(std::size_t count, int milliseconds = 5000) {
        std::string arrived;
        PumpUntil(
            [&] {
                arrived += line->TakeArrived();
                return arrived.size() >= count;
            },
            milliseconds);
        return arrived;
    }
    bool WaitForState(int32_t state, int milliseconds = 5000) {
        return PumpUntil([&] { return engine.State() == state; }, milliseconds);
    }

    testsupport::Watchdog watchdog{std::chrono::seconds(60)};
    framework::Application application{GetModuleHandleA(nullptr)};
    testsupport::TempFolder folder;
    engine::CommsSettings settings = engine::CommsSettings::ForController();
    RecordingView view;
    engine::ControllerProtocol engine{settings, view};
    std::shared_ptr<testhooks::MemoryLine> line;
};

} // namespace testsupport
