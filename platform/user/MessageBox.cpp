#include "platform/user/MessageBox.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Text.h"
#include "platform/user/Button.h"
#include "platform/user/Dialog.h"
#include "platform/user/DialogTemplateWriter.h"
#include "platform/user/Messages.h"
#include "platform/user/Sound.h"
#include "platform/user/Static.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int IconId = 0xFFFF; // the icon and text statics take ids no button answer uses
constexpr int TextId = 0xFFFE;
constexpr short ButtonWidth = 50;
constexpr short ButtonHeight = 14;
constexpr short ButtonGap = 6;
constexpr short Border = 8;
constexpr int FontPoints = 8;
constexpr const char* FontFace = "Arial";

struct ButtonSpec {
    int id;
    const char* text;
};

std::vector<ButtonSpec> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
        return {{IDABORT, "&Abort"}, {IDRETRY, "&Retry"}, {IDIGNORE, "&Ignore"}};
    case MB_YESNOCANCEL:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
        return {{IDYES, "&Yes"}, {IDNO, "&No"}};
    case MB_RETRYCANCEL:
        return {{IDRETRY, "&Retry"}, {IDCANCEL, "Cancel"}};
    default:
        return {{IDOK, "OK"}};
    }
}

WORD IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return 32513;
    case MB_ICONQUESTION:
        return 32514;
    case MB_ICONEXCLAMATION:
        return 32515;
    case MB_ICONASTERISK:
        return 32516;
    default:
        return 0;
    }
}

// The text's size in dialog units when laid out at most `maxWidth` pixels wide.
SIZE TextUnits(const std::string& text, SIZE& baseUnits) {
    HFONT font = CreateFontA(-((FontPoints * 96 + 36) / 72), 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0,
                             0, 0, 0, FontFace);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE letters{};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    baseUnits = SIZE{std::max<LONG>((letters.cx / 26 + 1) / 2, 1), std::max<LONG>(metrics.tmHeight, 1)};
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN) * 2 / 3, 0};
    DrawTextA(dc, text.c_str(), -1, &area, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    return SIZE{(area.right * 4 + baseUnits.cx - 1) / baseUnits.cx + 1,
                (area.bottom * 8 + baseUnits.cy - 1) / baseUnits.cy};
}

// The width in dialog units a title bar needs to show the whole caption: its text in a bold face a
// point larger than the box's (as title bars set it, here and on the desktops the program meets),
// the small icon before it and up to four buttons after it.
LONG CaptionUnits(const std::string& caption, const SIZE& baseUnits) {
    HFONT font = CreateFontA(-(((FontPoints + 1) * 96 + 36) / 72), 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                             0, 0, 0, 0, FontFace);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE text{};
    GetTextExtentPoint32A(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(font);
    const LONG pixels =
        text.cx + GetSystemMetrics(SM_CXSMICON) + 4 * GetSystemMetrics(SM_CXSIZE) + 4 * Border;
    return (pixels * 4 + baseUnits.cx - 1) / baseUnits.cx;
}

platform::DialogTemplateWriter BuildTemplate(const std::string& text, const std::string& caption, UINT type) {
    const std::vector<ButtonSpec> buttons = ButtonsOf(type);
    const WORD icon = IconOf(type);
    SIZE base{};
    const SIZE textSize = TextUnits(text, base);
    const short iconUnits = static_cast<short>((32 * 4 + base.cx - 1) / base.cx);
    const short textLeft = static_cast<short>(icon ? Border + iconUnits + Border : Border);
    const short iconHeight = static_cast<short>((32 * 8 + base.cy - 1) / base.cy);
    const short textHeight = static_cast<short>(std::max<LONG>(textSize.cy, icon ? iconHeight : 0));
    const short buttonsWidth =
        static_cast<short>(buttons.size() * ButtonWidth + (buttons.size() - 1) * ButtonGap);
    // As wide as the text, the buttons and the whole caption need, so no title bar shortens it.
    const short width = static_cast<short>(std::max<LONG>(
        {textLeft + textSize.cx + Border, buttonsWidth + 2 * Border, CaptionUnits(caption, base)}));
    const short buttonTop = static_cast<short>(Border + textHeight + Border);
    const short height = static_cast<short>(buttonTop + ButtonHeight + Border);

    size_t defaultIndex = ((type & MB_DEFMASK) >> 8);
    defaultIndex = defaultIndex < buttons.size() ? defaultIndex : 0;
    using Class = platform::DialogItemClass;
    platform::DialogTemplateWriter out(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER, width,
                                       height, caption, FontFace, static_cast<WORD>(FontPoints));
    if (icon) {
        out.OrdinalItem(Class::Static, SS_ICON, Border, Border, iconUnits, iconHeight, IconId, icon);
    }
    const short textTop = static_cast<short>(Border + (textHeight - textSize.cy) / 2);
    out.Item(Class::Static, SS_LEFT | SS_NOPREFIX | WS_GROUP, textLeft, textTop,
             static_cast<short>(textSize.cx), static_cast<short>(textSize.cy), TextId, text);
    short x = static_cast<short>((width - buttonsWidth) / 2);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const DWORD style =
            (i == defaultIndex ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP | (i == 0 ? WS_GROUP : 0);
        out.Item(Class::Button, style, x, buttonTop, ButtonWidth, ButtonHeight, buttons[i].id,
                 buttons[i].text);
        x = static_cast<short>(x + ButtonWidth + ButtonGap);
    }
    return out;
}

struct BoxState {
    UINT type;
};

bool HasButton(UINT type, int id) {
    const std::vector<ButtonSpec> buttons = ButtonsOf(type);
    return std::any_of(buttons.begin(), buttons.end(),
                       [id](const ButtonSpec& button) { return button.id == id; });
}

INT_PTR BoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        const auto* state = reinterpret_cast<const BoxState*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
        const size_t defaultIndex = (state->type & MB_DEFMASK) >> 8;
        const std::vector<ButtonSpec> buttons = ButtonsOf(state->type);
        const int focusId = buttons[defaultIndex < buttons.size() ? defaultIndex : 0].id;
        SendMessageA(hwnd, DM_SETDEFID, static_cast<WPARAM>(focusId), 0);
        SetFocus(GetDlgItem(hwnd, focusId));
        MessageBeep(state->type & MB_ICONMASK);
        return FALSE; // the focus is set
    }
    case WM_COMMAND: {
        const auto* state = reinterpret_cast<const BoxState*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        const int id = LOWORD(wParam);
        if (HasButton(state->type, id)) {
            EndDialog(hwnd, id);
        } else if (id == IDCANCEL && (state->type & MB_TYPEMASK) == MB_OK) {
            EndDialog(hwnd, IDOK); // Esc closes a box that offers only OK
        }
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

int MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, WORD) {
    const platform::DialogTemplateWriter layout =
        BuildTemplate(lpText ? lpText : "", lpCaption ? lpCaption : "Error", uType);
    BoxState state{uType};
    const INT_PTR answer = DialogBoxIndirectParamA(nullptr, layout.Template(), hWnd, BoxProcedure,
                                                   reinterpret_cast<LPARAM>(&state));
    return answer < 0 ? 0 : static_cast<int>(answer);
}

int MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
    return MessageBoxExA(hWnd, lpText, lpCaption, uType, 0);
}
