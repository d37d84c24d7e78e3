#pragma once

#include "engine/CommsSettings.h"
#include "framework/ValidatingDialog.h"
#include "resources/ResourceIds.h"

#include <cstdint>

namespace framework {
class ButtonControl;
class CheckBoxControl;
class ComboBoxControl;
class EditBox;
class StaticControl;
} // namespace framework

namespace app {

class ControlCodeCombo;

// The "Settings" dialog: edits the main window's settings record in place through controls bound
// to its fields, and offers a folder chooser behind the three "..." buttons.
//
// The controls are made with the object and adopt their template items each time the dialog
// runs; initialisation then fills the lists (the ports that can be used now, the fixed choices)
// and sets the enabled states from the check boxes. OK validates: an out-of-range delay keeps the
// dialog open with the focus on it and a low tone, and stores nothing; otherwise every control is
// stored into its field. The two control codes are edited in working copies that OK copies into
// the record whether or not validation succeeded. A folder chosen with "..." is stored at once,
// so Cancel does not take it back; typed text is discarded by Cancel.
//
// The dialog reads and writes no file; the owner re-applies the port after OK. Window thread only.
class SettingsDialog : public framework::ValidatingDialog {
public:
    static constexpr int32_t TemplateId = IDD_SETTINGS;
    static constexpr int FirstPort = 1;
    static constexpr int LastPort = 9;

    enum ControlId : int32_t {
        PortList = IDC_SETTINGS_PORT,
        BaudRateList = IDC_SETTINGS_BAUD_RATE,
        ParityList = IDC_SETTINGS_PARITY,
        DataBitsList = IDC_SETTINGS_DATA_BITS,
        StopBitsList = IDC_SETTINGS_STOP_BITS,
        UploadPathEdit = IDC_SETTINGS_UPLOAD_PATH,
        DownloadPathEdit = IDC_SETTINGS_DOWNLOAD_PATH,
        FileExtensionEdit = IDC_SETTINGS_EXTENSION,
        LogFileLabel = IDC_SETTINGS_LOG_FILE_LABEL,
        LogFileEdit = IDC_SETTINGS_LOG_FILE,
        WriteLogCheck = IDC_SETTINGS_WRITE_LOG,
        BrowseUploadButton = IDC_SETTINGS_BROWSE_UPLOAD,
        BrowseDownloadButton = IDC_SETTINGS_BROWSE_DOWNLOAD,
        BrowseLogFileButton = IDC_SETTINGS_BROWSE_LOG_FILE,
        FlowControlList = IDC_SETTINGS_FLOW_CONTROL,
        CharDelayField = IDC_SETTINGS_CHAR_DELAY,
        LineDelayField = IDC_SETTINGS_LINE_DELAY,
        TransmitDelayField = IDC_SETTINGS_TRANSMIT_DELAY,
        StartCodeCheck = IDC_SETTINGS_START_CODE_CHECK,
        EndCodeCheck = IDC_SETTINGS_END_CODE_CHECK,
        StartCodeList = IDC_SETTINGS_START_CODE,
        EndCodeList = IDC_SETTINGS_END_CODE,
    };

    static constexpr int32_t MaxCharDelay = 999;
    static constexpr int32_t MaxLineDelay = 999;
    static constexpr int32_t MaxTransmitDelay = 30;

    // mainWindow owns the dialog's window and is the window it is centred on.
    SettingsDialog(framework::Window* mainWindow, engine::CommsSettings& settings);

    // Runs the dialog modally; IDOK when the input was accepted and stored, else IDCANCEL.
    int RunModal();

    LRESULT OnInitDialog(framework::MessageRecord& record) override;
    LRESULT OnOK() override;

    LRESULT OnStartCodeToggled(framework::MessageRecord& record);
    LRESULT OnEndCodeToggled(framework::MessageRecord& record);
    LRESULT OnWriteLogToggled(framework::MessageRecord& record);
    LRESULT OnBrowseUploadPath(framework::MessageRecord& record);
    LRESULT OnBrowseDownloadPath(framework::MessageRecord& record);
    LRESULT OnBrowseLogFile(framework::MessageRecord& record);

protected:
    // Lets the user choose a folder, starting at initialFolder; true with the folder (ending in
    // "/") in chosen when one was chosen.
    virtual bool ChooseFolder(const char* title, const framework::String& initialFolder,
                              framework::String& chosen);

private:
    void FillPortList();
    void FillChoices();
    void BrowseFolder(const char* title, framework::String& setting, framework::EditBox& edit);

    engine::CommsSettings& settings;
    uint8_t startCodeChoice;
    uint8_t endCodeChoice;
    int outcome = IDCANCEL;

    // Child objects of the dialog, which deletes them.
    framework::ComboBoxControl* portList;
    framework::ComboBoxControl* baudRateList;
    framework::ComboBoxControl* parityList;
    framework::ComboBoxControl* dataBitsList;
    framework::ComboBoxControl* stopBitsList;
    framework::ComboBoxControl* flowControlList;
    framework::CheckBoxControl* startCodeCheck;
    ControlCodeCombo* startCodeList;
    framework::CheckBoxControl* endCodeCheck;
    ControlCodeCombo* endCodeList;
    framework::EditBox* uploadPathEdit;
    framework::EditBox* downloadPathEdit;
    framework::StaticControl* logFileLabel;
    framework::EditBox* logFileEdit;
    framework::CheckBoxControl* writeLogCheck;
    framework::ButtonControl* browseLogFileButton;
};

} // namespace app
