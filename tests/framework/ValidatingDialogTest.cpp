#include "framework/ValidatingDialog.h"

#include "framework/Application.h"
#include "framework/CheckBoxControl.h"
#include "framework/ComboBoxControl.h"
#include "framework/EditBox.h"
#include "framework/NumberEditControl.h"
#include "framework/StaticControl.h"
#include "platform/Windows.h"
#include "platform/user/Sound.h"
#include "resources/ProgramResources.h"
#include "support/ProbeWindow.h"
#include "support/UserSupport.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>

using framework::Application;
using framework::CheckBoxControl;
using framework::ComboBoxControl;
using framework::Control;
using framework::EditBox;
using framework::NumberEditControl;
using framework::StaticControl;
using framework::String;
using framework::ValidatingDialog;
using framework::Window;
using testsupport::ProbeWindow;
namespace hooks = testhooks;

namespace {

constexpr int SettingsTemplate = 15101;
constexpr int BaudRate = 15221;
constexpr int CharDelay = 15246;
constexpr int LineDelay = 15247;
constexpr int UploadPath = 15226;
constexpr int FileExtension = 15232;
constexpr int WriteLog = 15235;
constexpr int PortLabel = 15215;
constexpr int TransmitLabel = 15229;

// The settings dialog's way with OK: accept only what validates.
class SettingsLikeDialog : public ValidatingDialog {
public:
    explicit SettingsLikeDialog(Window* parent) : ValidatingDialog(parent, SettingsTemplate) {}
    LRESULT OnOK() override { return Validate(); }
};

// A control whose content is never valid, with the class-name text and style it is given.
class RefusingControl : public Control {
public:
    RefusingControl(Window* dialog, int32_t id, const char* className) : Control(dialog, id) {
        SetControlClassName(className);
        AdoptIfReady();
    }
    bool IsValid() override { return false; }
    void Store() override { ++stores; }
    int stores = 0;
};

class ValidatingDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        resources::RegisterProgramResources();
        hooks::ClearBeeps();
    }
    void TearDown() override { hooks::PumpMessages(); }

    // Binds the fields a settings dialog binds, some before its window exists and some after.
    void BindAndOpen() {
        new EditBox(&dialog, UploadPath, &uploadPath);
        new NumberEditControl(&dialog, CharDelay, &charDelay, 0, 999);
        dialog.Create(false);
        ASSERT_NE(dialog.Handle(), nullptr);
        ShowWindow(dialog.Handle(), SW_SHOW);
        new NumberEditControl(&dialog, LineDelay, &lineDelay, 0, 999);
        new CheckBoxControl(&dialog, WriteLog, &writeLog);
        auto* rates = new ComboBoxControl(&dialog, BaudRate, &baudRate);
        for (const char* rate : {"4800", "9600", "19200"}) {
            rates->AddString(rate);
        }
        rates->Load();
        new StaticControl(&dialog, PortLabel);
        hooks::PumpMessages();
    }
    HWND Item(int id) const { return GetDlgItem(dialog.Handle(), id); }
    void Enter(int id, const char* text) { SetWindowTextA(Item(id), text); }

    // The user changes every field, one of them to a value out of range.
    void ChangeEverything(const char* lineDelayText) {
        Enter(UploadPath, "/srv/nc/in/");
        Enter(CharDelay, "12");
        Enter(LineDelay, lineDelayText);
        hooks::Click(Item(WriteLog));
        SetFocus(Item(BaudRate));
        hooks::PressKey(Item(BaudRate), VK_DOWN);
    }
    void ExpectNothingStored(const char* context) {
        EXPECT_STREQ(uploadPath.CStr(), "/srv/nc/out/") << context;
        EXPECT_EQ(charDelay, 5) << context;
        EXPECT_EQ(lineDelay, 50) << context;
        EXPECT_EQ(writeLog, 0) << context;
        EXPECT_STREQ(baudRate.CStr(), "9600") << context;
    }
    static bool OnlyTheLowTone() {
        const auto beeps = hooks::Beeps();
        return beeps.size() == 1 && !beeps[0].isMessageBeep && beeps[0].frequency == 300 &&
               beeps[0].duration == 800;
    }

    testsupport::Watchdog watchdog;
    Application application{GetModuleHandleA(nullptr)};
    ProbeWindow owner;
    SettingsLikeDialog dialog{&owner};
    String uploadPath{"/srv/nc/out/"};
    String baudRate{"9600"};
    int32_t charDelay = 5;
    int32_t lineDelay = 50;
    int32_t writeLog = 0;
};

} // namespace

TEST_F(ValidatingDialogTest, OneInvalidEntryBeepsTakesTheFocusAndStoresNothing) {
    BindAndOpen();
    ChangeEverything("1000");

    hooks::Click(Item(IDOK));
    ASSERT_NE(dialog.Handle(), nullptr) << "the dialog stays open";
    EXPECT_TRUE(OnlyTheLowTone()) << "one Beep of 300 Hz for 800 ms";
    EXPECT_EQ(GetFocus(), Item(LineDelay)) << "the invalid entry has the focus";
    EXPECT_FALSE(dialog.IsAccepted());
    ExpectNothingStored("after the refused OK");

    // Corrected to the top of its range, the whole input is taken.
    hooks::ClearBeeps();
    Enter(LineDelay, "999");
    EXPECT_EQ(dialog.Validate(), 0);
    EXPECT_TRUE(hooks::Beeps().empty());
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_STREQ(uploadPath.CStr(), "/srv/nc/in/");
    EXPECT_EQ(charDelay, 12);
    EXPECT_EQ(lineDelay, 999);
    EXPECT_EQ(writeLog, 1);
    EXPECT_STREQ(baudRate.CStr(), "19200");
}

TEST_F(ValidatingDialogTest, FirstInvalidControlInChildOrderIsReported) {
    BindAndOpen();
    Enter(CharDelay, "-1");
    Enter(LineDelay, "abc");
    Control* invalid = dialog.FindInvalidControl();
    ASSERT_NE(invalid, nullptr);
    EXPECT_EQ(invalid->Handle(), Item(CharDelay)) << "the character delay was bound first";
    EXPECT_EQ(dialog.ValidateAndStore(), invalid);
    EXPECT_EQ(charDelay, 5);
    EXPECT_TRUE(hooks::Beeps().empty()) << "only Validate sounds the tone";

    Enter(CharDelay, "0");
    EXPECT_EQ(dialog.FindInvalidControl()->Handle(), Item(LineDelay));
}

TEST_F(ValidatingDialogTest, DisabledInvalidControlDoesNotBlockValidation) {
    BindAndOpen();
    ChangeEverything("5000");
    EnableWindow(Item(LineDelay), FALSE);
    EXPECT_EQ(dialog.Validate(), 0);
    EXPECT_TRUE(dialog.IsAccepted());
    EXPECT_TRUE(hooks::Beeps().empty());
    EXPECT_EQ(lineDelay, 50) << "the disabled field's invalid text is not stored";
    EXPECT_EQ(charDelay, 12) << "the others are";
    EXPECT_EQ(writeLog, 1);
}

TEST_F(ValidatingDialogTest, StyleBit800ExemptsControlsButNotEditBoxes) {
    BindAndOpen();
    // A static with the bit set never takes part, whatever its object says.
    HWND label = Item(TransmitLabel);
    SetWindowLongA(label, GWL_STYLE, GetWindowLongA(label, GWL_STYLE) | 0x800);
    auto* exempt = new RefusingControl(&dialog, TransmitLabel, "STATIC");
    EXPECT_EQ(dialog.FindInvalidControl(), nullptr);
    EXPECT_EQ(dialog.ValidateAndStore(), nullptr);
    EXPECT_EQ(exempt->stores, 1) << "storing reaches every control";

    // A read-only edit box (ES_READONLY is the same bit) still takes part.
    HWND extension = Item(FileExtension);
    SendMessageA(extension, EM_SETREADONLY, TRUE, 0);
    ASSERT_NE(GetWindowLongA(extension, GWL_STYLE) & 0x800, 0);
    auto* readOnly = new RefusingControl(&dialog, FileExtension, "EDITBOX");
    EXPECT_EQ(dialog.FindInvalidControl(), readOnly);
    EXPECT_EQ(dialog.Validate(), 1);
    EXPECT_EQ(GetFocus(), extension);
    EXPECT_TRUE(OnlyTheLowTone());
}
