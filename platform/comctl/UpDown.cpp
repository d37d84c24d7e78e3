#include "platform/comctl/UpDown.h"

#include "platform/gdi/Edges.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/ScrollBarModel.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <utility>

namespace platform::user {

namespace {

constexpr UINT_PTR RepeatTimer = 1;

enum class Arrow { None, Up, Down };

struct UpDownState {
    int lower = 100; // Win32's initial range runs backwards
    int upper = 0;
    int position = 0;
    HWND buddy = nullptr;
    Arrow pressed = Arrow::None;
    bool isRepeating = false;
};

// Buddies whose keys the arrows take (UDS_ARROWKEYS), with the procedure they had before.
struct BuddyLink {
    HWND upDown;
    WNDPROC previous;
};
std::mutex buddiesMutex;
std::map<HWND, BuddyLink>& Buddies() {
    static auto* buddies = new std::map<HWND, BuddyLink>;
    return *buddies;
}

UpDownState* State(HWND hwnd) {
    return StateOf<UpDownState>(hwnd);
}

// Takes the position from the buddy's text when it holds a number in range; false when it holds
// something else.
bool ReadBuddy(HWND hwnd, UpDownState& state) {
    if (state.buddy == nullptr || (StyleOf(hwnd) & UDS_SETBUDDYINT) == 0) {
        return true;
    }
    char text[32] = {};
    GetWindowTextA(state.buddy, text, sizeof text);
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end != text && *end == '\0' && value >= std::min(state.lower, state.upper) &&
        value <= std::max(state.lower, state.upper)) {
        state.position = static_cast<int>(value);
        return true;
    }
    return false;
}

void WriteBuddy(HWND hwnd, const UpDownState& state) {
    if (state.buddy != nullptr && (StyleOf(hwnd) & UDS_SETBUDDYINT)) {
        SetWindowTextA(state.buddy, std::to_string(state.position).c_str());
    }
}

void Report(HWND hwnd, const UpDownState& state, WORD code) {
    SendMessageA(GetParent(hwnd), (StyleOf(hwnd) & UDS_HORZ) ? WM_HSCROLL : WM_VSCROLL,
                 MAKEWPARAM(code, static_cast<WORD>(code == SB_THUMBPOSITION ? state.position : 0)),
                 reinterpret_cast<LPARAM>(hwnd));
}

// One step towards the upper end (up) or the lower end, after the parent agreed.
void Step(HWND hwnd, UpDownState& state, bool isUp) {
    if (!IsWindowEnabled(hwnd)) {
        return;
    }
    ReadBuddy(hwnd, state);
    const int direction = state.upper >= state.lower ? 1 : -1;
    NMUPDOWN change{NoticeHeader(hwnd, UDN_DELTAPOS), state.position, isUp ? direction : -direction};
    if (SendNotice(hwnd, change.hdr) != 0) {
        return; // refused
    }
    const int low = std::min(state.lower, state.upper);
    const int high = std::max(state.lower, state.upper);
    int wanted = state.position + change.iDelta;
    if (wanted < low || wanted > high) {
        wanted = (StyleOf(hwnd) & UDS_WRAP) ? (wanted < low ? high : low) : std::clamp(wanted, low, high);
    }
    if (wanted != state.position) {
        state.position = wanted;
        WriteBuddy(hwnd, state);
    }
    Report(hwnd, state, SB_THUMBPOSITION);
}

RECT ArrowRect(HWND hwnd, Arrow arrow) {
    RECT client{};
    GetClientRect(hwnd, &client);
    if (StyleOf(hwnd) & UDS_HORZ) {
        const LONG middle = client.right / 2;
        return arrow == Arrow::Up ? RECT{middle, 0, client.right, client.bottom}
                                  : RECT{0, 0, middle, client.bottom};
    }
    const LONG middle = client.bottom / 2;
    return arrow == Arrow::Up ? RECT{0, 0, client.right, middle}
                              : RECT{0, middle, client.right, client.bottom};
}

Arrow ArrowAt(HWND hwnd, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    for (Arrow arrow : {Arrow::Up, Arrow::Down}) {
        const RECT rect = ArrowRect(hwnd, arrow);
        if (point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom) {
            return arrow;
        }
    }
    return Arrow::None;
}

void Paint(HWND hwnd, const UpDownState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    const bool isHorizontal = (StyleOf(hwnd) & UDS_HORZ) != 0;
    const UINT inactive = IsWindowEnabled(hwnd) ? 0 : DFCS_INACTIVE;
    for (Arrow arrow : {Arrow::Up, Arrow::Down}) {
        RECT rect = ArrowRect(hwnd, arrow);
        const UINT kind = arrow == Arrow::Up ? (isHorizontal ? DFCS_SCROLLRIGHT : DFCS_SCROLLUP)
                                             : (isHorizontal ? DFCS_SCROLLLEFT : DFCS_SCROLLDOWN);
        DrawFrameControl(dc, &rect, DFC_SCROLL, kind | inactive | (state.pressed == arrow ? DFCS_PUSHED : 0));
    }
    EndPaint(hwnd, &paint);
}

void Press(HWND hwnd, UpDownState& state, LPARAM lParam) {
    const Arrow arrow = ArrowAt(hwnd, lParam);
    if (arrow == Arrow::None) {
        return;
    }
    if (state.buddy != nullptr && GetFocus() != state.buddy) {
        SetFocus(state.buddy);
    }
    state.pressed = arrow;
    state.isRepeating = false;
    SetCapture(hwnd);
    SetTimer(hwnd, RepeatTimer, ScrollFirstDelay, nullptr);
    InvalidateRect(hwnd, nullptr, FALSE);
    Step(hwnd, state, arrow == Arrow::Up);
}

void Release(HWND hwnd, UpDownState& state) {
    if (state.pressed == Arrow::None) {
        return;
    }
    state.pressed = Arrow::None;
    KillTimer(hwnd, RepeatTimer);
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    Report(hwnd, state, SB_ENDSCROLL);
}

void Repeat(HWND hwnd, UpDownState& state) {
    if (state.pressed == Arrow::None) {
        return;
    }
    if (!std::exchange(state.isRepeating, true)) {
        SetTimer(hwnd, RepeatTimer, ScrollRepeatDelay, nullptr);
    }
    Step(hwnd, state, state.pressed == Arrow::Up);
}

// --- The buddy ----------------------------------------------------------------------------------

LRESULT BuddyProcedure(HWND buddy, UINT message, WPARAM wParam, LPARAM lParam) {
    BuddyLink link{};
    {
        std::lock_guard lock(buddiesMutex);
        auto found = Buddies().find(buddy);
        if (found == Buddies().end()) {
            return DefWindowProcA(buddy, message, wParam, lParam);
        }
        link = found->second;
        if (message == WM_NCDESTROY) {
            Buddies().erase(found);
        }
    }
    UpDownState* state = IsWindow(link.upDown) ? State(link.upDown) : nullptr;
    if (state != nullptr && (message == WM_KEYDOWN || message == WM_KEYUP) &&
        (wParam == VK_UP || wParam == VK_DOWN)) {
        if (message == WM_KEYDOWN) {
            Step(link.upDown, *state, wParam == VK_UP);
        } else {
            Report(link.upDown, *state, SB_ENDSCROLL);
        }
        return 0;
    }
    return CallWindowProcA(link.previous, buddy, message, wParam, lParam);
}

void LinkKeys(HWND hwnd, HWND buddy) {
    std::lock_guard lock(buddiesMutex);
    auto& buddies = Buddies();
    if (buddies.count(buddy) != 0) {
        buddies[buddy].upDown = hwnd;
        return;
    }
    const auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(buddy, GWLP_WNDPROC));
    buddies[buddy] = BuddyLink{hwnd, previous};
    SetWindowLongPtrA(buddy, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(BuddyProcedure));
}

// Places the arrows beside the buddy, which gives up their width.
void Align(HWND hwnd, HWND buddy) {
    const DWORD style = StyleOf(hwnd);
    if ((style & (UDS_ALIGNRIGHT | UDS_ALIGNLEFT)) == 0 || GetParent(buddy) != GetParent(hwnd)) {
        return;
    }
    RECT rect{};
    GetWindowRect(buddy, &rect);
    POINT corner{rect.left, rect.top};
    ScreenToClient(GetParent(hwnd), &corner);
    RECT own{};
    GetWindowRect(hwnd, &own);
    const int width = own.right - own.left;
    const int buddyWidth = std::max<int>(rect.right - rect.left - width, 0);
    const int height = rect.bottom - rect.top;
    if (style & UDS_ALIGNRIGHT) {
        MoveWindow(buddy, corner.x, corner.y, buddyWidth, height, TRUE);
        MoveWindow(hwnd, corner.x + buddyWidth, corner.y, width, height, TRUE);
    } else {
        MoveWindow(buddy, corner.x + width, corner.y, buddyWidth, height, TRUE);
        MoveWindow(hwnd, corner.x, corner.y, width, height, TRUE);
    }
}

HWND SetBuddy(HWND hwnd, UpDownState& state, HWND buddy) {
    HWND previous = std::exchange(state.buddy, IsWindow(buddy) ? buddy : nullptr);
    if (state.buddy == nullptr) {
        return previous;
    }
    Align(hwnd, state.buddy);
    if (StyleOf(hwnd) & UDS_ARROWKEYS) {
        LinkKeys(hwnd, state.buddy);
    }
    WriteBuddy(hwnd, state);
    return previous;
}

LRESULT SetPosition(HWND hwnd, UpDownState& state, int position) {
    const int previous = state.position;
    state.position =
        std::clamp(position, std::min(state.lower, state.upper), std::max(state.lower, state.upper));
    WriteBuddy(hwnd, state);
    return previous;
}

LRESULT RangeMessage(HWND hwnd, UpDownState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case UDM_SETRANGE:
        state.lower = static_cast<SHORT>(HIWORD(lParam));
        state.upper = static_cast<SHORT>(LOWORD(lParam));
        return 0;
    case UDM_GETRANGE:
        return MAKELONG(static_cast<WORD>(state.upper), static_cast<WORD>(state.lower));
    case UDM_SETRANGE32:
        state.lower = static_cast<int>(wParam);
        state.upper = static_cast<int>(lParam);
        return 0;
    case UDM_GETRANGE32:
        if (wParam != 0) {
            *reinterpret_cast<int*>(wParam) = state.lower;
        }
        if (lParam != 0) {
            *reinterpret_cast<int*>(lParam) = state.upper;
        }
        return 0;
    case UDM_SETPOS:
        return SetPosition(hwnd, state, static_cast<SHORT>(LOWORD(lParam)));
    case UDM_SETPOS32:
        return SetPosition(hwnd, state, static_cast<int>(lParam));
    case UDM_GETPOS: {
        const bool isValid = ReadBuddy(hwnd, state);
        return MAKELONG(static_cast<WORD>(state.position), static_cast<WORD>(isValid ? 0 : 1));
    }
    case UDM_GETPOS32: {
        const bool isValid = ReadBuddy(hwnd, state);
        if (lParam != 0) {
            *reinterpret_cast<BOOL*>(lParam) = isValid ? FALSE : TRUE;
        }
        return state.position;
    }
    case UDM_SETBUDDY:
        return reinterpret_cast<LRESULT>(SetBuddy(hwnd, state, reinterpret_cast<HWND>(wParam)));
    case UDM_GETBUDDY:
        return reinterpret_cast<LRESULT>(state.buddy);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

LRESULT UpDownProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        MakeState<UpDownState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    UpDownState* state = State(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        if (StyleOf(hwnd) & UDS_AUTOBUDDY) {
            SetBuddy(hwnd, *state, GetWindow(hwnd, GW_HWNDPREV));
        }
        return 0;
    case WM_NCDESTROY:
        DropState<UpDownState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd, *state);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        Press(hwnd, *state, lParam);
        return 0;
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
        Release(hwnd, *state);
        return 0;
    case WM_TIMER:
        if (wParam == RepeatTimer) {
            Repeat(hwnd, *state);
        }
        return 0;
    default:
        return RangeMessage(hwnd, *state, message, wParam, lParam);
    }
}

} // namespace platform::user
