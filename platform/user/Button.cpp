#include "platform/user/Button.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/Paint.h"

namespace platform::user {

namespace {

struct ButtonState {
    WPARAM check = BST_UNCHECKED;
    bool isPressed = false;  // drawn pushed in
    bool isTracking = false; // the left button went down on it and is held
    bool hasFocus = false;
    HFONT font = nullptr;
};

ButtonState* State(HWND hwnd) {
    return StateOf<ButtonState>(hwnd);
}

DWORD Type(HWND hwnd) {
    return StyleOf(hwnd) & BS_TYPEMASK;
}

bool IsPush(DWORD type) {
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_PUSHBOX;
}
bool IsCheck(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE || type == BS_AUTO3STATE;
}
bool IsRadio(DWORD type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void SetPressed(HWND hwnd, bool isPressed) {
    ButtonState* state = State(hwnd);
    if (state->isPressed != isPressed) {
        state->isPressed = isPressed;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
}

void SetCheck(HWND hwnd, WPARAM check) {
    ButtonState* state = State(hwnd);
    const DWORD type = Type(hwnd);
    if (!IsCheck(type) && !IsRadio(type)) {
        return;
    }
    if (check == BST_INDETERMINATE && type != BS_3STATE && type != BS_AUTO3STATE) {
        check = BST_CHECKED;
    }
    if (state->check != check) {
        state->check = check;
        InvalidateRect(hwnd, nullptr, FALSE);
    }
    // A checked radio button is its group's tab stop, as Win32 arranges it.
    if (IsRadio(type)) {
        const LONG style = GetWindowLongA(hwnd, GWL_STYLE);
        const LONG wanted = check == BST_CHECKED ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        if (wanted != style) {
            SetWindowLongA(hwnd, GWL_STYLE, wanted);
        }
    }
}

// Unchecks the other automatic radio buttons of the group that holds hwnd.
void UncheckGroup(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    HWND start = hwnd;
    while (!(GetWindowLongA(start, GWL_STYLE) & WS_GROUP)) {
        HWND previous = GetWindow(start, GW_HWNDPREV);
        if (previous == nullptr) {
            break;
        }
        start = previous;
    }
    for (HWND sibling = start; sibling != nullptr; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling != start && (GetWindowLongA(sibling, GWL_STYLE) & WS_GROUP)) {
            break;
        }
        if (sibling != hwnd && GetParent(sibling) == parent &&
            SendMessageA(sibling, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON &&
            (GetWindowLongA(sibling, GWL_STYLE) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) {
            SendMessageA(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
        }
    }
}

// A completed click: the automatic styles change their check, then the parent hears BN_CLICKED.
void Click(HWND hwnd) {
    ButtonState* state = State(hwnd);
    switch (Type(hwnd)) {
    case BS_AUTOCHECKBOX:
        SetCheck(hwnd, state->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
        break;
    case BS_AUTO3STATE:
        SetCheck(hwnd, (state->check + 1) % 3);
        break;
    case BS_AUTORADIOBUTTON:
        SetCheck(hwnd, BST_CHECKED);
        UncheckGroup(hwnd);
        break;
    default:
        break;
    }
    NotifyParent(hwnd, BN_CLICKED);
}

LRESULT DialogCode(HWND hwnd) {
    const DWORD type = Type(hwnd);
    if (type == BS_DEFPUSHBUTTON) {
        return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
    }
    if (IsPush(type)) {
        return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
    }
    if (IsRadio(type)) {
        return DLGC_BUTTON | DLGC_RADIOBUTTON;
    }
    if (type == BS_GROUPBOX) {
        return DLGC_STATIC;
    }
    return DLGC_BUTTON;
}

// The text in the colours of the context, or etched grey when the button is disabled.
void DrawLabel(HDC dc, HWND hwnd, RECT area, UINT format) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    SetBkMode(dc, TRANSPARENT);
    if (IsWindowEnabled(hwnd)) {
        DrawTextA(dc, text, -1, &area, format);
        return;
    }
    RECT shifted{area.left + 1, area.top + 1, area.right + 1, area.bottom + 1};
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextA(dc, text, -1, &shifted, format);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    DrawTextA(dc, text, -1, &area, format);
}

UINT HorizontalFormat(DWORD style, UINT fallback) {
    switch (style & BS_CENTER) {
    case BS_LEFT:
        return DT_LEFT;
    case BS_RIGHT:
        return DT_RIGHT;
    case BS_CENTER:
        return DT_CENTER;
    default:
        return fallback;
    }
}

void PaintPush(HWND hwnd, HDC dc, RECT rect, const ButtonState& state) {
    const bool isDefault = Type(hwnd) == BS_DEFPUSHBUTTON;
    if (isDefault) {
        FrameRect(dc, &rect, GetSysColorBrush(COLOR_WINDOWFRAME));
        rect = RECT{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    }
    const bool isDown = state.isPressed || state.check == BST_CHECKED;
    DrawFrameControl(dc, &rect, DFC_BUTTON, DFCS_BUTTONPUSH | (isDown ? DFCS_PUSHED : 0));
    RECT text{rect.left + 2, rect.top + 2, rect.right - 2, rect.bottom - 2};
    if (isDown) {
        text = RECT{text.left + 1, text.top + 1, text.right + 1, text.bottom + 1};
    }
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    DrawLabel(dc, hwnd, text, HorizontalFormat(StyleOf(hwnd), DT_CENTER) | DT_VCENTER | DT_SINGLELINE);
    if (state.hasFocus) {
        const RECT focus{rect.left + 3, rect.top + 3, rect.right - 3, rect.bottom - 3};
        DrawFocusRect(dc, &focus);
    }
}

// Check boxes and radio buttons: the 13-pixel box beside the text, on the left, or on the right
// with BS_LEFTTEXT.
void PaintBox(HWND hwnd, HDC dc, RECT rect, const ButtonState& state) {
    const DWORD style = StyleOf(hwnd);
    constexpr int Box = 13;
    const bool isLeftText = (style & BS_LEFTTEXT) != 0;
    const int top = rect.top + (rect.bottom - rect.top - Box) / 2;
    RECT box{rect.left, top, rect.left + Box, top + Box};
    RECT text{rect.left + Box + 4, rect.top, rect.right, rect.bottom};
    if (isLeftText) {
        box = RECT{rect.right - Box, top, rect.right, top + Box};
        text = RECT{rect.left, rect.top, rect.right - Box - 4, rect.bottom};
    }
    UINT flags = IsRadio(Type(hwnd)) ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK;
    flags |= state.check != BST_UNCHECKED ? DFCS_CHECKED : 0;
    flags |= state.isPressed ? DFCS_PUSHED : 0;
    flags |= IsWindowEnabled(hwnd) ? 0 : DFCS_INACTIVE;
    DrawFrameControl(dc, &box, DFC_BUTTON, flags);
    const UINT wrap = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
    DrawLabel(dc, hwnd, text, HorizontalFormat(style, DT_LEFT) | wrap);
    if (state.hasFocus) {
        RECT measured = text;
        char label[512] = {};
        GetWindowTextA(hwnd, label, sizeof label);
        DrawTextA(dc, label, -1, &measured, DT_CALCRECT | DT_SINGLELINE);
        const int height = measured.bottom - measured.top;
        const int textTop = text.top + (text.bottom - text.top - height) / 2;
        const RECT focus{text.left - 1, textTop - 1, measured.right + 1, textTop + height + 1};
        DrawFocusRect(dc, &focus);
    }
}

// A group box draws only its etched frame and its caption: the controls it groups lie inside it
// and must not be painted over.
void PaintGroup(HWND hwnd, HDC dc, RECT rect, HBRUSH brush) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    RECT frame{rect.left, rect.top + metrics.tmHeight / 2, rect.right, rect.bottom};
    DrawEdge(dc, &frame, EDGE_ETCHED, BF_RECT);
    if (text[0] != '\0') {
        RECT caption{rect.left + 8, rect.top, rect.right - 8, rect.top + metrics.tmHeight};
        DrawTextA(dc, text, -1, &caption, DT_CALCRECT | DT_SINGLELINE);
        caption = RECT{caption.left - 2, caption.top, caption.right + 2, caption.bottom};
        FillRect(dc, &caption, brush);
        caption = RECT{caption.left + 2, caption.top, caption.right - 2, caption.bottom};
        DrawLabel(dc, hwnd, caption, DT_LEFT | DT_SINGLELINE);
    }
}

void Paint(HWND hwnd) {
    ButtonState* state = State(hwnd);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    HGDIOBJ oldFont = SelectObject(dc, state->font ? state->font : GetStockObject(SYSTEM_FONT));
    const DWORD type = Type(hwnd);
    // Push buttons ask for WM_CTLCOLORBTN; the boxes and group boxes draw on the parent's static
    // colours, as in Win32.
    HBRUSH brush = platform::ControlColours(hwnd, dc, IsPush(type) ? WM_CTLCOLORBTN : WM_CTLCOLORSTATIC);
    if (type == BS_GROUPBOX) {
        PaintGroup(hwnd, dc, client, brush);
    } else {
        FillRect(dc, &client, brush);
        if (IsPush(type)) {
            PaintPush(hwnd, dc, client, *state);
        } else {
            PaintBox(hwnd, dc, client, *state);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

void SetFocusState(HWND hwnd, bool hasFocus) {
    ButtonState* state = State(hwnd);
    state->hasFocus = hasFocus;
    if (!hasFocus && state->isPressed && !state->isTracking) {
        state->isPressed = false;
    }
    InvalidateRect(hwnd, nullptr, FALSE);
    if (StyleOf(hwnd) & BS_NOTIFY) {
        NotifyParent(hwnd, hasFocus ? BN_SETFOCUS : BN_KILLFOCUS);
    }
}

void MouseDown(HWND hwnd) {
    if (Type(hwnd) == BS_GROUPBOX || !IsWindowEnabled(hwnd)) {
        return;
    }
    SetFocus(hwnd);
    SetCapture(hwnd);
    State(hwnd)->isTracking = true;
    SetPressed(hwnd, true);
}

void MouseMove(HWND hwnd, LPARAM lParam) {
    if (!State(hwnd)->isTracking) {
        return;
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    SetPressed(hwnd, x >= 0 && y >= 0 && x < client.right && y < client.bottom);
}

void MouseUp(HWND hwnd) {
    ButtonState* state = State(hwnd);
    if (!state->isTracking) {
        return;
    }
    state->isTracking = false;
    const bool wasPressed = state->isPressed;
    SetPressed(hwnd, false);
    ReleaseCapture();
    if (wasPressed) {
        Click(hwnd);
    }
}

void KeyDown(HWND hwnd, WPARAM key, LPARAM lParam) {
    const bool isRepeat = (lParam & 0x40000000) != 0;
    if (key == VK_SPACE && !isRepeat && Type(hwnd) != BS_GROUPBOX) {
        SetPressed(hwnd, true);
    }
}

void KeyUp(HWND hwnd, WPARAM key) {
    if (key == VK_SPACE && State(hwnd)->isPressed && !State(hwnd)->isTracking) {
        SetPressed(hwnd, false);
        Click(hwnd);
    }
}

LRESULT PackedState(HWND hwnd) {
    const ButtonState* state = State(hwnd);
    return static_cast<LRESULT>(state->check) | (state->isPressed ? BST_PUSHED : 0) |
           (state->hasFocus ? BST_FOCUS : 0);
}

void SetStyle(HWND hwnd, WPARAM style, LPARAM redraw) {
    const DWORD current = StyleOf(hwnd);
    SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>((current & ~0xFFFFu) | (style & 0xFFFF)));
    if (redraw) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

} // namespace

LRESULT ButtonProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        MakeState<ButtonState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (State(hwnd) == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<ButtonState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
        return DialogCode(hwnd);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ENABLE:
    case WM_STYLECHANGED:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        StoreFont(hwnd, State(hwnd)->font, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(State(hwnd)->font);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(hwnd);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(hwnd, lParam);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(hwnd);
        return 0;
    case WM_CAPTURECHANGED:
        if (State(hwnd)->isTracking && reinterpret_cast<HWND>(lParam) != hwnd) {
            State(hwnd)->isTracking = false;
            SetPressed(hwnd, false);
        }
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, wParam, lParam);
        return 0;
    case WM_KEYUP:
        KeyUp(hwnd, wParam);
        return 0;
    case WM_SETFOCUS:
        SetFocusState(hwnd, true);
        return 0;
    case WM_KILLFOCUS:
        SetFocusState(hwnd, false);
        return 0;
    case BM_GETCHECK:
        return static_cast<LRESULT>(State(hwnd)->check);
    case BM_SETCHECK:
        SetCheck(hwnd, wParam);
        return 0;
    case BM_GETSTATE:
        return PackedState(hwnd);
    case BM_SETSTATE:
        SetPressed(hwnd, wParam != 0);
        return 0;
    case BM_SETSTYLE:
        SetStyle(hwnd, wParam, lParam);
        return 0;
    case BM_CLICK:
        if (IsWindowEnabled(hwnd) && Type(hwnd) != BS_GROUPBOX) {
            Click(hwnd);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace platform::user
