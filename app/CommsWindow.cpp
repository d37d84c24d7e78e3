#include "app/CommsWindow.h"

#include "app/FillingLayout.h"
#include "app/LampControl.h"
#include "app/PicturePanel.h"
#include "app/ProgressDialog.h"
#include "app/SettingsDialog.h"
#include "app/SettingsStore.h"
#include "engine/TransferEngine.h"
#include "framework/Application.h"
#include "framework/ButtonControl.h"
#include "framework/CheckBoxControl.h"
#include "framework/ProgressMeter.h"
#include "framework/StaticControl.h"
#include "framework/services/HelpService.h"
#include "framework/services/MessageBoxes.h"
#include "framework/services/SaveFileDialog.h"
#include "framework/services/SystemVersion.h"
#include "framework/services/Timer.h"
#include "resources/ResourceIds.h"

#include <chrono>
#include <string>
#include <utility>

namespace app {

namespace {

using framework::MessageHandler;
using framework::MessageRecord;

// Work carried over to the window thread: run at once (sent) or queued (posted).
constexpr UINT RunWorkMessage = 0x8070;
constexpr UINT PostedWorkMessage = 0x8071;
// State changes of the poll thread are waiting to be shown.
constexpr UINT StateMessage = 0x8072;

constexpr int32_t StatusLineId = IDC_COMMS_STATUS;
constexpr int32_t ProgressFrameId = IDC_COMMS_PROGRESS_FRAME;
constexpr int32_t ViewId = IDC_COMMS_VIEW;
constexpr int32_t PanelId = IDC_COMMS_PANEL;
constexpr int32_t SendFileId = IDC_COMMS_SEND_FILE;
constexpr int32_t ReceiveFileId = IDC_COMMS_RECEIVE_FILE;
constexpr int32_t TestId = IDC_COMMS_TEST;
constexpr int32_t HelpId = IDC_COMMS_HELP;
constexpr int32_t VersionId = IDC_COMMS_VERSION;
constexpr int32_t LogId = IDC_COMMS_LOG;
constexpr int32_t SpecialFeaturesId = IDC_COMMS_SPECIAL_FEATURES;

// The lamps in the order the status refresh sets them, with the picture each lights up with.
struct LampPlace {
    int32_t id;
    int32_t litImage;
};
constexpr LampPlace lampPlaces[] = {
    {IDC_COMMS_RX_LAMP, LampControl::GreenImage},      {IDC_COMMS_TX_LAMP, LampControl::GreenImage},
    {IDC_COMMS_CTS_LAMP, LampControl::RedImage},       {IDC_COMMS_DSR_LAMP, LampControl::RedImage},
    {IDC_COMMS_RLS_LAMP, LampControl::RedImage},       {IDC_COMMS_XOFF_HELD_LAMP, LampControl::RedImage},
    {IDC_COMMS_XOFF_SENT_LAMP, LampControl::RedImage},
};

template <class Operation> MessageHandler Handler(Operation operation) {
    return static_cast<MessageHandler>(operation);
}

// Whether the text, wrapped at words as a static control wraps it, fits the control's client area.
bool FitsItsField(HWND field, const framework::String& text) {
    RECT client{};
    if (field == nullptr || !GetClientRect(field, &client)) {
        return true;
    }
    HDC dc = GetDC(field);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(field, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    RECT needed{0, 0, client.right, 0};
    DrawTextA(dc, text.CStr(), text.Length(), &needed, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    ReleaseDC(field, dc);
    return needed.right <= client.right && needed.bottom <= client.bottom;
}

// The operator's guide: beside the program in a build tree (the help viewer looks there for a
// bare name), in share/tolva-dnc/ of an installation.
framework::String HelpFilePath() {
    char module[1024] = {};
    if (GetModuleFileNameA(nullptr, module, sizeof module) == 0) {
        return framework::String(CommsWindow::HelpFile);
    }
    std::string folder(module);
    folder.erase(folder.find_last_of('/') + 1);
    const std::string installed = folder + "../share/tolva-dnc/" + CommsWindow::HelpFile;
    if (GetFileAttributesA((folder + CommsWindow::HelpFile).c_str()) == INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesA(installed.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return framework::String(installed.c_str());
    }
    return framework::String(CommsWindow::HelpFile);
}

} // namespace

CommsWindow::CommsWindow(framework::Window* parent)
    : Dialog(parent, TemplateId), windowThread(GetCurrentThreadId()) {
    framework::HelpService::Instance().SetHelpFile(this, HelpFilePath().CStr());
    AddHandler(this, Handler(&CommsWindow::OnRunMessage), RunWorkMessage);
    AddHandler(this, Handler(&CommsWindow::OnPostedWork), PostedWorkMessage);
    AddHandler(this, Handler(&CommsWindow::OnStateMessage), StateMessage);
    AddHandler(this, Handler(&CommsWindow::OnMonitorUpdate), MonitorUpdateMessage);
}

CommsWindow::~CommsWindow() {
    pendingStateTimer.reset();
    if (engine != nullptr) {
        engine->ShutDownLink();
    }
    // The help viewer belongs to this window: it closes with it, and the service forgets it.
    framework::HelpService& help = framework::HelpService::Instance();
    if (help.Owner() == this) {
        help.CloseHelp();
    }
    std::lock_guard lock(postedMutex);
    posted.clear();
}

std::unique_ptr<engine::TransferEngine> CommsWindow::CreateEngine() {
    return std::make_unique<engine::TransferEngine>(settings, *this);
}

int CommsWindow::LoadSettings() {
    SettingsStore store(settings);
    store.LoadAtStartUp();
    return 1;
}

int CommsWindow::SaveSettings() {
    return SettingsStore(settings).SaveSettings();
}

void CommsWindow::ApplyPortSettings(bool suppressSoftwareFlow) {
    if (engine != nullptr) {
        engine->ApplyPortSettings(suppressSoftwareFlow);
    }
}

void CommsWindow::BindControls() {
    statusLine = new framework::StaticControl(this, StatusLineId);
    // A long folder would push the counts out of the status line: the path gives way in its middle
    // instead ("Downloading /srv/.../123.T3 - 512 of 4096 bytes sent."), as the system shortens
    // paths.
    HWND statusWindow = GetDlgItem(Handle(), StatusLineId);
    SetWindowLongPtrA(statusWindow, GWL_STYLE, GetWindowLongPtrA(statusWindow, GWL_STYLE) | SS_PATHELLIPSIS);
    sendButton = new framework::ButtonControl(this, SendFileId);
    receiveButton = new framework::ButtonControl(this, ReceiveFileId);
    panel = new PicturePanel(this, PanelId);
    progressFrame = new framework::StaticControl(this, ProgressFrameId);
    meter = new framework::ProgressMeter(progressFrame, new FillingLayout, WS_VISIBLE, 1);
    meter->Show(SW_SHOW);
    viewBox = new framework::CheckBoxControl(this, ViewId);
    AddCommandHandler(this, Handler(&CommsWindow::OnViewClicked), ViewId, BN_CLICKED);
    logBox = new framework::CheckBoxControl(this, LogId);
    AddCommandHandler(this, Handler(&CommsWindow::OnLogClicked), LogId, BN_CLICKED);
    for (size_t index = 0; index < lamps.size(); ++index) {
        lamps[index] =
            new LampControl(this, lampPlaces[index].id, LampControl::UnlitImage, lampPlaces[index].litImage);
    }
    // The version field holds two lines: the program's version and the system's name, in few
    // words when the distribution's full name would wrap out of sight.
    framework::String version;
    version.Format("%s\n%s", VersionText, framework::OperatingSystemName().CStr());
    if (!FitsItsField(GetDlgItem(Handle(), VersionId), version)) {
        version.Format("%s\n%s", VersionText, framework::OperatingSystemShortName().CStr());
    }
    SetDlgItemTextA(Handle(), VersionId, version.CStr());
    AddCommandHandler(this, Handler(&CommsWindow::OnTestClicked), TestId, BN_CLICKED);
    sendButton->Show(SW_HIDE);
    receiveButton->Show(SW_HIDE);
    specialButton = new framework::ButtonControl(this, SpecialFeaturesId);
    specialButton->Show(SW_HIDE);
    AddCommandHandler(this, Handler(&CommsWindow::OnHelpClicked), HelpId, BN_CLICKED);
}

LRESULT CommsWindow::OnInitDialog(MessageRecord& record) {
    windowThread = GetCurrentThreadId();
    LoadSettings();
    BindControls();
    framework::HelpService::Instance().AddTopic(this, 0);
    engine = CreateEngine();
    const framework::Application* application = framework::Application::Instance();
    HICON icon = LoadIconA(application ? application->ModuleHandle() : nullptr, MAKEINTRESOURCEA(IconId));
    SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    SetWindowTextA(Handle(), settings.profileName.CStr());
    engine->ApplyPortSettings(false);
    engine->ResetWorkingState();
    engine->StartStatusRefresh();
    Centre(false);
    receiving = new ProgressDialog(this, ProgressDialog::ReceivingTemplate, closing);
    receiving->Create(false);
    receiving->Show(SW_HIDE);
    sending = new ProgressDialog(this, ProgressDialog::SendingTemplate, closing);
    sending->Create(false);
    sending->Show(SW_HIDE);
    pendingStateTimer =
        std::make_unique<framework::Timer>(this, &CommsWindow::OnPendingStateTimer, 100, true);
    engine->StartPolling();
    return 1;
}

// --- Buttons ------------------------------------------------------------------------------------

LRESULT CommsWindow::OnViewClicked(MessageRecord& record) {
    ShowMonitorPanel(viewBox->IsChecked());
    return 1;
}

void CommsWindow::ShowMonitorPanel(bool shown) {
    panel->ShowMonitor(shown);
    isHiddenMonitorEmpty = false;
    isMonitorShown = panel->IsMonitorShown();
}

LRESULT CommsWindow::OnLogClicked(MessageRecord& record) {
    engine->ToggleTraceLog(logBox->IsChecked());
    return 1;
}

LRESULT CommsWindow::OnTestClicked(MessageRecord& record) {
    engine->StartLoopbackTest();
    return 1;
}

LRESULT CommsWindow::OnHelpClicked(MessageRecord& record) {
    if (!framework::HelpService::Instance().ShowContents()) {
        framework::String text;
        text.Format(
            "The operator's guide %s cannot be opened. Reinstall the program, or put the file beside it.",
            HelpFilePath().CStr());
        framework::ShowMessage(this, text.CStr(), "Help", MB_ICONEXCLAMATION | MB_OK);
    }
    return 1;
}

LRESULT CommsWindow::OnOK() {
    return OnChangeSettings();
}

LRESULT CommsWindow::OnChangeSettings() {
    if (RunSettingsDialog()) {
        // New port, speed, framing and flow control take effect at once; the rest is read at
        // its next use.
        engine->ApplySettingsChange();
    }
    return 1; // the window stays open
}

bool CommsWindow::RunSettingsDialog() {
    SettingsDialog dialog(this, settings);
    return dialog.RunModal() == IDOK;
}

// --- Closing ------------------------------------------------------------------------------------

void CommsWindow::ShutDownLink() {
    closing = true;
    pendingStateTimer.reset();
    if (engine != nullptr) {
        engine->ShutDownLink(); // safe to run twice
    }
    // The progress dialogs go with the link; their references are cleared as they go.
    if (ProgressDialog* dialog = std::exchange(receiving, nullptr)) {
        dialog->Close();
        delete dialog;
    }
    if (ProgressDialog* dialog = std::exchange(sending, nullptr)) {
        dialog->Close();
        delete dialog;
    }
    SaveSettings();
    PostQuitMessage(0);
}

LRESULT CommsWindow::OnClose(MessageRecord& record) {
    ShutDownLink();
    return 0; // the close is allowed
}

void CommsWindow::Close() {
    ShutDownLink();
    Dialog::Close();
}

// --- The engine's view --------------------------------------------------------------------------

void CommsWindow::OnWindowThread(const std::function<void()>& work) {
    if (GetCurrentThreadId() == windowThread || Handle() == nullptr) {
        ShowPendingState();
        work();
        return;
    }
    SendMessageA(Handle(), RunWorkMessage, 0, reinterpret_cast<LPARAM>(&work));
}

LRESULT CommsWindow::OnRunMessage(MessageRecord& record) {
    ShowPendingState();
    (*reinterpret_cast<const std::function<void()>*>(record.lParam))();
    return 1;
}

LRESULT CommsWindow::OnPostedWork(MessageRecord& record) {
    for (;;) {
        std::function<void()> work;
        {
            std::lock_guard lock(postedMutex);
            if (posted.empty()) {
                return 1;
            }
            work = std::move(posted.front());
            posted.pop_front();
        }
        work();
    }
}

void CommsWindow::PostToWindowThread(std::function<void()> work) {
    {
        std::lock_guard lock(postedMutex);
        posted.push_back(std::move(work));
    }
    if (Handle() != nullptr) {
        PostMessageA(Handle(), PostedWorkMessage, 0, 0);
    }
}

// During a download the state changes with every line; the window thread is told at most every
// StatePostInterval, and a change that finds the interval running waits for the next change of
// the poll thread or for the status refresh, which shows it within 100 ms.
void CommsWindow::StateChanged(bool isFirst) {
    if (GetCurrentThreadId() == windowThread || Handle() == nullptr) {
        ShowPendingState();
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    {
        std::lock_guard lock(statePostMutex);
        isStatePostOwed = isStatePostOwed || isFirst;
        // A resting timer would not show a change held back for the interval.
        if (!isStatePostOwed || (!isPendingStateTimerResting && now - lastStatePost < StatePostInterval)) {
            return;
        }
        isStatePostOwed = false;
        lastStatePost = now;
    }
    PostMessageA(Handle(), StateMessage, 0, 0);
}

LRESULT CommsWindow::OnStateMessage(MessageRecord& record) {
    ShowPendingState();
    bool wakes = false;
    {
        std::lock_guard lock(statePostMutex);
        wakes = std::exchange(isPendingStateTimerResting, false);
    }
    // More changes within the interval are held back again, and the timer shows them.
    if (wakes && pendingStateTimer != nullptr) {
        pendingStateTimer->Start(false);
    }
    return 1;
}

void CommsWindow::OnPendingStateTimer() {
    ShowPendingState();
    {
        // Under the post lock: a change set after this look finds the timer resting and posts.
        std::lock_guard lock(statePostMutex);
        if (!pendingState.IsEmpty()) {
            return;
        }
        // What a post was owed for has just been shown.
        isStatePostOwed = false;
        isPendingStateTimerResting = true;
    }
    pendingStateTimer->Stop();
}

void CommsWindow::ShowPendingState() {
    const PendingViewState::Changes changes = pendingState.Take();
    if (changes.caption.has_value()) {
        SetWindowTextA(Handle(), changes.caption->CStr());
    }
    if (changes.statusText.has_value() && statusLine != nullptr) {
        // The status refresh sets the line ten times a second; it is redrawn when it changes.
        if (!statusLine->GetText().Equals(*changes.statusText)) {
            statusLine->SetText(changes.statusText->CStr());
        }
    }
    if (meter != nullptr) {
        if (changes.progressTotal.has_value()) {
            meter->SetProgress(*changes.progressTotal, changes.progressDone.value_or(0));
        } else if (changes.progressDone.has_value()) {
            meter->SetDone(*changes.progressDone);
        }
    }
    for (size_t index = 0; index < lamps.size(); ++index) {
        LampControl* lamp = lamps[index];
        if (!changes.lamps[index].has_value() || lamp == nullptr || lamp->IsOn() == *changes.lamps[index]) {
            continue; // repainted only on a change
        }
        if (*changes.lamps[index]) {
            lamp->SetOn();
        } else {
            lamp->SetOff();
        }
    }
    if (changes.hidesProgressDialogs) {
        if (receiving != nullptr) {
            receiving->Show(SW_HIDE);
        }
        if (sending != nullptr) {
            sending->Show(SW_HIDE);
        }
    }
    if (changes.enablesTransferButtons) {
        if (sendButton != nullptr) {
            sendButton->Enable(true);
        }
        if (receiveButton != nullptr) {
            receiveButton->Enable(true);
        }
    }
}

void CommsWindow::SetCaption(const char* text) {
    StateChanged(pendingState.SetCaption(text));
}

void CommsWindow::MonitorUpdate(const framework::String& text) {
    if (GetCurrentThreadId() == windowThread || Handle() == nullptr) {
        AddMonitorLine(text.CStr());
        return;
    }
    if (!isMonitorShown && isHiddenMonitorEmpty) {
        return; // the hidden panel would be emptied again; nothing on the screen changes
    }
    monitorText = text;
    SendMessageA(Handle(), MonitorUpdateMessage, 0, 0);
}

LRESULT CommsWindow::OnMonitorUpdate(MessageRecord& record) {
    ShowPendingState();
    AddMonitorLine(monitorText.CStr());
    return 1;
}

void CommsWindow::AddMonitorLine(const char* text) {
    if (panel != nullptr) {
        panel->AddMonitorLine(text);
        isHiddenMonitorEmpty = !panel->IsMonitorShown();
    }
}

void CommsWindow::ShowPortError(const char* stepName, const char* text) {
    const framework::String caption(stepName);
    const framework::String body(text);
    OnWindowThread(
        [&] { framework::ShowMessage(this, body.CStr(), caption.CStr(), MB_ICONEXCLAMATION | MB_OK); });
}

void CommsWindow::SetStatusText(const char* text) {
    StateChanged(pendingState.SetStatusText(text));
}

void CommsWindow::SetProgress(int32_t total, int32_t done) {
    StateChanged(pendingState.SetProgress(total, done));
}

void CommsWindow::SetProgressDone(int32_t done) {
    StateChanged(pendingState.SetProgressDone(done));
}

void CommsWindow::SetLamp(engine::LinkView::Lamp which, bool isOn) {
    StateChanged(pendingState.SetLamp(which, isOn));
}

void CommsWindow::HideProgressDialogs() {
    StateChanged(pendingState.HideProgressDialogs());
}

void CommsWindow::EnableTransferButtons() {
    StateChanged(pendingState.EnableTransferButtons());
}

void CommsWindow::ShowInfo(const char* text) {
    const framework::String body(text);
    OnWindowThread([&] { framework::ShowInfo("%s", body.CStr()); });
}

void CommsWindow::SoundBeep() {
    OnWindowThread([] { MessageBeep(MB_ICONHAND); });
}

bool CommsWindow::ChooseSaveFile(const char* title, const framework::String& initialPath,
                                 const std::vector<FileFilter>& filters, framework::String& chosen) {
    // The dialog takes its filters as description and pattern pairs ending with a null.
    std::vector<const char*> pairs;
    for (const FileFilter& filter : filters) {
        pairs.push_back(filter.name.CStr());
        pairs.push_back(filter.pattern.CStr());
    }
    pairs.push_back(nullptr);
    const framework::SaveFileDialog dialog(this, title, initialPath.CStr(), pairs.data());
    if (!dialog.IsAccepted()) {
        return false;
    }
    dialog.Result(chosen);
    return true;
}

void CommsWindow::SetLogButton(bool isPressed) {
    if (logBox != nullptr) {
        logBox->SetChecked(isPressed);
    }
}

} // namespace app
