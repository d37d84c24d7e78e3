#include "app/SettingsDialog.h"

#include "app/ControlCodeCombo.h"
#include "framework/ButtonControl.h"
#include "framework/CheckBoxControl.h"
#include "framework/ComboBoxControl.h"
#include "framework/EditBox.h"
#include "framework/NumberEditControl.h"
#include "framework/Path.h"
#include "framework/StaticControl.h"
#include "framework/services/FolderDialog.h"

#include <initializer_list>

namespace app {

using framework::MessageHandler;
using framework::MessageRecord;
using framework::String;

namespace {

constexpr std::initializer_list<const char*> BaudRates = {
    "110", "150", "300", "600", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
constexpr std::initializer_list<const char*> Parities = {"None", "Odd", "Even", "Mark", "Space"};
constexpr std::initializer_list<const char*> DataBits = {"7", "8"};
constexpr std::initializer_list<const char*> StopBits = {"1", "1.5", "2"};
// Added in this order; the sorted list shows them alphabetically.
constexpr std::initializer_list<const char*> FlowControls = {"Xon/Xoff", "Hardware", "None", "Combined"};

MessageHandler AsHandler(LRESULT (SettingsDialog::*operation)(MessageRecord&)) {
    return static_cast<MessageHandler>(operation);
}

void Fill(framework::ComboBoxControl& list, std::initializer_list<const char*> items) {
    if (list.Count() == 0) {
        for (const char* item : items) {
            list.AddString(item);
        }
    }
    list.Load();
}

// True when a port can be opened now the way the link opens it: for reading and writing and
// without sharing, so a port another program holds is not offered.
bool CanOpenPort(const String& name) {
    HANDLE port = CreateFileA(name.CStr(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(port);
    return true;
}

} // namespace

SettingsDialog::SettingsDialog(framework::Window* mainWindow, engine::CommsSettings& settings)
    : framework::ValidatingDialog(mainWindow, TemplateId), settings(settings),
      startCodeChoice(settings.startCode), endCodeChoice(settings.endCode) {
    SetOwner(mainWindow);
    SetFrameFlags(FrameCentre);

    // Child order is validation order: the first invalid field in this order gets the focus.
    portList = new framework::ComboBoxControl(this, PortList, &settings.port);
    baudRateList = new framework::ComboBoxControl(this, BaudRateList, &settings.baudRate);
    parityList = new framework::ComboBoxControl(this, ParityList, &settings.parity);
    dataBitsList = new framework::ComboBoxControl(this, DataBitsList, &settings.dataBits);
    stopBitsList = new framework::ComboBoxControl(this, StopBitsList, &settings.stopBits);
    flowControlList = new framework::ComboBoxControl(this, FlowControlList, &settings.flowControl);

    startCodeCheck = new framework::CheckBoxControl(this, StartCodeCheck, &settings.sendStartCode);
    startCodeList = new ControlCodeCombo(this, StartCodeList, &startCodeChoice);
    endCodeCheck = new framework::CheckBoxControl(this, EndCodeCheck, &settings.sendEndCode);
    endCodeList = new ControlCodeCombo(this, EndCodeList, &endCodeChoice);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnStartCodeToggled), StartCodeCheck, BN_CLICKED);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnEndCodeToggled), EndCodeCheck, BN_CLICKED);

    uploadPathEdit = new framework::EditBox(this, UploadPathEdit, &settings.uploadPath);
    downloadPathEdit = new framework::EditBox(this, DownloadPathEdit, &settings.downloadPath);
    new framework::EditBox(this, FileExtensionEdit, &settings.fileExtension);
    new framework::NumberEditControl(this, CharDelayField, &settings.charDelay, 0, MaxCharDelay);
    new framework::NumberEditControl(this, LineDelayField, &settings.lineDelay, 0, MaxLineDelay);
    new framework::NumberEditControl(this, TransmitDelayField, &settings.transmitDelay, 0, MaxTransmitDelay);
    logFileLabel = new framework::StaticControl(this, LogFileLabel);
    logFileEdit = new framework::EditBox(this, LogFileEdit, &settings.logFile);
    writeLogCheck = new framework::CheckBoxControl(this, WriteLogCheck, &settings.writeLog);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnWriteLogToggled), WriteLogCheck, BN_CLICKED);

    new framework::ButtonControl(this, BrowseUploadButton);
    new framework::ButtonControl(this, BrowseDownloadButton);
    browseLogFileButton = new framework::ButtonControl(this, BrowseLogFileButton);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnBrowseUploadPath), BrowseUploadButton, BN_CLICKED);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnBrowseDownloadPath), BrowseDownloadButton,
                      BN_CLICKED);
    AddCommandHandler(this, AsHandler(&SettingsDialog::OnBrowseLogFile), BrowseLogFileButton, BN_CLICKED);
}

int SettingsDialog::RunModal() {
    outcome = IDCANCEL;
    Create(true);
    return outcome;
}

// The controls have adopted their items and loaded what they could before this runs; the lists
// are empty until now, so each one selects its value again once it is filled.
LRESULT SettingsDialog::OnInitDialog(MessageRecord& record) {
    FillPortList();
    FillChoices();
    startCodeChoice = settings.startCode;
    startCodeList->Fill();
    endCodeChoice = settings.endCode;
    endCodeList->Fill();

    OnStartCodeToggled(record);
    OnEndCodeToggled(record);
    OnWriteLogToggled(record);
    return 0;
}

// The current port is always offered (this program holds it open, so it would not open again);
// every other one only when it exists and nobody holds it.
void SettingsDialog::FillPortList() {
    for (int number = FirstPort; number <= LastPort; ++number) {
        String name;
        name.Format("COM%i", number);
        if (name.Equals(settings.port) || CanOpenPort(name)) {
            portList->AddString(name.CStr());
        }
    }
    portList->Load();
}

void SettingsDialog::FillChoices() {
    Fill(*baudRateList, BaudRates);
    Fill(*parityList, Parities);
    Fill(*dataBitsList, DataBits);
    Fill(*stopBitsList, StopBits);
    Fill(*flowControlList, FlowControls);
}

LRESULT SettingsDialog::OnOK() {
    const LRESULT keepOpen = Validate();
    if (keepOpen == 0) {
        outcome = IDOK;
    }
    // The working copies go into the record even when a field was refused and the dialog stays
    // open, so a later Cancel keeps the codes chosen so far.
    settings.startCode = startCodeChoice;
    settings.endCode = endCodeChoice;
    return keepOpen;
}

LRESULT SettingsDialog::OnStartCodeToggled(MessageRecord& /*record*/) {
    startCodeList->Enable(startCodeCheck->IsChecked());
    return 0;
}

LRESULT SettingsDialog::OnEndCodeToggled(MessageRecord& /*record*/) {
    endCodeList->Enable(endCodeCheck->IsChecked());
    return 0;
}

LRESULT SettingsDialog::OnWriteLogToggled(MessageRecord& /*record*/) {
    const bool writesLog = writeLogCheck->IsChecked();
    logFileLabel->Enable(writesLog);
    logFileEdit->Enable(writesLog);
    browseLogFileButton->Enable(writesLog);
    return 0;
}

LRESULT SettingsDialog::OnBrowseUploadPath(MessageRecord& /*record*/) {
    BrowseFolder("Upload Path", settings.uploadPath, *uploadPathEdit);
    return 1;
}

LRESULT SettingsDialog::OnBrowseDownloadPath(MessageRecord& /*record*/) {
    BrowseFolder("Download Path", settings.downloadPath, *downloadPathEdit);
    return 1;
}

// The chosen folder replaces the log file's folder; its name stays.
LRESULT SettingsDialog::OnBrowseLogFile(MessageRecord& /*record*/) {
    String folder;
    if (ChooseFolder("Log File Path", settings.logFile, folder)) {
        const String name = framework::PathFileName(settings.logFile);
        String path;
        path.Format("%s%s", folder.CStr(), name.CStr());
        settings.logFile = path;
        logFileEdit->Load();
    }
    return 1;
}

// A chosen folder is stored at once, not at OK.
void SettingsDialog::BrowseFolder(const char* title, String& setting, framework::EditBox& edit) {
    String folder;
    if (ChooseFolder(title, setting, folder)) {
        setting = folder;
        edit.Load();
    }
}

bool SettingsDialog::ChooseFolder(const char* title, const String& initialFolder, String& chosen) {
    framework::FolderDialog dialog(this, title, initialFolder.CStr());
    dialog.Create(true);
    if (!dialog.IsAccepted()) {
        return false;
    }
    dialog.Folder(chosen);
    return true;
}

} // namespace app
