#include "testhooks/TestHooks.h"

#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/Beeps.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using testsupport::Recorder;

constexpr UINT ButtonGetCheck = 0x00F0; // what the hooks ask a BUTTON

bool IsInput(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCMOUSEMOVE + 9);
}

LRESULT Recording(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (IsInput(message)) {
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// Stands in for the button control: checked when its user data says so.
LRESULT CheckBox(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == ButtonGetCheck) {
        return GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    }
    return Recording(hwnd, message, wParam, lParam);
}

void Register(const char* name, WNDPROC procedure, UINT style = 0) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = style;
    windowClass.lpfnWndProc = procedure;
    windowClass.lpszClassName = name;
    RegisterClassExA(&windowClass);
}

class TestHooks : public ::testing::Test {
protected:
    void SetUp() override {
        Register("HookTop", Recording);
        Register("HookField", Recording, CS_DBLCLKS);
        Register("Button", CheckBox);
        top = CreateWindowExA(0, "HookTop", "Hooks \"main\"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 50, 300,
                              200, nullptr, nullptr, nullptr, nullptr);
        panel = CreateWindowExA(WS_EX_CLIENTEDGE, "HookTop", "", WS_CHILD | WS_VISIBLE, 10, 10, 200, 100, top,
                                reinterpret_cast<HMENU>(7), nullptr, nullptr);
        field = CreateWindowExA(0, "HookField", "Port", WS_CHILD | WS_VISIBLE, 20, 30, 80, 20, panel,
                                reinterpret_cast<HMENU>(101), nullptr, nullptr);
        check = CreateWindowExA(0, "Button", "Echo", WS_CHILD | WS_VISIBLE | WS_DISABLED, 20, 60, 80, 16,
                                panel, reinterpret_cast<HMENU>(102), nullptr, nullptr);
        hidden = CreateWindowExA(0, "Button", "Line\tfeed", WS_CHILD, 220, 10, 60, 20, top,
                                 reinterpret_cast<HMENU>(8), nullptr, nullptr);
        SetWindowLongPtrA(check, GWLP_USERDATA, 1);
        testhooks::PumpMessages();
        Recorder::Instance().Take();
    }
    void TearDown() override {
        DestroyWindow(top);
        for (const char* name : {"HookTop", "HookField", "Button"}) {
            UnregisterClassA(name, nullptr);
        }
        for (int key : {VK_SHIFT, VK_CONTROL, VK_MENU, VK_LBUTTON}) {
            EXPECT_GE(GetKeyState(key), 0) << "every key was released again: " << key;
        }
    }
    std::vector<testsupport::Recorded> TakeFrom(HWND hwnd) {
        std::vector<testsupport::Recorded> mine;
        for (const auto& message : Recorder::Instance().Take()) {
            if (message.hwnd == hwnd) {
                mine.push_back(message);
            }
        }
        return mine;
    }
    testsupport::Watchdog watchdog;
    HWND top = nullptr;
    HWND panel = nullptr;
    HWND field = nullptr;
    HWND check = nullptr;
    HWND hidden = nullptr;
};

} // namespace

TEST_F(TestHooks, FindWindowsByClassCaptionAndControlId) {
    using namespace testhooks;
    EXPECT_EQ(FindWindowByClass("hooktop"), top) << "the first of the class, without regard to case";
    EXPECT_EQ(FindWindowByClass("HookTop", top), panel) << "below a window only";
    EXPECT_EQ(FindWindowByClass("BUTTON", panel), check);
    EXPECT_EQ(FindWindowByClass("Button", field), nullptr) << "the field has no children";
    EXPECT_EQ(FindWindowByCaption("Echo"), check);
    EXPECT_EQ(FindWindowByCaption("echo"), nullptr) << "captions compare exactly";
    EXPECT_EQ(FindControl(top, 101), field) << "ids are found at any depth";
    EXPECT_EQ(FindControl(top, 8), hidden);
    EXPECT_EQ(FindControl(panel, 8), nullptr);
}

TEST_F(TestHooks, ReadTextAndState) {
    using namespace testhooks;
    EXPECT_EQ(WindowText(field), "Port");
    EXPECT_EQ(WindowText(top), "Hooks \"main\"");
    EXPECT_TRUE(IsShown(field));
    EXPECT_FALSE(IsShown(hidden));
    EXPECT_TRUE(IsEnabled(field));
    EXPECT_FALSE(IsEnabled(check));
    EXPECT_TRUE(IsChecked(check)) << "a BUTTON that answers checked";
    SetWindowLongPtrA(check, GWLP_USERDATA, 0);
    EXPECT_FALSE(IsChecked(check));
    EXPECT_FALSE(IsChecked(field)) << "only buttons are checked";
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsShown(field)) << "a hidden parent hides its children";
}

// A control whose text does not fit the room it draws it in is marked in the dump: a static that
// wraps its last word out of sight, a push button too narrow for its caption, a check box too
// short for its line. Edit fields scroll and are never marked.
TEST_F(TestHooks, DumpMarksTextsThatDoNotFitTheirControls) {
    HWND roomy = CreateWindowExA(0, "STATIC", "CTS Hold", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 100, 200, 20,
                                 top, reinterpret_cast<HMENU>(201), nullptr, nullptr);
    HWND wrapped = CreateWindowExA(0, "STATIC", "CTS Hold", WS_CHILD | WS_VISIBLE | SS_LEFT, 0, 120, 30, 13,
                                   top, reinterpret_cast<HMENU>(202), nullptr, nullptr);
    HWND narrow = CreateWindowExA(0, "BUTTON", "Change Settings", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 0,
                                  140, 40, 23, top, reinterpret_cast<HMENU>(203), nullptr, nullptr);
    HWND box = CreateWindowExA(0, "BUTTON", "Write Log File", WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, 0, 170,
                               200, 20, top, reinterpret_cast<HMENU>(204), nullptr, nullptr);
    HWND edit =
        CreateWindowExA(0, "EDIT", "/a/very/long/path/that/scrolls/in/its/field", WS_CHILD | WS_VISIBLE, 0,
                        200, 40, 20, top, reinterpret_cast<HMENU>(205), nullptr, nullptr);
    for (HWND control : {roomy, wrapped, narrow, box, edit}) {
        ASSERT_NE(control, nullptr);
    }
    auto lineOf = [&](int id) {
        const std::string dump = testhooks::DumpWindowTree(top);
        const std::size_t at = dump.find(" id=" + std::to_string(id) + " ");
        return at == std::string::npos ? std::string() : dump.substr(at, dump.find('\n', at) - at);
    };
    EXPECT_EQ(lineOf(201).find("CLIPPED"), std::string::npos) << lineOf(201);
    EXPECT_NE(lineOf(202).find("CLIPPED"), std::string::npos)
        << "the second line falls below: " << lineOf(202);
    EXPECT_NE(lineOf(203).find("CLIPPED"), std::string::npos) << lineOf(203);
    EXPECT_EQ(lineOf(204).find("CLIPPED"), std::string::npos) << lineOf(204);
    EXPECT_EQ(lineOf(205).find("CLIPPED"), std::string::npos) << "edit fields scroll: " << lineOf(205);
    MoveWindow(box, 0, 170, 200, 8, TRUE);
    EXPECT_NE(lineOf(204).find("CLIPPED"), std::string::npos)
        << "a check box shorter than its line: " << lineOf(204);
}

TEST_F(TestHooks, DumpShowsTheTreeIndentedByDepth) {
    const std::string expected =
        "HookTop id=0 \"Hooks \\\"main\\\"\" (100,50)-(400,250) visible enabled unchecked\n"
        "  HookTop id=7 \"\" (10,10)-(210,110) visible enabled unchecked\n"
        "    HookField id=101 \"Port\" (20,30)-(100,50) visible enabled unchecked\n"
        "    Button id=102 \"Echo\" (20,60)-(100,76) visible disabled checked CLIPPED\n"
        "  Button id=8 \"Line\\x09feed\" (220,10)-(280,30) hidden enabled unchecked\n";
    EXPECT_EQ(testhooks::DumpWindowTree(top), expected);
    MoveWindow(field, 5, 6, 70, 10, TRUE);
    SetWindowTextA(field, "COM2");
    const std::string dump = testhooks::DumpWindowTree(panel);
    EXPECT_NE(dump.find("  HookField id=101 \"COM2\" (5,6)-(75,16) visible"), std::string::npos) << dump;
    EXPECT_EQ(testhooks::DumpWindowTree(reinterpret_cast<HWND>(0x1234)), "") << "no window, no lines";
}

TEST_F(TestHooks, ClickReachesTheWindowUnderThePoint) {
    using namespace testhooks;
    ASSERT_TRUE(ClickAt(field, POINT{12, 7}));
    auto got = TakeFrom(field);
    testsupport::ExpectSequence(got, {{field, WM_MOUSEMOVE}, {field, WM_LBUTTONDOWN}, {field, WM_LBUTTONUP}},
                                "click at a point");
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].lParam, MAKELPARAM(12, 7)) << "client coordinates of the field";
    EXPECT_EQ(got[1].wParam, MK_LBUTTON) << "the button is down in its press";
    EXPECT_EQ(got[2].wParam, 0u) << "and up in its release";
    ASSERT_TRUE(Click(field));
    got = TakeFrom(field);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1].lParam, MAKELPARAM(40, 10)) << "the centre of an 80 x 20 client area";
}

TEST_F(TestHooks, ClickOnADisabledWindowReachesNobodyAndCaptureWins) {
    using namespace testhooks;
    ClearBeeps();
    ASSERT_TRUE(MoveMouseTo(check, POINT{3, 3}));
    EXPECT_TRUE(Beeps().empty()) << "only a press on a disabled window beeps";
    ASSERT_TRUE(Click(check));
    EXPECT_TRUE(TakeFrom(check).empty()) << "a disabled window takes no mouse input";
    ASSERT_EQ(Beeps().size(), 1u) << "the press beeps, the release does not";
    EXPECT_TRUE(Beeps()[0].isMessageBeep);
    SetCapture(panel);
    ASSERT_TRUE(ClickAt(field, POINT{1, 1}));
    ReleaseCapture();
    const auto got = TakeFrom(panel);
    ASSERT_EQ(got.size(), 3u) << "the capture window gets the click";
    // The panel's client area starts inside its 2-pixel edge; the field sits at 20,30 in it.
    EXPECT_EQ(got[1].lParam, MAKELPARAM(21, 31));
}

TEST_F(TestHooks, TypeTextProducesKeysAndCharactersWithShift) {
    using namespace testhooks;
    ASSERT_TRUE(TypeText(field, "aB!"));
    EXPECT_EQ(GetFocus(), field) << "typing gives the window the focus";
    const auto got = TakeFrom(field);
    std::string characters;
    std::vector<std::pair<UINT, WPARAM>> keys;
    for (const auto& message : got) {
        if (message.message == WM_CHAR) {
            characters += static_cast<char>(message.wParam);
        } else {
            keys.emplace_back(message.message, message.wParam);
        }
    }
    EXPECT_EQ(characters, "aB!");
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, 'A'}, {WM_KEYUP, 'A'},      {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, 'B'},
        {WM_KEYUP, 'B'},   {WM_KEYUP, VK_SHIFT}, {WM_KEYDOWN, VK_SHIFT}, {WM_KEYDOWN, '1'},
        {WM_KEYUP, '1'},   {WM_KEYUP, VK_SHIFT},
    };
    EXPECT_EQ(keys, expected);
    EXPECT_FALSE(TypeText(field, "\x80")) << "no key types it";
}

TEST_F(TestHooks, PressKeySetsTheKeyMessageBits) {
    using namespace testhooks;
    ASSERT_TRUE(PressKey(field, VK_F1));
    auto got = TakeFrom(field);
    ASSERT_EQ(got.size(), 2u);
    EXPECT_EQ(got[0].message, WM_KEYDOWN);
    EXPECT_EQ(got[0].lParam, 0x003B0001) << "repeat count 1, F1's scan code, key was up, no Alt";
    EXPECT_EQ(got[1].message, WM_KEYUP);
    EXPECT_EQ(got[1].lParam, static_cast<LPARAM>(0xC03B0001u)) << "previous state and release bits";

    ASSERT_TRUE(PressKey(field, 'X', testhooks::Modifier::Alt));
    got = TakeFrom(field);
    ASSERT_EQ(got.size(), 5u) << "Alt down, X down, WM_SYSCHAR, X up, Alt up";
    EXPECT_EQ(got[1].message, WM_SYSKEYDOWN);
    EXPECT_EQ(got[1].wParam, static_cast<WPARAM>('X'));
    EXPECT_EQ(got[1].lParam, static_cast<LPARAM>(0x202D0001)) << "bit 29: Alt is held";
    EXPECT_EQ(got[2].message, WM_SYSCHAR);
    EXPECT_EQ(got[4].message, WM_SYSKEYUP) << "Alt is released as a system key";

    ASSERT_TRUE(PressKey(field, VK_DELETE, testhooks::Modifier::Control));
    got = TakeFrom(field);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[1].message, WM_KEYDOWN) << "Ctrl alone makes no system key";
    EXPECT_EQ(got[1].lParam, static_cast<LPARAM>(0x01530001)) << "Delete is an extended key";
}

namespace {

// Answers WM_SETCURSOR and WM_MOUSEACTIVATE as its user data says, and records both.
constexpr LONG_PTR ChoosesCursor = 1;
constexpr LONG_PTR EatsClicks = 2;
constexpr LONG_PTR RefusesActivation = 4;

LRESULT Choosy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const LONG_PTR wishes = GetWindowLongPtrA(hwnd, GWLP_USERDATA);
    if (message == WM_SETCURSOR || message == WM_MOUSEACTIVATE) {
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
    }
    if (message == WM_SETCURSOR && (wishes & ChoosesCursor)) {
        SetCursor(LoadCursorA(nullptr, IDC_CROSS));
        return TRUE;
    }
    if (message == WM_MOUSEACTIVATE && (wishes & (EatsClicks | RefusesActivation))) {
        if (wishes & RefusesActivation) {
            return (wishes & EatsClicks) ? MA_NOACTIVATEANDEAT : MA_NOACTIVATE;
        }
        return MA_ACTIVATEANDEAT;
    }
    return Recording(hwnd, message, wParam, lParam);
}

class MouseRules : public TestHooks {
protected:
    void SetUp() override {
        TestHooks::SetUp();
        WNDCLASSEXA text{};
        text.cbSize = sizeof text;
        text.lpfnWndProc = Recording;
        text.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
        text.lpszClassName = "HookText";
        RegisterClassExA(&text);
        Register("HookChoosy", Choosy);
        owner = CreateWindowExA(0, "HookChoosy", "Choosy", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 450, 50, 300,
                                200, nullptr, nullptr, nullptr, nullptr);
        editor = CreateWindowExA(0, "HookText", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, owner,
                                 reinterpret_cast<HMENU>(201), nullptr, nullptr);
        plain = CreateWindowExA(0, "HookText", "", WS_CHILD | WS_VISIBLE, 10, 10, 100, 20, panel,
                                reinterpret_cast<HMENU>(202), nullptr, nullptr);
        testhooks::PumpMessages();
        SetCursor(nullptr);
        Recorder::Instance().Take();
    }
    void TearDown() override {
        DestroyWindow(owner);
        UnregisterClassA("HookText", nullptr);
        UnregisterClassA("HookChoosy", nullptr);
        TestHooks::TearDown();
    }
    HWND owner = nullptr;  // a top-level window of class HookChoosy
    HWND editor = nullptr; // a text child of owner, with the I-beam as class cursor
    HWND plain = nullptr;  // the same kind of child in the hooks' panel, whose parents let it choose
};

} // namespace

TEST_F(MouseRules, TheClassCursorShowsUnlessAParentChoosesFirst) {
    using namespace testhooks;
    ASSERT_TRUE(MoveMouseTo(plain, POINT{5, 5}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_IBEAM)) << "the child's class cursor";
    auto got = TakeFrom(plain);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, WM_MOUSEMOVE) << "the move itself follows the cursor choice";

    SetWindowLongPtrA(owner, GWLP_USERDATA, ChoosesCursor);
    ASSERT_TRUE(MoveMouseTo(editor, POINT{5, 5}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_CROSS)) << "the parent was asked first and chose";
    got = TakeFrom(owner);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_SETCURSOR));
    EXPECT_EQ(got[0].wParam, reinterpret_cast<WPARAM>(editor)) << "naming the window under the mouse";
    EXPECT_EQ(got[0].lParam, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));

    // The panel's 2-pixel edge is its border: a non-client move there, with the arrow.
    SetCursor(nullptr);
    ASSERT_TRUE(MoveMouseTo(panel, POINT{-1, -1}));
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    got = TakeFrom(panel);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].message, static_cast<UINT>(WM_NCMOUSEMOVE));
    EXPECT_EQ(got[0].wParam, static_cast<WPARAM>(HTBORDER));
}

TEST_F(MouseRules, APressActivatesAnInactiveWindowUnlessItSaysOtherwise) {
    using namespace testhooks;
    SetActiveWindow(top);
    ASSERT_TRUE(Click(editor));
    EXPECT_EQ(GetActiveWindow(), owner) << "the press activated the editor's top-level window";
    std::vector<std::pair<HWND, UINT>> got;
    for (const auto& message : Recorder::Instance().Take()) {
        got.emplace_back(message.hwnd, message.message);
        if (message.message == WM_MOUSEACTIVATE) {
            EXPECT_EQ(message.hwnd, owner) << "the editor let its parent answer";
            EXPECT_EQ(message.wParam, reinterpret_cast<WPARAM>(owner)) << "the top-level window to activate";
            EXPECT_EQ(message.lParam, MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
        }
    }
    const std::vector<std::pair<HWND, UINT>> expected{
        {owner, WM_SETCURSOR},    {editor, WM_MOUSEMOVE}, {owner, WM_MOUSEACTIVATE}, {owner, WM_SETCURSOR},
        {editor, WM_LBUTTONDOWN}, {owner, WM_SETCURSOR},  {editor, WM_LBUTTONUP},
    };
    EXPECT_EQ(got, expected) << "asked to activate before the cursor is set for the press";
    ASSERT_TRUE(Click(editor));
    for (const auto& message : Recorder::Instance().Take()) {
        EXPECT_NE(message.message, static_cast<UINT>(WM_MOUSEACTIVATE)) << "an active window is not asked";
    }

    struct Case {
        LONG_PTR wishes;
        bool isActivated;
        bool isEaten;
    };
    for (const Case& rule : {Case{EatsClicks, true, true}, Case{RefusesActivation, false, false},
                             Case{RefusesActivation | EatsClicks, false, true}}) {
        SetWindowLongPtrA(owner, GWLP_USERDATA, rule.wishes);
        SetActiveWindow(top);
        ASSERT_TRUE(Click(editor));
        EXPECT_EQ(GetActiveWindow() == owner, rule.isActivated) << "wishes " << rule.wishes;
        bool isPressed = false;
        for (const auto& message : TakeFrom(editor)) {
            isPressed = isPressed || message.message == WM_LBUTTONDOWN;
        }
        EXPECT_EQ(isPressed, !rule.isEaten) << "wishes " << rule.wishes;
    }
}

TEST_F(TestHooks, InputForAnotherThreadsWindowIsHandledBeforeTheCallReturns) {
    using namespace testhooks;
    std::atomic<HWND> edit{nullptr};
    std::atomic<DWORD> thread{0};
    std::thread other([&] {
        HWND window = CreateWindowExA(0, "HookTop", "Other thread", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 500, 50,
                                      200, 100, nullptr, nullptr, nullptr, nullptr);
        HWND field = CreateWindowExA(0, "HookField", "", WS_CHILD | WS_VISIBLE, 10, 10, 80, 20, window,
                                     nullptr, nullptr, nullptr);
        SetFocus(field);
        thread = GetCurrentThreadId();
        edit = field;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        DestroyWindow(window);
    });
    while (edit.load() == nullptr) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_TRUE(ClickAt(edit, POINT{4, 5}));
    auto got = TakeFrom(edit);
    testsupport::ExpectSequence(got, {{edit, WM_MOUSEMOVE}, {edit, WM_LBUTTONDOWN}, {edit, WM_LBUTTONUP}},
                                "handled by the other thread by the time the click returns");
    ASSERT_TRUE(TypeText(edit, "Ok"));
    std::string characters;
    for (const auto& message : TakeFrom(edit)) {
        if (message.message == WM_CHAR) {
            characters += static_cast<char>(message.wParam);
        }
    }
    EXPECT_EQ(characters, "Ok") << "translated by the other thread's loop, Shift included";
    const HWND gone = edit;
    PostThreadMessageA(thread, WM_QUIT, 0, 0);
    other.join();
    EXPECT_FALSE(Click(gone)) << "no window, no input";
}
