#include "platform/Windows.h"

#include "support/UserSupport.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>

using testsupport::ExpectSequence;
using testsupport::Recorder;

namespace {

// Records the messages that window tests look at and answers WM_CREATE as the window's extra
// bytes say: -1 refuses the creation.
LRESULT CALLBACK_Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_SIZE:
    case WM_MOVE:
    case WM_SHOWWINDOW:
    case WM_DESTROY:
    case WM_NCDESTROY:
    case WM_PARENTNOTIFY:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ACTIVATE:
    case WM_ENABLE:
    case WM_STYLECHANGED:
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
        break;
    default:
        break;
    }
    if (message == WM_CREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create->lpCreateParams == reinterpret_cast<LPVOID>(1)) {
            return -1;
        }
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class UserWindows : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = CALLBACK_Record;
        windowClass.cbWndExtra = 16;
        windowClass.lpszClassName = "RecordingWindow";
        RegisterClassExA(&windowClass);
        Recorder::Instance().Take();
    }
    void TearDown() override {
        for (HWND window : created) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        UnregisterClassA("RecordingWindow", nullptr);
    }

    HWND Top(const char* text = "top", DWORD style = WS_OVERLAPPEDWINDOW) {
        HWND hwnd = CreateWindowExA(0, "RecordingWindow", text, style, 100, 50, 400, 300, nullptr, nullptr,
                                    nullptr, nullptr);
        created.push_back(hwnd);
        return hwnd;
    }
    HWND Child(HWND parent, int id, DWORD style = WS_CHILD | WS_VISIBLE, DWORD exStyle = 0) {
        return CreateWindowExA(exStyle, "RecordingWindow", "child", style, 10, 20, 100, 50, parent,
                               reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
    }

    testsupport::Watchdog watchdog;
    std::vector<HWND> created;
};

} // namespace

TEST_F(UserWindows, CreationAndDestructionOrder) {
    HWND top = Top();
    ASSERT_NE(top, nullptr);
    ExpectSequence(Recorder::Instance().Take(),
                   {{top, WM_NCCREATE}, {top, WM_CREATE}, {top, WM_SIZE}, {top, WM_MOVE}},
                   "hidden top-level window");

    HWND child = Child(top, 7);
    ASSERT_NE(child, nullptr);
    ExpectSequence(Recorder::Instance().Take(),
                   {{child, WM_NCCREATE},
                    {child, WM_CREATE},
                    {child, WM_SIZE},
                    {child, WM_MOVE},
                    {top, WM_PARENTNOTIFY},
                    {child, WM_SHOWWINDOW}},
                   "visible child");
    HWND grandchild = Child(child, 8);
    Recorder::Instance().Take();

    EXPECT_TRUE(DestroyWindow(top));
    // WM_DESTROY from the top down, WM_NCDESTROY from the leaves up.
    auto destruction = Recorder::Instance().Take();
    std::erase_if(destruction, [](const testsupport::Recorded& m) {
        return m.message == WM_SHOWWINDOW || m.message == WM_PARENTNOTIFY;
    });
    ExpectSequence(destruction,
                   {{top, WM_DESTROY},
                    {child, WM_DESTROY},
                    {grandchild, WM_DESTROY},
                    {grandchild, WM_NCDESTROY},
                    {child, WM_NCDESTROY},
                    {top, WM_NCDESTROY}},
                   "destruction");
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(grandchild));
}

TEST_F(UserWindows, CreateRefusedByWmCreateDestroysTheWindow) {
    HWND refused = CreateWindowExA(0, "RecordingWindow", "no", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, reinterpret_cast<LPVOID>(1));
    EXPECT_EQ(refused, nullptr);
    const auto messages = Recorder::Instance().Take();
    ASSERT_EQ(messages.size(), 4u);
    EXPECT_EQ(messages[2].message, static_cast<UINT>(WM_DESTROY));
    EXPECT_EQ(messages[3].message, static_cast<UINT>(WM_NCDESTROY));
    EXPECT_FALSE(IsWindow(messages[0].hwnd));
}

TEST_F(UserWindows, UnknownClassAndOrphanChildFail) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(
        CreateWindowExA(0, "RecordingWindow", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
    WNDCLASSEXA again{};
    again.cbSize = sizeof again;
    again.lpszClassName = "recordingwindow";
    EXPECT_EQ(RegisterClassExA(&again), 0) << "class names are case-insensitive";
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);
    HWND top = Top();
    EXPECT_FALSE(UnregisterClassA("RecordingWindow", nullptr)) << "a class with windows stays";
    char name[64];
    EXPECT_EQ(GetClassNameA(top, name, sizeof name), 15);
    EXPECT_STREQ(name, "RecordingWindow");
}

TEST_F(UserWindows, TextGoesThroughMessagesAndIsCut) {
    HWND top = Top("initial caption");
    char text[8];
    EXPECT_EQ(GetWindowTextLengthA(top), 15);
    EXPECT_EQ(GetWindowTextA(top, text, sizeof text), 7);
    EXPECT_STREQ(text, "initial");
    EXPECT_TRUE(SetWindowTextA(top, "TOLVA COM1:9600,N,8,1,Xon/Xoff"));
    char full[64];
    GetWindowTextA(top, full, sizeof full);
    EXPECT_STREQ(full, "TOLVA COM1:9600,N,8,1,Xon/Xoff");
}

namespace {
WNDPROC previousProcedure = nullptr;
int subclassCalls = 0;
LRESULT Subclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_USER + 1) {
        ++subclassCalls;
        return 42 + CallWindowProcA(previousProcedure, hwnd, message, wParam, lParam);
    }
    return CallWindowProcA(previousProcedure, hwnd, message, wParam, lParam);
}
} // namespace

TEST_F(UserWindows, WindowLongsAndSubclassing) {
    HWND top = Top();
    EXPECT_EQ(SetWindowLongPtrA(top, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(top, GWLP_USERDATA), 1234);
    EXPECT_EQ(SetWindowLongPtrA(top, 8, 99), 0) << "extra bytes";
    EXPECT_EQ(GetWindowLongPtrA(top, 8), 99);
    EXPECT_EQ(GetWindowLongPtrA(top, 16), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_INDEX) << "beyond the extra bytes";

    subclassCalls = 0;
    previousProcedure =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrA(top, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Subclass)));
    EXPECT_EQ(previousProcedure, CALLBACK_Record);
    EXPECT_EQ(SendMessageA(top, WM_USER + 1, 0, 0), 42);
    EXPECT_EQ(subclassCalls, 1);

    Recorder::Instance().Take();
    const LONG_PTR style = GetWindowLongPtrA(top, GWL_STYLE);
    SetWindowLongPtrA(top, GWL_STYLE, style | WS_DISABLED);
    EXPECT_FALSE(IsWindowEnabled(top));
    ExpectSequence(Recorder::Instance().Take(), {{top, WM_STYLECHANGED}}, "style change");
}

TEST_F(UserWindows, ChildOrderRelationsAndIds) {
    HWND top = Top();
    HWND first = Child(top, 101);
    HWND second = Child(top, 102);
    HWND third = Child(top, 103);
    EXPECT_EQ(GetWindow(top, GW_CHILD), first) << "creation order is z-order from the top";
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), second);
    EXPECT_EQ(GetWindow(third, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetWindow(third, GW_HWNDPREV), second);
    EXPECT_EQ(GetWindow(second, GW_HWNDLAST), third);
    EXPECT_EQ(GetDlgItem(top, 102), second);
    EXPECT_EQ(GetDlgItem(top, 999), nullptr);
    EXPECT_EQ(GetDlgCtrlID(third), 103);
    EXPECT_EQ(GetParent(second), top);
    EXPECT_TRUE(IsChild(top, second));
    EXPECT_FALSE(IsChild(second, top));
    EXPECT_EQ(GetAncestor(Child(second, 5), GA_ROOT), top);

    SetWindowPos(third, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(top, GW_CHILD), third);
    SetWindowPos(third, second, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), third);

    HWND owned = CreateWindowExA(0, "RecordingWindow", "owned", WS_POPUP, 0, 0, 10, 10, second, nullptr,
                                 nullptr, nullptr);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), top) << "the owner is the top-level window";
    EXPECT_EQ(GetParent(owned), top);
    DestroyWindow(top);
    EXPECT_FALSE(IsWindow(owned)) << "owned windows go with their owner";
}

TEST_F(UserWindows, GeometryAndCoordinateMapping) {
    HWND top = Top();
    RECT rect;
    GetClientRect(top, &rect);
    EXPECT_EQ(rect.right, 400) << "a top-level window's frame belongs to the display";
    EXPECT_EQ(rect.bottom, 300);
    HWND edged = Child(top, 1, WS_CHILD | WS_VISIBLE, WS_EX_CLIENTEDGE);
    GetClientRect(edged, &rect);
    EXPECT_EQ(rect.right, 96);
    EXPECT_EQ(rect.bottom, 46);
    GetWindowRect(edged, &rect);
    EXPECT_EQ(rect.left, 110);
    EXPECT_EQ(rect.top, 70);
    POINT point{0, 0};
    ClientToScreen(edged, &point);
    EXPECT_EQ(point.x, 112) << "inside the client edge";
    EXPECT_EQ(point.y, 72);
    ScreenToClient(top, &point);
    EXPECT_EQ(point.x, 12);
    POINT points[1] = {{5, 5}};
    MapWindowPoints(edged, top, points, 1);
    EXPECT_EQ(points[0].x, 17);
    EXPECT_EQ(points[0].y, 27);

    Recorder::Instance().Take();
    MoveWindow(edged, 30, 40, 200, 100, TRUE);
    const auto moved = Recorder::Instance().Take();
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[0].message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(LOWORD(moved[0].lParam), 196);
    EXPECT_EQ(moved[1].message, static_cast<UINT>(WM_MOVE));
    EXPECT_EQ(LOWORD(moved[1].lParam), 32);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{35, 45}), edged);
    EXPECT_EQ(ChildWindowFromPoint(top, POINT{5, 5}), top);
}

TEST_F(UserWindows, FocusActivationAndEnabling) {
    HWND top = Top();
    HWND first = Child(top, 1);
    HWND second = Child(top, 2);
    Recorder::Instance().Take();
    SetFocus(first);
    auto messages = Recorder::Instance().Take();
    ASSERT_GE(messages.size(), 2u);
    EXPECT_EQ(messages.front().message, static_cast<UINT>(WM_ACTIVATE))
        << "focus activates the top-level window";
    EXPECT_EQ(messages.back().hwnd, first);
    EXPECT_EQ(messages.back().message, static_cast<UINT>(WM_SETFOCUS));
    EXPECT_EQ(GetActiveWindow(), top);

    EXPECT_EQ(SetFocus(second), first);
    ExpectSequence(Recorder::Instance().Take(), {{first, WM_KILLFOCUS}, {second, WM_SETFOCUS}},
                   "focus moves");
    EXPECT_EQ(GetFocus(), second);

    EnableWindow(second, FALSE);
    EXPECT_EQ(GetFocus(), nullptr) << "a disabled window loses the focus";
    ExpectSequence(Recorder::Instance().Take(), {{second, WM_KILLFOCUS}, {second, WM_ENABLE}}, "disable");
    EXPECT_EQ(SetFocus(second), nullptr) << "a disabled window cannot take the focus";
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_TRUE(EnableWindow(second, TRUE)) << "returns whether it was disabled";
    EXPECT_TRUE(IsWindowEnabled(second));

    SetCapture(first);
    EXPECT_EQ(GetCapture(), first);
    ReleaseCapture();
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(UserWindows, DesktopCoversTheScreenAndStays) {
    HWND desktop = GetDesktopWindow();
    ASSERT_NE(desktop, nullptr);
    EXPECT_EQ(GetDesktopWindow(), desktop);
    RECT rect;
    ASSERT_TRUE(GetWindowRect(desktop, &rect));
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
    char name[16];
    GetClassNameA(desktop, name, sizeof name);
    EXPECT_STREQ(name, "#32769");
    EXPECT_FALSE(DestroyWindow(desktop)) << "no thread may destroy it";
    EXPECT_TRUE(IsWindow(desktop)) << "the desktop is never destroyed";
    std::thread other([desktop] { EXPECT_EQ(GetWindowTextLengthA(desktop), 0) << "answered on any thread"; });
    other.join();
}

TEST_F(UserWindows, VisibilityFollowsTheParents) {
    HWND top = Top();
    HWND child = Child(top, 1);
    EXPECT_FALSE(IsWindowVisible(child)) << "the parent is hidden";
    ShowWindow(top, SW_SHOW);
    EXPECT_TRUE(IsWindowVisible(child));
    EXPECT_EQ(GetActiveWindow(), top) << "showing a top-level window activates it";
    EXPECT_TRUE(ShowWindow(child, SW_HIDE)) << "returns whether it was visible";
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_FALSE(ShowWindow(child, SW_HIDE));
}

TEST_F(UserWindows, IconsAreKeptPerWindowAndTheClassKeepsItsSmallOne) {
    HICON big = LoadIconA(nullptr, IDI_HAND);
    HICON small = LoadIconA(nullptr, IDI_ASTERISK);
    WNDCLASSEXA withIcons{};
    withIcons.cbSize = sizeof withIcons;
    withIcons.lpfnWndProc = DefWindowProcA;
    withIcons.hIcon = big;
    withIcons.hIconSm = small;
    withIcons.lpszClassName = "IconClass";
    ASSERT_NE(RegisterClassExA(&withIcons), 0);
    WNDCLASSEXA found{};
    ASSERT_NE(GetClassInfoExA(nullptr, "IconClass", &found), 0);
    EXPECT_EQ(found.hIcon, big);
    EXPECT_EQ(found.hIconSm, small) << "the small icon is the class's own, not its big one";
    UnregisterClassA("IconClass", nullptr);

    HWND top = Top();
    EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_BIG, 0), 0) << "a new window has no icon of its own";
    EXPECT_EQ(SendMessageA(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big)), 0);
    EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_SMALL2, 0), reinterpret_cast<LRESULT>(big))
        << "without a small icon the big one stands in";
    EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_EQ(SendMessageA(top, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small)), 0);
    EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_SMALL2, 0), reinterpret_cast<LRESULT>(small));
    EXPECT_EQ(SendMessageA(top, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(small)),
              reinterpret_cast<LRESULT>(big))
        << "the previous icon is answered";
    EXPECT_EQ(SendMessageA(top, WM_GETICON, ICON_BIG, 0), reinterpret_cast<LRESULT>(small));
}

TEST_F(UserWindows, IconPixelsAreOpaqueWhereTheMaskCoversThem) {
    // The stand-in's error icon: a red disc with a white cross, transparent around the disc.
    HICON icon = LoadIconA(nullptr, IDI_HAND);
    for (int size : {32, 16}) {
        const std::vector<uint32_t> pixels = platform::IconPixels(icon, size);
        ASSERT_EQ(pixels.size(), static_cast<size_t>(size * size));
        auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * size + x)]; };
        EXPECT_EQ(at(0, 0) >> 24, 0u) << "the corner lets the background through, size " << size;
        EXPECT_EQ(at(size - 1, size - 1) >> 24, 0u);
        const int edge = size / 8; // inside the disc, clear of the cross
        EXPECT_EQ(at(size / 2, edge), 0xFFFF0000u) << "opaque red near the disc's top, size " << size;
    }
    EXPECT_TRUE(platform::IconPixels(nullptr, 32).empty());
    EXPECT_TRUE(platform::IconPixels(icon, 0).empty());
}
