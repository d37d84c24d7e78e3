#include "platform/user/Edit.h"

#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Fonts.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/gdi/Text.h"
#include "platform/user/Clipboard.h"
#include "platform/user/ControlState.h"
#include "platform/user/Dialog.h"
#include "platform/user/MessageBox.h"
#include "platform/user/Paint.h"
#include "platform/user/Sound.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace platform::user {

namespace {

constexpr size_t MaximumLimit = 0x7FFFFFFE;
constexpr int Margin = 1;

// How an edit enters the undo buffer. Typing, Backspace and Delete each grow the record of a run
// of the same kind that ends (or, for Backspace, starts) where the new edit happens; every other
// undoable edit starts a record of its own.
enum class UndoKind { Typing, Backspace, ForwardDelete, Single, None };

// The single level of undo: the last edit took `removed` out at `position` and put `insertedLength`
// characters in its place. Undoing swaps the two, so the record then holds the undo's own reverse.
struct UndoRecord {
    UndoKind kind = UndoKind::None;
    size_t position = 0;
    std::string removed;
    size_t insertedLength = 0;

    bool IsEmpty() const { return removed.empty() && insertedLength == 0; }
};

struct EditState {
    std::string text;
    size_t anchor = 0; // the fixed end of the selection
    size_t caret = 0;  // the moving end, where the caret is
    int scroll = 0;    // pixels of text scrolled out on the left
    size_t limit = MaximumLimit;
    HFONT font = nullptr;
    bool hasFocus = false;
    bool isTracking = false;
    bool isModified = false;
    UndoRecord undo;
};

EditState* State(HWND hwnd) {
    return StateOf<EditState>(hwnd);
}

size_t SelectionStart(const EditState& state) {
    return std::min(state.anchor, state.caret);
}
size_t SelectionEnd(const EditState& state) {
    return std::max(state.anchor, state.caret);
}

std::string Shown(HWND hwnd, const EditState& state) {
    return (StyleOf(hwnd) & ES_PASSWORD) ? std::string(state.text.size(), '*') : state.text;
}

// The x of every character boundary of the shown text, from 0 to its width.
std::vector<int> Boundaries(HWND hwnd, const EditState& state) {
    const std::string shown = Shown(hwnd, state);
    std::vector<int> positions(shown.size() + 1, 0);
    if (!shown.empty()) {
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = SelectObject(dc, state.font ? state.font : GetStockObject(SYSTEM_FONT));
        SIZE size{};
        GetTextExtentExPointA(dc, shown.c_str(), static_cast<int>(shown.size()), 0, nullptr,
                              positions.data() + 1, &size);
        SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
    }
    return positions;
}

int ClientWidth(HWND hwnd) {
    RECT client{};
    GetClientRect(hwnd, &client);
    return client.right;
}

// Where the text's first character starts in client coordinates, alignment and scrolling applied.
int TextLeft(HWND hwnd, const EditState& state, int textWidth) {
    const int room = ClientWidth(hwnd) - 2 * Margin;
    const DWORD style = StyleOf(hwnd);
    if (textWidth < room && (style & ES_CENTER)) {
        return Margin + (room - textWidth) / 2;
    }
    if (textWidth < room && (style & ES_RIGHT)) {
        return Margin + room - textWidth - 1;
    }
    return Margin - state.scroll;
}

void ScrollToCaret(HWND hwnd, EditState& state) {
    const std::vector<int> positions = Boundaries(hwnd, state);
    const int room = std::max(ClientWidth(hwnd) - 2 * Margin - 1, 1);
    const int caretX = positions[state.caret];
    if (caretX - state.scroll > room) {
        state.scroll = caretX - room + room / 4; // jump a quarter ahead, as Win32's edit does
    } else if (caretX < state.scroll) {
        state.scroll = std::max(0, caretX - room / 4);
    }
    state.scroll = std::clamp(state.scroll, 0, std::max(0, positions.back() - room + room / 4));
}

size_t CharacterAt(HWND hwnd, const EditState& state, int x) {
    const std::vector<int> positions = Boundaries(hwnd, state);
    const int left = TextLeft(hwnd, state, positions.back());
    size_t best = 0;
    for (size_t i = 0; i < positions.size(); ++i) {
        if (std::abs(left + positions[i] - x) < std::abs(left + positions[best] - x)) {
            best = i;
        }
    }
    return best;
}

void Changed(HWND hwnd) {
    NotifyParent(hwnd, EN_UPDATE);
    NotifyParent(hwnd, EN_CHANGE);
}

void Select(HWND hwnd, size_t anchor, size_t caret) {
    EditState* state = State(hwnd);
    state->anchor = std::min(anchor, state->text.size());
    state->caret = std::min(caret, state->text.size());
    ScrollToCaret(hwnd, *state);
    InvalidateRect(hwnd, nullptr, TRUE);
}

bool FitsWithoutScrolling(HWND hwnd, const std::string& text) {
    if (StyleOf(hwnd) & ES_AUTOHSCROLL) {
        return true;
    }
    EditState probe = *State(hwnd);
    probe.text = text;
    return Boundaries(hwnd, probe).back() <= ClientWidth(hwnd) - 2 * Margin - 1;
}

// Whether an edit of the given kind at [start, end) carries on the run the record holds.
bool ContinuesRun(const UndoRecord& undo, UndoKind kind, size_t start, size_t end) {
    if (undo.kind != kind || undo.IsEmpty()) {
        return false;
    }
    switch (kind) {
    case UndoKind::Typing:
        return start == end && start == undo.position + undo.insertedLength;
    case UndoKind::Backspace:
        return undo.insertedLength == 0 && end == undo.position;
    case UndoKind::ForwardDelete:
        return undo.insertedLength == 0 && start == undo.position;
    default:
        return false;
    }
}

void RecordEdit(EditState& state, UndoKind kind, size_t start, std::string removed, size_t insertedLength) {
    UndoRecord& undo = state.undo;
    if (kind == UndoKind::None) {
        undo = UndoRecord{};
    } else if (ContinuesRun(undo, kind, start, start + removed.size())) {
        if (kind == UndoKind::Backspace) {
            undo.removed.insert(0, removed);
            undo.position = start;
        } else {
            undo.removed += removed;
            undo.insertedLength += insertedLength;
        }
    } else {
        undo = UndoRecord{kind, start, std::move(removed), insertedLength};
    }
}

// Puts text in place of the selection, within the limit (and, without ES_AUTOHSCROLL, within the
// width); false when nothing of it could go in.
bool ReplaceSelection(HWND hwnd, std::string insert, bool notify, UndoKind undoKind) {
    EditState* state = State(hwnd);
    const size_t start = SelectionStart(*state);
    const size_t end = SelectionEnd(*state);
    const size_t room = state->limit - std::min(state->limit, state->text.size() - (end - start));
    bool isCut = false;
    if (insert.size() > room) {
        insert.resize(room);
        isCut = true;
    }
    std::string text = state->text.substr(0, start) + insert + state->text.substr(end);
    while (!insert.empty() && !FitsWithoutScrolling(hwnd, text)) {
        insert.pop_back();
        text = state->text.substr(0, start) + insert + state->text.substr(end);
        isCut = true;
    }
    if (isCut && notify) {
        NotifyParent(hwnd, EN_MAXTEXT);
    }
    if (insert.empty() && start == end) {
        return false;
    }
    RecordEdit(*state, undoKind, start, state->text.substr(start, end - start), insert.size());
    state->text = std::move(text);
    state->anchor = state->caret = start + insert.size();
    state->isModified = true;
    ScrollToCaret(hwnd, *state);
    InvalidateRect(hwnd, nullptr, TRUE);
    if (notify) {
        Changed(hwnd);
    }
    return true;
}

bool IsReadOnly(HWND hwnd) {
    return (StyleOf(hwnd) & ES_READONLY) != 0;
}

bool IsWordCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Word moves: to the start of the previous word, or past the next word and its blanks.
size_t PreviousWord(const std::string& text, size_t at) {
    while (at > 0 && !IsWordCharacter(text[at - 1])) {
        --at;
    }
    while (at > 0 && IsWordCharacter(text[at - 1])) {
        --at;
    }
    return at;
}

size_t NextWord(const std::string& text, size_t at) {
    while (at < text.size() && IsWordCharacter(text[at])) {
        ++at;
    }
    while (at < text.size() && !IsWordCharacter(text[at])) {
        ++at;
    }
    return at;
}

void Copy(HWND hwnd) {
    const EditState* state = State(hwnd);
    if ((StyleOf(hwnd) & ES_PASSWORD) || SelectionStart(*state) == SelectionEnd(*state)) {
        return;
    }
    platform::SetClipboardText(
        state->text.substr(SelectionStart(*state), SelectionEnd(*state) - SelectionStart(*state)));
}

void Clear(HWND hwnd, UndoKind undoKind = UndoKind::Single) {
    if (!IsReadOnly(hwnd)) {
        ReplaceSelection(hwnd, "", true, undoKind);
    }
}

bool CanUndo(const EditState& state) {
    return !state.undo.IsEmpty();
}

// Puts back what the last edit took out and selects it; the record then holds the reverse, so a
// second undo redoes the edit. The text goes back as it was, whatever the limit says now.
void Undo(HWND hwnd) {
    EditState* state = State(hwnd);
    if (IsReadOnly(hwnd) || !CanUndo(*state)) {
        return;
    }
    UndoRecord undo = state->undo;
    undo.position = std::min(undo.position, state->text.size());
    const size_t end = std::min(undo.position + undo.insertedLength, state->text.size());
    std::string taken = state->text.substr(undo.position, end - undo.position);
    state->text.replace(undo.position, end - undo.position, undo.removed);
    state->undo = UndoRecord{UndoKind::Single, undo.position, std::move(taken), undo.removed.size()};
    state->isModified = true;
    Select(hwnd, undo.position, undo.position + undo.removed.size());
    Changed(hwnd);
}

void Paste(HWND hwnd) {
    if (IsReadOnly(hwnd)) {
        return;
    }
    std::string text = platform::ClipboardText();
    // One line: the text ends at its first line break.
    text = text.substr(0, text.find_first_of("\r\n"));
    if ((StyleOf(hwnd) & ES_NUMBER) &&
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); })) {
        MessageBeep(MB_OK);
        return;
    }
    ReplaceSelection(hwnd, text, true, UndoKind::Single);
}

void MoveCaret(HWND hwnd, size_t to, bool extend) {
    EditState* state = State(hwnd);
    Select(hwnd, extend ? state->anchor : to, to);
}

void KeyDown(HWND hwnd, WPARAM key) {
    EditState* state = State(hwnd);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    const size_t start = SelectionStart(*state);
    const size_t end = SelectionEnd(*state);
    switch (key) {
    case VK_LEFT:
        if (!shift && start != end && !control) {
            MoveCaret(hwnd, start, false);
        } else {
            MoveCaret(hwnd,
                      control ? PreviousWord(state->text, state->caret)
                              : (state->caret > 0 ? state->caret - 1 : 0),
                      shift);
        }
        break;
    case VK_RIGHT:
        if (!shift && start != end && !control) {
            MoveCaret(hwnd, end, false);
        } else {
            MoveCaret(hwnd,
                      control ? NextWord(state->text, state->caret)
                              : std::min(state->caret + 1, state->text.size()),
                      shift);
        }
        break;
    case VK_HOME:
        MoveCaret(hwnd, 0, shift);
        break;
    case VK_END:
        MoveCaret(hwnd, state->text.size(), shift);
        break;
    case VK_DELETE:
        if (shift) {
            Copy(hwnd);
            Clear(hwnd);
        } else if (!IsReadOnly(hwnd)) {
            if (start == end) {
                const size_t to =
                    control ? NextWord(state->text, end) : std::min(end + 1, state->text.size());
                Select(hwnd, start, to);
            }
            Clear(hwnd, UndoKind::ForwardDelete);
        }
        break;
    case VK_INSERT:
        if (shift) {
            Paste(hwnd);
        } else if (control) {
            Copy(hwnd);
        }
        break;
    default:
        break;
    }
}

void Backspace(HWND hwnd, bool wholeWord) {
    EditState* state = State(hwnd);
    if (IsReadOnly(hwnd)) {
        return;
    }
    if (SelectionStart(*state) == SelectionEnd(*state)) {
        const size_t caret = state->caret;
        const size_t to = wholeWord ? PreviousWord(state->text, caret) : (caret > 0 ? caret - 1 : 0);
        Select(hwnd, caret, to);
    }
    Clear(hwnd, UndoKind::Backspace);
}

void Character(HWND hwnd, WPARAM wParam) {
    const char c = static_cast<char>(wParam);
    switch (c) {
    case '\b':
        Backspace(hwnd, GetKeyState(VK_CONTROL) < 0);
        return;
    case 0x7F: // Ctrl+Backspace
        Backspace(hwnd, true);
        return;
    case 0x01: // Ctrl+A
        Select(hwnd, 0, State(hwnd)->text.size());
        return;
    case 0x03: // Ctrl+C
        Copy(hwnd);
        return;
    case 0x16: // Ctrl+V
        Paste(hwnd);
        return;
    case 0x18: // Ctrl+X
        Copy(hwnd);
        Clear(hwnd);
        return;
    case 0x1A: // Ctrl+Z, sent as WM_UNDO so that a subclass sees it as any other undo
        if (!IsReadOnly(hwnd)) {
            SendMessageA(hwnd, WM_UNDO, 0, 0);
        }
        return;
    default:
        break;
    }
    if (static_cast<unsigned char>(c) < 0x20) {
        return;
    }
    const DWORD style = StyleOf(hwnd);
    if ((style & ES_READONLY) || ((style & ES_NUMBER) && !std::isdigit(static_cast<unsigned char>(c)))) {
        MessageBeep(MB_OK);
        return;
    }
    char typed = c;
    if (style & ES_UPPERCASE) {
        typed = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    } else if (style & ES_LOWERCASE) {
        typed = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (!ReplaceSelection(hwnd, std::string(1, typed), true, UndoKind::Typing)) {
        MessageBeep(MB_OK);
    }
}

void MouseDown(HWND hwnd, LPARAM lParam, bool isDouble) {
    EditState* state = State(hwnd);
    if (GetFocus() != hwnd) {
        SetFocus(hwnd);
    }
    const size_t at = CharacterAt(hwnd, *state, GET_X_LPARAM(lParam));
    if (isDouble) {
        size_t start = at;
        while (start > 0 && IsWordCharacter(state->text[start - 1])) {
            --start;
        }
        size_t end = at;
        while (end < state->text.size() && IsWordCharacter(state->text[end])) {
            ++end;
        }
        Select(hwnd, start, end);
        return;
    }
    MoveCaret(hwnd, at, GetKeyState(VK_SHIFT) < 0);
    state->isTracking = true;
    SetCapture(hwnd);
}

void MouseMove(HWND hwnd, LPARAM lParam) {
    EditState* state = State(hwnd);
    if (state->isTracking) {
        MoveCaret(hwnd, CharacterAt(hwnd, *state, GET_X_LPARAM(lParam)), true);
    }
}

void MouseUp(HWND hwnd) {
    EditState* state = State(hwnd);
    if (state->isTracking) {
        state->isTracking = false;
        ReleaseCapture();
    }
}

void Paint(HWND hwnd) {
    EditState* state = State(hwnd);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT client{};
    GetClientRect(hwnd, &client);
    HGDIOBJ oldFont = SelectObject(dc, state->font ? state->font : GetStockObject(SYSTEM_FONT));
    const bool isEnabled = IsWindowEnabled(hwnd) != FALSE;
    // Read-only and disabled edits ask for the static colours, as in Win32.
    HBRUSH brush = platform::ControlColours(
        hwnd, dc, (IsReadOnly(hwnd) || !isEnabled) ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(dc, &client, brush);
    if (!isEnabled) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    }
    const std::string shown = Shown(hwnd, *state);
    const std::vector<int> positions = Boundaries(hwnd, *state);
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    const int left = TextLeft(hwnd, *state, positions.back());
    const int top = std::max(0, (client.bottom - metrics.tmHeight) / 2);
    SetBkMode(dc, TRANSPARENT);
    TextOutA(dc, left, top, shown.c_str(), static_cast<int>(shown.size()));
    const size_t start = SelectionStart(*state);
    const size_t end = SelectionEnd(*state);
    const bool showsSelection = state->hasFocus || (StyleOf(hwnd) & ES_NOHIDESEL);
    if (start != end && showsSelection) {
        const RECT band{left + positions[start], top, left + positions[end], top + metrics.tmHeight};
        FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        TextOutA(dc, left + positions[start], top, shown.c_str() + start, static_cast<int>(end - start));
    }
    if (state->hasFocus) {
        const RECT caret{left + positions[state->caret], top, left + positions[state->caret] + 1,
                         top + metrics.tmHeight};
        FillRect(dc, &caret, GetSysColorBrush(COLOR_WINDOWTEXT));
    }
    SelectObject(dc, oldFont);
    EndPaint(hwnd, &paint);
}

void SetText(HWND hwnd, LPCSTR text) {
    EditState* state = State(hwnd);
    state->text = text != nullptr ? text : "";
    state->anchor = state->caret = 0;
    state->scroll = 0;
    state->isModified = false;
    state->undo = UndoRecord{};
    InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT GetText(HWND hwnd, WPARAM size, LPARAM buffer) {
    const EditState* state = State(hwnd);
    auto* out = reinterpret_cast<LPSTR>(buffer);
    if (out == nullptr || size == 0) {
        return 0;
    }
    const size_t length = std::min(state->text.size(), static_cast<size_t>(size - 1));
    std::memcpy(out, state->text.data(), length);
    out[length] = '\0';
    return static_cast<LRESULT>(length);
}

LRESULT GetSelection(HWND hwnd, WPARAM startOut, LPARAM endOut) {
    const EditState* state = State(hwnd);
    const auto start = static_cast<DWORD>(SelectionStart(*state));
    const auto end = static_cast<DWORD>(SelectionEnd(*state));
    if (startOut != 0) {
        *reinterpret_cast<DWORD*>(startOut) = start;
    }
    if (endOut != 0) {
        *reinterpret_cast<DWORD*>(endOut) = end;
    }
    return MAKELONG(static_cast<WORD>(std::min<DWORD>(start, 0xFFFF)),
                    static_cast<WORD>(std::min<DWORD>(end, 0xFFFF)));
}

// EM_SETSEL: a start of -1 takes the selection away; an end of -1 (or past the text) is the end.
void SetSelection(HWND hwnd, WPARAM start, LPARAM end) {
    EditState* state = State(hwnd);
    if (static_cast<int>(start) == -1) {
        Select(hwnd, state->caret, state->caret);
        return;
    }
    const size_t last = state->text.size();
    const size_t from = std::min<size_t>(static_cast<size_t>(static_cast<DWORD>(start)), last);
    const size_t to = end < 0 ? last : std::min<size_t>(static_cast<size_t>(end), last);
    Select(hwnd, from, to);
}

void Create(HWND hwnd, const CREATESTRUCTA* create) {
    MakeState<EditState>(hwnd);
    // A border is drawn as the sunken client edge of the 3D look.
    if (create->style & WS_BORDER) {
        SetWindowLongA(hwnd, GWL_STYLE, static_cast<LONG>(create->style & ~WS_BORDER));
        SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(create->dwExStyle | WS_EX_CLIENTEDGE));
    }
    SetText(hwnd, create->lpszName);
}

void FocusChanged(HWND hwnd, bool hasFocus) {
    State(hwnd)->hasFocus = hasFocus;
    InvalidateRect(hwnd, nullptr, TRUE);
    NotifyParent(hwnd, hasFocus ? EN_SETFOCUS : EN_KILLFOCUS);
}

// Enter, Esc and Tab are left to the dialog.
LRESULT DialogCode() {
    return DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
}

} // namespace

LRESULT EditProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        Create(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lParam));
        return result;
    }
    EditState* state = State(hwnd);
    if (state == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    switch (message) {
    case WM_NCDESTROY:
        DropState<EditState>(hwnd);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_GETDLGCODE:
        return DialogCode();
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ENABLE:
    case WM_STYLECHANGED:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETTEXT:
        DefWindowProcA(hwnd, message, wParam, lParam);
        SetText(hwnd, reinterpret_cast<LPCSTR>(lParam));
        Changed(hwnd);
        return TRUE;
    case WM_GETTEXT:
        return GetText(hwnd, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(state->text.size());
    case WM_SETFONT:
        StoreFont(hwnd, state->font, wParam, lParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(state->font);
    case WM_SETFOCUS:
        FocusChanged(hwnd, true);
        return 0;
    case WM_KILLFOCUS:
        FocusChanged(hwnd, false);
        return 0;
    case WM_KEYDOWN:
        KeyDown(hwnd, wParam);
        return 0;
    case WM_CHAR:
        Character(hwnd, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        MouseDown(hwnd, lParam, message == WM_LBUTTONDBLCLK);
        return 0;
    case WM_MOUSEMOVE:
        MouseMove(hwnd, lParam);
        return 0;
    case WM_LBUTTONUP:
        MouseUp(hwnd);
        return 0;
    case WM_CAPTURECHANGED:
        state->isTracking = false;
        return 0;
    case EM_GETSEL:
        return GetSelection(hwnd, wParam, lParam);
    case EM_SETSEL:
        SetSelection(hwnd, wParam, lParam);
        return 0;
    case EM_REPLACESEL:
        ReplaceSelection(hwnd, lParam ? reinterpret_cast<LPCSTR>(lParam) : "", true,
                         wParam ? UndoKind::Single : UndoKind::None);
        return 0;
    case EM_LIMITTEXT:
        state->limit = wParam == 0 ? MaximumLimit : std::min<size_t>(wParam, MaximumLimit);
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(state->limit);
    case EM_GETMODIFY:
        return state->isModified ? TRUE : FALSE;
    case EM_SETMODIFY:
        state->isModified = wParam != 0;
        return 0;
    case EM_SETREADONLY:
        SetWindowLongA(
            hwnd, GWL_STYLE,
            static_cast<LONG>(wParam ? (StyleOf(hwnd) | ES_READONLY) : (StyleOf(hwnd) & ~ES_READONLY)));
        return TRUE;
    case EM_CANUNDO:
        return CanUndo(*state) ? TRUE : FALSE;
    case EM_UNDO:
    case WM_UNDO:
        Undo(hwnd);
        return TRUE; // a single-line edit always answers TRUE
    case EM_EMPTYUNDOBUFFER:
        state->undo = UndoRecord{};
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+Backspace undoes, as Ctrl+Z does.
        if (wParam == VK_BACK && (lParam & (1 << 29)) != 0) {
            Undo(hwnd);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_COPY:
        Copy(hwnd);
        return 0;
    case WM_CUT:
        Copy(hwnd);
        Clear(hwnd);
        return 0;
    case WM_PASTE:
        Paste(hwnd);
        return 0;
    case WM_CLEAR:
        Clear(hwnd);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace platform::user
