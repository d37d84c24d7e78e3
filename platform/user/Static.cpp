#include "platform/user/Static.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/Paint.h"
#include "platform/user/Resources.h"

#include <string>

namespace platform::user {

namespace {

struct StaticState {
    HFONT font = nullptr;
    HANDLE image = nullptr; // HICON or HBITMAP, by the style
};

StaticState* State(HWND hwnd) {
    return StateOf<StaticState>(hwnd);
}
DWORD Type(HWND hwnd) {
    return StyleOf(hwnd) & SS_TYPEMASK;
}

std::string TextOf(HWND hwnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hwnd)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(hwnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

// SS_ICON and SS_BITMAP name their image in the window text ("#1005" for a number).
void LoadImageFromText(HWND hwnd, LPCSTR name) {
    if (name == nullptr || name[0] == '\0') {
        return;
    }
    auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    if (Type(hwnd) == SS_ICON) {
        State(hwnd)->image = LoadIconA(instance, name);
    } else if (Type(hwnd) == SS_BITMAP) {
        State(hwnd)->image = LoadBitmapA(instance, name);
    }
}

void Create(HWND hwnd, const CREATESTRUCTA* create) {
    MakeState<StaticState>(hwnd);
    // The sunken style is the static edge of the window frame.
    if (create->style & SS_SUNKEN) {
        SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(create->dwExStyle | WS_EX_STATICEDGE));
    }
}

UINT TextFormat(DWORD style) {
    UINT format = DT_EXPANDTABS;
    switch (style & SS_TYPEMASK) {
    case SS_CENTER:
        format |= DT_CENTER | DT_WORDBREAK;
        break;
    case SS_RIGHT:
        format |= DT_RIGHT | DT_WORDBREAK;
        break;
    case SS_SIMPLE:
        format |= DT_SINGLELINE;
        break;
    case SS_LEFTNOWORDWRAP:
        break;
    default:
        format |= DT_WORDBREAK;
        break;
    }
    format |= (style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    format |= (style & SS_CENTERIMAGE) ? DT_VCENTER | DT_SINGLELINE : 0;
    format |= (style & SS_ENDELLIPSIS) ? DT_END_ELLIPSIS : 0;
    format |= (style & SS_PATHELLIPSIS) ? DT_PATH_ELLIPSIS : 0;
    return format;
}

void PaintText(HWND hwnd, HDC dc, const RECT& client, HBRUSH brush) {
    FillRect(dc, &client, brush);
    if (!IsWindowEnabled(hwnd)) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    SetBkMode(dc, TRANSPARENT);
    const std::string text = TextOf(hwnd);
    RECT area = client;
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, TextFormat(StyleOf(hwnd)));
}

void PaintImage(HWND hwnd, HDC dc, const RECT& client, HBRUSH brush) {
    FillRect(dc, &client, brush);
    const StaticState* state = State(hwnd);
    if (state->image == nullptr) {
        return;
    }
    if (Type(hwnd) == SS_ICON) {
        DrawIconEx(dc, 0, 0, static_cast<HICON>(state->image), 0, 0, 0, nullptr, DI_NORMAL);
        return;
    }
    BITMAP bitmap{};
    GetObjectA(state->image, sizeof bitmap, &bitmap);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, state->image);
    BitBlt(dc, 0, 0, bitmap.bmWidth, bitmap.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
}

// Rectangles are filled and frames drawn in the classic colours; frames leave their inside alone,
// since other windows (a progress meter) often sit in them.
void PaintShape(HWND hwnd, HDC dc, RECT client) {
    switch (Type(hwnd)) {
    case SS_BLACKRECT:
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
        break;
    case SS_GRAYRECT:
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
        break;
    case SS_WHITERECT:
        FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        break;
    case SS_BLACKFRAME:
        FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
        break;
    case SS_GRAYFRAME:
        FrameRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
        break;
    case SS_WHITEFRAME:
        FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
        break;
    case SS_ETCHEDFRAME:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_RECT);
        break;
    case SS_ETCHEDHORZ:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_TOP);
        break;
    case SS_ETCHEDVERT:
        DrawEdge(dc, &client, EDGE_ETCHED, BF_LEFT);
        break;
    default:
        break;
    }
}

void Paint(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    StaticState* state = State(hwnd);
    HGDIOBJ oldFont = SelectObject(dc, state->font ? state->font : GetStockObject(SYSTEM_FONT));
    const DWORD type = Type(hwnd);
    if (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
        type == SS_LEFTNOWORDWRAP) {
        PaintText(hwnd, dc, client, platform::ControlColours(hwnd, dc, WM_CTLCOLORSTATIC));
    } else if (type == SS_ICON || type == SS_BITMAP) {
        PaintImage(hwnd, dc, client, platform::ControlColours(hwnd, dc, WM_CTLCOLORSTATIC));
    } else if (type != SS_OWNERDRAW) {
        PaintShape(hwnd, dc, client);
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

LRESULT SetImage(HWND hwnd, HANDLE image) {
    HANDLE previous = State(hwnd)->image;
    State(hwnd)->image = image;
    InvalidateRect(hwnd, nullptr, TRUE);
    return reinterpret_cast<LRESULT>(previous);
}

} // namespace

LRESULT StaticProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Create(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        LoadImageFromText(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpszName);
        return result;
    }
    if (State(hwnd) == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<StaticState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_NCHITTEST:
        return (StyleOf(hwnd) & SS_NOTIFY) ? HTCLIENT : HTTRANSPARENT;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        if (StyleOf(hwnd) & SS_NOTIFY) {
            NotifyParent(hwnd, wParam ? STN_ENABLE : STN_DISABLE);
        }
        return 0;
    case WM_SETTEXT: {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        LoadImageFromText(hwnd, reinterpret_cast<LPCSTR>(lParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_SETFONT:
        StoreFont(hwnd, State(hwnd)->font, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(State(hwnd)->font);
    case WM_LBUTTONDOWN:
        if (StyleOf(hwnd) & SS_NOTIFY) {
            NotifyParent(hwnd, STN_CLICKED);
        }
        return 0;
    case WM_LBUTTONDBLCLK:
        if (StyleOf(hwnd) & SS_NOTIFY) {
            NotifyParent(hwnd, STN_DBLCLK);
        }
        return 0;
    case STM_SETICON:
        return SetImage(hwnd, reinterpret_cast<HANDLE>(wParam));
    case STM_SETIMAGE:
        return SetImage(hwnd, reinterpret_cast<HANDLE>(lParam));
    case STM_GETICON:
    case STM_GETIMAGE:
        return reinterpret_cast<LRESULT>(State(hwnd)->image);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace platform::user
