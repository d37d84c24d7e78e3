#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/services/Dictionary.h"
#include "resources/ProgramResources.h"
#include "support/InsideTheLoop.h"
#include "support/ProbeWindow.h"
#include "support/Watchdog.h"
#include "testhooks/TestHooks.h"

#include <gtest/gtest.h>
#include <string>

using framework::Application;
using framework::Dialog;
using framework::Window;
using testsupport::ProbeWindow;
using testsupport::SoonInsideTheLoop;
using testsupport::Watchdog;

namespace {

constexpr int SettingsTemplate = 15101;
constexpr int FirstCombo = 15220;
constexpr int SecondCombo = 15221;
constexpr int PortLabel = 15215;

// A dialog that counts its OK and Cancel calls and answers them as told.
class CountingDialog : public Dialog {
public:
    explicit CountingDialog(Window* parent, int templateId = SettingsTemplate) : Dialog(parent, templateId) {}

    LRESULT OnOK() override {
        ++okCalls;
        return okAnswer;
    }
    LRESULT OnCancel() override {
        ++cancelCalls;
        return 0;
    }
    LRESULT OnInitDialog(framework::MessageRecord& record) override {
        boundDuringInit = FromHandle(record.hwnd) == this;
        return 0;
    }

    int okCalls = 0;
    int cancelCalls = 0;
    LRESULT okAnswer = 0;
    bool boundDuringInit = false;
};

class DialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }
    void TearDown() override {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    Watchdog watchdog;
    Application application{GetModuleHandleA(nullptr)};
};

HWND Item(const Dialog& dialog, int id) {
    return GetDlgItem(dialog.Handle(), id);
}

} // namespace

TEST_F(DialogTest, ModalSettingsDialogDisablesItsOwnerAndEscCancelsIt) {
    ProbeWindow owner;
    application.SetMainWindow(&owner);
    CountingDialog dialog(nullptr);
    EXPECT_EQ(dialog.Parent(), &owner) << "without a parent the dialog belongs to the main window";
    EXPECT_EQ(dialog.GetKind(), Window::KindDialog);
    EXPECT_STREQ(dialog.ClassName().CStr(), "UnRegistered(Dialog)") << "until the template's class is known";

    bool ownerEnabledInside = true;
    bool shownInside = false;
    HWND seen = nullptr;
    SoonInsideTheLoop([&] {
        seen = dialog.Handle();
        shownInside = testhooks::IsShown(seen);
        ownerEnabledInside = IsWindowEnabled(owner.Handle()) != 0;
        EXPECT_EQ(testhooks::FindWindowByCaption("Settings"), seen);
        EXPECT_TRUE(dialog.IsModal());
        testhooks::PressKey(seen, VK_ESCAPE);
    });
    dialog.Create(true);

    EXPECT_NE(seen, nullptr) << "the dialog procedure bound the window to the object";
    EXPECT_TRUE(dialog.boundDuringInit) << "the handle is bound before OnInitDialog runs";
    EXPECT_TRUE(shownInside);
    EXPECT_FALSE(ownerEnabledInside) << "the owner is disabled while the dialog runs";
    EXPECT_EQ(dialog.cancelCalls, 1) << "Esc sends the Cancel command";
    EXPECT_EQ(dialog.okCalls, 0);
    EXPECT_EQ(dialog.Handle(), nullptr) << "Create(true) returns when the dialog has ended";
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << "the owner is enabled again";
    EXPECT_STREQ(dialog.GetText().CStr(), "15101");
    application.SetMainWindow(nullptr);
}

TEST_F(DialogTest, OkIsTakenOnlyFromTheDialogsOwnButtonAndMayBeRefused) {
    CountingDialog dialog(nullptr);
    dialog.okAnswer = 1;
    int okAfterRefusal = -1;
    bool openAfterRefusal = false;
    int okAfterForeignCommand = -1;
    int okAfterAccelerator = -1;
    SoonInsideTheLoop([&] {
        testhooks::Click(Item(dialog, IDOK));
        testhooks::PumpMessages();
        okAfterRefusal = dialog.okCalls;
        openAfterRefusal = dialog.Handle() != nullptr && IsWindowVisible(dialog.Handle());

        // Id 1 from a control other than the dialog's button 1 is not the OK command.
        SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Item(dialog, IDCANCEL)));
        okAfterForeignCommand = dialog.okCalls;

        // A shortcut key's command (notification 1, no control) is.
        SendMessageA(dialog.Handle(), WM_COMMAND, MAKEWPARAM(IDOK, 1), 0);
        okAfterAccelerator = dialog.okCalls;

        dialog.okAnswer = 0;
        testhooks::Click(Item(dialog, IDOK));
    });
    dialog.Create(true);

    EXPECT_EQ(okAfterRefusal, 1);
    EXPECT_TRUE(openAfterRefusal) << "a non-zero OnOK keeps the dialog open";
    EXPECT_EQ(okAfterForeignCommand, 1) << "a foreign control's id 1 did not reach OnOK";
    EXPECT_EQ(okAfterAccelerator, 2);
    EXPECT_EQ(dialog.okCalls, 3);
    EXPECT_EQ(dialog.Handle(), nullptr) << "OnOK answering 0 closed the dialog";
}

TEST_F(DialogTest, ModelessDialogFollowsItsOwner) {
    ProbeWindow owner;
    application.SetMainWindow(&owner);
    {
        CountingDialog dialog(nullptr);
        dialog.Create(false);
        ASSERT_NE(dialog.Handle(), nullptr);
        EXPECT_FALSE(dialog.IsModal());
        EXPECT_TRUE(dialog.IsModelessWithOwner());
        dialog.Show(SW_SHOW);
        HWND hwnd = dialog.Handle();

        EnableWindow(owner.Handle(), FALSE);
        EXPECT_FALSE(IsWindowEnabled(hwnd)) << "disabled with its owner";
        EnableWindow(owner.Handle(), TRUE);
        EXPECT_TRUE(IsWindowEnabled(hwnd)) << "enabled again with its owner";

        EnableWindow(hwnd, FALSE);
        EnableWindow(owner.Handle(), FALSE);
        EnableWindow(owner.Handle(), TRUE);
        EXPECT_FALSE(IsWindowEnabled(hwnd)) << "a dialog that was disabled before stays disabled";
        EnableWindow(hwnd, TRUE);

        SendMessageA(owner.Handle(), WM_ACTIVATEAPP, FALSE, 0);
        EXPECT_FALSE(IsWindowVisible(hwnd)) << "hidden while another application is active";
        SendMessageA(owner.Handle(), WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_TRUE(IsWindowVisible(hwnd)) << "shown again on return";

        dialog.Show(SW_HIDE);
        SendMessageA(owner.Handle(), WM_ACTIVATEAPP, FALSE, 0);
        SendMessageA(owner.Handle(), WM_ACTIVATEAPP, TRUE, 0);
        EXPECT_FALSE(IsWindowVisible(hwnd)) << "a hidden dialog is not brought back";

        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        EXPECT_EQ(dialog.Handle(), nullptr) << "closing destroys a modeless dialog";
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(dialog.cancelCalls, 0);
    }
    // The dialog object is gone; its handlers must have left the owner.
    EnableWindow(owner.Handle(), FALSE);
    EnableWindow(owner.Handle(), TRUE);
    SendMessageA(owner.Handle(), WM_ACTIVATEAPP, FALSE, 0);
    application.SetMainWindow(nullptr);
}

TEST_F(DialogTest, ClosingTheMainWindowDialogEndsTheApplication) {
    ProbeWindow other;
    CountingDialog dialog(nullptr);
    dialog.Create(false);
    ASSERT_NE(dialog.Handle(), nullptr);
    EXPECT_FALSE(dialog.IsModelessWithOwner()) << "no owner: no main window yet";
    application.SetMainWindow(&dialog);
    SendMessageA(dialog.Handle(), WM_CLOSE, 0, 0);
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "the quit message was posted";
    application.SetMainWindow(nullptr);

    CountingDialog second(&other);
    second.Create(false);
    SendMessageA(second.Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
        << "only the main window ends it";
}

TEST_F(DialogTest, ReferenceTextsStayAsWrittenUntilTheDictionaryKnowsThem) {
    CountingDialog dialog(nullptr);
    dialog.Create(false);
    ASSERT_NE(dialog.Handle(), nullptr);
    HWND label = Item(dialog, PortLabel);
    EXPECT_EQ(testhooks::WindowText(label), "Port") << "plain texts are left alone";

    SetWindowTextA(dialog.Handle(), "^1870");
    SetWindowTextA(label, "^1870");
    Dialog::TranslateTexts(dialog.Handle(), true);
    EXPECT_EQ(testhooks::WindowText(dialog.Handle()), "^1870") << "the empty dictionary keeps the reference";
    EXPECT_EQ(testhooks::WindowText(label), "^1870");

    framework::Dictionary& dictionary = framework::Dictionary::Instance();
    ASSERT_TRUE(dictionary.AddText("Port Settings", 1870));
    Dialog::TranslateTexts(dialog.Handle(), false);
    EXPECT_EQ(testhooks::WindowText(dialog.Handle()), "Port Settings");
    EXPECT_EQ(testhooks::WindowText(label), "^1870") << "without children only the window itself";
    Dialog::TranslateTexts(dialog.Handle(), true);
    EXPECT_EQ(testhooks::WindowText(label), "Port Settings") << "descendants are translated";
    dictionary.Reset(false, false);
}

TEST_F(DialogTest, TabStopsWalkTheChildrenWithObjectsInChildOrder) {
    CountingDialog dialog(nullptr);
    dialog.Create(false);
    ASSERT_NE(dialog.Handle(), nullptr);
    // Objects for two combo boxes and a label (no tab stop); the dialog made its own for the
    // Cancel and OK buttons, which follow in child order.
    auto* first = new ProbeWindow(&dialog, false);
    first->Adopt(Item(dialog, FirstCombo));
    auto* second = new ProbeWindow(&dialog, false);
    second->Adopt(Item(dialog, SecondCombo));
    auto* label = new ProbeWindow(&dialog, false);
    label->Adopt(Item(dialog, PortLabel));
    Window* cancel = Window::FromHandle(Item(dialog, IDCANCEL));
    Window* ok = Window::FromHandle(Item(dialog, IDOK));
    ASSERT_NE(cancel, nullptr) << "the Cancel button object exists while the dialog does";
    ASSERT_NE(ok, nullptr);

    EXPECT_EQ(dialog.NextTabStop(first, false), second)
        << "combo boxes without objects between are passed over";
    EXPECT_EQ(dialog.NextTabStop(second, false), cancel);
    EXPECT_EQ(dialog.NextTabStop(cancel, false), ok);
    EXPECT_EQ(dialog.NextTabStop(ok, false), nullptr) << "the end without wrapping";
    EXPECT_EQ(dialog.NextTabStop(ok, true), first);
    EXPECT_EQ(dialog.PreviousTabStop(first, false), nullptr);
    EXPECT_EQ(dialog.PreviousTabStop(first, true), ok);
    EXPECT_EQ(dialog.PreviousTabStop(cancel, false), second);
    EXPECT_EQ(dialog.NextTabStop(label, true), nullptr)
        << "a window without the tab-stop style is not among them";
}

TEST_F(DialogTest, MissingTemplateLeavesTheDialogWithoutAWindow) {
    CountingDialog missing(nullptr, 4321);
    missing.Create(true);
    EXPECT_EQ(missing.Handle(), nullptr);
    missing.Create(false);
    EXPECT_EQ(missing.Handle(), nullptr);
    EXPECT_EQ(application.CreatingWindow(), nullptr) << "the pointer to the window being created is cleared";
}
