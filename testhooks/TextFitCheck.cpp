#include "testhooks/TextFitCheck.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/Text.h"
#include "platform/user/Button.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Static.h"
#include "platform/user/Windows.h"

#include <string>
#include <strings.h>

namespace testhooks {

using namespace platform;

namespace {

// The room each control leaves its text, as its painting lays it out.
constexpr int PushTextInset = 3;                // frame and bevel of a push button on each side
constexpr int CheckBoxRoom = 13 + 4;            // the box and the gap before the text
constexpr int GroupCaptionInset = 9;            // the caption starts past the frame's corner, on each side
constexpr int ComboFieldInset = 2 + 17 + 2 + 4; // edges, drop button, item and text insets
constexpr int ComboHeightInset = 2 * 2;

std::string TextOf(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    GetWindowTextA(hwnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(length));
    return text;
}

std::string ClassOf(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

// The rectangle DrawText needs for the text in the given width: one line, or wrapped at words.
RECT Measure(HWND hwnd, const std::string& text, int width, bool isWrapped) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ previous = font != nullptr ? SelectObject(dc, font) : nullptr;
    RECT needed{0, 0, width, 0};
    const UINT format = DT_CALCRECT | DT_EXPANDTABS | (isWrapped ? DT_WORDBREAK : DT_SINGLELINE);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed, format);
    if (previous != nullptr) {
        SelectObject(dc, previous);
    }
    ReleaseDC(hwnd, dc);
    return needed;
}

bool Exceeds(const RECT& needed, int width, int height) {
    return needed.right - needed.left > width || needed.bottom - needed.top > height;
}

} // namespace

bool IsTextClipped(HWND control) {
    const std::string text = TextOf(control);
    if (text.empty()) {
        return false;
    }
    RECT client{};
    GetClientRect(control, &client);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(control, GWL_STYLE));
    const std::string className = ClassOf(control);
    if (strcasecmp(className.c_str(), "Static") == 0) {
        const DWORD type = style & SS_TYPEMASK;
        if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_SIMPLE &&
            type != SS_LEFTNOWORDWRAP) {
            return false;
        }
        if (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)) {
            return false;
        }
        const bool isWrapped =
            type != SS_SIMPLE && type != SS_LEFTNOWORDWRAP && (style & SS_CENTERIMAGE) == 0;
        return Exceeds(Measure(control, text, width, isWrapped), width, height);
    }
    if (strcasecmp(className.c_str(), "Button") == 0) {
        const DWORD type = style & BS_TYPEMASK;
        if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) {
            const int room = width - 2 * PushTextInset;
            return Exceeds(Measure(control, text, room, false), room, height - 2 * PushTextInset);
        }
        if (type == BS_GROUPBOX) {
            const int room = width - 2 * GroupCaptionInset;
            return Exceeds(Measure(control, text, room, false), room, height);
        }
        if (type == BS_OWNERDRAW) {
            return false;
        }
        const int room = width - CheckBoxRoom;
        return Exceeds(Measure(control, text, room, (style & BS_MULTILINE) != 0), room, height);
    }
    if (strcasecmp(className.c_str(), "ComboBox") == 0 && (style & 0x3) == CBS_DROPDOWNLIST) {
        const int room = width - ComboFieldInset;
        return Exceeds(Measure(control, text, room, false), room, height - ComboHeightInset);
    }
    return false;
}

} // namespace testhooks
