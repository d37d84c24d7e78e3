#include "framework/Application.h"
#include "framework/CheckBoxControl.h"
#include "framework/ComboBoxControl.h"
#include "framework/Control.h"
#include "framework/EditBox.h"
#include "framework/NumberEditControl.h"
#include "framework/StaticControl.h"
#include "platform/Windows.h"
#include "resources/ProgramResources.h"
#include "support/ProbeWindow.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using framework::Application;
using framework::CheckBoxControl;
using framework::ComboBoxControl;
using framework::Control;
using framework::EditBox;
using framework::MessageRecord;
using framework::NumberEditControl;
using framework::StaticControl;
using framework::String;
using framework::Window;
using testsupport::ProbeWindow;
namespace hooks = testhooks;

namespace {

// Ids of the settings template's items.
constexpr int BaudRate = 15221;
constexpr int Parity = 15222;
constexpr int FlowControl = 15241;
constexpr int CharDelay = 15246;
constexpr int TransmitDelay = 15249;
constexpr int UploadPath = 15226;
constexpr int WriteLog = 15235;
constexpr int SendStartCode = 15260;
constexpr int PortLabel = 15215;

const DLGTEMPLATE* Template(int id) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)), RT_DIALOG);
    return static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, resource)));
}

// Hands every message of the template's window to a framework object, the way a dialog object's
// procedure does, so that the controls' handlers on it run.
ProbeWindow* currentHost = nullptr;

INT_PTR HostProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (currentHost == nullptr) {
        return FALSE;
    }
    MessageRecord record{hwnd, lParam, wParam, message};
    const LRESULT result = currentHost->Dispatch(record);
    if (message == WM_INITDIALOG) {
        currentHost->Adopt(hwnd);
        return TRUE;
    }
    return result != 0;
}

// A number field that writes down the focus notifications it receives.
class WatchingNumberEdit : public NumberEditControl {
public:
    WatchingNumberEdit(Window* dialog, int32_t id, int32_t* variable, std::vector<std::string>& log)
        : NumberEditControl(dialog, id, variable, 0, 999), log(log) {}

protected:
    LRESULT OnFocusGained(MessageRecord& record) override {
        log.push_back("gained " + std::to_string(LOWORD(record.wParam)));
        return 0;
    }
    LRESULT OnFocusLost(MessageRecord& record) override {
        log.push_back("lost " + std::to_string(LOWORD(record.wParam)));
        return 0;
    }

private:
    std::vector<std::string>& log;
};

class WatchingCombo : public ComboBoxControl {
public:
    WatchingCombo(Window* dialog, int32_t id, String* text, std::vector<std::string>& log)
        : ComboBoxControl(dialog, id, text), log(log) {}

protected:
    LRESULT OnFocusGained(MessageRecord& record) override {
        log.push_back("gained " + std::to_string(LOWORD(record.wParam)));
        return 0;
    }
    LRESULT OnFocusLost(MessageRecord& record) override {
        log.push_back("lost " + std::to_string(LOWORD(record.wParam)));
        return 0;
    }

private:
    std::vector<std::string>& log;
};

class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        resources::RegisterProgramResources();
        currentHost = &host;
    }
    void TearDown() override {
        currentHost = nullptr;
        host.Destroy();
        hooks::PumpMessages();
    }

    // Opens the settings template beside the host object.
    HWND OpenSettings() {
        HWND dialog = CreateDialogIndirectParamA(nullptr, Template(15101), nullptr, HostProcedure, 0);
        EXPECT_NE(dialog, nullptr);
        ShowWindow(dialog, SW_SHOW);
        hooks::PumpMessages();
        return dialog;
    }
    HWND Item(int id) const { return GetDlgItem(host.Handle(), id); }
    void SetItemText(int id, const char* text) { SetWindowTextA(Item(id), text); }

    testsupport::Watchdog watchdog;
    Application application{GetModuleHandleA(nullptr)};
    ProbeWindow host{nullptr, false};
};

void FillBaudRates(ComboBoxControl& combo) {
    for (const char* rate : {"110", "300", "1200", "2400", "4800", "9600", "19200"}) {
        combo.AddString(rate);
    }
}

} // namespace

TEST_F(Controls, ControlsBoundBeforeTheWindowAdoptTheirItemsWhenTheDialogStarts) {
    String path("/tmp/up/");
    auto* edit = new EditBox(&host, UploadPath, &path);
    auto* label = new StaticControl(&host, PortLabel);
    EXPECT_EQ(edit->Handle(), nullptr) << "no window yet";
    EXPECT_EQ(edit->GetKind(), Window::KindControl) << "a control before it has a window";

    HWND dialog = OpenSettings();
    ASSERT_EQ(edit->Handle(), GetDlgItem(dialog, UploadPath));
    EXPECT_EQ(Window::FromHandle(edit->Handle()), edit);
    EXPECT_STREQ(edit->ClassName().CStr(), "EDITBOX");
    EXPECT_STREQ(label->ClassName().CStr(), "STATIC");
    EXPECT_EQ(hooks::WindowText(edit->Handle()), "/tmp/up/") << "loaded from its variable on adoption";

    // A control made once the window exists adopts its item at once.
    int32_t writeLog = 1;
    auto* box = new CheckBoxControl(&host, WriteLog, &writeLog);
    EXPECT_EQ(box->Handle(), Item(WriteLog));
    EXPECT_STREQ(box->ClassName().CStr(), "BUTTON");
    EXPECT_TRUE(hooks::IsChecked(Item(WriteLog)));
}

TEST_F(Controls, DeletingAControlLeavesItsItemWorking) {
    String path("kept");
    OpenSettings();
    auto* edit = new EditBox(&host, UploadPath, &path);
    HWND item = edit->Handle();
    delete edit;
    EXPECT_EQ(host.ChildCount(), 0);
    ASSERT_TRUE(IsWindow(item)) << "the dialog's item is not destroyed with the object";
    EXPECT_EQ(Window::FromHandle(item), nullptr);
    SetFocus(item);
    hooks::PressKey(item, VK_END);
    hooks::TypeText(item, "!");
    EXPECT_EQ(hooks::WindowText(item), "kept!") << "the edit's own procedure serves it again";
    EXPECT_EQ(SendMessageA(host.Handle(), WM_COMMAND, MAKEWPARAM(UploadPath, EN_SETFOCUS),
                           reinterpret_cast<LPARAM>(item)),
              0)
        << "no handler of the deleted control is left on the dialog";
}

TEST_F(Controls, FocusNotificationsReachTheControlsHandlers) {
    std::vector<std::string> log;
    int32_t delay = 5;
    String flow("None");
    new WatchingNumberEdit(&host, CharDelay, &delay, log);
    new WatchingCombo(&host, FlowControl, &flow, log);
    OpenSettings();
    log.clear();

    SetFocus(Item(CharDelay));
    SetFocus(Item(FlowControl));
    SetFocus(Item(UploadPath));
    hooks::PumpMessages();
    EXPECT_EQ(log, (std::vector<std::string>{"gained 15246", "lost 15246", "gained 15241", "lost 15241"}));

    // Tab moves the focus as the user does it.
    log.clear();
    SetFocus(Item(CharDelay));
    hooks::PressKey(Item(CharDelay), VK_TAB);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front(), "gained 15246");
    EXPECT_EQ(log.back(), "lost 15246");
}

TEST_F(Controls, CheckBoxBindingRoundTrip) {
    int32_t sendStart = 1;
    int32_t writeLog = 0;
    auto* start = new CheckBoxControl(&host, SendStartCode, &sendStart);
    auto* log = new CheckBoxControl(&host, WriteLog, &writeLog);
    OpenSettings();
    EXPECT_TRUE(hooks::IsChecked(Item(SendStartCode)));
    EXPECT_FALSE(hooks::IsChecked(Item(WriteLog)));

    hooks::Click(Item(SendStartCode));
    hooks::Click(Item(WriteLog));
    EXPECT_EQ(sendStart, 1) << "nothing is stored before Store";
    start->Store();
    log->Store();
    EXPECT_EQ(sendStart, 0);
    EXPECT_EQ(writeLog, 1);

    writeLog = 0;
    log->Load();
    EXPECT_FALSE(log->IsChecked());
}

TEST_F(Controls, ComboBoxIntegerAndTextBindings) {
    int32_t parity = 2;
    String rate("9600");
    auto* parities = new ComboBoxControl(&host, Parity, &parity);
    auto* rates = new ComboBoxControl(&host, BaudRate, &rate);
    EXPECT_EQ(rates->AddString("110"), -1) << "no window to add to";
    OpenSettings();
    for (const char* name : {"None", "Odd", "Even", "Mark", "Space"}) {
        parities->AddString(name);
    }
    FillBaudRates(*rates);
    parities->Load();
    rates->Load();
    EXPECT_EQ(hooks::WindowText(Item(Parity)), "Even");
    EXPECT_EQ(hooks::WindowText(Item(BaudRate)), "9600");

    SetFocus(Item(BaudRate));
    hooks::PressKey(Item(BaudRate), VK_DOWN);
    SetFocus(Item(Parity));
    hooks::PressKey(Item(Parity), VK_UP);
    rates->Store();
    parities->Store();
    EXPECT_STREQ(rate.CStr(), "19200");
    EXPECT_EQ(parity, 1);
    EXPECT_EQ(rates->InsertString("75", 0), 0);
    EXPECT_STREQ(rates->ItemText(0).CStr(), "75");
}

TEST_F(Controls, TextBoundDropDownListKeepsAValueThatIsNotAmongItsItems) {
    String rate("14400");
    auto* rates = new ComboBoxControl(&host, BaudRate, &rate);
    OpenSettings();
    FillBaudRates(*rates);
    rates->Load();
    EXPECT_EQ(rates->Selection(), -1);
    rates->Store();
    EXPECT_STREQ(rate.CStr(), "14400") << "OK without a choice keeps the profile's value";

    // Once the user chooses, the choice is stored.
    SetFocus(Item(BaudRate));
    hooks::PressKey(Item(BaudRate), VK_HOME);
    rates->Store();
    EXPECT_STREQ(rate.CStr(), "110");
}

// The settings template's flow-control combo box comes out of the resource compiler as a
// drop-down list (FIXME below), so the editable kind is made here directly.
TEST_F(Controls, EditableComboBoxStoresWhatIsTyped) {
    ProbeWindow parent;
    HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN | CBS_SORT, 10, 10,
                                 120, 90, parent.Handle(), reinterpret_cast<HMENU>(static_cast<intptr_t>(50)),
                                 nullptr, nullptr);
    String flow("Xon/Xoff");
    auto* flows = new ComboBoxControl(&parent, 50, &flow);
    ASSERT_EQ(flows->Handle(), combo);
    for (const char* name : {"Xon/Xoff", "Hardware", "None", "Combined"}) {
        flows->AddString(name);
    }
    EXPECT_STREQ(flows->ItemText(0).CStr(), "Combined") << "the list is sorted";
    flows->Load();
    EXPECT_EQ(flows->Selection(), 3);

    flow = "RTS only";
    flows->Load();
    EXPECT_STREQ(flows->GetText().CStr(), "RTS only") << "a value outside the list shows in the field";
    SetWindowTextA(combo, "");
    SetFocus(combo);
    hooks::TypeText(GetFocus(), "Custom");
    flows->Store();
    EXPECT_STREQ(flow.CStr(), "Custom");
}

TEST_F(Controls, SettingsFlowControlListIsEditable) {
    OpenSettings();
    ASSERT_EQ(GetWindowLongA(Item(FlowControl), GWL_STYLE) & CBS_DROPDOWNLIST,
              static_cast<LONG>(CBS_DROPDOWN));
    String flow("None");
    auto* flows = new ComboBoxControl(&host, FlowControl, &flow);
    SetFocus(Item(FlowControl));
    // The focus selects the field's whole text, so what is typed replaces it.
    hooks::TypeText(GetFocus(), "XON");
    flows->Store();
    EXPECT_STREQ(flow.CStr(), "XON");
}

TEST_F(Controls, NumberFieldAcceptsItsRangeComparedAsRealNumbers) {
    int32_t delay = 7;
    auto* field = new NumberEditControl(&host, CharDelay, &delay, 0, 999);
    int32_t free = 0;
    auto* unlimited = new NumberEditControl(&host, TransmitDelay, &free);
    OpenSettings();
    EXPECT_EQ(hooks::WindowText(Item(CharDelay)), "7");

    struct Case {
        const char* text;
        bool valid;
    };
    for (const Case& entry :
         {Case{"999", true}, Case{"1000", false}, Case{"0", true}, Case{"-1", false}, Case{"999.5", false},
          Case{"-0.4", false}, Case{"998.6", true}, Case{" 12 ", true}, Case{"1e3", false}, Case{"", false},
          Case{"12a", false}, Case{"inf", false}}) {
        SetItemText(CharDelay, entry.text);
        EXPECT_EQ(field->IsValid(), entry.valid) << '"' << entry.text << '"';
    }

    SetItemText(CharDelay, "998.6");
    field->Store();
    EXPECT_EQ(delay, 999) << "stored rounded";
    SetItemText(CharDelay, "1000");
    field->Store();
    EXPECT_EQ(delay, 999) << "an invalid entry is never stored";

    SetItemText(TransmitDelay, "123456");
    EXPECT_TRUE(unlimited->IsValid()) << "both limits 0: no range";
    SetItemText(TransmitDelay, "3000000000");
    EXPECT_FALSE(unlimited->IsValid()) << "beyond what the variable holds";
}

TEST_F(Controls, NumberFieldStepsThroughItsScrollArrowAndKeysWithinItsRange) {
    int32_t delay = 998;
    new NumberEditControl(&host, CharDelay, &delay, 0, 999);
    OpenSettings();
    HWND field = Item(CharDelay);
    RECT client{};
    GetClientRect(field, &client);
    RECT window{};
    GetWindowRect(field, &window);
    // The arrow sits right of the client area: its upper half steps up, its lower half down.
    const int arrowX = client.right + 3;
    const POINT up{arrowX, 2};
    const POINT down{arrowX, (window.bottom - window.top) - 6};

    auto clickArrow = [&](POINT point) {
        hooks::PressMouseAt(field, point);
        hooks::ReleaseMouseAt(field, point);
    };
    clickArrow(up);
    EXPECT_EQ(hooks::WindowText(field), "999");
    clickArrow(up);
    EXPECT_EQ(hooks::WindowText(field), "999") << "held at the upper limit";
    clickArrow(down);
    EXPECT_EQ(hooks::WindowText(field), "998");

    SetFocus(field);
    hooks::PressKey(field, VK_DOWN);
    EXPECT_EQ(hooks::WindowText(field), "997");
    SetItemText(CharDelay, "0");
    hooks::PressKey(field, VK_DOWN);
    EXPECT_EQ(hooks::WindowText(field), "0") << "held at the lower limit";
    SetItemText(CharDelay, "junk");
    hooks::PressKey(field, VK_UP);
    EXPECT_EQ(hooks::WindowText(field), "0")
        << "stepping from text that is no number starts at the lower limit";
}

TEST_F(Controls, NumberFieldGivesItsRangeToItsUpDownControl) {
    ProbeWindow parent;
    HWND edit =
        CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 60, 20, parent.Handle(),
                        reinterpret_cast<HMENU>(static_cast<intptr_t>(40)), nullptr, nullptr);
    HWND arrows = CreateWindowExA(
        0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS, 0, 0,
        0, 0, parent.Handle(), reinterpret_cast<HMENU>(static_cast<intptr_t>(41)), nullptr, nullptr);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    int32_t seconds = 29;
    auto* field = new NumberEditControl(&parent, 40, &seconds, 0, 30);
    ASSERT_EQ(field->UpDown(), arrows);
    int lower = -1;
    int upper = -1;
    SendMessageA(arrows, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), reinterpret_cast<LPARAM>(&upper));
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 30);

    SetFocus(edit);
    hooks::PressKey(edit, VK_UP);
    hooks::PressKey(edit, VK_UP);
    EXPECT_EQ(hooks::WindowText(edit), "30") << "the arrows stop at the field's upper limit";
    field->Store();
    EXPECT_EQ(seconds, 30);
}

TEST_F(Controls, EditTextLineEnds) {
    EXPECT_STREQ(EditBox::ToWindowLineEnds("a\nb\r\nc\rd\n").CStr(), "a\r\nb\r\nc\rd\r\n");
    EXPECT_STREQ(EditBox::ToWindowLineEnds("\n\n").CStr(), "\r\n\r\n");
    EXPECT_STREQ(EditBox::ToStoredLineEnds("a\r\nb\r\r\nc\n\r").CStr(), "a\nb\r\nc\n\r");
    EXPECT_STREQ(EditBox::ToStoredLineEnds("").CStr(), "");

    String text("one\ntwo\r\nthree");
    auto* edit = new EditBox(&host, UploadPath, &text);
    OpenSettings();
    EXPECT_EQ(hooks::WindowText(edit->Handle()), "one\r\ntwo\r\nthree") << "loaded with CR LF";
    text = "changed";
    edit->Store();
    EXPECT_STREQ(text.CStr(), "one\ntwo\nthree") << "stored with LF";
}
