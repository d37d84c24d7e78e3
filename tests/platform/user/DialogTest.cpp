#include "platform/user/Dialog.h"

#include "platform/Windows.h"
#include "platform/user/Button.h"
#include "platform/user/Edit.h"
#include "platform/user/Resources.h"
#include "platform/user/Sound.h"
#include "resources/ProgramResources.h"
#include "support/UserSupport.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace {

using testhooks::Modifier;

// Controls that other modules bring (the combo box, the tree) stand in as plain windows until
// they are registered, so that the templates can be built here on their own.
void EnsureClass(const char* name) {
    WNDCLASSEXA existing{};
    if (GetClassInfoExA(nullptr, name, &existing)) {
        return;
    }
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

// Another suite registers and removes a "Button" class of its own; when it ran first, the
// standard class is entered again here so that these tests meet the real control.
inline void EnsureStandardButtonClass() {
    WNDCLASSEXA existing{};
    if (GetClassInfoExA(nullptr, "Button", &existing) &&
        existing.lpfnWndProc == platform::user::ButtonProcedure) {
        return;
    }
    UnregisterClassA("Button", nullptr);
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = platform::user::ButtonProcedure;
    windowClass.cbWndExtra = sizeof(void*);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "Button";
    RegisterClassExA(&windowClass);
}

const DLGTEMPLATE* Template(int id) {
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)), RT_DIALOG);
    return static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(nullptr, resource)));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// Compares a window-tree dump with the expected file; the dump is written beside the snapshots
// so that a changed layout can be looked at and taken over.
// A centred box is placed by the screen's size, so its own line can be left out.
void ExpectDump(HWND root, const std::string& name, bool withRootLine = true) {
    std::string dump = testhooks::DumpWindowTree(root);
    if (!withRootLine) {
        dump = dump.substr(dump.find('\n') + 1);
    }
    std::ofstream(name + ".dump.txt") << dump;
    EXPECT_TRUE(platform::SnapshotPng(root, name + ".png"));
    EXPECT_EQ(dump, ReadFile(std::string(TOLVA_EXPECTED_DIR) + "/" + name + ".txt")) << name;
}

// The commands and notifications a dialog procedure receives, in order.
std::vector<std::pair<int, int>> commands;
std::function<void(HWND)> onInit;
std::function<void(HWND, int, int)> onCommand;

INT_PTR RecordingProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        if (onInit) {
            onInit(hwnd);
        }
        return TRUE;
    }
    if (message == WM_COMMAND) {
        commands.emplace_back(LOWORD(wParam), HIWORD(wParam));
        if (onCommand) {
            onCommand(hwnd, LOWORD(wParam), HIWORD(wParam));
        } else if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            EndDialog(hwnd, LOWORD(wParam));
        }
        return TRUE;
    }
    return FALSE;
}

// Runs `action` once from inside the modal loop that is about to start on this thread.
std::function<void()> pendingAction;
void RunPending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto action = std::move(pendingAction);
    pendingAction = nullptr;
    if (action) {
        action();
    }
}
void SoonInsideTheLoop(std::function<void()> action) {
    pendingAction = std::move(action);
    SetTimer(nullptr, 0, 10, RunPending);
}

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override {
        resources::RegisterProgramResources();
        EnsureStandardButtonClass();
        EnsureClass("ComboBox");
        EnsureClass("SysTreeView32");
        commands.clear();
        onInit = nullptr;
        onCommand = nullptr;
        testhooks::ClearBeeps();
    }
    void TearDown() override { testhooks::PumpMessages(); }
    testsupport::Watchdog watchdog;
};

} // namespace

TEST_F(Dialogs, ResourcesOfTheProgramAreFoundByNumber) {
    for (const int id : {15100, 15101, 15103, 15104, 1012, 1015}) {
        EXPECT_NE(Template(id), nullptr) << "dialog " << id;
    }
    EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(15105), RT_DIALOG), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    struct Expected {
        int id;
        LONG width;
        LONG height;
    };
    for (const Expected& image : {Expected{15102, 598, 393}, Expected{15108, 16, 16}, Expected{15109, 16, 16},
                                  Expected{15111, 16, 16}}) {
        HBITMAP bitmap =
            LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(image.id)));
        ASSERT_NE(bitmap, nullptr) << "bitmap " << image.id;
        BITMAP description{};
        GetObjectA(bitmap, sizeof description, &description);
        EXPECT_EQ(description.bmWidth, image.width) << image.id;
        EXPECT_EQ(description.bmHeight, image.height) << image.id;
        DeleteObject(bitmap);
        // A null instance asks for the system's predefined bitmaps, never for the program's own,
        // as FindResourceA's null module does.
        EXPECT_EQ(LoadBitmapA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(image.id))), nullptr) << image.id;
    }
    HICON icon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1005));
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(nullptr, MAKEINTRESOURCEA(1005)), icon) << "a loaded icon is shared";
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectA(info.hbmColor, sizeof colour, &colour);
    EXPECT_EQ(colour.bmWidth, 32) << "the group's image of the system icon size";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(Dialogs, DialogUnitsFollowTheTemplateFont) {
    HWND dialog = CreateDialogIndirectParamA(nullptr, Template(15101), nullptr, RecordingProcedure, 0);
    ASSERT_NE(dialog, nullptr);
    RECT units{0, 0, 4, 8};
    ASSERT_TRUE(MapDialogRect(dialog, &units));
    EXPECT_GE(units.right, 5) << "average width of Arial 8";
    EXPECT_LE(units.right, 7);
    EXPECT_GE(units.bottom, 12) << "height of Arial 8";
    EXPECT_LE(units.bottom, 14);
    RECT client{};
    GetClientRect(dialog, &client);
    RECT frame{0, 0, 299, 179};
    MapDialogRect(dialog, &frame);
    EXPECT_EQ(client.right, frame.right);
    EXPECT_EQ(client.bottom, frame.bottom);
    RECT ok{};
    GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
    RECT okUnits{256, 126, 256 + 30, 126 + 14};
    MapDialogRect(dialog, &okUnits);
    EXPECT_EQ(ok.right - ok.left, okUnits.right - okUnits.left);
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID))
        << "the template's default";
    DestroyWindow(dialog);
}

TEST_F(Dialogs, TemplatesMatchTheirExpectedTrees) {
    for (const int id : {15100, 15101}) {
        HWND dialog = CreateDialogIndirectParamA(nullptr, Template(id), nullptr, RecordingProcedure, 0);
        ASSERT_NE(dialog, nullptr) << id;
        ShowWindow(dialog, SW_SHOW);
        testhooks::PumpMessages();
        ExpectDump(dialog, "Template" + std::to_string(id));
        DestroyWindow(dialog);
    }
}

TEST_F(Dialogs, SettingsTemplateIsOperatedByKeyboard) {
    std::vector<int> focusOrder;
    SoonInsideTheLoop([&] {
        HWND dialog = testhooks::FindWindowByCaption("Settings");
        ASSERT_NE(dialog, nullptr);
        // The first tab stop has the focus; Tab walks the tab stops in template order.
        for (int step = 0; step < 6; ++step) {
            focusOrder.push_back(GetDlgCtrlID(GetFocus()));
            testhooks::PressKey(dialog, VK_TAB);
        }
        testhooks::PressKey(dialog, VK_TAB, Modifier::Shift);
        focusOrder.push_back(GetDlgCtrlID(GetFocus()));
        // Enter in an edit answers with the default button.
        SetFocus(GetDlgItem(dialog, 15226));
        testhooks::PressKey(dialog, VK_RETURN);
    });
    const INT_PTR result = DialogBoxIndirectParamA(nullptr, Template(15101), nullptr, RecordingProcedure, 0);
    EXPECT_EQ(result, IDOK);
    // Six steps forward reach 15228; Shift+Tab goes back to 15226.
    const std::vector<int> expected{15220, 15221, 15222, 15223, 15224, 15226, 15226};
    EXPECT_EQ(focusOrder, expected);
    ASSERT_FALSE(commands.empty());
    EXPECT_EQ(commands.back(), std::make_pair(IDOK, static_cast<int>(BN_CLICKED)));

    SoonInsideTheLoop([] { testhooks::PressKey(testhooks::FindWindowByCaption("Settings"), VK_ESCAPE); });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, Template(15101), nullptr, RecordingProcedure, 0), IDCANCEL);
}

TEST_F(Dialogs, ModalDialogsNestDisableTheirOwnersAndGiveTheFocusBack) {
    HWND main = CreateDialogIndirectParamA(nullptr, Template(15100), nullptr, RecordingProcedure, 0);
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_SHOW);
    HWND help = GetDlgItem(main, 15213);
    SetFocus(help);
    bool ownerWasDisabled = false;
    bool outerWasDisabled = false;
    INT_PTR innerResult = 0;
    onCommand = [&](HWND hwnd, int id, int) {
        if (id == 15238) { // "..." opens a second modal dialog over the first
            SoonInsideTheLoop([&] {
                HWND inner = testhooks::FindWindowByCaption("Sending NC File");
                ASSERT_NE(inner, nullptr);
                outerWasDisabled = !IsWindowEnabled(hwnd);
                testhooks::Click(GetDlgItem(inner, IDCANCEL));
            });
            innerResult = DialogBoxIndirectParamA(nullptr, Template(15104), hwnd, RecordingProcedure, 0);
        } else if (id == IDOK || id == IDCANCEL) {
            EndDialog(hwnd, id);
        }
    };
    SoonInsideTheLoop([&] {
        HWND settings = testhooks::FindWindowByCaption("Settings");
        ownerWasDisabled = !IsWindowEnabled(main);
        testhooks::Click(GetDlgItem(settings, 15238));
        testhooks::Click(GetDlgItem(settings, IDOK));
    });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, Template(15101), main, RecordingProcedure, 0), IDOK);
    EXPECT_EQ(innerResult, IDCANCEL) << "the inner dialog answered first";
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(outerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(main)) << "the owner is enabled again";
    EXPECT_EQ(GetFocus(), help) << "the focus is back where it was";
    DestroyWindow(main);
}

TEST_F(Dialogs, ModelessDialogWorksBesideAModalOne) {
    HWND progress = CreateDialogIndirectParamA(nullptr, Template(15103), nullptr, RecordingProcedure, 0);
    ASSERT_NE(progress, nullptr);
    EXPECT_FALSE(IsWindowVisible(progress)) << "created hidden, as its template says";
    ShowWindow(progress, SW_SHOW);
    bool clicked = false;
    onCommand = [&](HWND hwnd, int id, int) {
        if (hwnd == progress && id == IDOK) {
            clicked = true; // "Complete" of the modeless dialog, while the modal one runs
        } else if (id == IDOK || id == IDCANCEL) {
            EndDialog(hwnd, id);
        }
    };
    SoonInsideTheLoop([&] {
        testhooks::Click(GetDlgItem(progress, IDOK));
        testhooks::PressKey(testhooks::FindWindowByCaption("Sending NC File"), VK_RETURN);
    });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, Template(15104), nullptr, RecordingProcedure, 0), IDCANCEL)
        << "Enter answers with the default button, Cancel";
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(IsWindow(progress));
    DestroyWindow(progress);
}

TEST_F(Dialogs, MessageBoxAnswersWithTheButtonPressed) {
    struct Case {
        UINT type;
        int key;
        Modifier modifiers;
        int answer;
        const char* context;
    };
    const Case cases[] = {
        {MB_OK, VK_RETURN, Modifier::None, IDOK, "OK by Enter"},
        {MB_OK, VK_ESCAPE, Modifier::None, IDOK, "Esc closes an OK box with OK"},
        {MB_OKCANCEL, VK_ESCAPE, Modifier::None, IDCANCEL, "Esc is Cancel"},
        {MB_OKCANCEL | MB_DEFBUTTON2, VK_RETURN, Modifier::None, IDCANCEL,
         "the second button is the default"},
        {MB_YESNO | MB_ICONQUESTION, 'N', Modifier::None, IDNO, "N is the mnemonic of No"},
        {MB_YESNO, VK_RETURN, Modifier::None, IDYES, "Yes is the first default"},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, VK_RETURN, Modifier::None, IDCANCEL, "third default"},
        {MB_YESNOCANCEL, 'Y', Modifier::Alt, IDYES, "Alt+Y"},
        {MB_RETRYCANCEL | MB_ICONHAND, 'R', Modifier::None, IDRETRY, "Retry"},
        {MB_ABORTRETRYIGNORE | MB_ICONEXCLAMATION, 'I', Modifier::None, IDIGNORE, "Ignore"},
        {MB_ABORTRETRYIGNORE, VK_RETURN, Modifier::None, IDABORT, "Abort is the first default"},
    };
    for (const Case& test : cases) {
        testhooks::ClearBeeps();
        SoonInsideTheLoop([&] {
            HWND box = testhooks::FindWindowByCaption("Question");
            ASSERT_NE(box, nullptr) << test.context;
            testhooks::PressKey(box, test.key, test.modifiers);
        });
        EXPECT_EQ(MessageBoxExA(nullptr, "Send the program again?", "Question", test.type, 0), test.answer)
            << test.context;
        const std::vector<testhooks::BeepRecord> beeps = testhooks::Beeps();
        ASSERT_EQ(beeps.size(), 1u) << test.context;
        EXPECT_EQ(beeps[0].type, test.type & MB_ICONMASK) << test.context;
    }
}

TEST_F(Dialogs, MessageBoxButtonsAreClickedWithTheMouse) {
    SoonInsideTheLoop([] {
        HWND box = testhooks::FindWindowByCaption("Problem");
        ASSERT_NE(box, nullptr);
        EXPECT_NE(testhooks::FindWindowByCaption("Unable to write to log file", box), nullptr);
        ExpectDump(box, "MessageBoxYesNoCancel", false);
        testhooks::Click(testhooks::FindControl(box, IDNO));
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Unable to write to log file", "Problem", MB_YESNOCANCEL | MB_ICONHAND),
              IDNO);
}

// A title bar shortens a caption that does not fit ("Comms Status..."): a box with a short text and
// a long caption is made wide enough for the caption in a title bar's bold face, with the icon and
// the buttons beside it.
TEST_F(Dialogs, MessageBoxIsWideEnoughForItsWholeCaption) {
    const std::string caption = "Comms Status Check on the second laser cutter";
    LONG boxWidth = 0;
    SoonInsideTheLoop([&] {
        HWND box = testhooks::FindWindowByCaption(caption);
        ASSERT_NE(box, nullptr);
        RECT rect{};
        GetWindowRect(box, &rect);
        boxWidth = rect.right - rect.left;
        testhooks::PressKey(box, VK_RETURN);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "COM2", caption.c_str(), MB_OK | MB_ICONEXCLAMATION), IDOK);
    HFONT bold = CreateFontA(-11, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Arial");
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bold);
    SIZE text{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(bold);
    EXPECT_GE(boxWidth, text.cx + GetSystemMetrics(SM_CXSMICON) + 3 * GetSystemMetrics(SM_CXSIZE))
        << "the caption is " << text.cx << " px";
}

TEST_F(Dialogs, BeepChecksItsFrequencyAndIsRecorded) {
    EXPECT_TRUE(Beep(300, 800));
    EXPECT_FALSE(Beep(20, 100)) << "below the audible range Win32 accepts";
    EXPECT_TRUE(MessageBeep(MB_ICONHAND));
    const std::vector<testhooks::BeepRecord> beeps = testhooks::Beeps();
    ASSERT_EQ(beeps.size(), 2u);
    EXPECT_FALSE(beeps[0].isMessageBeep);
    EXPECT_EQ(beeps[0].frequency, 300u);
    EXPECT_EQ(beeps[0].duration, 800u);
    EXPECT_TRUE(beeps[1].isMessageBeep);
    EXPECT_EQ(beeps[1].type, MB_ICONHAND);
}
