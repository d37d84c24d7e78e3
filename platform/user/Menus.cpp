#include "platform/user/Menus.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/kernel/Errors.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <cctype>
#include <mutex>
#include <set>
#include <string>
#include <vector>

struct HMENU__ {
    struct Item {
        UINT flags;
        UINT_PTR id;
        std::string text;
    };
    std::vector<Item> items;
};

namespace {

constexpr int Border = 3; // the raised frame around the items
constexpr int SeparatorHeight = 8;
constexpr int TextIndent = 18; // room for the check mark
constexpr int TextRightMargin = 12;

std::mutex menusMutex;
std::set<HMENU> menus;

HMENU Valid(HMENU menu) {
    std::lock_guard lock(menusMutex);
    if (menus.count(menu) == 0) {
        SetLastError(ERROR_INVALID_MENU_HANDLE);
        return nullptr;
    }
    return menu;
}

HMENU__::Item* FindItem(HMENU menu, UINT which, UINT flags) {
    if (!Valid(menu)) {
        return nullptr;
    }
    if (flags & MF_BYPOSITION) {
        return which < menu->items.size() ? &menu->items[which] : nullptr;
    }
    for (HMENU__::Item& item : menu->items) {
        if (!(item.flags & MF_SEPARATOR) && item.id == which) {
            return &item;
        }
    }
    return nullptr;
}

bool Selectable(const HMENU__::Item& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

// The text as shown: the ampersand marks the mnemonic and is not drawn; "&&" is one ampersand.
char Mnemonic(const std::string& text) {
    for (size_t at = 0; at + 1 < text.size(); ++at) {
        if (text[at] == '&') {
            if (text[at + 1] != '&') {
                return static_cast<char>(std::toupper(static_cast<unsigned char>(text[at + 1])));
            }
            ++at;
        }
    }
    return '\0';
}

// What one open menu knows while TrackPopupMenu runs; the menu window holds a pointer to it.
struct Tracking {
    HMENU menu = nullptr;
    HWND window = nullptr;
    int highlighted = -1;
    int itemHeight = 0;
    bool done = false;
    UINT_PTR chosen = 0;
};

HFONT MenuFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int ItemTop(const Tracking& tracking, int index) {
    int top = Border;
    for (int at = 0; at < index; ++at) {
        top += (tracking.menu->items[at].flags & MF_SEPARATOR) ? SeparatorHeight : tracking.itemHeight;
    }
    return top;
}

int ItemAt(const Tracking& tracking, POINT point) {
    RECT client{};
    GetClientRect(tracking.window, &client);
    if (point.x < 0 || point.x >= client.right) {
        return -1;
    }
    for (int index = 0; index < static_cast<int>(tracking.menu->items.size()); ++index) {
        const int top = ItemTop(tracking, index);
        const int height =
            (tracking.menu->items[index].flags & MF_SEPARATOR) ? SeparatorHeight : tracking.itemHeight;
        if (point.y >= top && point.y < top + height) {
            return index;
        }
    }
    return -1;
}

void Highlight(Tracking& tracking, int index) {
    if (index != tracking.highlighted) {
        tracking.highlighted = index;
        InvalidateRect(tracking.window, nullptr, TRUE);
    }
}

// The next selectable item from the highlighted one in a direction, wrapping; -1 when none.
int NextSelectable(const Tracking& tracking, int direction) {
    const int count = static_cast<int>(tracking.menu->items.size());
    int index = tracking.highlighted;
    for (int step = 0; step < count; ++step) {
        index = index < 0 ? (direction > 0 ? 0 : count - 1) : (index + direction + count) % count;
        if (Selectable(tracking.menu->items[index])) {
            return index;
        }
    }
    return -1;
}

void Choose(Tracking& tracking, int index) {
    if (index >= 0 && Selectable(tracking.menu->items[index])) {
        tracking.chosen = tracking.menu->items[index].id;
        tracking.done = true;
    }
}

void Paint(Tracking& tracking) {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(tracking.window, &paint);
    RECT client{};
    GetClientRect(tracking.window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_MENU));
    RECT frame = client;
    DrawEdge(dc, &frame, EDGE_RAISED, BF_RECT);
    HGDIOBJ previousFont = SelectObject(dc, MenuFont());
    SetBkMode(dc, TRANSPARENT);
    for (int index = 0; index < static_cast<int>(tracking.menu->items.size()); ++index) {
        const HMENU__::Item& item = tracking.menu->items[index];
        const int top = ItemTop(tracking, index);
        if (item.flags & MF_SEPARATOR) {
            RECT line{Border + 1, top + SeparatorHeight / 2 - 1, client.right - Border - 1,
                      top + SeparatorHeight / 2 + 1};
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            continue;
        }
        RECT row{Border, top, client.right - Border, top + tracking.itemHeight};
        const bool lit = index == tracking.highlighted && Selectable(item);
        if (lit) {
            FillRect(dc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        const bool grey = (item.flags & (MF_GRAYED | MF_DISABLED)) != 0;
        SetTextColor(dc, GetSysColor(grey ? COLOR_GRAYTEXT : lit ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT));
        if (item.flags & MF_CHECKED) {
            RECT mark{row.left + 2, row.top, row.left + TextIndent, row.bottom};
            DrawTextA(dc, "\xD7", 1, &mark, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        }
        RECT text{row.left + TextIndent, row.top, row.right - TextRightMargin, row.bottom};
        DrawTextA(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
                  DT_LEFT | DT_VCENTER | DT_SINGLELINE);
    }
    SelectObject(dc, previousFont);
    EndPaint(tracking.window, &paint);
}

void HandleKey(Tracking& tracking, WPARAM key) {
    switch (key) {
    case VK_UP:
        Highlight(tracking, NextSelectable(tracking, -1));
        break;
    case VK_DOWN:
        Highlight(tracking, NextSelectable(tracking, 1));
        break;
    case VK_HOME:
        tracking.highlighted = -1;
        Highlight(tracking, NextSelectable(tracking, 1));
        break;
    case VK_END:
        tracking.highlighted = -1;
        Highlight(tracking, NextSelectable(tracking, -1));
        break;
    case VK_RETURN:
        Choose(tracking, tracking.highlighted);
        break;
    case VK_ESCAPE:
    case VK_MENU:
    case VK_F10:
        tracking.done = true;
        break;
    default:
        break;
    }
}

void HandleCharacter(Tracking& tracking, WPARAM character) {
    const char wanted = static_cast<char>(std::toupper(static_cast<int>(character & 0xFF)));
    for (int index = 0; index < static_cast<int>(tracking.menu->items.size()); ++index) {
        const HMENU__::Item& item = tracking.menu->items[index];
        if (Selectable(item) && Mnemonic(item.text) == wanted) {
            Choose(tracking, index);
            return;
        }
    }
}

// The size of the menu window: the widest text and the items' heights inside the frame.
SIZE MeasureMenu(Tracking& tracking) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ previousFont = SelectObject(dc, MenuFont());
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    tracking.itemHeight = metrics.tmHeight + 4;
    int width = 60;
    for (const HMENU__::Item& item : tracking.menu->items) {
        RECT text{0, 0, 0, 0};
        DrawTextA(dc, item.text.c_str(), static_cast<int>(item.text.size()), &text,
                  DT_CALCRECT | DT_SINGLELINE);
        width = std::max(width, static_cast<int>(text.right) + TextIndent + TextRightMargin);
    }
    SelectObject(dc, previousFont);
    ReleaseDC(nullptr, dc);
    return SIZE{width + 2 * Border,
                ItemTop(tracking, static_cast<int>(tracking.menu->items.size())) + Border};
}

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR ||
           message == WM_KEYUP || message == WM_SYSKEYUP;
}

} // namespace

HMENU CreatePopupMenu() {
    auto* menu = new HMENU__;
    std::lock_guard lock(menusMutex);
    menus.insert(menu);
    return menu;
}

BOOL DestroyMenu(HMENU hMenu) {
    {
        std::lock_guard lock(menusMutex);
        if (menus.erase(hMenu) == 0) {
            SetLastError(ERROR_INVALID_MENU_HANDLE);
            return FALSE;
        }
    }
    delete hMenu;
    return TRUE;
}

BOOL IsMenu(HMENU hMenu) {
    std::lock_guard lock(menusMutex);
    return menus.count(hMenu) != 0;
}

BOOL AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem) {
    if (!Valid(hMenu)) {
        return FALSE;
    }
    if (!(uFlags & MF_SEPARATOR) && lpNewItem == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    hMenu->items.push_back(
        {uFlags, uIDNewItem, (uFlags & MF_SEPARATOR) ? std::string() : std::string(lpNewItem)});
    return TRUE;
}

int GetMenuItemCount(HMENU hMenu) {
    return Valid(hMenu) ? static_cast<int>(hMenu->items.size()) : -1;
}

UINT GetMenuItemID(HMENU hMenu, int nPos) {
    const HMENU__::Item* item = nPos < 0 ? nullptr : FindItem(hMenu, static_cast<UINT>(nPos), MF_BYPOSITION);
    return item && !(item->flags & MF_SEPARATOR) ? static_cast<UINT>(item->id) : static_cast<UINT>(-1);
}

UINT EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable) {
    HMENU__::Item* item = FindItem(hMenu, uIDEnableItem, uEnable);
    if (item == nullptr) {
        return static_cast<UINT>(-1);
    }
    const UINT previous = item->flags & (MF_GRAYED | MF_DISABLED);
    item->flags = (item->flags & ~(MF_GRAYED | MF_DISABLED)) | (uEnable & (MF_GRAYED | MF_DISABLED));
    return previous;
}

DWORD CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck) {
    HMENU__::Item* item = FindItem(hMenu, uIDCheckItem, uCheck);
    if (item == nullptr) {
        return static_cast<DWORD>(-1);
    }
    const DWORD previous = item->flags & MF_CHECKED;
    item->flags = (item->flags & ~MF_CHECKED) | (uCheck & MF_CHECKED);
    return previous;
}

int GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags) {
    const HMENU__::Item* item = FindItem(hMenu, uIDItem, flags);
    if (item == nullptr) {
        return 0;
    }
    const int length = static_cast<int>(item->text.size());
    if (lpString == nullptr || cchMax <= 0) {
        return length;
    }
    const int copied = std::min(length, cchMax - 1);
    item->text.copy(lpString, copied);
    lpString[copied] = '\0';
    return copied;
}

BOOL TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int, HWND hWnd, const RECT*) {
    if (!Valid(hMenu) || !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const bool notify = !(uFlags & TPM_NONOTIFY);
    if (notify) {
        SendMessageA(hWnd, WM_ENTERMENULOOP, TRUE, 0);
        SendMessageA(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(hMenu), 0);
    }
    Tracking tracking;
    tracking.menu = hMenu;
    const SIZE size = MeasureMenu(tracking);
    if (uFlags & TPM_RIGHTALIGN) {
        x -= size.cx;
    } else if (uFlags & TPM_CENTERALIGN) {
        x -= size.cx / 2;
    }
    if (uFlags & TPM_BOTTOMALIGN) {
        y -= size.cy;
    } else if (uFlags & TPM_VCENTERALIGN) {
        y -= size.cy / 2;
    }
    // Keep the menu on the screen.
    x = std::clamp(x, 0, std::max(0, GetSystemMetrics(SM_CXSCREEN) - static_cast<int>(size.cx)));
    y = std::clamp(y, 0, std::max(0, GetSystemMetrics(SM_CYSCREEN) - static_cast<int>(size.cy)));
    tracking.window = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", nullptr, WS_POPUP, x, y,
                                      size.cx, size.cy, hWnd, nullptr, nullptr, &tracking);
    if (tracking.window == nullptr) {
        return FALSE;
    }
    ShowWindow(tracking.window, SW_SHOWNOACTIVATE);
    UpdateWindow(tracking.window);
    SetCapture(tracking.window);

    MSG message{};
    bool quit = false;
    while (!tracking.done && IsWindow(tracking.window)) {
        if (!GetMessageA(&message, nullptr, 0, 0)) {
            quit = true;
            break;
        }
        // The keys of the thread belong to the open menu.
        if (IsKeyMessage(message.message)) {
            message.hwnd = tracking.window;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (GetCapture() == tracking.window) {
        ReleaseCapture();
    }
    if (IsWindow(tracking.window)) {
        DestroyWindow(tracking.window);
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(message.wParam)); // the outer loop must see it too
    }
    if (notify) {
        SendMessageA(hWnd, WM_EXITMENULOOP, TRUE, 0);
    }
    if (uFlags & TPM_RETURNCMD) {
        return static_cast<BOOL>(tracking.chosen);
    }
    if (tracking.chosen != 0) {
        PostMessageA(hWnd, WM_COMMAND, MAKEWPARAM(tracking.chosen, 0), 0);
        return TRUE;
    }
    return FALSE;
}

namespace platform::user {

LRESULT MenuWindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* tracking = reinterpret_cast<Tracking*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return TRUE;
    }
    if (tracking == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        Paint(*tracking);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        const int index = ItemAt(*tracking, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (index >= 0 && Selectable(tracking->menu->items[index])) {
            Highlight(*tracking, index);
        }
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        RECT client{};
        GetClientRect(hwnd, &client);
        const int x = GET_X_LPARAM(lParam);
        const int y = GET_Y_LPARAM(lParam);
        if (x < client.left || x >= client.right || y < client.top || y >= client.bottom) {
            tracking->done = true; // a click elsewhere dismisses the menu
        }
        return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        Choose(*tracking, ItemAt(*tracking, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        HandleKey(*tracking, wParam);
        return 0;
    case WM_CHAR:
    case WM_SYSCHAR:
        HandleCharacter(*tracking, wParam);
        return 0;
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
        tracking->done = true;
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace platform::user
