#include "platform/user/ComboBox.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/Edit.h"
#include "platform/user/ListBox.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBar.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>

namespace platform::user {

namespace {

constexpr int Edge = 2;         // the sunken edge around the field
constexpr int TextPadding = 2;  // between the edge and the text, above and below
constexpr int ButtonWidth = 17; // the drop button, as wide as a scroll bar
constexpr WPARAM KeyF4 = VK_F1 + 3;

struct ComboBoxState {
    HWND list = nullptr;
    HWND edit = nullptr; // CBS_DROPDOWN only
    HFONT font = nullptr;
    int droppedHeight = 0;    // the whole height with the list down, as the template gave it
    int fieldHeight = 0;      // the window's own height
    int selectionAtDrop = -1; // restored when the list closes cancelled
    bool isDropped = false;
    bool hasFocus = false;
};

ComboBoxState* State(HWND hwnd) {
    return StateOf<ComboBoxState>(hwnd);
}
bool IsDropDownList(HWND hwnd) {
    return (StyleOf(hwnd) & 0x3) == CBS_DROPDOWNLIST;
}

LRESULT ToList(const ComboBoxState& state, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(state.list, message, wParam, lParam);
}

int Selection(const ComboBoxState& state) {
    return static_cast<int>(ToList(state, LB_GETCURSEL));
}

std::string ItemText(const ComboBoxState& state, int index) {
    const LRESULT length = ToList(state, LB_GETTEXTLEN, static_cast<WPARAM>(index));
    if (length < 0) {
        return {};
    }
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ToList(state, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

HFONT FontOf(const ComboBoxState& state) {
    return state.font ? state.font : reinterpret_cast<HFONT>(GetStockObject(SYSTEM_FONT));
}

int FontHeight(HWND hwnd, const ComboBoxState& state) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, FontOf(state));
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return std::max<int>(metrics.tmHeight, 1);
}

RECT ClientRect(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return client;
}

RECT ButtonRect(HWND hwnd) {
    const RECT client = ClientRect(hwnd);
    return RECT{std::max<LONG>(client.right - Edge - ButtonWidth, Edge), Edge, client.right - Edge,
                client.bottom - Edge};
}

RECT TextRect(HWND hwnd) {
    const RECT client = ClientRect(hwnd);
    return RECT{Edge, Edge, ButtonRect(hwnd).left, client.bottom - Edge};
}

// Sets the field to one line of the font and places the edit field in it.
void Layout(HWND hwnd, ComboBoxState& state) {
    state.fieldHeight = FontHeight(hwnd, state) + 2 * (Edge + TextPadding);
    RECT window{};
    GetWindowRect(hwnd, &window);
    if (window.bottom - window.top != state.fieldHeight) {
        SetWindowPos(hwnd, nullptr, 0, 0, window.right - window.left, state.fieldHeight,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (state.edit != nullptr) {
        const RECT text = TextRect(hwnd);
        MoveWindow(state.edit, text.left + 1, text.top + 1, text.right - text.left - 1,
                   text.bottom - text.top - 1, TRUE);
    }
}

// The field shows the selected item: the edit field's text, or the painted text of a drop-down list.
void ShowSelection(HWND hwnd, ComboBoxState& state) {
    if (state.edit != nullptr) {
        SetWindowTextA(state.edit, ItemText(state, Selection(state)).c_str());
        SendMessageA(state.edit, EM_SETSEL, 0, -1);
    }
    InvalidateRect(hwnd, nullptr, FALSE);
}

// --- Dropping and closing ------------------------------------------------------------------------

void Drop(HWND hwnd, ComboBoxState& state) {
    if (state.isDropped || !IsWindowEnabled(hwnd)) {
        return;
    }
    NotifyParent(hwnd, CBN_DROPDOWN);
    RECT field{};
    GetWindowRect(hwnd, &field);
    const int itemHeight = static_cast<int>(ToList(state, LB_GETITEMHEIGHT));
    const int count = std::max(static_cast<int>(ToList(state, LB_GETCOUNT)), 1);
    const int room = std::max(state.droppedHeight - state.fieldHeight, itemHeight + 2);
    // Whole items only, as many as there are or as fit the template's height.
    const int rows = std::clamp((room - 2) / itemHeight, 1, count);
    const int height = rows * itemHeight + 2;
    int top = field.bottom;
    if (top + height > GetSystemMetrics(SM_CYSCREEN) && field.top - height >= 0) {
        top = field.top - height; // no room below: the list opens upwards
    }
    state.selectionAtDrop = Selection(state);
    state.isDropped = true;
    SetWindowPos(state.list, HWND_TOP, field.left, top, field.right - field.left, height,
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (state.selectionAtDrop >= 0) {
        ToList(state, LB_SETTOPINDEX, static_cast<WPARAM>(state.selectionAtDrop));
    }
    SetCapture(state.list);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Close(HWND hwnd, ComboBoxState& state, bool isAccepted) {
    if (!state.isDropped) {
        return;
    }
    NotifyParent(hwnd, isAccepted ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!IsWindow(hwnd)) {
        return;
    }
    state.isDropped = false;
    if (!isAccepted && Selection(state) != state.selectionAtDrop) {
        ToList(state, LB_SETCURSEL, static_cast<WPARAM>(state.selectionAtDrop));
        ShowSelection(hwnd, state);
    }
    if (GetCapture() == state.list) {
        ReleaseCapture();
    }
    ShowWindow(state.list, SW_HIDE);
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, CBN_CLOSEUP);
}

void Toggle(HWND hwnd, ComboBoxState& state) {
    if (state.isDropped) {
        Close(hwnd, state, true);
    } else {
        Drop(hwnd, state);
    }
}

// What the list reports: a selection moved by keys, an item chosen with the mouse, a click away.
void ListCommand(HWND hwnd, ComboBoxState& state, WORD code) {
    switch (code) {
    case LBN_SELCHANGE:
        ShowSelection(hwnd, state);
        NotifyParent(hwnd, CBN_SELCHANGE);
        break;
    case ComboListChosen:
        Close(hwnd, state, true);
        if (IsWindow(hwnd)) {
            ShowSelection(hwnd, state);
            NotifyParent(hwnd, CBN_SELCHANGE);
        }
        break;
    case ComboListCancelled:
        Close(hwnd, state, false);
        break;
    default:
        break;
    }
}

// --- Keyboard, mouse, focus ----------------------------------------------------------------------

bool IsAltHeld() {
    return GetKeyState(VK_MENU) < 0;
}

// Keys for the combo box, from its own queue or from its edit field; true when used.
bool KeyDown(HWND hwnd, ComboBoxState& state, UINT message, WPARAM key) {
    if (!IsWindowEnabled(hwnd)) {
        return false;
    }
    if (key == KeyF4 && message == WM_KEYDOWN) {
        Toggle(hwnd, state);
        return true;
    }
    if ((key == VK_DOWN || key == VK_UP) && IsAltHeld()) {
        Toggle(hwnd, state);
        return true;
    }
    if (message != WM_KEYDOWN) {
        return false;
    }
    switch (key) {
    case VK_RETURN:
    case VK_ESCAPE:
        if (!state.isDropped) {
            return false;
        }
        Close(hwnd, state, key == VK_RETURN);
        return true;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT:
        ToList(state, WM_KEYDOWN, key);
        return true;
    case VK_HOME:
    case VK_END:
        // In an edit field these move the caret unless the list is open.
        if (state.edit != nullptr && !state.isDropped) {
            return false;
        }
        ToList(state, WM_KEYDOWN, key);
        return true;
    default:
        return false;
    }
}

void MouseDown(HWND hwnd, ComboBoxState& state, LPARAM lParam) {
    if (GetFocus() != hwnd && GetFocus() != state.edit) {
        SetFocus(hwnd);
    }
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const RECT button = ButtonRect(hwnd);
    const bool isOnButton = point.x >= button.left && point.x < button.right;
    if (IsDropDownList(hwnd) || isOnButton) {
        Toggle(hwnd, state);
    }
}

void Wheel(HWND hwnd, ComboBoxState& state, WPARAM wParam) {
    if (state.isDropped) {
        ToList(state, WM_MOUSEWHEEL, wParam);
        return;
    }
    const int notches = static_cast<SHORT>(HIWORD(wParam)) / 120;
    for (int i = 0; i < std::abs(notches); ++i) {
        ToList(state, WM_KEYDOWN, notches > 0 ? VK_UP : VK_DOWN);
    }
}

bool IsPart(const ComboBoxState& state, HWND hwnd, HWND other) {
    return other != nullptr && (other == hwnd || other == state.edit || other == state.list);
}

void FocusGained(HWND hwnd, ComboBoxState& state) {
    if (state.hasFocus) {
        return;
    }
    state.hasFocus = true;
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, CBN_SETFOCUS);
}

void FocusLost(HWND hwnd, ComboBoxState& state, HWND newFocus) {
    if (!state.hasFocus || IsPart(state, hwnd, newFocus)) {
        return;
    }
    Close(hwnd, state, false);
    state.hasFocus = false;
    InvalidateRect(hwnd, nullptr, FALSE);
    NotifyParent(hwnd, CBN_KILLFOCUS);
}

LRESULT DialogCode(const ComboBoxState& state, LPARAM lParam) {
    LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    // Enter and Esc belong to the open list rather than to the dialog's buttons.
    if (state.isDropped && message != nullptr && message->message == WM_KEYDOWN &&
        (message->wParam == VK_RETURN || message->wParam == VK_ESCAPE)) {
        code |= DLGC_WANTMESSAGE;
    }
    return code;
}

// The edit field of a CBS_DROPDOWN combo box runs the EDIT procedure with the combo box's keys and
// focus handling in front of it.
LRESULT ComboEditProcedure(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
    HWND combo = GetParent(edit);
    ComboBoxState* state = combo ? State(combo) : nullptr;
    if (state == nullptr) {
        return CallWindowProcA(EditProcedure, edit, message, wParam, lParam);
    }
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (KeyDown(combo, *state, message, wParam)) {
            return 0;
        }
        break;
    case WM_GETDLGCODE:
        return CallWindowProcA(EditProcedure, edit, message, wParam, lParam) | DialogCode(*state, lParam);
    case WM_SETFOCUS: {
        const LRESULT result = CallWindowProcA(EditProcedure, edit, message, wParam, lParam);
        FocusGained(combo, *state);
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = CallWindowProcA(EditProcedure, edit, message, wParam, lParam);
        FocusLost(combo, *state, reinterpret_cast<HWND>(wParam));
        return result;
    }
    case WM_MOUSEWHEEL:
        Wheel(combo, *state, wParam);
        return 0;
    default:
        break;
    }
    return CallWindowProcA(EditProcedure, edit, message, wParam, lParam);
}

// --- Painting ------------------------------------------------------------------------------------

void Paint(HWND hwnd, ComboBoxState& state) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client = ClientRect(hwnd);
    const bool isEnabled = IsWindowEnabled(hwnd) != FALSE;
    DrawEdge(dc, &client, EDGE_SUNKEN, BF_RECT);
    RECT button = ButtonRect(hwnd);
    DrawFrameControl(dc, &button, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | (isEnabled ? 0 : DFCS_INACTIVE));
    RECT text = TextRect(hwnd);
    HBRUSH background = platform::ControlColours(hwnd, dc, state.edit ? WM_CTLCOLOREDIT : WM_CTLCOLORLISTBOX);
    FillRect(dc, &text, isEnabled ? background : GetSysColorBrush(COLOR_BTNFACE));
    if (state.edit == nullptr) {
        RECT item{text.left + 1, text.top + 1, text.right - 1, text.bottom - 1};
        const bool isHighlighted = state.hasFocus && !state.isDropped && isEnabled;
        if (isHighlighted) {
            FillRect(dc, &item, GetSysColorBrush(COLOR_HIGHLIGHT));
        }
        SetTextColor(dc, GetSysColor(!isEnabled      ? COLOR_GRAYTEXT
                                     : isHighlighted ? COLOR_HIGHLIGHTTEXT
                                                     : COLOR_WINDOWTEXT));
        SetBkMode(dc, TRANSPARENT);
        HGDIOBJ old = SelectObject(dc, FontOf(state));
        const std::string shown = ItemText(state, Selection(state));
        RECT textArea{item.left + 1, item.top, item.right - 1, item.bottom};
        DrawTextA(dc, shown.c_str(), static_cast<int>(shown.size()), &textArea,
                  DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
        SelectObject(dc, old);
        if (isHighlighted) {
            DrawFocusRect(dc, &item);
        }
    }
    EndPaint(hwnd, &paint);
}

// --- Creation and messages -----------------------------------------------------------------------

bool HasEditClass() {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return GetClassInfoExA(nullptr, "EDIT", &info) != FALSE;
}

LRESULT Create(HWND hwnd, ComboBoxState& state, const CREATESTRUCTA& create) {
    state.droppedHeight = create.cy;
    const DWORD style = static_cast<DWORD>(create.style);
    const DWORD listStyle = WS_POPUP | WS_VSCROLL | LBS_COMBOBOX | LBS_NOTIFY | LBS_HASSTRINGS |
                            ((style & CBS_SORT) ? LBS_SORT : 0) |
                            ((style & CBS_DISABLENOSCROLL) ? LBS_DISABLENOSCROLL : 0);
    state.list = CreateWindowExA(WS_EX_TOOLWINDOW, "ComboLBox", "", listStyle, 0, 0, create.cx, create.cy,
                                 GetAncestor(hwnd, GA_ROOT), nullptr, create.hInstance, hwnd);
    if (state.list == nullptr) {
        return -1;
    }
    if ((style & 0x3) == CBS_DROPDOWN && HasEditClass()) {
        const DWORD editStyle = WS_CHILD | WS_VISIBLE | ((style & CBS_AUTOHSCROLL) ? ES_AUTOHSCROLL : 0);
        state.edit = CreateWindowExA(0, "EDIT", "", editStyle, 0, 0, 0, 0, hwnd,
                                     reinterpret_cast<HMENU>(static_cast<intptr_t>(ComboEditId)),
                                     create.hInstance, nullptr);
        SetWindowLongPtrA(state.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ComboEditProcedure));
    }
    Layout(hwnd, state);
    return 0;
}

void SetFont(HWND hwnd, ComboBoxState& state, WPARAM font, LPARAM redraw) {
    state.font = reinterpret_cast<HFONT>(font);
    ToList(state, WM_SETFONT, font, FALSE);
    if (state.edit != nullptr) {
        SendMessageA(state.edit, WM_SETFONT, font, FALSE);
    }
    Layout(hwnd, state);
    if (redraw) {
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

LRESULT TextMessage(HWND hwnd, ComboBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    if (state.edit != nullptr) {
        return SendMessageA(state.edit, message, wParam, lParam);
    }
    const std::string text = ItemText(state, Selection(state));
    switch (message) {
    case WM_SETTEXT: {
        // A drop-down list can only show one of its items.
        const LRESULT found = ToList(state, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), lParam);
        if (found == LB_ERR) {
            return CB_ERR;
        }
        ToList(state, LB_SETCURSEL, static_cast<WPARAM>(found));
        InvalidateRect(hwnd, nullptr, FALSE);
        return TRUE;
    }
    case WM_GETTEXT: {
        auto* buffer = reinterpret_cast<LPSTR>(lParam);
        if (buffer == nullptr || wParam == 0) {
            return 0;
        }
        const size_t length = std::min(text.size(), static_cast<size_t>(wParam - 1));
        text.copy(buffer, length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    default:
        return static_cast<LRESULT>(text.size());
    }
}

LRESULT ItemMessage(HWND hwnd, ComboBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_ADDSTRING:
        return ToList(state, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
        return ToList(state, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
        const LRESULT left = ToList(state, LB_DELETESTRING, wParam, lParam);
        InvalidateRect(hwnd, nullptr, FALSE);
        return left;
    }
    case CB_RESETCONTENT:
        ToList(state, LB_RESETCONTENT);
        if (state.edit != nullptr) {
            SetWindowTextA(state.edit, "");
        }
        InvalidateRect(hwnd, nullptr, FALSE);
        return CB_OKAY;
    case CB_GETCOUNT:
        return ToList(state, LB_GETCOUNT);
    case CB_GETLBTEXT:
        return ToList(state, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
        return ToList(state, LB_GETTEXTLEN, wParam, lParam);
    case CB_FINDSTRING:
        return ToList(state, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
        return ToList(state, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_GETITEMDATA:
        return ToList(state, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA:
        return ToList(state, LB_SETITEMDATA, wParam, lParam);
    case CB_GETCURSEL:
        return Selection(state);
    case CB_SETCURSEL: {
        const LRESULT result = ToList(state, LB_SETCURSEL, wParam);
        ShowSelection(hwnd, state);
        return result;
    }
    case CB_SELECTSTRING: {
        const LRESULT found = ToList(state, LB_SELECTSTRING, wParam, lParam);
        if (found != LB_ERR) {
            ShowSelection(hwnd, state);
        }
        return found;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT ComboMessage(HWND hwnd, ComboBoxState& state, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case CB_SHOWDROPDOWN:
        if (wParam) {
            Drop(hwnd, state);
        } else {
            Close(hwnd, state, false);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return state.isDropped ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT:
        if (lParam != 0) {
            GetWindowRect(state.isDropped ? state.list : hwnd, reinterpret_cast<RECT*>(lParam));
        }
        return CB_OKAY;
    case CB_LIMITTEXT:
        return state.edit ? SendMessageA(state.edit, EM_LIMITTEXT, wParam, 0) : TRUE;
    case CB_GETEDITSEL:
    case CB_SETEDITSEL:
        if (state.edit == nullptr) {
            return CB_ERR;
        }
        return message == CB_SETEDITSEL
                   ? (SendMessageA(state.edit, EM_SETSEL, static_cast<SHORT>(LOWORD(lParam)),
                                   static_cast<SHORT>(HIWORD(lParam))),
                      TRUE)
                   : SendMessageA(state.edit, EM_GETSEL, wParam, lParam);
    case CB_GETCOMBOBOXINFO: {
        auto* info = reinterpret_cast<COMBOBOXINFO*>(lParam);
        if (info == nullptr || info->cbSize != sizeof(COMBOBOXINFO)) {
            return FALSE;
        }
        *info = COMBOBOXINFO{sizeof(COMBOBOXINFO),           TextRect(hwnd), ButtonRect(hwnd), 0, hwnd,
                             state.edit ? state.edit : hwnd, state.list};
        return TRUE;
    }
    case CB_GETITEMHEIGHT:
        return static_cast<LONG_PTR>(wParam) == -1 ? state.fieldHeight - 2 * Edge
                                                   : ToList(state, LB_GETITEMHEIGHT);
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        return TextMessage(hwnd, state, message, wParam, lParam);
    default:
        return ItemMessage(hwnd, state, message, wParam, lParam);
    }
}

void Command(HWND hwnd, ComboBoxState& state, WPARAM wParam, LPARAM lParam) {
    const auto from = reinterpret_cast<HWND>(lParam);
    if (from == state.list) {
        ListCommand(hwnd, state, HIWORD(wParam));
    } else if (from == state.edit && from != nullptr) {
        if (HIWORD(wParam) == EN_UPDATE) {
            NotifyParent(hwnd, CBN_EDITUPDATE);
        } else if (HIWORD(wParam) == EN_CHANGE) {
            NotifyParent(hwnd, CBN_EDITCHANGE);
        }
    }
}

} // namespace

LRESULT ComboBoxProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        MakeState<ComboBoxState>(hwnd);
        // WS_VSCROLL in a combo box's template is meant for its list, which always scrolls; the
        // field itself never has scroll bars or a border, so the styles leave the combo box, as
        // Win32's combo box drops them, and the field keeps its whole width.
        const LONG_PTR style = GetWindowLongPtrA(hwnd, GWL_STYLE);
        SetWindowLongPtrA(hwnd, GWL_STYLE,
                          style & ~static_cast<LONG_PTR>(WS_VSCROLL | WS_HSCROLL | WS_BORDER));
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    ComboBoxState* state = State(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        return Create(hwnd, *state, *reinterpret_cast<const CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        if (state->list != nullptr) {
            DestroyWindow(std::exchange(state->list, nullptr));
        }
        return 0;
    case WM_NCDESTROY:
        DropState<ComboBoxState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_WINDOWPOSCHANGING: {
        // A new height from outside is the dropped height; the field keeps one line.
        auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
        if (state->fieldHeight > 0 && (position->flags & SWP_NOSIZE) == 0 &&
            position->cy != state->fieldHeight) {
            state->droppedHeight = position->cy;
            position->cy = state->fieldHeight;
        }
        return 0;
    }
    case WM_SIZE:
        if (state->edit != nullptr) {
            Layout(hwnd, *state);
        }
        return 0;
    case WM_GETDLGCODE:
        return DialogCode(*state, lParam);
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd, *state);
        return 0;
    case WM_ENABLE:
        if (!wParam) {
            Close(hwnd, *state, false);
        }
        if (state->edit != nullptr) {
            EnableWindow(state->edit, static_cast<BOOL>(wParam));
        }
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
        SetFont(hwnd, *state, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETFOCUS:
        if (state->edit != nullptr) {
            SetFocus(state->edit);
            SendMessageA(state->edit, EM_SETSEL, 0, -1);
        } else {
            FocusGained(hwnd, *state);
        }
        return 0;
    case WM_KILLFOCUS:
        FocusLost(hwnd, *state, reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        if (!KeyDown(hwnd, *state, message, wParam)) {
            return DefWindowProcA(hwnd, message, wParam, lParam);
        }
        return 0;
    case WM_CHAR:
        if (state->edit == nullptr && IsWindowEnabled(hwnd)) {
            ToList(*state, WM_CHAR, wParam, lParam);
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(hwnd, *state, lParam);
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(hwnd, *state, wParam);
        return 0;
    case WM_COMMAND:
        Command(hwnd, *state, wParam, lParam);
        return 0;
    default:
        return ComboMessage(hwnd, *state, message, wParam, lParam);
    }
}

} // namespace platform::user

BOOL GetComboBoxInfo(HWND hwndCombo, PCOMBOBOXINFO pcbi) {
    return static_cast<BOOL>(SendMessageA(hwndCombo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(pcbi)));
}
