#pragma once

#include "app/PendingViewState.h"
#include "engine/CommsSettings.h"
#include "engine/LinkView.h"
#include "framework/Dialog.h"
#include "framework/SerialisableObject.h"
#include "resources/ResourceIds.h"

#include <array>
#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

namespace framework {
class ButtonControl;
class CheckBoxControl;
class ProgressMeter;
class StaticControl;
class Timer;
} // namespace framework

namespace engine {
class TransferEngine;
}

namespace app {

class LampControl;
class PicturePanel;
class ProgressDialog;

// The program's one top-level window, built from template 15100: it owns the settings, the
// serial link with its transfer engine, the status controls, the timers and the poll thread. It
// shows what the engine does (the engine's LinkView) and carries the engine's calls from the poll
// thread over to its own thread.
class CommsWindow : public framework::Dialog, public framework::SerialisableObject, public engine::LinkView {
public:
    static constexpr int32_t TemplateId = IDD_COMMS;
    static constexpr int32_t IconId = IDI_PROGRAM;
    static constexpr UINT MonitorUpdateMessage = 0x8065;
    static constexpr const char* VersionText = "2.26.050 ";
    static constexpr const char* HelpFile = "dnxhelp.hlp";

    explicit CommsWindow(framework::Window* parent);
    ~CommsWindow() override;

    // The stored object: the settings record.
    uint32_t ClassId() const override { return engine::CommsSettings::ClassIdentifier; }
    void Serialise(framework::Archive& archive) override { settings.Serialise(archive); }

    engine::CommsSettings& Settings() { return settings; }
    engine::TransferEngine* Engine() const { return engine.get(); }
    PicturePanel* Panel() const { return panel; }
    LampControl* Lamp(Lamp which) const { return lamps[static_cast<size_t>(which)]; }
    framework::ProgressMeter* Meter() const { return meter; }

    // The dialog's operations.
    LRESULT OnInitDialog(framework::MessageRecord& record) override;
    LRESULT OnOK() override;
    LRESULT OnCancel() override { return 0; }
    LRESULT OnClose(framework::MessageRecord& record) override;
    void Close() override;

    // The port and the settings files.
    virtual void ApplyPortSettings(bool suppressSoftwareFlow);
    virtual int LoadSettings();
    virtual int SaveSettings();

    // Handlers.
    LRESULT OnViewClicked(framework::MessageRecord& record);
    LRESULT OnLogClicked(framework::MessageRecord& record);
    LRESULT OnTestClicked(framework::MessageRecord& record);
    LRESULT OnHelpClicked(framework::MessageRecord& record);
    LRESULT OnMonitorUpdate(framework::MessageRecord& record);
    LRESULT OnChangeSettings();
    void AddMonitorLine(const char* text);
    // The settings dialog run; true when it ended with Ok. Tests replace it.
    virtual bool RunSettingsDialog();
    bool IsClosing() const { return closing; }

    // LinkView.
    void SetCaption(const char* text) override;
    void MonitorUpdate(const framework::String& text) override;
    void ShowPortError(const char* stepName, const char* text) override;
    void SetStatusText(const char* text) override;
    void SetProgress(int32_t total, int32_t done) override;
    void SetProgressDone(int32_t done) override;
    void SetLamp(engine::LinkView::Lamp lamp, bool isOn) override;
    void HideProgressDialogs() override;
    void EnableTransferButtons() override;
    void ShowInfo(const char* text) override;
    void SoundBeep() override;
    bool ChooseSaveFile(const char* title, const framework::String& initialPath,
                        const std::vector<FileFilter>& filters, framework::String& chosen) override;
    void SetLogButton(bool isPressed) override;
    void PostToWindowThread(std::function<void()> work) override;

protected:
    // The engine the window drives: the general link here, the controller's protocol in
    // TolvaWindow.
    virtual std::unique_ptr<engine::TransferEngine> CreateEngine();
    void ShutDownLink();

private:
    // Runs work on the window thread: at once there, else by a message the poll thread waits for.
    // The state changes still pending are shown first, so the work sees the screen up to date.
    void OnWindowThread(const std::function<void()>& work);
    LRESULT OnRunMessage(framework::MessageRecord& record);
    // A state change was recorded: shown at once on the window thread, else the window thread is
    // told once (a posted message) and shows all that has gathered when it gets there.
    void StateChanged(bool isFirst);
    LRESULT OnStateMessage(framework::MessageRecord& record);
    void ShowPendingState();
    // The pending-state timer: shows what waited for the interval, and rests when nothing waits.
    void OnPendingStateTimer();
    void ShowMonitorPanel(bool shown);
    LRESULT OnPostedWork(framework::MessageRecord& record);
    void BindControls();

    engine::CommsSettings settings;
    std::unique_ptr<engine::TransferEngine> engine;
    framework::StaticControl* statusLine = nullptr;
    framework::StaticControl* progressFrame = nullptr;
    framework::ProgressMeter* meter = nullptr;
    framework::ButtonControl* sendButton = nullptr;
    framework::ButtonControl* receiveButton = nullptr;
    framework::ButtonControl* specialButton = nullptr;
    framework::CheckBoxControl* viewBox = nullptr;
    framework::CheckBoxControl* logBox = nullptr;
    PicturePanel* panel = nullptr;
    std::array<LampControl*, static_cast<size_t>(Lamp::Count)> lamps{};
    ProgressDialog* receiving = nullptr;
    ProgressDialog* sending = nullptr;
    bool closing = false;
    DWORD windowThread = 0;
    framework::String monitorText;
    PendingViewState pendingState;
    static constexpr std::chrono::milliseconds StatePostInterval{20};
    std::mutex statePostMutex;
    bool isStatePostOwed = false;
    std::chrono::steady_clock::time_point lastStatePost{};
    // Shows what waits for the interval even while the engine's status refresh is paused. It rests
    // (stopped) while nothing is pending; a change then posts at once, whatever the interval, and
    // the window thread starts the timer again.
    std::unique_ptr<framework::Timer> pendingStateTimer;
    bool isPendingStateTimerResting = false; // statePostMutex
    // The monitor panel's visibility as the poll thread sees it: while the panel is hidden and was
    // emptied once, a hand-over would only empty it again, so the poll thread does not wait for it.
    std::atomic<bool> isMonitorShown{false};
    std::atomic<bool> isHiddenMonitorEmpty{false};
    std::mutex postedMutex;
    std::deque<std::function<void()>> posted;
};

} // namespace app
