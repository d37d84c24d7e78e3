#include "platform/user/ListBox.h"

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
#include "platform/user/ScrollBar.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace platform::user {

namespace {

constexpr int TextMargin = 2;
constexpr int WheelLines = 3; // lines per notch, the Win32 default

struct Item {
    std::string text;
    LPARAM data = 0;
};

struct ListBoxState {
    std::vector<Item> items;
    int selected = -1;
    int caret = 0;
    int top = 0;
    int itemHeight = 0; // 0 until measured from the font
    HFONT font = nullptr;
    HWND combo = nullptr; // the combo box this list belongs to, for LBS_COMBOBOX
    bool hasBar = false;  // made with WS_VSCROLL; the style bit itself comes and goes with the bar
    bool hasFocus = false;
    bool isTracking = false;
    bool isUpdatingBar = false;
};

ListBoxState* State(HWND hwnd) {
    return StateOf<ListBoxState>(hwnd);
}
int Count(const ListBoxState& state) {
    return static_cast<int>(state.items.size());
}
bool IsValid(const ListBoxState& state, int index) {
    return index >= 0 && index < Count(state);
}

int CompareFolded(const std::string& a, const std::string& b, size_t length = std::string::npos) {
    const size_t n = std::min({a.size(), b.size(), length});
    for (size_t i = 0; i < n; ++i) {
        const int x = std::tolower(static_cast<unsigned char>(a[i]));
        const int y = std::tolower(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x - y;
        }
    }
    if (length != std::string::npos && n == length) {
        return 0;
    }
    return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

HFONT FontOf(const ListBoxState& state) {
    return state.font ? state.font : reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int ItemHeight(HWND hwnd, ListBoxState& state) {
    if (state.itemHeight == 0) {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, FontOf(state));
        TEXTMETRICA metrics{};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        state.itemHeight = std::max<int>(metrics.tmHeight, 1);
    }
    return state.itemHeight;
}

// A combo box's list is a pop-up, whose frame the display does not draw: it draws its own
// one-pixel border inside its client area.
int Inset(const ListBoxState& state) {
    return state.combo != nullptr ? 1 : 0;
}

int Rows(HWND hwnd, ListBoxState& state) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return std::max(1, static_cast<int>(client.bottom - 2 * Inset(state)) / ItemHeight(hwnd, state));
}

void Notify(HWND hwnd, const ListBoxState& state, WORD code) {
    if (state.combo != nullptr) {
        SendMessageA(state.combo, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(hwnd)), code),
                     reinterpret_cast<LPARAM>(hwnd));
        return;
    }
    const bool isFocusCode = code == LBN_SETFOCUS || code == LBN_KILLFOCUS;
    if (isFocusCode || (StyleOf(hwnd) & LBS_NOTIFY)) {
        NotifyParent(hwnd, code);
    }
}

void UpdateBar(HWND hwnd, ListBoxState& state) {
    if (!state.hasBar || state.isUpdatingBar) {
        return;
    }
    state.isUpdatingBar = true;
    const UINT disable = (StyleOf(hwnd) & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0;
    const SCROLLINFO info{sizeof(SCROLLINFO),
                          SIF_RANGE | SIF_PAGE | SIF_POS | disable,
                          0,
                          std::max(Count(state) - 1, 0),
                          static_cast<UINT>(Rows(hwnd, state)),
                          state.top,
                          0};
    SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
    state.isUpdatingBar = false;
}

void SetTop(HWND hwnd, ListBoxState& state, int top) {
    const int highest = std::max(Count(state) - Rows(hwnd, state), 0);
    top = std::clamp(top, 0, highest);
    if (top != state.top) {
        state.top = top;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    UpdateBar(hwnd, state);
}

void EnsureVisible(HWND hwnd, ListBoxState& state, int index) {
    const int rows = Rows(hwnd, state);
    if (index < state.top) {
        SetTop(hwnd, state, index);
    } else if (index >= state.top + rows) {
        SetTop(hwnd, state, index - rows + 1);
    }
}

void Select(HWND hwnd, ListBoxState& state, int index) {
    if (index != state.selected) {
        state.selected = index;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
    if (IsValid(state, index)) {
        state.caret = index;
        EnsureVisible(hwnd, state, index);
    }
}

// The item under a client point, or -1 below the last item.
int ItemAt(HWND hwnd, ListBoxState& state, int y) {
    y -= Inset(state);
    const int index = state.top + (y < 0 ? -1 : y / ItemHeight(hwnd, state));
    return IsValid(state, index) ? index : -1;
}

RECT ItemRect(HWND hwnd, ListBoxState& state, int index) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int height = ItemHeight(hwnd, state);
    const int inset = Inset(state);
    const int top = inset + (index - state.top) * height;
    return RECT{inset, top, client.right - inset, top + height};
}

// --- Items ---------------------------------------------------------------------------------------

int SortedPlace(const ListBoxState& state, const std::string& text) {
    int index = 0;
    while (index < Count(state) && CompareFolded(state.items[index].text, text) <= 0) {
        ++index;
    }
    return index;
}

LRESULT Insert(HWND hwnd, ListBoxState& state, int index, LPCSTR text) {
    if (index > Count(state)) {
        return LB_ERR;
    }
    if (index < 0) {
        index = Count(state);
    }
    state.items.insert(state.items.begin() + index, Item{text ? text : "", 0});
    if (state.selected >= index) {
        ++state.selected;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateBar(hwnd, state);
    return index;
}

LRESULT Delete(HWND hwnd, ListBoxState& state, int index) {
    if (!IsValid(state, index)) {
        return LB_ERR;
    }
    state.items.erase(state.items.begin() + index);
    if (state.selected == index) {
        state.selected = -1;
    } else if (state.selected > index) {
        --state.selected;
    }
    state.caret = std::clamp(state.caret, 0, std::max(Count(state) - 1, 0));
    SetTop(hwnd, state, state.top);
    InvalidateRect(hwnd, nullptr, TRUE);
    return Count(state);
}

void Reset(HWND hwnd, ListBoxState& state) {
    state.items.clear();
    state.selected = -1;
    state.caret = 0;
    state.top = 0;
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateBar(hwnd, state);
}

// The first item after `start` (wrapping round; -1 searches from the top) whose text starts with
// the prefix or, with isExact, equals the text; case folded.
LRESULT Find(const ListBoxState& state, int start, LPCSTR text, bool isExact) {
    const std::string wanted = text ? text : "";
    const int count = Count(state);
    if (count == 0) {
        return LB_ERR;
    }
    const int first = (start < 0 || start >= count) ? 0 : start + 1;
    for (int step = 0; step < count; ++step) {
        const int index = (first + step) % count;
        const std::string& candidate = state.items[index].text;
        if (isExact ? CompareFolded(candidate, wanted) == 0
                    : CompareFolded(candidate, wanted, wanted.size()) == 0) {
            return index;
        }
    }
    return LB_ERR;
}

LRESULT CopyText(const ListBoxState& state, int index, LPARAM buffer) {
    if (!IsValid(state, index) || buffer == 0) {
        return LB_ERR;
    }
    const std::string& text = state.items[index].text;
    std::memcpy(reinterpret_cast<char*>(buffer), text.c_str(), text.size() + 1);
    return static_cast<LRESULT>(text.size());
}

// --- Painting ------------------------------------------------------------------------------------

void Paint(HWND hwnd, ListBoxState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, platform::ControlColours(hwnd, dc, WM_CTLCOLORLISTBOX));
    if (Inset(state) > 0) {
        FrameRect(dc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
    }
    const COLORREF text = IsWindowEnabled(hwnd) ? GetTextColor(dc) : GetSysColor(COLOR_GRAYTEXT);
    HGDIOBJ oldFont = SelectObject(dc, FontOf(state));
    SetBkMode(dc, TRANSPARENT);
    const UINT format =
        DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | ((StyleOf(hwnd) & LBS_USETABSTOPS) ? DT_EXPANDTABS : 0);
    for (int index = state.top; index < Count(state); ++index) {
        RECT rect = ItemRect(hwnd, state, index);
        if (rect.top >= client.bottom - Inset(state)) {
            break;
        }
        const bool isSelected = index == state.selected;
        if (isSelected) {
            FillRect(dc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, isSelected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : text);
        RECT textRect{rect.left + TextMargin, rect.top, rect.right - TextMargin, rect.bottom};
        const std::string& itemText = state.items[index].text;
        DrawTextA(dc, itemText.c_str(), static_cast<int>(itemText.size()), &textRect, format);
        if (state.hasFocus && index == state.caret && state.combo == nullptr) {
            DrawFocusRect(dc, &rect);
        }
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

// --- Input ---------------------------------------------------------------------------------------

// Moves the selection as the user does and reports it when it changed.
void UserSelect(HWND hwnd, ListBoxState& state, int index) {
    if (!IsValid(state, index)) {
        return;
    }
    const bool isChanged = index != state.selected;
    Select(hwnd, state, index);
    if (isChanged) {
        Notify(hwnd, state, LBN_SELCHANGE);
    }
}

void KeyDown(HWND hwnd, ListBoxState& state, WPARAM key) {
    if (!IsWindowEnabled(hwnd) || Count(state) == 0) {
        return;
    }
    const int page = std::max(Rows(hwnd, state) - 1, 1);
    const int from = state.selected >= 0 ? state.selected : -1;
    int index = from;
    switch (key) {
    case VK_UP:
        index = from < 0 ? 0 : from - 1;
        break;
    case VK_DOWN:
        index = from + 1;
        break;
    case VK_PRIOR:
        index = from - page;
        break;
    case VK_NEXT:
        index = from + page;
        break;
    case VK_HOME:
        index = 0;
        break;
    case VK_END:
        index = Count(state) - 1;
        break;
    default:
        return;
    }
    UserSelect(hwnd, state, std::clamp(index, 0, Count(state) - 1));
}

void Character(HWND hwnd, ListBoxState& state, WPARAM character) {
    if (!IsWindowEnabled(hwnd) || character < 0x20) {
        return;
    }
    const char prefix[2] = {static_cast<char>(character), '\0'};
    const LRESULT found = Find(state, state.selected >= 0 ? state.selected : -1, prefix, false);
    if (found != LB_ERR) {
        UserSelect(hwnd, state, static_cast<int>(found));
    }
}

bool IsInside(HWND hwnd, LPARAM lParam) {
    RECT client{};
    GetClientRect(hwnd, &client);
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    return x >= 0 && y >= 0 && x < client.right && y < client.bottom;
}

void MouseDown(HWND hwnd, ListBoxState& state, LPARAM lParam) {
    if (state.combo != nullptr) {
        if (!IsInside(hwnd, lParam)) {
            Notify(hwnd, state, ComboListCancelled);
            return;
        }
        state.isTracking = true;
        Select(hwnd, state, ItemAt(hwnd, state, GET_Y_LPARAM(lParam)));
        return;
    }
    if (GetFocus() != hwnd) {
        SetFocus(hwnd);
    }
    const int index = ItemAt(hwnd, state, GET_Y_LPARAM(lParam));
    if (index >= 0) {
        Select(hwnd, state, index);
    }
    state.isTracking = true;
    SetCapture(hwnd);
}

void MouseMove(HWND hwnd, ListBoxState& state, LPARAM lParam) {
    // A dropped combo list follows the mouse; a list box only while its button is held.
    if (state.combo == nullptr && !state.isTracking) {
        return;
    }
    if (state.combo != nullptr && !IsInside(hwnd, lParam)) {
        return;
    }
    const int y = std::clamp(GET_Y_LPARAM(lParam), Inset(state),
                             Inset(state) + Rows(hwnd, state) * ItemHeight(hwnd, state) - 1);
    const int index = ItemAt(hwnd, state, y);
    if (index >= 0) {
        Select(hwnd, state, index);
    }
}

void MouseUp(HWND hwnd, ListBoxState& state, LPARAM lParam) {
    if (state.combo != nullptr) {
        if (std::exchange(state.isTracking, false) && IsInside(hwnd, lParam)) {
            Notify(hwnd, state, ComboListChosen);
        }
        return;
    }
    if (!std::exchange(state.isTracking, false)) {
        return;
    }
    if (GetCapture() == hwnd) {
        ReleaseCapture();
    }
    if (Count(state) > 0) {
        Notify(hwnd, state, LBN_SELCHANGE);
    }
}

void Wheel(HWND hwnd, ListBoxState& state, WPARAM wParam) {
    const int notches = static_cast<SHORT>(HIWORD(wParam)) / 120;
    SetTop(hwnd, state, state.top - notches * WheelLines);
}

void Scroll(HWND hwnd, ListBoxState& state, WPARAM wParam) {
    const int page = std::max(Rows(hwnd, state) - 1, 1);
    if (const auto top = ScrolledTop(wParam, state.top, page, Count(state))) {
        SetTop(hwnd, state, *top);
    }
}

void FocusChanged(HWND hwnd, ListBoxState& state, bool hasFocus) {
    state.hasFocus = hasFocus;
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, state, hasFocus ? LBN_SETFOCUS : LBN_KILLFOCUS);
}

// --- Messages ------------------------------------------------------------------------------------

LRESULT ItemMessage(HWND hwnd, ListBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    switch (message) {
    case LB_ADDSTRING: {
        const auto* text = reinterpret_cast<LPCSTR>(lParam);
        return Insert(hwnd, state, (StyleOf(hwnd) & LBS_SORT) ? SortedPlace(state, text ? text : "") : -1,
                      text);
    }
    case LB_INSERTSTRING:
        return Insert(hwnd, state, index, reinterpret_cast<LPCSTR>(lParam));
    case LB_DELETESTRING:
        return Delete(hwnd, state, index);
    case LB_RESETCONTENT:
        Reset(hwnd, state);
        return LB_OKAY;
    case LB_GETCOUNT:
        return Count(state);
    case LB_GETTEXT:
        return CopyText(state, index, lParam);
    case LB_GETTEXTLEN:
        return IsValid(state, index) ? static_cast<LRESULT>(state.items[index].text.size()) : LB_ERR;
    case LB_SETITEMDATA:
        if (!IsValid(state, index)) {
            return LB_ERR;
        }
        state.items[index].data = lParam;
        return LB_OKAY;
    case LB_GETITEMDATA:
        return IsValid(state, index) ? state.items[index].data : LB_ERR;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT:
        return Find(state, index, reinterpret_cast<LPCSTR>(lParam), message == LB_FINDSTRINGEXACT);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT SelectionMessage(HWND hwnd, ListBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    const int index = static_cast<int>(static_cast<LONG_PTR>(wParam));
    switch (message) {
    case LB_SETCURSEL:
        // -1 clears the selection and, as in Win32, answers LB_ERR.
        Select(hwnd, state, IsValid(state, index) ? index : -1);
        return IsValid(state, index) ? index : LB_ERR;
    case LB_GETCURSEL:
        return state.selected;
    case LB_GETSEL:
        return IsValid(state, index) ? (index == state.selected ? 1 : 0) : LB_ERR;
    case LB_SELECTSTRING: {
        const LRESULT found = Find(state, index, reinterpret_cast<LPCSTR>(lParam), false);
        if (found != LB_ERR) {
            Select(hwnd, state, static_cast<int>(found));
        }
        return found;
    }
    case LB_SETTOPINDEX:
        if (!IsValid(state, index) && !(index == 0 && Count(state) == 0)) {
            return LB_ERR;
        }
        SetTop(hwnd, state, index);
        return LB_OKAY;
    case LB_GETTOPINDEX:
        return state.top;
    case LB_SETCARETINDEX:
        if (!IsValid(state, index)) {
            return LB_ERR;
        }
        state.caret = index;
        EnsureVisible(hwnd, state, index);
        InvalidateRect(hwnd, nullptr, TRUE);
        return LB_OKAY;
    case LB_GETCARETINDEX:
        return state.caret;
    case LB_GETITEMRECT:
        if (lParam == 0 || (!IsValid(state, index) && index != 0)) {
            return LB_ERR;
        }
        *reinterpret_cast<RECT*>(lParam) = ItemRect(hwnd, state, index);
        return LB_OKAY;
    case LB_SETITEMHEIGHT:
        state.itemHeight = std::clamp(static_cast<int>(LOWORD(lParam)), 1, 255);
        SetTop(hwnd, state, state.top);
        InvalidateRect(hwnd, nullptr, TRUE);
        return LB_OKAY;
    case LB_GETITEMHEIGHT:
        return ItemHeight(hwnd, state);
    case LB_ITEMFROMPOINT: {
        const int y = GET_Y_LPARAM(lParam);
        const int found = ItemAt(hwnd, state, y);
        const bool isOutside = found < 0 || !IsInside(hwnd, lParam);
        const int nearest = found >= 0 ? found : std::max(Count(state) - 1, 0);
        return MAKELONG(static_cast<WORD>(nearest), static_cast<WORD>(isOutside ? 1 : 0));
    }
    default:
        return ItemMessage(hwnd, state, message, wParam, lParam);
    }
}

void Create(HWND hwnd, LPARAM lParam) {
    ListBoxState* state = MakeState<ListBoxState>(hwnd);
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    state->hasBar = (create->style & WS_VSCROLL) != 0;
    if (create->style & LBS_COMBOBOX) {
        state->combo = static_cast<HWND>(create->lpCreateParams);
    }
}

} // namespace

LRESULT ListBoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        Create(hwnd, lParam);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    ListBoxState* state = State(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<ListBoxState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_CREATE:
    case WM_SIZE:
        SetTop(hwnd, *state, state->top);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd, *state);
        return 0;
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        state->font = reinterpret_cast<HFONT>(wParam);
        state->itemHeight = 0;
        SetTop(hwnd, *state, state->top);
        if (lParam) {
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        FocusChanged(hwnd, *state, message == WM_SETFOCUS);
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, *state, wParam);
        return 0;
    case WM_CHAR:
        Character(hwnd, *state, wParam);
        return 0;
    case WM_LBUTTONDOWN:
        MouseDown(hwnd, *state, lParam);
        return 0;
    case WM_LBUTTONDBLCLK:
        if (state->combo == nullptr) {
            Notify(hwnd, *state, LBN_DBLCLK);
        } else {
            MouseDown(hwnd, *state, lParam);
        }
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(hwnd, *state, lParam);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(hwnd, *state, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        if (state->combo == nullptr) {
            state->isTracking = false;
        }
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(hwnd, *state, wParam);
        return 0;
    case WM_VSCROLL:
        if (lParam == 0) {
            Scroll(hwnd, *state, wParam);
        }
        return 0;
    default:
        return SelectionMessage(hwnd, *state, message, wParam, lParam);
    }
}

} // namespace platform::user
