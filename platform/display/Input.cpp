#include "platform/display/Input.h"

#include "platform/kernel/Threads.h"
#include "platform/user/Messages.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/State.h"
#include "platform/user/Windows.h"

#include <strings.h>

using namespace platform::user;

// How a mouse event becomes messages, as Win32 delivers hardware input: the window under the
// mouse (the capture window when there is one) is asked for its hit test; a disabled window counts
// as HTERROR. A press on a window whose top-level window is not active first asks it with
// WM_MOUSEACTIVATE whether to activate and whether to eat the click. Without a capture the window
// then gets WM_SETCURSOR; an event on a disabled window, or nowhere, ends there. What is left is
// posted as a client message, or as its non-client twin where the hit test names a part of the
// frame. Keys carry the scan code of a PC keyboard in bits 16 to 23.

namespace platform::input {

namespace {

constexpr int WheelDelta = 120; // one notch of the wheel, as Win32 counts it

struct Target {
    HWND hwnd = nullptr;
    POINT client{}; // the point in the target's client coordinates
    POINT screen{};
    bool isCaptured = false;
    bool isDisabled = false; // the window under the mouse takes no input
};

bool Contains(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// Group boxes, and static controls without SS_NOTIFY, answer WM_NCHITTEST with HTTRANSPARENT in
// Win32, so the mouse reaches the controls they frame or cover. The answer is known from the
// class and style, which can be read here under the lock without calling the procedure.
bool IsTransparentToMouse(const WindowRecord& record) {
    const std::string& name = record.windowClass->name;
    const auto same = [&name](const char* other) { return strcasecmp(name.c_str(), other) == 0; };
    return (same("Button") && (record.style & 0x000F) == 0x0007) ||
           (same("Static") && (record.style & 0x0100) == 0);
}

// The deepest visible window under a point given in record's client coordinates. The children of
// a window transparent to the mouse are looked at first, as Win32 looks at every window's
// children before the window: a control inside a static panel gets its clicks.
const WindowRecord* DeepestAt(const WindowRecord& record, POINT point) {
    for (HWND child : record.children) {
        const WindowRecord* inner = FindWindow(child);
        if (inner == nullptr || (inner->style & WS_VISIBLE) == 0 || !Contains(inner->rect, point)) {
            continue;
        }
        const POINT offset = ClientOffsetOf(*inner);
        const WindowRecord* deepest = DeepestAt(
            *inner, POINT{point.x - inner->rect.left - offset.x, point.y - inner->rect.top - offset.y});
        if (deepest != inner || !IsTransparentToMouse(*inner)) {
            return deepest;
        }
    }
    return &record;
}

// Where a mouse message goes: the capture window of the top-level window's thread wins, else the
// window under the point.
Target MouseTarget(HWND topLevel, POINT point) {
    auto lock = UserLock();
    const WindowRecord* root = FindWindow(topLevel);
    if (root == nullptr) {
        return {};
    }
    const POINT origin = ClientOriginOnScreen(*root);
    Target target;
    target.screen = POINT{origin.x + point.x, origin.y + point.y};
    const WindowRecord* record = FindWindow(QueueOf(root->threadId).capture);
    target.isCaptured = record != nullptr;
    if (record == nullptr) {
        record = DeepestAt(*root, point);
        target.isDisabled = (record->style & WS_DISABLED) != 0;
    }
    const POINT mine = ClientOriginOnScreen(*record);
    target.hwnd = record->handle;
    target.client = POINT{target.screen.x - mine.x, target.screen.y - mine.y};
    return target;
}

LPARAM PointParam(POINT point) {
    return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y));
}

// The hit test of the target: while one of its scroll bars is held, all the window's mouse
// messages go to that bar, as Win32's tracking loop takes them, so the window's own procedure
// cannot swallow the release; a captured mouse is in the client area.
LRESULT HitTestOf(const Target& target) {
    if (const LRESULT tracked = TrackedScrollBarHit(target.hwnd); tracked != HTNOWHERE) {
        return tracked;
    }
    if (target.isCaptured) {
        return HTCLIENT;
    }
    if (target.isDisabled) {
        return HTERROR;
    }
    return SendMessageA(target.hwnd, WM_NCHITTEST, 0, PointParam(target.screen));
}

// Asks the window under the mouse whether a press activates its top-level window; returns whether
// the press is eaten. Only the calling thread's windows can be activated from here.
bool MouseActivate(const Target& target, LRESULT hit, UINT message) {
    HWND root = GetAncestor(target.hwnd, GA_ROOT);
    if (root == nullptr || root == GetActiveWindow() ||
        GetWindowThreadProcessId(root, nullptr) != GetCurrentThreadId()) {
        return false;
    }
    const LRESULT answer = SendMessageA(target.hwnd, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(root),
                                        MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
    if (answer == MA_NOACTIVATE || answer == MA_NOACTIVATEANDEAT) {
        return answer == MA_NOACTIVATEANDEAT;
    }
    if (IsWindow(root)) {
        SetActiveWindow(root);
    }
    return answer == MA_ACTIVATEANDEAT;
}

// The steps every mouse message of a point takes, up to posting it; the message is the client one.
void DeliverMouse(const Target& target, UINT message, WPARAM wParam) {
    if (target.hwnd == nullptr) {
        return;
    }
    const LRESULT hit = HitTestOf(target);
    const bool isPress = message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN ||
                         message == WM_MBUTTONDOWN || message == WM_LBUTTONDBLCLK ||
                         message == WM_RBUTTONDBLCLK || message == WM_MBUTTONDOWN + 2;
    bool isEaten = false;
    if (isPress && !target.isCaptured && hit != HTERROR && hit != HTNOWHERE) {
        isEaten = MouseActivate(target, hit, message);
    }
    if (!target.isCaptured && IsWindow(target.hwnd)) {
        SendMessageA(target.hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(target.hwnd),
                     MAKELPARAM(static_cast<WORD>(hit), static_cast<WORD>(message)));
    }
    if (isEaten || hit == HTERROR || hit == HTNOWHERE || hit == HTTRANSPARENT) {
        return;
    }
    LPARAM lParam = PointParam(target.client);
    if (hit != HTCLIENT) {
        wParam = static_cast<WPARAM>(hit);
        lParam = PointParam(target.screen);
        message = message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
    }
    PostMessageA(target.hwnd, message, wParam, lParam);
}

// Where a key goes: the focus window of the top-level window's thread, else its active window,
// else the top-level window itself.
HWND KeyTarget(HWND topLevel) {
    auto lock = UserLock();
    const WindowRecord* root = FindWindow(topLevel);
    if (root == nullptr) {
        return nullptr;
    }
    const ThreadQueue& queue = QueueOf(root->threadId);
    for (HWND candidate : {queue.focus, queue.active, topLevel}) {
        if (FindWindow(candidate) != nullptr) {
            return candidate;
        }
    }
    return nullptr;
}

bool HasDoubleClicks(HWND hwnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    return record != nullptr && (record->windowClass->style & CS_DBLCLKS) != 0;
}

WPARAM MouseKeys() {
    WPARAM keys = 0;
    keys |= GetKeyState(VK_LBUTTON) < 0 ? MK_LBUTTON : 0;
    keys |= GetKeyState(VK_RBUTTON) < 0 ? MK_RBUTTON : 0;
    keys |= GetKeyState(VK_MBUTTON) < 0 ? MK_MBUTTON : 0;
    keys |= GetKeyState(VK_SHIFT) < 0 ? MK_SHIFT : 0;
    keys |= GetKeyState(VK_CONTROL) < 0 ? MK_CONTROL : 0;
    return keys;
}

int GenericKey(int virtualKey) {
    switch (virtualKey) {
    case VK_LSHIFT:
    case VK_RSHIFT:
        return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL:
        return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU:
        return VK_MENU;
    default:
        return virtualKey;
    }
}

// Win32 marks the keys of the navigation block and the right-hand modifiers as extended.
bool IsExtendedKey(int virtualKey) {
    return (virtualKey >= VK_PRIOR && virtualKey <= VK_DOWN) || virtualKey == VK_INSERT ||
           virtualKey == VK_DELETE || virtualKey == VK_RCONTROL || virtualKey == VK_RMENU ||
           virtualKey == VK_DIVIDE;
}

struct ButtonMessages {
    int virtualKey;
    UINT down;
    UINT up;
    UINT doubleClick;
};

ButtonMessages MessagesOf(MouseButton button) {
    switch (button) {
    case MouseButton::Right:
        return {VK_RBUTTON, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
    case MouseButton::Middle:
        return {VK_MBUTTON, WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDOWN + 2};
    case MouseButton::Left:
    default:
        return {VK_LBUTTON, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
    }
}

} // namespace

void MouseMove(HWND topLevel, POINT point) {
    const Target target = MouseTarget(topLevel, point);
    SetCursorPos(target.screen.x, target.screen.y);
    DeliverMouse(target, WM_MOUSEMOVE, MouseKeys());
}

void MouseButtonEvent(HWND topLevel, POINT point, MouseButton button, ButtonAction action) {
    const ButtonMessages messages = MessagesOf(button);
    const Target target = MouseTarget(topLevel, point);
    SetCursorPos(target.screen.x, target.screen.y);
    // The button's own state is in wParam of a press and no longer in that of a release.
    SetKeyDown(messages.virtualKey, action != ButtonAction::Up);
    UINT message = messages.down;
    if (action == ButtonAction::Up) {
        message = messages.up;
    } else if (action == ButtonAction::DoubleClick && HasDoubleClicks(target.hwnd)) {
        message = messages.doubleClick;
    }
    DeliverMouse(target, message, MouseKeys());
}

void MouseWheel(HWND topLevel, POINT point, int notches) {
    // The wheel turns the focus window, as in Win32, and reports the cursor on the screen.
    const Target target = MouseTarget(topLevel, point);
    HWND hwnd = KeyTarget(topLevel);
    if (hwnd == nullptr) {
        hwnd = target.hwnd;
    }
    if (hwnd == nullptr || notches == 0) {
        return;
    }
    const WPARAM wParam = MAKEWPARAM(static_cast<WORD>(MouseKeys()), static_cast<WORD>(notches * WheelDelta));
    PostMessageA(hwnd, WM_MOUSEWHEEL, wParam, PointParam(target.screen));
}

void Key(HWND topLevel, int virtualKey, bool isDown, bool isRepeat) {
    // Alt counts as held for its own press and for its own release, as Win32 reports it.
    if (isDown) {
        SetKeyDown(virtualKey, true);
    }
    const bool isAltHeld = GetKeyState(VK_MENU) < 0;
    const bool isControlHeld = GetKeyState(VK_CONTROL) < 0;
    if (!isDown) {
        SetKeyDown(virtualKey, false);
    }
    HWND hwnd = KeyTarget(topLevel);
    if (hwnd == nullptr) {
        return;
    }
    const int key = GenericKey(virtualKey);
    // Alt with Ctrl is AltGr on most keyboards, which types; F10 alone opens the menu bar.
    const bool isSystem = (isAltHeld && !isControlHeld) || key == VK_F10;
    LPARAM lParam = 1; // repeat count
    lParam |= static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(virtualKey), MAPVK_VK_TO_VSC)) << 16;
    lParam |= IsExtendedKey(virtualKey) ? (1 << 24) : 0;
    lParam |= isAltHeld ? (1 << 29) : 0;
    lParam |= (!isDown || isRepeat) ? (1 << 30) : 0;
    lParam |= !isDown ? static_cast<LPARAM>(1u << 31) : 0;
    const UINT message =
        isDown ? (isSystem ? WM_SYSKEYDOWN : WM_KEYDOWN) : (isSystem ? WM_SYSKEYUP : WM_KEYUP);
    PostMessageA(hwnd, message, static_cast<WPARAM>(key), lParam);
}

} // namespace platform::input
