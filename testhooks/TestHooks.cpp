#include "testhooks/TestHooks.h"

#include "platform/display/Input.h"
#include "platform/gdi/Surface.h"
#include "platform/kernel/Threads.h"
#include "platform/kernel/Time.h"
#include "platform/user/Dialog.h"
#include "platform/user/Messages.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"
#include "testhooks/TextFitCheck.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <functional>
#include <mutex>
#include <set>
#include <vector>

namespace testhooks {

using namespace platform;

namespace {

// The button control's check query, kept here until the control brings its messages along.
constexpr UINT ButtonGetCheck = 0x00F0;
constexpr LRESULT ButtonChecked = 1;

bool SameFolded(const std::string& a, const std::string& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](unsigned char x, unsigned char y) { return std::tolower(x) == std::tolower(y); });
}

// Call with the lock held.
bool IsBelow(const user::WindowRecord& record, HWND ancestor) {
    if (ancestor == nullptr) {
        return true;
    }
    for (const user::WindowRecord* parent = user::FindWindow(record.parent); parent != nullptr;
         parent = user::FindWindow(parent->parent)) {
        if (parent->handle == ancestor) {
            return true;
        }
    }
    return false;
}

HWND FindFirst(HWND under, const std::function<bool(const user::WindowRecord&)>& matches) {
    auto lock = user::UserLock();
    // Handles grow with every window made, so the map's order is creation order.
    for (const auto& [key, record] : user::Windows()) {
        if (!record->isDestroying && IsBelow(*record, under) && matches(*record)) {
            return record->handle;
        }
    }
    return nullptr;
}

// Call with the lock held.
HWND FindControlBelow(const user::WindowRecord& record, LONG_PTR id) {
    for (HWND child : record.children) {
        const user::WindowRecord* inner = user::FindWindow(child);
        if (inner == nullptr) {
            continue;
        }
        if (inner->id == id) {
            return child;
        }
        if (HWND found = FindControlBelow(*inner, id)) {
            return found;
        }
    }
    return nullptr;
}

// The top-level window through which input for hwnd arrives.
HWND InputRoot(HWND hwnd) {
    return GetAncestor(hwnd, GA_ROOT);
}

// Another thread's window has handled what was posted to it before a marker arrives: a WM_TIMER
// naming a timer procedure, which every message loop dispatches in its turn.
std::mutex markerMutex;
std::condition_variable markerArrived;
std::set<UINT_PTR> arrivedMarkers;
std::atomic<UINT_PTR> lastMarker{0};

void MarkerProcedure(HWND, UINT, UINT_PTR marker, DWORD) {
    std::lock_guard lock(markerMutex);
    arrivedMarkers.insert(marker);
    markerArrived.notify_all();
}

// Lets the input just given be handled: by dispatching here for the calling thread's windows, or
// by waiting until the window's own thread has dispatched it. False when that thread does not
// get to it within ten seconds.
bool Settle(HWND root) {
    if (GetWindowThreadProcessId(root, nullptr) == GetCurrentThreadId()) {
        PumpMessages();
        return true;
    }
    const UINT_PTR marker = ++lastMarker;
    if (!PostMessageA(root, WM_TIMER, marker, reinterpret_cast<LPARAM>(&MarkerProcedure))) {
        return false;
    }
    std::unique_lock lock(markerMutex);
    const bool hasArrived = markerArrived.wait_for(lock, std::chrono::seconds(10),
                                                   [marker] { return arrivedMarkers.count(marker) != 0; });
    arrivedMarkers.erase(marker);
    return hasArrived;
}

struct ModifierKey {
    Modifier modifier;
    int virtualKey;
};
constexpr ModifierKey modifierKeys[] = {
    {Modifier::Control, VK_LCONTROL}, {Modifier::Alt, VK_LMENU}, {Modifier::Shift, VK_LSHIFT}};

bool Has(Modifier set, Modifier one) {
    return (static_cast<unsigned>(set) & static_cast<unsigned>(one)) != 0;
}

// Presses or releases each modifier of the set, dispatching after each as a user's pace would.
bool HoldModifiers(HWND root, Modifier modifiers, bool isDown) {
    bool isSettled = true;
    for (const ModifierKey& key : modifierKeys) {
        if (Has(modifiers, key.modifier)) {
            input::Key(root, key.virtualKey, isDown, false);
            isSettled = Settle(root) && isSettled;
        }
    }
    return isSettled;
}

struct TreeLine {
    int depth;
    HWND hwnd;
    std::string className;
    LONG_PTR id;
    RECT rect;
    bool isVisible;
    bool isEnabled;
};

// Call with the lock held.
void CollectLines(const user::WindowRecord& record, int depth, std::vector<TreeLine>& lines) {
    lines.push_back(TreeLine{depth, record.handle, record.windowClass->name, record.id, record.rect,
                             (record.style & WS_VISIBLE) != 0, (record.style & WS_DISABLED) == 0});
    for (HWND child : record.children) {
        if (const user::WindowRecord* inner = user::FindWindow(child)) {
            CollectLines(*inner, depth + 1, lines);
        }
    }
}

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}

} // namespace

COLORREF ClientPixel(HWND hwnd, int x, int y) {
    POINT origin{};
    platform::Surface* surface = platform::user::TopLevelSurfaceOf(hwnd, origin);
    if (surface == nullptr) {
        return 0xFFFFFFFF;
    }
    const SIZE size = SurfaceSize(surface);
    const int px = origin.x + x;
    const int py = origin.y + y;
    if (px < 0 || py < 0 || px >= size.cx || py >= size.cy) {
        return 0xFFFFFFFF;
    }
    int stride = 0;
    const uint8_t* pixels = SurfacePixels(surface, &stride);
    const uint32_t pixel = *reinterpret_cast<const uint32_t*>(pixels + py * stride + px * 4);
    return RGB(static_cast<BYTE>((pixel >> 16) & 0xFF), static_cast<BYTE>((pixel >> 8) & 0xFF),
               static_cast<BYTE>(pixel & 0xFF));
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        // Keys for a dialog go through its keyboard interface, as a dialog's message loop does.
        HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
        if (root != nullptr && platform::IsDialogWindow(root) && IsDialogMessageA(root, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

} // namespace testhooks

namespace testhooks {

HWND FindWindowByClass(const std::string& className, HWND under) {
    return FindFirst(under, [&](const user::WindowRecord& record) {
        return SameFolded(record.windowClass->name, className);
    });
}

HWND FindWindowByCaption(const std::string& caption, HWND under) {
    return FindFirst(under, [&](const user::WindowRecord& record) { return record.text == caption; });
}

HWND FindControl(HWND parent, int id) {
    auto lock = user::UserLock();
    const user::WindowRecord* record = user::FindWindow(parent);
    return record ? FindControlBelow(*record, id) : nullptr;
}

std::string WindowText(HWND hwnd) {
    std::string text(static_cast<size_t>(std::max(GetWindowTextLengthA(hwnd), 0)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

bool IsShown(HWND hwnd) {
    return IsWindowVisible(hwnd) != FALSE;
}

bool IsEnabled(HWND hwnd) {
    return IsWindowEnabled(hwnd) != FALSE;
}

bool IsChecked(HWND hwnd) {
    char className[64] = {};
    if (GetClassNameA(hwnd, className, sizeof className) == 0 || !SameFolded(className, "BUTTON")) {
        return false;
    }
    return SendMessageA(hwnd, ButtonGetCheck, 0, 0) == ButtonChecked;
}

bool Click(HWND hwnd) {
    RECT client{};
    if (!GetClientRect(hwnd, &client)) {
        return false;
    }
    return ClickAt(hwnd, POINT{client.right / 2, client.bottom / 2});
}

bool ClickAt(HWND hwnd, POINT client) {
    HWND root = InputRoot(hwnd);
    if (root == nullptr) {
        return false;
    }
    POINT point = client;
    MapWindowPoints(hwnd, root, &point, 1);
    input::MouseMove(root, point);
    bool isSettled = Settle(root);
    input::MouseButtonEvent(root, point, input::MouseButton::Left, input::ButtonAction::Down);
    isSettled = Settle(root) && isSettled;
    input::MouseButtonEvent(root, point, input::MouseButton::Left, input::ButtonAction::Up);
    return Settle(root) && isSettled;
}

namespace {

// One mouse event at a point in hwnd's client coordinates, then dispatch.
bool MouseEventAt(HWND hwnd, POINT client, input::ButtonAction action) {
    HWND root = InputRoot(hwnd);
    if (root == nullptr) {
        return false;
    }
    POINT point = client;
    MapWindowPoints(hwnd, root, &point, 1);
    input::MouseMove(root, point);
    const bool isSettled = Settle(root);
    input::MouseButtonEvent(root, point, input::MouseButton::Left, action);
    return Settle(root) && isSettled;
}

} // namespace

bool PressMouseAt(HWND hwnd, POINT client) {
    return MouseEventAt(hwnd, client, input::ButtonAction::Down);
}

bool ReleaseMouseAt(HWND hwnd, POINT client) {
    return MouseEventAt(hwnd, client, input::ButtonAction::Up);
}

bool MoveMouseTo(HWND hwnd, POINT client) {
    HWND root = InputRoot(hwnd);
    if (root == nullptr) {
        return false;
    }
    POINT point = client;
    MapWindowPoints(hwnd, root, &point, 1);
    input::MouseMove(root, point);
    return Settle(root);
}

bool DoubleClickAt(HWND hwnd, POINT client) {
    // A double click is a click followed by a second press that the display reports as double.
    return ClickAt(hwnd, client) && MouseEventAt(hwnd, client, input::ButtonAction::DoubleClick) &&
           MouseEventAt(hwnd, client, input::ButtonAction::Up);
}

bool TurnWheel(HWND hwnd, int notches) {
    HWND root = InputRoot(hwnd);
    RECT client{};
    if (root == nullptr || !GetClientRect(hwnd, &client)) {
        return false;
    }
    POINT point{client.right / 2, client.bottom / 2};
    MapWindowPoints(hwnd, root, &point, 1);
    input::MouseWheel(root, point, notches);
    return Settle(root);
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    do {
        PumpMessages();
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
    PumpMessages();
}

bool PressKey(HWND hwnd, int virtualKey, Modifier modifiers) {
    HWND root = InputRoot(hwnd);
    if (root == nullptr) {
        return false;
    }
    // A user types into the window that has the focus; give it to hwnd unless it holds it already.
    // Another thread's window types into that thread's focus window.
    HWND focus = GetFocus();
    if (GetWindowThreadProcessId(root, nullptr) == GetCurrentThreadId() && focus != hwnd &&
        IsChild(hwnd, focus) == FALSE) {
        SetFocus(hwnd);
    }
    bool isSettled = HoldModifiers(root, modifiers, true);
    input::Key(root, virtualKey, true, false);
    isSettled = Settle(root) && isSettled;
    input::Key(root, virtualKey, false, false);
    isSettled = Settle(root) && isSettled;
    return HoldModifiers(root, modifiers, false) && isSettled;
}

bool TypeText(HWND hwnd, const std::string& text) {
    for (const char c : text) {
        const SHORT scan = VkKeyScanA(c);
        if (scan == -1) {
            return false;
        }
        Modifier modifiers = Modifier::None;
        modifiers = (scan & 0x100) ? modifiers | Modifier::Shift : modifiers;
        modifiers = (scan & 0x200) ? modifiers | Modifier::Control : modifiers;
        modifiers = (scan & 0x400) ? modifiers | Modifier::Alt : modifiers;
        if (!PressKey(hwnd, scan & 0xFF, modifiers)) {
            return false;
        }
    }
    return true;
}

std::string DumpWindowTree(HWND root) {
    std::vector<TreeLine> lines;
    {
        auto lock = user::UserLock();
        if (const user::WindowRecord* record = user::FindWindow(root)) {
            CollectLines(*record, 0, lines);
        }
    }
    std::string dump;
    for (const TreeLine& line : lines) {
        char rect[96];
        std::snprintf(rect, sizeof rect, "(%ld,%ld)-(%ld,%ld)", static_cast<long>(line.rect.left),
                      static_cast<long>(line.rect.top), static_cast<long>(line.rect.right),
                      static_cast<long>(line.rect.bottom));
        dump += std::string(static_cast<size_t>(line.depth) * 2, ' ');
        dump += line.className + " id=" + std::to_string(line.id) + " " + Quoted(WindowText(line.hwnd)) +
                " " + rect;
        dump += line.isVisible ? " visible" : " hidden";
        dump += line.isEnabled ? " enabled" : " disabled";
        dump += IsChecked(line.hwnd) ? " checked" : " unchecked";
        dump += line.isVisible && IsTextClipped(line.hwnd) ? " CLIPPED\n" : "\n";
    }
    return dump;
}

} // namespace testhooks
