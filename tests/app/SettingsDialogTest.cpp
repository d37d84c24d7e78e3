#include "app/SettingsDialog.h"

#include "app/ControlCodeCombo.h"
#include "engine/CommsSettings.h"
#include "framework/Application.h"
#include "platform/Windows.h"
#include "platform/serial/Pty.h"
#include "resources/ProgramResources.h"
#include "support/DeviceServerProcess.h"
#include "support/InsideTheLoop.h"
#include "support/TempFolder.h"
#include "support/Watchdog.h"
#include "testhooks/Beeps.h"
#include "testhooks/TestHooks.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

using app::ControlCodeCombo;
using app::SettingsDialog;
using engine::CommsSettings;
using framework::String;
using testsupport::SoonInsideTheLoop;
using testsupport::TempFolder;
using testsupport::Watchdog;
namespace hooks = testhooks;

namespace {

// A plain top-level window standing in for the main window that owns the dialog.
class OwnerWindow : public framework::Window {
public:
    OwnerWindow() {
        CreateFrame(WS_OVERLAPPEDWINDOW, 0);
        MoveWindow(Handle(), 40, 30, 640, 480, FALSE);
    }
};

// The dialog with its folder chooser replaced by a scripted answer, since the chooser is a modal
// dialog of its own.
class ScriptedFolderDialog : public SettingsDialog {
public:
    using SettingsDialog::SettingsDialog;

    struct Request {
        std::string title;
        std::string initial;
    };
    std::vector<Request> requests;
    std::string answer; // empty: the user cancels the chooser

protected:
    bool ChooseFolder(const char* title, const String& initialFolder, String& chosen) override {
        requests.push_back({title, initialFolder.CStr()});
        if (answer.empty()) {
            return false;
        }
        chosen = answer.c_str();
        return true;
    }
};

std::string Text(const String& text) {
    return text.CStr();
}

// Every field of the record, for comparing a whole record before and after a dialog.
std::string Describe(const CommsSettings& s) {
    std::ostringstream out;
    out << Text(s.port) << '|' << Text(s.baudRate) << '|' << Text(s.parity) << '|' << Text(s.dataBits) << '|'
        << Text(s.stopBits) << '|' << Text(s.flowControl) << '|' << Text(s.uploadPath) << '|'
        << Text(s.downloadPath) << '|' << Text(s.fileExtension) << '|' << s.charDelay << '|' << s.lineDelay
        << '|' << s.transmitDelay << '|' << Text(s.logFile) << '|' << Text(s.logSavePath) << '|' << s.writeLog
        << '|' << s.sendStartCode << '|' << s.sendEndCode << '|' << int(s.startCode) << '|' << int(s.endCode);
    return out.str();
}

std::vector<std::string> Items(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[64] = "";
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        items.emplace_back(text);
    }
    return items;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class SettingsDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { resources::RegisterProgramResources(); }

    void SetUp() override {
        // No platform.ini of the user's, and no port of this machine: every port name leads to a
        // device that does not exist unless a test gives it one.
        setenv("TOLVA_WINDIR", windows.Path().c_str(), 1);
        for (int number = 1; number <= 9; ++number) {
            SetPort(number, windows / ("absent-tty" + std::to_string(number)));
        }
        application.SetMainWindow(&owner);
        hooks::ClearBeeps();

        settings.profileName = "TOLVA";
        settings.port = "COM1";
        settings.baudRate = "9600";
        settings.parity = "Even";
        settings.dataBits = "7";
        settings.stopBits = "2";
        settings.flowControl = "Hardware";
        settings.uploadPath = (folders / "up/").c_str();
        settings.downloadPath = (folders / "down/").c_str();
        settings.fileExtension = "DNC";
        settings.charDelay = 12;
        settings.lineDelay = 34;
        settings.transmitDelay = 5;
        settings.logFile = (folders / "logs/CNC.LOG").c_str();
        settings.logSavePath = "trace.log";
        settings.writeLog = 1;
        settings.sendStartCode = 1;
        settings.sendEndCode = 0;
    }

    void TearDown() override {
        application.SetMainWindow(nullptr);
        for (int number = 1; number <= 9; ++number) {
            unsetenv(("COM" + std::to_string(number)).c_str());
        }
        unsetenv("TOLVA_WINDIR");
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }

    static void SetPort(int number, const std::string& device) {
        setenv(("COM" + std::to_string(number)).c_str(), device.c_str(), 1);
    }

    // Runs the dialog, doing what the user does once it is shown; the result of RunModal.
    int Run(SettingsDialog& dialog, std::function<void(HWND)> user) {
        bool acted = false;
        SoonInsideTheLoop([&dialog, &acted, user] {
            acted = true;
            HWND hwnd = dialog.Handle();
            ASSERT_NE(hwnd, nullptr);
            EXPECT_TRUE(hooks::IsShown(hwnd));
            user(hwnd);
        });
        const int result = dialog.RunModal();
        EXPECT_TRUE(acted);
        return result;
    }

    static HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }

    // Replaces the whole text of an edit field as a user does: select it all, then type.
    static void Retype(HWND dialog, int id, const std::string& text) {
        HWND edit = Item(dialog, id);
        hooks::PressKey(edit, VK_HOME);
        hooks::PressKey(edit, VK_END, hooks::Modifier::Shift);
        hooks::TypeText(edit, text);
    }

    static COMBOBOXINFO Parts(HWND combo) {
        COMBOBOXINFO parts{};
        parts.cbSize = sizeof parts;
        GetComboBoxInfo(combo, &parts);
        return parts;
    }

    // Opens a drop-down list with the mouse (on its arrow button) and clicks the item at index.
    static void ChooseWithMouse(HWND combo, int index) {
        const RECT button = Parts(combo).rcButton;
        hooks::ClickAt(combo, POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2});
        HWND list = Parts(combo).hwndList;
        ASSERT_TRUE(list != nullptr && IsWindowVisible(list)) << "the list dropped down";
        RECT item{};
        ASSERT_NE(
            SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)),
            LB_ERR);
        hooks::ClickAt(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2});
    }

    Watchdog watchdog{std::chrono::seconds(30)};
    TempFolder windows;
    TempFolder temp;
    std::filesystem::path folders{temp.Path()};
    framework::Application application{GetModuleHandleA(nullptr)};
    OwnerWindow owner;
    CommsSettings settings;
};

} // namespace

TEST_F(SettingsDialogTest, EveryControlShowsItsBoundValue) {
    std::filesystem::create_directories(folders / "up");
    const std::string before = Describe(settings);
    SettingsDialog dialog(&owner, settings);
    const int result = Run(dialog, [&](HWND hwnd) {
        EXPECT_EQ(hooks::WindowText(hwnd), "Settings");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::PortList)), "COM1");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::BaudRateList)), "9600");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::ParityList)), "Even");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::DataBitsList)), "7");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::StopBitsList)), "2");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::FlowControlList)), "Hardware");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::CharDelayField)), "12");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::LineDelayField)), "34");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::TransmitDelayField)), "5");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::UploadPathEdit)), Text(settings.uploadPath));
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::DownloadPathEdit)),
                  Text(settings.downloadPath));
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::FileExtensionEdit)), "DNC");
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::LogFileEdit)), Text(settings.logFile));
        EXPECT_TRUE(hooks::IsChecked(Item(hwnd, SettingsDialog::WriteLogCheck)));
        EXPECT_TRUE(hooks::IsChecked(Item(hwnd, SettingsDialog::StartCodeCheck)));
        EXPECT_FALSE(hooks::IsChecked(Item(hwnd, SettingsDialog::EndCodeCheck)));
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::StartCodeList)), "DC2")
            << "default start code";
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::EndCodeList)), "EOT") << "default end code";
        EXPECT_TRUE(hooks::IsEnabled(Item(hwnd, SettingsDialog::StartCodeList)));
        EXPECT_FALSE(hooks::IsEnabled(Item(hwnd, SettingsDialog::EndCodeList)));
        for (int id : {SettingsDialog::LogFileLabel, SettingsDialog::LogFileEdit,
                       SettingsDialog::BrowseLogFileButton}) {
            EXPECT_TRUE(hooks::IsEnabled(Item(hwnd, id))) << id;
        }
        EXPECT_EQ(Items(Item(hwnd, SettingsDialog::BaudRateList)),
                  (std::vector<std::string>{"110", "150", "300", "600", "1200", "2400", "4800", "9600",
                                            "19200", "38400", "57600", "115200"}));
        EXPECT_EQ(Items(Item(hwnd, SettingsDialog::ParityList)),
                  (std::vector<std::string>{"None", "Odd", "Even", "Mark", "Space"}));
        EXPECT_EQ(Items(Item(hwnd, SettingsDialog::DataBitsList)), (std::vector<std::string>{"7", "8"}));
        EXPECT_EQ(Items(Item(hwnd, SettingsDialog::StopBitsList)),
                  (std::vector<std::string>{"1", "1.5", "2"}));
        EXPECT_EQ(Items(Item(hwnd, SettingsDialog::StartCodeList)).size(), 32u);

        // The dialog sits in the middle of its owner.
        RECT ownerRect{}, dialogRect{};
        GetWindowRect(owner.Handle(), &ownerRect);
        GetWindowRect(hwnd, &dialogRect);
        EXPECT_LE(std::abs((ownerRect.left + ownerRect.right) - (dialogRect.left + dialogRect.right)), 1);
        EXPECT_LE(std::abs((ownerRect.top + ownerRect.bottom) - (dialogRect.top + dialogRect.bottom)), 1);

        hooks::Click(Item(hwnd, IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Describe(settings), before) << "Cancel stores nothing";
}

// The whole dialog as a user sees it, with values that do not depend on the machine: the tree
// dump is compared with the file kept beside this test, and a snapshot is left in the build
// folder.
TEST_F(SettingsDialogTest, WindowTreeMatchesTheExpectedLayout) {
    settings.uploadPath = "/srv/nc/in/";
    settings.downloadPath = "/srv/nc/out/";
    settings.logFile = "/var/log/tolva/CNC.LOG";
    SettingsDialog dialog(&owner, settings);
    std::string dump;
    Run(dialog, [&](HWND hwnd) {
        hooks::PumpMessages();
        dump = hooks::DumpWindowTree(hwnd);
        std::filesystem::create_directories(TOLVA_SNAPSHOT_DIR);
        EXPECT_TRUE(platform::SnapshotPng(hwnd, std::string(TOLVA_SNAPSHOT_DIR) + "/SettingsDialog.png"));
        hooks::Click(Item(hwnd, IDCANCEL));
    });
    std::ofstream(std::string(TOLVA_SNAPSHOT_DIR) + "/SettingsDialog.dump.txt") << dump;
    EXPECT_EQ(dump, ReadFile(std::string(TOLVA_EXPECTED_DIR) + "/SettingsDialog.txt"));
}

TEST_F(SettingsDialogTest, KeyboardAndMouseChangesAreStoredByOk) {
    SettingsDialog dialog(&owner, settings);
    const int result = Run(dialog, [&](HWND hwnd) {
        hooks::PressKey(Item(hwnd, SettingsDialog::BaudRateList), VK_DOWN); // 9600 -> 19200
        hooks::TypeText(Item(hwnd, SettingsDialog::ParityList), "O");       // first letter: Odd
        ChooseWithMouse(Item(hwnd, SettingsDialog::DataBitsList), 1);       // 8
        ChooseWithMouse(Item(hwnd, SettingsDialog::StopBitsList), 1);       // 1.5
        Retype(hwnd, SettingsDialog::CharDelayField, "250");
        hooks::PressKey(Item(hwnd, SettingsDialog::LineDelayField), VK_UP); // steps 34 -> 35
        Retype(hwnd, SettingsDialog::TransmitDelayField, "30");
        Retype(hwnd, SettingsDialog::FileExtensionEdit, "NC");
        Retype(hwnd, SettingsDialog::UploadPathEdit, "/typed/in/");
        hooks::Click(Item(hwnd, SettingsDialog::StartCodeCheck)); // off
        hooks::Click(Item(hwnd, SettingsDialog::EndCodeCheck));   // on
        hooks::Click(Item(hwnd, SettingsDialog::WriteLogCheck));  // off
        // The end code: from the first name down to "SI ", code 15.
        HWND endList = Item(hwnd, SettingsDialog::EndCodeList);
        hooks::PressKey(endList, VK_HOME);
        for (int i = 0; i < 15; ++i) {
            hooks::PressKey(endList, VK_DOWN);
        }
        EXPECT_EQ(hooks::WindowText(endList), "SI ");
        hooks::Click(Item(hwnd, IDOK));
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dialog.Handle(), nullptr);
    EXPECT_EQ(Text(settings.baudRate), "19200");
    EXPECT_EQ(Text(settings.parity), "Odd");
    EXPECT_EQ(Text(settings.dataBits), "8");
    EXPECT_EQ(Text(settings.stopBits), "1.5");
    EXPECT_EQ(Text(settings.port), "COM1");
    EXPECT_EQ(Text(settings.flowControl), "Hardware");
    EXPECT_EQ(settings.charDelay, 250);
    EXPECT_EQ(settings.lineDelay, 35);
    EXPECT_EQ(settings.transmitDelay, 30) << "the upper limit itself is accepted";
    EXPECT_EQ(Text(settings.fileExtension), "NC");
    EXPECT_EQ(Text(settings.uploadPath), "/typed/in/");
    EXPECT_EQ(settings.sendStartCode, 0);
    EXPECT_EQ(settings.sendEndCode, 1);
    EXPECT_EQ(settings.writeLog, 0);
    EXPECT_EQ(settings.endCode, 15);
    EXPECT_EQ(settings.startCode, CommsSettings::DefaultStartCode);
    EXPECT_TRUE(hooks::Beeps().empty()) << "nothing was refused";
}

TEST_F(SettingsDialogTest, CancelStoresNothing) {
    const std::string before = Describe(settings);
    SettingsDialog dialog(&owner, settings);
    const int result = Run(dialog, [&](HWND hwnd) {
        hooks::PressKey(Item(hwnd, SettingsDialog::BaudRateList), VK_UP);
        Retype(hwnd, SettingsDialog::CharDelayField, "7");
        Retype(hwnd, SettingsDialog::DownloadPathEdit, "/elsewhere/");
        hooks::Click(Item(hwnd, SettingsDialog::WriteLogCheck));
        hooks::PressKey(Item(hwnd, SettingsDialog::StartCodeList), VK_DOWN);
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::StartCodeList)), "DC3");
        hooks::PressKey(hwnd, VK_ESCAPE);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(Describe(settings), before);
}

TEST_F(SettingsDialogTest, DelaysOutsideTheirRangesAreRefusedWithTheToneAndNothingStored) {
    // The template's delay fields are too narrow for a fourth digit and do not scroll, so the edit
    // itself refuses to take "1000" from the keyboard; such a value can only arrive as the field's
    // whole text, which is how it is put there here.
    struct Case {
        int field;
        bool canBeTyped;
        const char* refused;
        const char* accepted;
        int32_t CommsSettings::*value;
        int32_t expected;
    };
    const Case cases[] = {
        {SettingsDialog::CharDelayField, false, "1000", "999", &CommsSettings::charDelay, 999},
        {SettingsDialog::LineDelayField, false, "1000", "0", &CommsSettings::lineDelay, 0},
        {SettingsDialog::TransmitDelayField, true, "31", "30", &CommsSettings::transmitDelay, 30},
        {SettingsDialog::CharDelayField, true, "-1", "1", &CommsSettings::charDelay, 1},
        {SettingsDialog::LineDelayField, true, "1e3", "998", &CommsSettings::lineDelay, 998},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.field) + " " + c.refused);
        hooks::ClearBeeps();
        const std::string before = Describe(settings);
        SettingsDialog dialog(&owner, settings);
        bool stayedOpen = false;
        bool focusOnField = false;
        std::string afterRefusal;
        const int result = Run(dialog, [&](HWND hwnd) {
            hooks::TypeText(Item(hwnd, SettingsDialog::ParityList), "M"); // Mark, a change that must wait
            if (c.canBeTyped) {
                Retype(hwnd, c.field, c.refused);
            } else {
                SetWindowTextA(Item(hwnd, c.field), c.refused);
            }
            hooks::Click(Item(hwnd, IDOK));
            stayedOpen = IsWindow(hwnd) && IsWindowVisible(hwnd);
            focusOnField = GetFocus() == Item(hwnd, c.field);
            afterRefusal = Describe(settings);
            Retype(hwnd, c.field, c.accepted);
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_TRUE(stayedOpen);
        EXPECT_TRUE(focusOnField) << "the refused field has the focus";
        EXPECT_EQ(afterRefusal, before) << "a refusal stores nothing";
        ASSERT_EQ(hooks::Beeps().size(), 1u);
        EXPECT_FALSE(hooks::Beeps()[0].isMessageBeep);
        EXPECT_EQ(hooks::Beeps()[0].frequency, 300u);
        EXPECT_EQ(hooks::Beeps()[0].duration, 800u);
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(settings.*(c.value), c.expected);
        EXPECT_EQ(Text(settings.parity), "Mark");
    }
}

// The codes are copied into the record at every OK, accepted or not, so a Cancel after a refused
// OK keeps them while every other field keeps its old value.
TEST_F(SettingsDialogTest, CodesChosenBeforeARefusedOkSurviveCancel) {
    SettingsDialog dialog(&owner, settings);
    const int result = Run(dialog, [&](HWND hwnd) {
        hooks::PressKey(Item(hwnd, SettingsDialog::StartCodeList), VK_UP); // DC2 -> DC1
        Retype(hwnd, SettingsDialog::TransmitDelayField, "31");
        hooks::Click(Item(hwnd, IDOK));
        EXPECT_TRUE(IsWindow(hwnd));
        hooks::Click(Item(hwnd, IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(settings.startCode, 17);
    EXPECT_EQ(settings.transmitDelay, 5);
}

TEST_F(SettingsDialogTest, CheckBoxesEnableWhatDependsOnThem) {
    settings.writeLog = 0;
    settings.sendStartCode = 0;
    settings.sendEndCode = 1;
    SettingsDialog dialog(&owner, settings);
    Run(dialog, [&](HWND hwnd) {
        const int logItems[] = {SettingsDialog::LogFileLabel, SettingsDialog::LogFileEdit,
                                SettingsDialog::BrowseLogFileButton};
        for (int id : logItems) {
            EXPECT_FALSE(hooks::IsEnabled(Item(hwnd, id))) << id << " starts disabled without the log";
        }
        EXPECT_FALSE(hooks::IsEnabled(Item(hwnd, SettingsDialog::StartCodeList)));
        EXPECT_TRUE(hooks::IsEnabled(Item(hwnd, SettingsDialog::EndCodeList)));

        hooks::Click(Item(hwnd, SettingsDialog::WriteLogCheck));
        for (int id : logItems) {
            EXPECT_TRUE(hooks::IsEnabled(Item(hwnd, id))) << id;
        }
        hooks::PressKey(Item(hwnd, SettingsDialog::WriteLogCheck), VK_SPACE);
        EXPECT_FALSE(hooks::IsChecked(Item(hwnd, SettingsDialog::WriteLogCheck)));
        for (int id : logItems) {
            EXPECT_FALSE(hooks::IsEnabled(Item(hwnd, id))) << id << " after unchecking by keyboard";
        }

        hooks::Click(Item(hwnd, SettingsDialog::StartCodeCheck));
        EXPECT_TRUE(hooks::IsEnabled(Item(hwnd, SettingsDialog::StartCodeList)));
        HWND endList = Item(hwnd, SettingsDialog::EndCodeList);
        hooks::PressKey(endList, VK_DOWN); // EOT -> ENQ
        hooks::Click(Item(hwnd, SettingsDialog::EndCodeCheck));
        EXPECT_FALSE(hooks::IsEnabled(endList));
        EXPECT_EQ(hooks::WindowText(endList), "ENQ") << "a disabled list keeps its code";
        hooks::Click(Item(hwnd, IDOK));
    });
    EXPECT_EQ(settings.sendEndCode, 0);
    EXPECT_EQ(settings.endCode, 5) << "the code of a disabled list is still stored";
    EXPECT_EQ(settings.sendStartCode, 1);
    EXPECT_EQ(settings.writeLog, 0);
}

TEST_F(SettingsDialogTest, PortListShowsTheCurrentPortAndEveryOtherPortThatOpens) {
    std::string freePath, heldPath;
    HANDLE freeCable = platform::OpenPseudoTerminal(freePath);
    HANDLE heldCable = platform::OpenPseudoTerminal(heldPath);
    ASSERT_NE(freeCable, INVALID_HANDLE_VALUE);
    ASSERT_NE(heldCable, INVALID_HANDLE_VALUE);
    SetPort(2, freePath);
    SetPort(6, heldPath);
    // Another program holds COM6.
    HANDLE held = CreateFileA("COM6", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    {
        // COM1 does not exist but is the current port; COM2 is free; COM6 is in use.
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            HWND ports = Item(hwnd, SettingsDialog::PortList);
            EXPECT_EQ(Items(ports), (std::vector<std::string>{"COM1", "COM2"}));
            EXPECT_EQ(hooks::WindowText(ports), "COM1");
            ChooseWithMouse(ports, 1);
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_EQ(Text(settings.port), "COM2");
    }
    {
        // The program itself holds its current port; it is offered all the same, in its place.
        settings.port = "com6";
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            HWND ports = Item(hwnd, SettingsDialog::PortList);
            EXPECT_EQ(Items(ports), (std::vector<std::string>{"COM2", "COM6"}));
            EXPECT_EQ(hooks::WindowText(ports), "COM6");
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_TRUE(settings.port.Equals("COM6"));
    }
    CloseHandle(held);
    {
        settings.port = "COM1";
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            EXPECT_EQ(Items(Item(hwnd, SettingsDialog::PortList)),
                      (std::vector<std::string>{"COM1", "COM2", "COM6"}))
                << "a port that was let go is offered again";
            hooks::Click(Item(hwnd, IDCANCEL));
        });
    }
    // The probe opened and closed the free port; it can still be opened exclusively.
    HANDLE again = CreateFileA("COM2", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(again, INVALID_HANDLE_VALUE) << "the dialog closed what it opened";
    if (again != INVALID_HANDLE_VALUE) {
        CloseHandle(again);
    }
    CloseHandle(freeCable);
    CloseHandle(heldCable);
}

// A port on a device server is offered like a device: when the server answers and no other
// client holds it. One nobody serves is not.
TEST_F(SettingsDialogTest, PortListOffersServedNetworkPortsThatAreFree) {
    using testsupport::DeviceServerProcess;
    std::string servedPath, heldPath;
    HANDLE servedCable = platform::OpenPseudoTerminal(servedPath);
    HANDLE heldCable = platform::OpenPseudoTerminal(heldPath);
    ASSERT_NE(servedCable, INVALID_HANDLE_VALUE);
    ASSERT_NE(heldCable, INVALID_HANDLE_VALUE);
    DeviceServerProcess served(folders.string());
    DeviceServerProcess held(folders.string());
    ASSERT_TRUE(served.Start(servedPath, DeviceServerProcess::Protocol::ComPortControl)) << served.Problem();
    ASSERT_TRUE(held.Start(heldPath, DeviceServerProcess::Protocol::ComPortControl)) << held.Problem();
    SetPort(3, served.Address());
    SetPort(4, "rfc2217://127.0.0.1:" + std::to_string(testsupport::FreeLoopbackPort()));
    SetPort(5, held.Address());
    HANDLE otherClient = CreateFileA("COM5", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(otherClient, INVALID_HANDLE_VALUE);
    {
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            EXPECT_EQ(Items(Item(hwnd, SettingsDialog::PortList)),
                      (std::vector<std::string>{"COM1", "COM3"}));
            hooks::Click(Item(hwnd, IDCANCEL));
        });
    }
    CloseHandle(otherClient);
    CloseHandle(servedCable);
    CloseHandle(heldCable);
}

TEST_F(SettingsDialogTest, FlowControlListIsSortedAndTakesTypedText) {
    settings.flowControl = "Xon/Xoff";
    {
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            HWND flow = Item(hwnd, SettingsDialog::FlowControlList);
            EXPECT_EQ(Items(flow), (std::vector<std::string>{"Combined", "Hardware", "None", "Xon/Xoff"}));
            EXPECT_EQ(hooks::WindowText(flow), "Xon/Xoff");
            ChooseWithMouse(flow, 0);
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_EQ(Text(settings.flowControl), "Combined");
    }
    // A name that is no item, typed into the empty field (the field does not scroll, so what is
    // typed must fit it).
    settings.flowControl = "";
    {
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            HWND field = Parts(Item(hwnd, SettingsDialog::FlowControlList)).hwndItem;
            ASSERT_NE(field, nullptr) << "the list has an editable field";
            hooks::TypeText(field, "RTS");
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_EQ(Text(settings.flowControl), "RTS");
    }
}

TEST_F(SettingsDialogTest, ControlCodeNamesRoundTripThroughBothCodes) {
    const char* names[ControlCodeCombo::CodeCount] = {"NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL",
                                                      "BS ", "HT ", "LF ", "VT ", "FF ", "CR ", "SO ", "SI ",
                                                      "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB",
                                                      "CAN", "EM ", "SUB", "ESC", "FS ", "GS ", "RS ", "US "};
    settings.sendEndCode = 1;
    for (int code = 0; code < ControlCodeCombo::CodeCount; ++code) {
        SCOPED_TRACE(code);
        EXPECT_STREQ(ControlCodeCombo::CodeName(static_cast<uint8_t>(code)), names[code]);
        settings.startCode = static_cast<uint8_t>(code);
        settings.endCode = static_cast<uint8_t>(31 - code);
        SettingsDialog dialog(&owner, settings);
        Run(dialog, [&](HWND hwnd) {
            HWND startList = Item(hwnd, SettingsDialog::StartCodeList);
            HWND endList = Item(hwnd, SettingsDialog::EndCodeList);
            EXPECT_EQ(Items(startList), std::vector<std::string>(std::begin(names), std::end(names)));
            EXPECT_EQ(hooks::WindowText(startList), names[code]);
            EXPECT_EQ(hooks::WindowText(endList), names[31 - code]);
            // The start list goes one step away and back, the end list one step towards the
            // middle: what is stored is the code of the item shown.
            const bool isLast = code == ControlCodeCombo::CodeCount - 1;
            hooks::PressKey(startList, isLast ? VK_UP : VK_DOWN);
            hooks::PressKey(startList, isLast ? VK_DOWN : VK_UP);
            hooks::PressKey(endList, code == 0 ? VK_UP : VK_DOWN);
            hooks::Click(Item(hwnd, IDOK));
        });
        EXPECT_EQ(settings.startCode, code);
        EXPECT_EQ(settings.endCode, code == 0 ? 30 : 32 - code);
    }
    EXPECT_EQ(ControlCodeCombo::CodeName(32), nullptr);
}

TEST_F(SettingsDialogTest, CodeTheListCannotShowIsKept) {
    settings.startCode = 0x7F; // from a settings file; the list offers 0 to 31 only
    SettingsDialog dialog(&owner, settings);
    Run(dialog, [&](HWND hwnd) {
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::StartCodeList)), "");
        hooks::Click(Item(hwnd, IDOK));
    });
    EXPECT_EQ(settings.startCode, 0x7F);
}

TEST_F(SettingsDialogTest, FolderChosenWithBrowseIsStoredAtOnceAndSurvivesCancel) {
    const std::filesystem::path chosen = folders / "chosen";
    std::filesystem::create_directories(chosen);
    const std::string chosenFolder = chosen.string() + "/";
    const std::string oldUpload = Text(settings.uploadPath);
    const std::string oldDownload = Text(settings.downloadPath);
    ScriptedFolderDialog dialog(&owner, settings);
    dialog.answer = chosenFolder;
    const int result = Run(dialog, [&](HWND hwnd) {
        hooks::Click(Item(hwnd, SettingsDialog::BrowseUploadButton));
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::UploadPathEdit)), chosenFolder);
        Retype(hwnd, SettingsDialog::DownloadPathEdit, "/typed/only/");
        hooks::Click(Item(hwnd, IDCANCEL));
    });
    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(dialog.requests.size(), 1u);
    EXPECT_EQ(dialog.requests[0].title, "Upload Path");
    EXPECT_EQ(dialog.requests[0].initial, oldUpload);
    EXPECT_EQ(Text(settings.uploadPath), chosenFolder) << "the chosen folder survives Cancel";
    EXPECT_EQ(Text(settings.downloadPath), oldDownload) << "typed text does not";
}

TEST_F(SettingsDialogTest, BrowsingKeepsTheLogFileNameAndACancelledChooserChangesNothing) {
    const std::filesystem::path chosen = folders / "tmp";
    std::filesystem::create_directories(chosen);
    const std::string oldLog = Text(settings.logFile);
    const std::string oldDownload = Text(settings.downloadPath);
    ScriptedFolderDialog dialog(&owner, settings);
    Run(dialog, [&](HWND hwnd) {
        hooks::Click(Item(hwnd, SettingsDialog::BrowseDownloadButton)); // cancelled
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::DownloadPathEdit)), oldDownload);
        dialog.answer = chosen.string() + "/";
        hooks::Click(Item(hwnd, SettingsDialog::BrowseLogFileButton));
        EXPECT_EQ(hooks::WindowText(Item(hwnd, SettingsDialog::LogFileEdit)), chosen.string() + "/CNC.LOG");
        hooks::Click(Item(hwnd, IDOK));
    });
    ASSERT_EQ(dialog.requests.size(), 2u);
    EXPECT_EQ(dialog.requests[0].title, "Download Path");
    EXPECT_EQ(dialog.requests[0].initial, oldDownload);
    EXPECT_EQ(dialog.requests[1].title, "Log File Path");
    EXPECT_EQ(dialog.requests[1].initial, oldLog);
    EXPECT_EQ(Text(settings.downloadPath), oldDownload);
    EXPECT_EQ(Text(settings.logFile), chosen.string() + "/CNC.LOG");
}
