#include "framework/Window.h"

#include "framework/Application.h"
#include "framework/Brush.h"
#include "framework/Canvas.h"
#include "framework/Font.h"
#include "framework/Layout.h"
#include "framework/ScrollBar.h"
#include "framework/Shortcuts.h"
#include "framework/services/HelpService.h"
#include "framework/services/MessageBoxes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace framework {

struct Window::HandlerRecord {
    Window* target;
    MessageHandler operation;
    UINT message;
    int32_t id;
    UINT code;
    HWND control;

    bool Same(Window* otherTarget, MessageHandler otherOperation, UINT otherMessage, int32_t otherId,
              UINT otherCode, HWND otherControl) const {
        return target == otherTarget && operation == otherOperation && message == otherMessage &&
               id == otherId && code == otherCode && control == otherControl;
    }
};

namespace {

enum Search { SearchGeneral, SearchCommand, SearchNotify };

bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_KEYUP ||
           message == WM_SYSKEYUP || message == WM_CHAR || message == WM_SYSCHAR;
}

constexpr UINT WmEndSession = 0x0016;
constexpr UINT WmEnterMenuLoop = 0x0211;
constexpr UINT WmExitMenuLoop = 0x0212;

} // namespace

Window::Window(Window* parent, Layout* layout)
    : handlers(PointerArray::DeleteAs<HandlerRecord>), parent(parent), layout(layout ? layout : new Layout) {
    if (parent != nullptr) {
        parent->children.Add(this);
    }
}

Window::~Window() {
    Destroy();
    delete canvas;
    delete layout;
    for (ScrollBar* scrollBar : scrollBars) {
        delete scrollBar;
    }
    if (ownsFont) {
        delete font;
    }
    delete background;
}

Window* Window::FromHandle(HWND hwnd) {
    return hwnd ? reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)) : nullptr;
}

// --- Handler table -----------------------------------------------------------------------------

void Window::AddHandler(Window* target, MessageHandler operation, UINT message, int32_t id, UINT code,
                        HWND control) {
    for (int32_t i = 0; i < handlers.Count(); ++i) {
        if (handlers.Get<HandlerRecord>(i)->Same(target, operation, message, id, code, control)) {
            return;
        }
    }
    handlers.Add(new HandlerRecord{target, operation, message, id, code, control});
}

void Window::RemoveHandlerRecord(Window* target, MessageHandler operation, UINT message, int32_t id,
                                 UINT code, HWND control) {
    for (int32_t i = 0; i < handlers.Count(); ++i) {
        if (handlers.Get<HandlerRecord>(i)->Same(target, operation, message, id, code, control)) {
            handlers.RemoveAt(i, true);
            return;
        }
    }
}

void Window::RemoveHandler(Window* target, MessageHandler operation, UINT message, int32_t id, UINT code,
                           HWND control) {
    RemoveHandlerRecord(target, operation, message, id, code, control);
}

void Window::AddCommandHandler(Window* target, MessageHandler operation, int32_t id, UINT code,
                               HWND control) {
    AddHandler(target, operation, WM_COMMAND, id, code, control);
}

void Window::RemoveCommandHandler(Window* target, MessageHandler operation, int32_t id, UINT code,
                                  HWND control) {
    RemoveHandlerRecord(target, operation, WM_COMMAND, id, code, control);
}

void Window::AddNotifyHandler(Window* target, MessageHandler operation, int32_t id, UINT code, HWND control) {
    AddHandler(target, operation, WM_NOTIFY, id, code, control);
}

void Window::RemoveNotifyHandler(Window* target, MessageHandler operation, int32_t id, UINT code,
                                 HWND control) {
    RemoveHandlerRecord(target, operation, WM_NOTIFY, id, code, control);
}

LRESULT Window::SearchHandlers(MessageRecord& record, int search) {
    // The id, code and control a record must match, by search.
    int32_t id = -1;
    UINT code = 0;
    HWND control = nullptr;
    if (search == SearchCommand) {
        id = LOWORD(record.wParam);
        code = HIWORD(record.wParam);
        control = reinterpret_cast<HWND>(record.lParam);
    } else if (search == SearchNotify) {
        const auto* header = reinterpret_cast<const NMHDR*>(record.lParam);
        if (header == nullptr) {
            return 0;
        }
        id = static_cast<int32_t>(header->idFrom);
        code = header->code;
        control = header->hwndFrom;
    }
    for (int32_t i = handlers.Count() - 1; i >= 0; --i) {
        const HandlerRecord* handler = handlers.Get<HandlerRecord>(i);
        if (handler == nullptr || handler->message != record.message) {
            continue;
        }
        const bool matches = search == SearchGeneral
                                 ? handler->id < 0 && handler->code == 0 && handler->control == nullptr
                                 : (handler->id < 0 || handler->id == id) &&
                                       (handler->control == nullptr || handler->control == control) &&
                                       (handler->code == 0 || handler->code == code);
        if (!matches) {
            continue;
        }
        if (const LRESULT result = (handler->target->*(handler->operation))(record)) {
            return result;
        }
    }
    return 0;
}

// --- Dispatch ----------------------------------------------------------------------------------

LRESULT Window::FrameProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FromHandle(hwnd);
    if (window == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    MessageRecord record{hwnd, lParam, wParam, message};
    if (const LRESULT result = window->Dispatch(record)) {
        return result;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Window::SubclassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FromHandle(hwnd);
    if (window == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    // The previous procedure is taken before dispatch: the object may go away while handling.
    const WNDPROC previous = window->previousProcedure;
    MessageRecord record{hwnd, lParam, wParam, message};
    if (const LRESULT result = window->Dispatch(record)) {
        return result;
    }
    return previous ? CallWindowProcA(previous, hwnd, message, wParam, lParam)
                    : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Window::Dispatch(MessageRecord& record) {
    if (IsKeyMessage(record.message) && Application::Instance() != nullptr) {
        Shortcuts& shortcuts = Application::Instance()->GetShortcuts();
        const bool isDown = record.message == WM_KEYDOWN || record.message == WM_SYSKEYDOWN;
        const bool isChar = record.message == WM_CHAR || record.message == WM_SYSCHAR;
        if (isDown ? shortcuts.HandleKeyDown(record) : shortcuts.HandleKeyUpOrChar(record, isChar)) {
            return 1;
        }
        if (const LRESULT forwarded = shortcuts.ForwardKey(record, isChar)) {
            return forwarded;
        }
    }
    if (record.message != WM_PAINT) {
        if (const LRESULT result = SearchHandlers(record, SearchGeneral)) {
            return result;
        }
        if (const LRESULT result = OnMessage(record)) {
            return result;
        }
    }
    return ApplyMessageTable(record);
}

LRESULT Window::ApplyMessageTable(MessageRecord& record) {
    switch (record.message) {
    case WM_DESTROY:
        if (handle != nullptr) {
            OnDestroy(record);
            handle = nullptr;
        }
        return 0;
    case WM_MOVE:
    case WM_SIZE:
        return HandleMoveOrSize(record);
    case WM_ACTIVATE:
        return OnActivate(record);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        return OnFocus(record);
    case WM_PAINT:
        return HandlePaint(record);
    case WM_CLOSE:
        return HandleClose(record);
    case WM_ERASEBKGND:
        return HandleEraseBackground(record);
    case WM_SYSCOLORCHANGE:
        OnSysColorChange(record);
        PassToChildren(record);
        return 0;
    case WmEndSession:
        Close();
        return 0;
    case WM_ACTIVATEAPP:
        if (Application* application = Application::Instance()) {
            application->SetIdleFlag(record.wParam ? 1 : 0);
        }
        return 0;
    case WM_SETCURSOR:
        // A busy application keeps its wait cursor over its client areas; the system would put
        // the class cursor back at the next move.
        if (const Application* application = Application::Instance();
            application != nullptr && application->IsWaitCursorShown() && LOWORD(record.lParam) == HTCLIENT) {
            SetCursor(LoadCursorA(nullptr, IDC_WAIT));
            return TRUE;
        }
        return 0;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(record.lParam);
        Window* control = item && item->CtlType != ODT_MENU ? FromHandle(item->hwndItem) : nullptr;
        if (control == nullptr) {
            return 0;
        }
        if (const LRESULT result = control->OnMessage(record)) {
            return result;
        }
        return control->SearchHandlers(record, SearchGeneral);
    }
    case WM_NOTIFY:
        return HandleNotify(record);
    case WM_CONTEXTMENU:
        return OnContextMenu(record);
    case WM_COMMAND:
        return HandleCommand(record);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return OnKeyDown(record);
    case WM_CHAR:
    case WM_SYSCHAR:
        return OnChar(record);
    case WM_KEYUP:
    case WM_SYSKEYUP:
        return OnKeyUp(record);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: {
        Window* control = FromHandle(reinterpret_cast<HWND>(record.lParam));
        Brush* brush = (control ? control : this)->OnCtlColor(record);
        return brush ? reinterpret_cast<LRESULT>(brush->Handle()) : 0;
    }
    case WM_MOUSEMOVE:
        return OnMouseMove(record);
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return OnButtonDown(record);
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
        return OnButtonUp(record);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(record);
    case WmEnterMenuLoop:
    case WmExitMenuLoop:
        if (Application* application = Application::Instance()) {
            if (record.message == WmEnterMenuLoop) {
                application->GetShortcuts().SuspendShortcuts(nullptr);
            } else {
                application->GetShortcuts().ResumeShortcuts(nullptr);
            }
        }
        return 0;
    case MessageQuery: {
        const LRESULT result = OnQuery(record.lParam);
        if (auto* words = reinterpret_cast<LONG_PTR*>(record.lParam)) {
            words[2] = result;
        }
        return result;
    }
    case MessagePrivate:
        OnPrivate(record.lParam);
        return 0;
    case MessageDeferred:
        OnDeferred(record);
        PassToChildren(record);
        return 0;
    case MessageDeferToSelf:
        Send(MessageDeferred, record.wParam, record.lParam);
        return 0;
    case MessageOutOfMemory:
        return HandleOutOfMemory();
    case MessageDeleteChild: {
        Window* owner = FromHandle(reinterpret_cast<HWND>(record.wParam));
        auto* child = reinterpret_cast<Window*>(record.lParam);
        if (owner != nullptr && owner->children.IndexOf(child) >= 0) {
            delete child;
        }
        return 0;
    }
    case WM_HELP:
        return HelpService::Instance().RouteHelpRequest(this, record) >= 0 ? 1 : 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
        return HandleScroll(record);
    default:
        return 0;
    }
}

LRESULT Window::HandleMoveOrSize(MessageRecord& record) {
    // A move or size caused by the handler itself (a layout resizing the window) is ignored.
    if (isInMoveOrSize) {
        return 0;
    }
    isInMoveOrSize = true;
    LRESULT result = 0;
    if (record.message == WM_MOVE) {
        result = OnMove(record);
    } else {
        result = OnSize(record);
        layout->PlaceChildren(*this);
    }
    isInMoveOrSize = false;
    return result;
}

LRESULT Window::HandlePaint(MessageRecord& record) {
    if (canvas == nullptr) {
        return 0;
    }
    RECT update{};
    if (!GetUpdateRect(record.hwnd, &update, FALSE)) {
        return 0;
    }
    PaintInformation information{};
    BeginPaint(record.hwnd, &information.paint);
    canvas->Bind(information.paint.hdc);
    information.update = Rect{information.paint.rcPaint.left, information.paint.rcPaint.top,
                              information.paint.rcPaint.right, information.paint.rcPaint.bottom};
    GetClientArea(information.client);
    const LPARAM saved = record.lParam;
    record.lParam = reinterpret_cast<LPARAM>(&information);
    LRESULT result = OnMessage(record);
    if (result == 0) {
        result = SearchHandlers(record, SearchGeneral);
    }
    if (result == 0) {
        result = OnPaintDefault(record);
    }
    record.lParam = saved;
    canvas->Unbind();
    EndPaint(record.hwnd, &information.paint);
    return 1;
}

LRESULT Window::HandleEraseBackground(MessageRecord& record) {
    if (const LRESULT result = OnEraseBkgnd(record)) {
        return result;
    }
    if (canvas == nullptr) {
        return 0;
    }
    canvas->Bind(reinterpret_cast<HDC>(record.wParam));
    const LRESULT result = OnEraseBackground(*canvas);
    canvas->Unbind();
    return result;
}

LRESULT Window::HandleClose(MessageRecord& record) {
    if (OnClose(record) != 0) {
        return 1; // refused
    }
    Application* application = Application::Instance();
    // Print jobs do not exist on this platform, so the main window never waits for them.
    if (application != nullptr && application->MainWindow() == this) {
        application->Quit();
    }
    return 0;
}

LRESULT Window::HandleCommand(MessageRecord& record) {
    if (const LRESULT result = OnCommand(record)) {
        return result;
    }
    if (const LRESULT result = SearchHandlers(record, SearchCommand)) {
        return result;
    }
    Window* control = FromHandle(reinterpret_cast<HWND>(record.lParam));
    if (control == nullptr || control == this) {
        return 0;
    }
    if (const LRESULT result = control->OnCommand(record)) {
        return result;
    }
    return control->SearchHandlers(record, SearchCommand);
}

LRESULT Window::HandleNotify(MessageRecord& record) {
    if (const LRESULT result = OnNotify(record)) {
        return result;
    }
    if (const LRESULT result = SearchHandlers(record, SearchNotify)) {
        return result;
    }
    const auto* header = reinterpret_cast<const NMHDR*>(record.lParam);
    if (header != nullptr && header->code == TTN_GETDISPINFOA) {
        return AnswerToolTipRequest(record);
    }
    Window* sender = header ? FromHandle(header->hwndFrom) : nullptr;
    if (sender == nullptr || sender == this) {
        return 0;
    }
    if (const LRESULT result = sender->OnNotify(record)) {
        return result;
    }
    return sender->SearchHandlers(record, SearchNotify);
}

String Window::ShortenToolTip(const String& text) {
    constexpr int32_t longest = 64;
    constexpr int32_t kept = 31;
    if (text.Length() <= longest) {
        return text;
    }
    String start(text);
    start.Keep(1, kept);
    String end(text);
    end.Keep(text.Length() - kept + 1, text.Length());
    return start.Concat("...").Concat(end);
}

// A tool identified by its window answers with its own text, at the cursor's position in it.
LRESULT Window::AnswerToolTipRequest(MessageRecord& record) {
    auto* request = reinterpret_cast<NMTTDISPINFOA*>(record.lParam);
    if ((request->uFlags & TTF_IDISHWND) == 0) {
        return 0;
    }
    Window* tool = FromHandle(reinterpret_cast<HWND>(request->hdr.idFrom));
    if (tool == nullptr) {
        return 0;
    }
    String text;
    if (tool->GetToolTipText(text, tool->GetCursorPosition()) == 0) {
        return 0;
    }
    const String shown = ShortenToolTip(text);
    std::snprintf(request->szText, sizeof request->szText, "%s", shown.CStr());
    request->lpszText = request->szText;
    return 1;
}

LRESULT Window::HandleOutOfMemory() {
    const String caption = GetText();
    ShowMessage(this, "Out of memory\n\nPlease close down some applications before continuing",
                caption.CStr(), MB_ICONHAND | MB_SYSTEMMODAL);
    return 1;
}

void Window::PassToChildren(const MessageRecord& record) {
    for (int32_t i = 0; i < children.Count(); ++i) {
        Window* child = children.Get<Window>(i);
        if (child == nullptr) {
            continue;
        }
        if (child->handle != nullptr) {
            SendMessageA(child->handle, record.message, record.wParam, record.lParam);
        } else {
            child->PassToChildren(record);
        }
    }
}

// --- Defaults of the overridable operations -----------------------------------------------------

LRESULT Window::OnDestroy(MessageRecord& record) {
    return 0;
}

void Window::Move(const Rect& rect, bool repaint) {
    if (handle == nullptr) {
        return;
    }
    MoveWindow(handle, rect.left, rect.top, rect.Width(), rect.Height(), repaint ? TRUE : FALSE);
    if (parent != nullptr && (GetStyle() & WS_CHILD)) {
        parent->layout->PlaceChildren(*parent);
    }
}

LRESULT Window::OnMouseWheel(MessageRecord& record) {
    if (!wheelScrolling) {
        return 0;
    }
    const int delta = static_cast<SHORT>(HIWORD(record.wParam));
    if ((LOWORD(record.wParam) & MK_CONTROL) != 0) {
        return delta != 0 ? Zoom(delta < 0 ? 1 : 0, std::abs(delta)) : 0;
    }
    if (delta == 0) {
        return 0;
    }
    ScrollBar& horizontal = Bar(SB_HORZ);
    ScrollBar& vertical = Bar(SB_VERT);
    const bool shift = (LOWORD(record.wParam) & MK_SHIFT) != 0;
    ScrollBar& moved = horizontal.TakesPart() && (!vertical.TakesPart() || shift) ? horizontal : vertical;
    // A quarter page per notch: towards the end when the wheel turns towards the user.
    const int32_t step = moved.Page() / 4;
    moved.SetPosition(moved.Position() + (delta < 0 ? step : -step));
    return 1;
}

ScrollBar& Window::Bar(int which) {
    const int index = std::clamp(which, SB_HORZ, SB_CTL);
    if (scrollBars[index] == nullptr) {
        scrollBars[index] = new ScrollBar(*this, index);
    }
    return *scrollBars[index];
}

LRESULT Window::HandleScroll(MessageRecord& record) {
    HWND control = reinterpret_cast<HWND>(record.lParam);
    if (control == nullptr) {
        return Bar(record.message == WM_HSCROLL ? SB_HORZ : SB_VERT).HandleScroll(record);
    }
    // Only scroll bars and track bars scroll through their object; other controls (up/down
    // arrows) leave the message to their parent's own handling.
    char className[32] = "";
    GetClassNameA(control, className, sizeof className);
    Window* object = FromHandle(control);
    if (object == nullptr ||
        (lstrcmpiA(className, "ScrollBar") != 0 && lstrcmpiA(className, "msctls_trackbar32") != 0)) {
        return 0;
    }
    return object->Bar(SB_CTL).HandleScroll(record);
}

LRESULT Window::OnEraseBkgnd(MessageRecord& record) {
    if (background == nullptr || record.wParam == 0) {
        return 0;
    }
    RECT client{};
    GetClientRect(record.hwnd, &client);
    FillRect(reinterpret_cast<HDC>(record.wParam), &client, background->Handle());
    return 1;
}

void Window::SetBackground(Colour colour, bool redraw) {
    SetBackgroundBrush(new Brush(colour), redraw);
}

void Window::SetBackgroundBrush(Brush* brush, bool redraw) {
    if (brush != background) {
        delete background;
        background = brush;
    }
    if (redraw) {
        Invalidate(nullptr, true);
    }
}

void Window::SetFont(Font* newFont, bool redraw, bool owns) {
    if (newFont != font && ownsFont) {
        delete font;
    }
    font = newFont;
    ownsFont = owns;
    if (handle != nullptr) {
        SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font ? font->Handle() : nullptr),
                     redraw ? TRUE : FALSE);
    }
}

String Window::GetText() {
    if (handle == nullptr) {
        return text;
    }
    String result;
    const int length = GetWindowTextLengthA(handle);
    result.Reserve(length);
    if (length > 0) {
        GetWindowTextA(handle, result.Buffer(), length + 1);
        result.Resync();
    }
    return result;
}

bool Window::IsEnabled() {
    return handle != nullptr && IsWindowEnabled(handle);
}

void Window::GetClientArea(Rect& rect) {
    RECT client{};
    if (handle != nullptr) {
        GetClientRect(handle, &client);
    }
    rect = Rect{client.left, client.top, client.right, client.bottom};
}

// --- Wrappers ------------------------------------------------------------------------------------

BOOL Window::Show(int command) {
    if (handle == nullptr) {
        return 0;
    }
    visible = command != SW_HIDE;
    const BOOL result = ShowWindow(handle, command);
    if (parent != nullptr && parent->layout->DependsOnVisibility()) {
        parent->layout->PlaceChildren(*parent);
    }
    return result;
}

BOOL Window::Enable(bool enable) {
    return handle ? EnableWindow(handle, enable ? TRUE : FALSE) : 0;
}

void Window::SetText(const char* newText) {
    text = newText;
    if (handle != nullptr) {
        SetWindowTextA(handle, text.CStr());
    }
}

bool Window::HasFocus(bool includingChildren) const {
    if (handle == nullptr) {
        return false;
    }
    HWND focus = ::GetFocus();
    return focus == handle || (includingChildren && IsChild(handle, focus));
}

void Window::SetFocus(bool includingChildren) {
    if (handle != nullptr && !HasFocus(includingChildren)) {
        ::SetFocus(handle);
    }
}

void Window::SetPosition(UINT flags, bool topmost, const Rect* rect) {
    if (handle == nullptr) {
        return;
    }
    if (rect == nullptr) {
        flags |= SWP_NOMOVE | SWP_NOSIZE;
    }
    const Rect area = rect ? *rect : Rect{};
    SetWindowPos(handle, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, area.left, area.top, area.Width(),
                 area.Height(), flags);
}

void Window::Centre(bool onParent) {
    if (handle == nullptr) {
        return;
    }
    RECT window{};
    ::GetWindowRect(handle, &window);
    const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT around = screen;
    if (onParent && parent != nullptr && parent->handle != nullptr) {
        ::GetWindowRect(parent->handle, &around);
    }
    const int width = window.right - window.left;
    const int height = window.bottom - window.top;
    int x = around.left + ((around.right - around.left) - width) / 2;
    int y = around.top + ((around.bottom - around.top) - height) / 2;
    // The top-left corner (and on a parent the whole window) stays on the screen.
    if (onParent) {
        x = std::min(x, static_cast<int>(screen.right) - width);
        y = std::min(y, static_cast<int>(screen.bottom) - height);
    }
    x = std::max(x, 0);
    y = std::max(y, 0);
    SetWindowPos(handle, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::GetWindowArea(Rect& rect) const {
    RECT window{};
    if (handle != nullptr) {
        ::GetWindowRect(handle, &window);
    }
    rect = Rect{window.left, window.top, window.right, window.bottom};
}

Point Window::ScreenToClient(Point point) const {
    POINT converted{point.x, point.y};
    if (handle != nullptr) {
        ::ScreenToClient(handle, &converted);
    }
    return Point{converted.x, converted.y};
}

Point Window::ClientToScreen(Point point) const {
    POINT converted{point.x, point.y};
    if (handle != nullptr) {
        ::ClientToScreen(handle, &converted);
    }
    return Point{converted.x, converted.y};
}

Point Window::GetCursorPosition() const {
    POINT cursor{};
    GetCursorPos(&cursor);
    return ScreenToClient(Point{cursor.x, cursor.y});
}

void Window::Invalidate(const Rect* rect, bool erase) {
    if (handle == nullptr) {
        return;
    }
    if (rect != nullptr && rect->Width() > 0 && rect->Height() > 0) {
        const RECT area{rect->left, rect->top, rect->right, rect->bottom};
        InvalidateRect(handle, &area, erase ? TRUE : FALSE);
    } else {
        InvalidateRect(handle, nullptr, erase ? TRUE : FALSE);
    }
}

void Window::Update() {
    if (handle != nullptr) {
        UpdateWindow(handle);
    }
}

void Window::Redraw() {
    if (handle != nullptr) {
        RedrawWindow(handle, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

BOOL Window::Post(const MessageRecord& record) const {
    return handle ? PostMessageA(handle, record.message, record.wParam, record.lParam) : 0;
}

LRESULT Window::Send(const MessageRecord& record) const {
    return handle ? SendMessageA(handle, record.message, record.wParam, record.lParam) : 0;
}

LRESULT Window::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    return Send(MessageRecord{handle, lParam, wParam, message});
}

DWORD Window::GetStyle(bool extended) {
    if (handle == nullptr) {
        return 0;
    }
    const DWORD bits = static_cast<DWORD>(GetWindowLongPtrA(handle, extended ? GWL_EXSTYLE : GWL_STYLE));
    if (!extended) {
        style = bits;
    }
    return bits;
}

void Window::SetStyle(DWORD bits, bool extended) {
    if (handle == nullptr) {
        return;
    }
    SetWindowLongPtrA(handle, extended ? GWL_EXSTYLE : GWL_STYLE, static_cast<LONG_PTR>(bits));
    if (!extended) {
        style = bits;
    }
}

void Window::SetParent(Window* newParent, bool reparentHandle, bool relayout) {
    if (parent != nullptr) {
        parent->children.Remove(this);
    }
    parent = newParent;
    if (parent != nullptr) {
        parent->children.Add(this);
        if (reparentHandle && handle != nullptr && parent->handle != nullptr) {
            ::SetParent(handle, parent->handle);
        }
        if (relayout) {
            parent->layout->PlaceChildren(*parent);
        }
    }
}

void Window::ReplaceChildren() {
    layout->PlaceChildren(*this);
}

// --- Binding, creation and destruction --------------------------------------------------------

void Window::Bind(HWND hwnd) {
    handle = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
    visible = (style & (WS_VISIBLE | WS_MAXIMIZE)) != 0;
    char name[256] = {};
    GetClassNameA(hwnd, name, sizeof name);
    className = name;
}

void Window::Subclass(HWND hwnd) {
    Bind(hwnd);
    kind = KindControl;
    previousProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Window::SubclassProcedure)));
}

void Window::Detach() {
    if (handle == nullptr) {
        return;
    }
    if (previousProcedure != nullptr) {
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProcedure));
        previousProcedure = nullptr;
    }
    SetWindowLongPtrA(handle, GWLP_USERDATA, 0);
    handle = nullptr;
}

void Window::SetCanvas(Canvas* newCanvas) {
    if (newCanvas != canvas) {
        delete canvas;
        canvas = newCanvas;
    }
}

HWND Window::CreateFrame(DWORD frameStyle, DWORD exStyle) {
    Application* application = Application::Instance();
    String name;
    name.Format("QOR:t8:n%i", application ? application->NextId() : 0);
    if (application == nullptr || !application->HasClass(name.CStr())) {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = CS_DBLCLKS;
        windowClass.lpfnWndProc = &Window::FrameProcedure;
        windowClass.hInstance = application ? application->ModuleHandle() : nullptr;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
        windowClass.lpszClassName = name.CStr();
        RegisterClassExA(&windowClass);
    }
    const Rect rect = layout->InitialRect(*this);
    HWND hwnd = CreateWindowExA(exStyle, name.CStr(), nullptr, frameStyle, rect.left, rect.top, rect.Width(),
                                rect.Height(), parent ? parent->handle : nullptr, nullptr,
                                application ? application->ModuleHandle() : nullptr, nullptr);
    if (hwnd == nullptr) {
        return nullptr;
    }
    Bind(hwnd);
    kind = KindCanvasFrame;
    layout->PlaceChildren(*this);
    SetCanvas(new Canvas);
    return hwnd;
}

void Window::Destroy() {
    if (parent != nullptr) {
        parent->children.Remove(this);
        parent = nullptr;
    }
    if (Application* application = Application::Instance()) {
        application->RemoveIdleClient(this);
    }
    while (children.Count() > 0) {
        // Each child takes itself out of the list as it goes.
        delete children.Get<Window>(children.Count() - 1);
    }
    if (handle != nullptr) {
        // WM_DESTROY reaches the object while it is still bound and clears the handle.
        HWND hwnd = handle;
        DestroyWindow(hwnd);
        handle = nullptr;
    }
}

} // namespace framework
