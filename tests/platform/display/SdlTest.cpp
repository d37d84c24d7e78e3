// The SDL display on SDL's offscreen driver, which needs no screen. These tests reach into SDL to
// see what the display made of the windows, which only the platform's own tests may do.

#include "platform/Windows.h"
#include "platform/display/Display.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <SDL.h>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::Recorder;

COLORREF squareColour = RGB(0, 200, 0);

LRESULT Painting(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
        (message >= WM_MOUSEFIRST && message <= WM_MOUSEWHEEL) || message == WM_SYSCOMMAND ||
        message == WM_APP || message == WM_CONTEXTMENU) {
        Recorder::Instance().Add(hwnd, message, wParam, lParam);
        if (message == WM_SYSCOMMAND) {
            return 0; // closing is the test's business
        }
    }
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        HBRUSH brush = CreateSolidBrush(squareColour);
        const RECT square{10, 10, 20, 20};
        FillRect(dc, &square, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The SDL window the display made for a caption, found among the ids SDL hands out.
SDL_Window* SdlWindowOf(const std::string& caption) {
    for (Uint32 id = 1; id < 1000; ++id) {
        SDL_Window* window = SDL_GetWindowFromID(id);
        if (window != nullptr && caption == SDL_GetWindowTitle(window)) {
            return window;
        }
    }
    return nullptr;
}

// The colour of a pixel of an SDL window surface.
COLORREF ColourAt(SDL_Surface* surface, int x, int y) {
    Uint32 pixel = 0;
    std::memcpy(&pixel, static_cast<Uint8*>(surface->pixels) + y * surface->pitch + x * 4, 4);
    Uint8 r = 0;
    Uint8 g = 0;
    Uint8 b = 0;
    SDL_GetRGB(pixel, surface->format, &r, &g, &b);
    return RGB(r, g, b);
}

// Waits in GetMessageA (in the display) until a message of the kind has been dispatched.
void DispatchUntil(UINT wanted) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (message.message == wanted) {
            return;
        }
    }
}

class DisplaySdl : public ::testing::Test {
protected:
    void SetUp() override {
        squareColour = RGB(0, 200, 0);
        setenv("TOLVA_DISPLAY", "offscreen", 1);
        ASSERT_EQ(platform::InitialiseDisplay(platform::DisplayKind::Automatic), platform::DisplayKind::Sdl)
            << SDL_GetError();
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = Painting;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
        windowClass.lpszClassName = "SdlShown";
        RegisterClassExA(&windowClass);
        top = CreateWindowExA(0, "SdlShown", "Display test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 30, 160,
                              120, nullptr, nullptr, nullptr, nullptr);
        child = CreateWindowExA(0, "SdlShown", "", WS_CHILD | WS_VISIBLE, 20, 30, 50, 40, top, nullptr,
                                nullptr, nullptr);
        testhooks::PumpMessages();
        Recorder::Instance().Take();
    }
    void TearDown() override {
        DestroyWindow(top);
        UnregisterClassA("SdlShown", nullptr);
        platform::ShutdownDisplay();
        unsetenv("TOLVA_DISPLAY");
        EXPECT_EQ(platform::CurrentDisplay(), platform::DisplayKind::Null);
    }
    SDL_Event ButtonEvent(Uint32 type, int x, int y, Uint8 clicks) {
        SDL_Event event{};
        event.type = type;
        event.button.windowID = SDL_GetWindowID(SdlWindowOf("Display test"));
        event.button.button = SDL_BUTTON_LEFT;
        event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.button.clicks = clicks;
        event.button.x = x;
        event.button.y = y;
        return event;
    }
    SDL_Event KeyEvent(Uint32 type, SDL_Keycode key) {
        SDL_Event event{};
        event.type = type;
        event.key.windowID = SDL_GetWindowID(SdlWindowOf("Display test"));
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = key;
        return event;
    }
    testsupport::Watchdog watchdog;
    HWND top = nullptr;
    HWND child = nullptr;
};

} // namespace

TEST_F(DisplaySdl, TopLevelWindowGetsAnSdlWindowThatFollowsIt) {
    SDL_Window* window = SdlWindowOf("Display test");
    ASSERT_NE(window, nullptr) << "one SDL window with the caption";
    EXPECT_EQ(SdlWindowOf(""), nullptr) << "the child has none";
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 160);
    EXPECT_EQ(height, 120);
    EXPECT_TRUE(SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN);

    SetWindowTextA(top, "Renamed");
    EXPECT_STREQ(SDL_GetWindowTitle(window), "Renamed");
    MoveWindow(top, 40, 30, 200, 90, TRUE);
    SDL_GetWindowSize(window, &width, &height);
    EXPECT_EQ(width, 200);
    EXPECT_EQ(height, 90);
    // A window manager places a window where it was made, so a hidden window has no SDL window,
    // and one is made where the window is when it is shown again.
    ShowWindow(top, SW_HIDE);
    EXPECT_EQ(SdlWindowOf("Renamed"), nullptr);
    MoveWindow(top, 70, 50, 200, 90, FALSE);
    ShowWindow(top, SW_SHOW);
    window = SdlWindowOf("Renamed");
    ASSERT_NE(window, nullptr);
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window, &x, &y);
    EXPECT_EQ(x, 70);
    EXPECT_EQ(y, 50);

    const Uint32 id = SDL_GetWindowID(window);
    DestroyWindow(top);
    EXPECT_EQ(SDL_GetWindowFromID(id), nullptr) << "the SDL window went with the window";
}

TEST_F(DisplaySdl, ChangesFromAnotherThreadReachTheSdlWindow) {
    // SetWindowPos sends to the window's thread, which answers while it waits in the display.
    std::thread other([this] {
        SetWindowPos(top, nullptr, 0, 0, 100, 50, SWP_NOMOVE | SWP_NOZORDER);
        PostMessageA(top, WM_APP, 0, 0);
    });
    DispatchUntil(WM_APP);
    other.join();
    testhooks::PumpMessages();
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(SdlWindowOf("Display test"), &width, &height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 50);
}

TEST_F(DisplaySdl, PaintedPixelsReachTheSdlWindowSurface) {
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindowOf("Display test"));
    ASSERT_NE(surface, nullptr) << SDL_GetError();
    auto pixelAt = [&surface](int x, int y) { return ColourAt(surface, x, y); };
    ASSERT_EQ(surface->format->BytesPerPixel, 4);
    EXPECT_EQ(pixelAt(15, 15), RGB(0, 200, 0)) << "the top-level window's square";
    EXPECT_EQ(pixelAt(20 + 15, 30 + 15), RGB(0, 200, 0)) << "the child's square";
    EXPECT_EQ(pixelAt(5, 5), GetSysColor(COLOR_WINDOW)) << "the erased background";

    squareColour = RGB(0, 0, 255);
    InvalidateRect(child, nullptr, TRUE);
    testhooks::PumpMessages();
    surface = SDL_GetWindowSurface(SdlWindowOf("Display test"));
    EXPECT_EQ(pixelAt(20 + 15, 30 + 15), RGB(0, 0, 255)) << "a repaint of a child is presented";
    EXPECT_EQ(pixelAt(15, 15), RGB(0, 200, 0)) << "the top-level window was not repainted";
}

TEST_F(DisplaySdl, PostFromAnotherThreadWakesTheSdlWaitQuickly) {
    std::vector<double> latencies;
    for (int round = 0; round < 20; ++round) {
        std::atomic<Clock::rep> postedAt{0};
        std::thread poster([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            postedAt = Clock::now().time_since_epoch().count();
            PostMessageA(top, WM_APP, round, 0);
        });
        MSG message;
        ASSERT_TRUE(GetMessageA(&message, nullptr, WM_APP, WM_APP));
        const auto woke = Clock::now().time_since_epoch().count();
        poster.join();
        EXPECT_EQ(message.wParam, static_cast<WPARAM>(round));
        latencies.push_back(
            std::chrono::duration<double, std::milli>(Clock::duration(woke - postedAt)).count());
    }
    std::sort(latencies.begin(), latencies.end());
    RecordProperty("median_wake_ms", std::to_string(latencies[latencies.size() / 2]));
    std::printf("wake latency: median %.3f ms, worst %.3f ms\n", latencies[latencies.size() / 2],
                latencies.back());
    EXPECT_LT(latencies.back(), 50.0);
}

TEST_F(DisplaySdl, TimerEndsTheSdlWait) {
    SetTimer(top, 1, 30, nullptr);
    const auto start = Clock::now();
    MSG message;
    ASSERT_TRUE(GetMessageA(&message, nullptr, WM_TIMER, WM_TIMER));
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    KillTimer(top, 1);
    EXPECT_GE(waited, 25);
    EXPECT_LT(waited, 500);
}

TEST_F(DisplaySdl, InjectedClicksArriveAsButtonMessagesInClientCoordinates) {
    SDL_Event down = ButtonEvent(SDL_MOUSEBUTTONDOWN, 30, 45, 1);
    SDL_Event up = ButtonEvent(SDL_MOUSEBUTTONUP, 30, 45, 1);
    SDL_Event second = ButtonEvent(SDL_MOUSEBUTTONDOWN, 5, 6, 2);
    SDL_Event secondUp = ButtonEvent(SDL_MOUSEBUTTONUP, 5, 6, 2);
    // Pushed from another thread, so that only the SDL wait can notice them.
    std::thread pusher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        for (SDL_Event* event : {&down, &up, &second, &secondUp}) {
            SDL_PushEvent(event);
        }
    });
    DispatchUntil(WM_LBUTTONDBLCLK);
    DispatchUntil(WM_LBUTTONUP);
    pusher.join();
    const auto got = Recorder::Instance().Take();
    testsupport::ExpectSequence(
        got, {{child, WM_LBUTTONDOWN}, {child, WM_LBUTTONUP}, {top, WM_LBUTTONDBLCLK}, {top, WM_LBUTTONUP}},
        "two clicks");
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].lParam, MAKELPARAM(10, 15)) << "in the child's client coordinates";
    EXPECT_EQ(got[0].wParam, MK_LBUTTON);
    EXPECT_EQ(got[2].lParam, MAKELPARAM(5, 6));
}

// A window inside a static panel (a static without SS_NOTIFY, which the mouse passes through) gets
// its clicks, as Win32 looks at a window's children before the window. The right button's release
// asks for a context menu at the pointer on the screen, and a window without one passes the
// request to its parent.
TEST_F(DisplaySdl, ARightClickInsideAStaticPanelAsksTheWindowUnderItForItsMenu) {
    HWND panel = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 80, 10, 70, 70, top, nullptr,
                                 nullptr, nullptr);
    HWND inner = CreateWindowExA(0, "SdlShown", "", WS_CHILD | WS_VISIBLE, 5, 5, 50, 50, panel, nullptr,
                                 nullptr, nullptr);
    testhooks::PumpMessages();
    Recorder::Instance().Take();
    SDL_Event down = ButtonEvent(SDL_MOUSEBUTTONDOWN, 100, 30, 1);
    SDL_Event up = ButtonEvent(SDL_MOUSEBUTTONUP, 100, 30, 1);
    down.button.button = SDL_BUTTON_RIGHT;
    up.button.button = SDL_BUTTON_RIGHT;
    SDL_PushEvent(&down);
    SDL_PushEvent(&up);
    DispatchUntil(WM_RBUTTONUP);
    const auto got = Recorder::Instance().Take();
    testsupport::ExpectSequence(
        got, {{inner, WM_RBUTTONDOWN}, {inner, WM_RBUTTONUP}, {inner, WM_CONTEXTMENU}, {top, WM_CONTEXTMENU}},
        "a right click inside the panel");
    POINT screen{100, 30};
    ClientToScreen(top, &screen);
    ASSERT_GE(got.size(), 4u);
    EXPECT_EQ(got[2].lParam, MAKELPARAM(screen.x, screen.y)) << "the pointer on the screen";
    EXPECT_EQ(got[3].wParam, reinterpret_cast<WPARAM>(inner)) << "the window clicked";
    DestroyWindow(panel);
}

// From the keyboard the context menu is asked for with Shift+F10 or the menu key, at no point.
TEST_F(DisplaySdl, ShiftF10AndTheMenuKeyAskForTheContextMenu) {
    SetFocus(child);
    testhooks::PumpMessages();
    Recorder::Instance().Take();
    for (SDL_Keycode key : {SDLK_LSHIFT, SDLK_F10}) {
        SDL_Event press = KeyEvent(SDL_KEYDOWN, key);
        SDL_PushEvent(&press);
    }
    for (SDL_Keycode key : {SDLK_F10, SDLK_LSHIFT}) {
        SDL_Event release = KeyEvent(SDL_KEYUP, key);
        SDL_PushEvent(&release);
    }
    SDL_Event menuDown = KeyEvent(SDL_KEYDOWN, SDLK_APPLICATION);
    SDL_Event menuUp = KeyEvent(SDL_KEYUP, SDLK_APPLICATION);
    SDL_PushEvent(&menuDown);
    SDL_PushEvent(&menuUp);
    DispatchUntil(WM_CONTEXTMENU); // the menu key's, posted after Shift+F10's was sent
    int fromKeys = 0;
    for (const auto& message : Recorder::Instance().Take()) {
        if (message.hwnd == child && message.message == WM_CONTEXTMENU) {
            EXPECT_EQ(message.lParam, -1);
            ++fromKeys;
        }
    }
    EXPECT_EQ(fromKeys, 2) << "one for Shift+F10, one for the menu key";
}

TEST_F(DisplaySdl, InjectedKeysArriveAsKeyMessagesWithVirtualKeys) {
    SetFocus(child);
    for (SDL_Keycode key : {SDLK_a, SDLK_F5, SDLK_PAGEDOWN, SDLK_QUOTE}) {
        SDL_Event press = KeyEvent(SDL_KEYDOWN, key);
        SDL_Event release = KeyEvent(SDL_KEYUP, key);
        SDL_PushEvent(&press);
        SDL_PushEvent(&release);
    }
    for (int i = 0; i < 4; ++i) {
        DispatchUntil(WM_KEYUP);
    }
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const auto& message : Recorder::Instance().Take()) {
        EXPECT_EQ(message.hwnd, child) << "keys go to the focus window";
        got.emplace_back(message.message, message.wParam);
    }
    const std::vector<std::pair<UINT, WPARAM>> expected{
        {WM_KEYDOWN, 'A'},     {WM_CHAR, 'a'},        {WM_KEYUP, 'A'},     {WM_KEYDOWN, VK_F1 + 4},
        {WM_KEYUP, VK_F1 + 4}, {WM_KEYDOWN, VK_NEXT}, {WM_KEYUP, VK_NEXT}, {WM_KEYDOWN, VK_OEM_7},
        {WM_CHAR, '\''},       {WM_KEYUP, VK_OEM_7},
    };
    EXPECT_EQ(got, expected);
}

TEST_F(DisplaySdl, CloseButtonBecomesScClose) {
    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = SDL_GetWindowID(SdlWindowOf("Display test"));
    SDL_PushEvent(&close);
    DispatchUntil(WM_SYSCOMMAND);
    const auto got = Recorder::Instance().Take();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].hwnd, top);
    EXPECT_EQ(got[0].wParam, SC_CLOSE);
}

TEST_F(DisplaySdl, TopLevelWindowOfAnotherThreadIsShownPaintedAndGetsInput) {
    // The other thread runs a window of its own with its own message loop, as a worker with a
    // progress window would; the SDL window and its pixels still come from this thread.
    std::atomic<HWND> worker{nullptr};
    std::atomic<DWORD> workerThread{0};
    std::atomic<bool> isClicked{false};
    std::thread other([&] {
        workerThread = GetCurrentThreadId();
        HWND window = CreateWindowExA(0, "SdlShown", "Worker window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 300,
                                      30, 120, 90, nullptr, nullptr, nullptr, nullptr);
        worker = window;
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            DispatchMessageA(&message);
            if (message.message == WM_LBUTTONDOWN) {
                isClicked = true;
            }
        }
        DestroyWindow(window);
    });
    // This thread keeps serving its display while the other thread works.
    SetTimer(top, 7, 5, nullptr);
    auto serveUntil = [](const auto& isDone) {
        const auto deadline = Clock::now() + std::chrono::seconds(10);
        MSG message;
        while (!isDone() && Clock::now() < deadline && GetMessageA(&message, nullptr, 0, 0) > 0) {
            DispatchMessageA(&message);
        }
        return isDone();
    };
    SDL_Window* window = nullptr;
    ASSERT_TRUE(serveUntil([&] { return (window = SdlWindowOf("Worker window")) != nullptr; }))
        << "another thread's top-level window gets an SDL window";
    ASSERT_TRUE(serveUntil([&] { return (SDL_GetWindowFlags(window) & SDL_WINDOW_SHOWN) != 0; }));
    auto squareIsGreen = [&] { return ColourAt(SDL_GetWindowSurface(window), 15, 15) == RGB(0, 200, 0); };
    EXPECT_TRUE(serveUntil(squareIsGreen)) << "the other thread's painting is presented";
    EXPECT_FALSE(SDL_GetWindowFlags(window) & SDL_WINDOW_RESIZABLE)
        << "its surface belongs to its own thread";

    SDL_Event press{};
    press.type = SDL_MOUSEBUTTONDOWN;
    press.button.windowID = SDL_GetWindowID(window);
    press.button.button = SDL_BUTTON_LEFT;
    press.button.state = SDL_PRESSED;
    press.button.clicks = 1;
    press.button.x = 30;
    press.button.y = 20;
    SDL_PushEvent(&press);
    SDL_Event release = press;
    release.type = SDL_MOUSEBUTTONUP;
    release.button.state = SDL_RELEASED;
    SDL_PushEvent(&release);
    EXPECT_TRUE(serveUntil([&] { return isClicked.load(); }))
        << "the click reached the other thread's window";

    const Uint32 id = SDL_GetWindowID(window);
    PostThreadMessageA(workerThread, WM_QUIT, 0, 0);
    other.join();
    EXPECT_TRUE(serveUntil([&] { return SDL_GetWindowFromID(id) == nullptr; })) << "and went with it";
    KillTimer(top, 7);
}

// A caption-less popup that belongs to a window (a drop-down list) is a popup menu to SDL, which
// a window manager neither frames nor moves; a captioned one (a dialog) is a managed window.
TEST_F(DisplaySdl, AnOwnedPopupIsAPopupMenuAndAnOwnedDialogIsNot) {
    HWND list = CreateWindowExA(WS_EX_TOOLWINDOW, "SdlShown", "List", WS_POPUP | WS_BORDER | WS_VISIBLE, 60,
                                60, 80, 60, top, nullptr, nullptr, nullptr);
    HWND dialog = CreateWindowExA(0, "SdlShown", "Owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60, 80, 60,
                                  top, nullptr, nullptr, nullptr);
    HWND alone = CreateWindowExA(0, "SdlShown", "Alone", WS_POPUP | WS_VISIBLE, 60, 60, 80, 60, nullptr,
                                 nullptr, nullptr, nullptr);
    testhooks::PumpMessages();
    ASSERT_NE(SdlWindowOf("List"), nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(SdlWindowOf("List")) & SDL_WINDOW_POPUP_MENU);
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf("Owned")) & SDL_WINDOW_POPUP_MENU);
    EXPECT_FALSE(SDL_GetWindowFlags(SdlWindowOf("Alone")) & SDL_WINDOW_POPUP_MENU)
        << "a popup of its own is managed";
    DestroyWindow(list);
    DestroyWindow(dialog);
    DestroyWindow(alone);
}

TEST_F(DisplaySdl, IconsAndAnOwnerDisabledLaterReachTheDisplayWithoutHarm) {
    // The offscreen driver keeps neither icons nor modality, so this only shows that the display
    // follows such changes and keeps presenting; what the icon looks like is checked with
    // IconPixels, and the hint itself needs a window manager.
    HWND dialog = CreateWindowExA(0, "SdlShown", "Owned", WS_POPUP | WS_CAPTION | WS_VISIBLE, 60, 60, 80, 60,
                                  top, nullptr, nullptr, nullptr);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconA(nullptr, IDI_ASTERISK)));
    EnableWindow(top, FALSE);
    SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    testhooks::PumpMessages();
    SetCursor(nullptr);
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    EnableWindow(top, TRUE);
    squareColour = RGB(255, 0, 0);
    InvalidateRect(dialog, nullptr, TRUE);
    testhooks::PumpMessages();
    SDL_Surface* surface = SDL_GetWindowSurface(SdlWindowOf("Owned"));
    ASSERT_NE(surface, nullptr);
    EXPECT_EQ(ColourAt(surface, 15, 15), RGB(255, 0, 0));
    DestroyWindow(dialog);
}
