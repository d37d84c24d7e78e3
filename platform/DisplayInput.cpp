#include "platform/DisplayInput.h"

#include "platform/UserMessages.h"
#include "platform/UserScrollBar.h"
#include "platform/UserScrollBars.h"
#include "platform/UserState.h"
#include "platform/UserWindows.h"

#include <strings.h>

using namespace platform::user;

// FIXME: WM_NCHITTEST is sent only for points on a window's frame, and WM_SETCURSOR and
// WM_MOUSEACTIVATE are not sent before mouse messages, so
// a click does not activate an inactive top-level window by itself; and key messages carry no
// scan code in bits 16 to 23.

namespace platform::input {

namespace {

constexpr int WheelDelta = 120; // one notch of the wheel, as Win32 counts it

struct Target {
    HWND hwnd = nullptr;
    POINT client{};  // the point in the target's client coordinates
    POINT screen{};
    bool isOnFrame = false; // outside the target's client area, without a capture
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
    return (same("Button") && (record.style & 0x000F) == 0x0007) || (same("Static") && (record.style & 0x0100) == 0);
}

// The deepest visible window under a point given in record's client coordinates.
const WindowRecord* DeepestAt(const WindowRecord& record, POINT point) {
    for (HWND child : record.children) {
        const WindowRecord* inner = FindWindow(child);
        if (inner == nullptr || (inner->style & WS_VISIBLE) == 0 || !Contains(inner->rect, point) ||
            IsTransparentToMouse(*inner)) {
            continue;
        }
        const POINT offset = ClientOffsetOf(*inner);
        return DeepestAt(*inner, POINT{point.x - inner->rect.left - offset.x, point.y - inner->rect.top - offset.y});
    }
    return &record;
}

// Where a mouse message goes: the capture window of the top-level window's thread wins, else the
// window under the point. A disabled window takes no mouse input.
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
    const bool isCaptured = record != nullptr;
    if (record == nullptr) {
        record = DeepestAt(*root, point);
        if (record->style & WS_DISABLED) {
            return target;
        }
    }
    const POINT mine = ClientOriginOnScreen(*record);
    target.hwnd = record->handle;
    target.client = POINT{target.screen.x - mine.x, target.screen.y - mine.y};
    target.isOnFrame = !isCaptured && !Contains(ClientRectOf(*record), target.client);
    return target;
}

// A mouse message on a window's frame becomes its non-client twin, with the hit-test code and the
// screen point, where the window's hit test names a part of the frame (its scroll bars); anywhere
// else it stays a client message. While one of its scroll bars is held, all the window's mouse
// messages go to that bar, as Win32's tracking loop takes them, so the window's own procedure
// cannot swallow the release.
UINT FrameMessage(const Target& target, UINT message, WPARAM& wParam, LPARAM& lParam) {
    const LRESULT tracked = TrackedScrollBarHit(target.hwnd);
    if (!target.isOnFrame && tracked == HTNOWHERE) {
        return message;
    }
    const LPARAM screen = MAKELPARAM(static_cast<WORD>(target.screen.x), static_cast<WORD>(target.screen.y));
    const LRESULT hit = tracked != HTNOWHERE ? tracked : SendMessageA(target.hwnd, WM_NCHITTEST, 0, screen);
    if (hit == HTCLIENT || hit == HTNOWHERE) {
        return message;
    }
    wParam = static_cast<WPARAM>(hit);
    lParam = screen;
    return message - WM_MOUSEMOVE + WM_NCMOUSEMOVE;
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

LPARAM PointParam(POINT point) { return MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)); }

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
    if (target.hwnd != nullptr) {
        WPARAM wParam = MouseKeys();
        LPARAM lParam = PointParam(target.client);
        const UINT message = FrameMessage(target, WM_MOUSEMOVE, wParam, lParam);
        PostMessageA(target.hwnd, message, wParam, lParam);
    }
}

void MouseButtonEvent(HWND topLevel, POINT point, MouseButton button, ButtonAction action) {
    const ButtonMessages messages = MessagesOf(button);
    const Target target = MouseTarget(topLevel, point);
    SetCursorPos(target.screen.x, target.screen.y);
    // The button's own state is in wParam of a press and no longer in that of a release.
    SetKeyDown(messages.virtualKey, action != ButtonAction::Up);
    if (target.hwnd == nullptr) {
        return;
    }
    UINT message = messages.down;
    if (action == ButtonAction::Up) {
        message = messages.up;
    } else if (action == ButtonAction::DoubleClick && HasDoubleClicks(target.hwnd)) {
        message = messages.doubleClick;
    }
    WPARAM wParam = MouseKeys();
    LPARAM lParam = PointParam(target.client);
    message = FrameMessage(target, message, wParam, lParam);
    PostMessageA(target.hwnd, message, wParam, lParam);
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
    lParam |= IsExtendedKey(virtualKey) ? (1 << 24) : 0;
    lParam |= isAltHeld ? (1 << 29) : 0;
    lParam |= (!isDown || isRepeat) ? (1 << 30) : 0;
    lParam |= !isDown ? static_cast<LPARAM>(1u << 31) : 0;
    const UINT message = isDown ? (isSystem ? WM_SYSKEYDOWN : WM_KEYDOWN) : (isSystem ? WM_SYSKEYUP : WM_KEYUP);
    PostMessageA(hwnd, message, static_cast<WPARAM>(key), lParam);
}

} // namespace platform::input
