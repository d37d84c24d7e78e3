#include "platform/user/Windows.h"

#include "platform/display/Backend.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Surface.h"
#include "platform/gdi/SystemColours.h"
#include "platform/kernel/Errors.h"
#include "platform/kernel/Threads.h"
#include "platform/user/Messages.h"
#include "platform/user/Paint.h"
#include "platform/user/ScrollBars.h"
#include "platform/user/Sound.h"
#include "platform/user/State.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <utility>

using namespace platform::user;

namespace {

ATOM nextAtom = 0xC000;
HCURSOR currentCursor = nullptr;
POINT cursorPosition{};
HWND foregroundWindow = nullptr;

constexpr int DefaultWidth = 640;
constexpr int DefaultHeight = 480;

std::string FoldedName(LPCSTR name) {
    std::string folded(name);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

// The record of a window of any thread, or null with ERROR_INVALID_WINDOW_HANDLE.
WindowRecord* Lookup(HWND hwnd) {
    WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return record;
}

std::vector<HWND>* SiblingsOf(const WindowRecord& record) {
    WindowRecord* parent = FindWindow(record.parent);
    return parent ? &parent->children : nullptr;
}

void Unlink(WindowRecord& record) {
    if (std::vector<HWND>* siblings = SiblingsOf(record)) {
        std::erase(*siblings, record.handle);
    }
}

int Width(const RECT& rect) {
    return rect.right - rect.left;
}
int Height(const RECT& rect) {
    return rect.bottom - rect.top;
}

void NotifyParent(HWND hwnd, UINT event) {
    HWND parent = nullptr;
    LONG_PTR id = 0;
    {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr || (record->style & WS_CHILD) == 0 ||
            (record->exStyle & WS_EX_NOPARENTNOTIFY)) {
            return;
        }
        parent = record->parent;
        id = record->id;
    }
    SendMessageA(parent, WM_PARENTNOTIFY, MAKEWPARAM(static_cast<WORD>(event), static_cast<WORD>(id)),
                 reinterpret_cast<LPARAM>(hwnd));
}

void SendSizeAndMove(HWND hwnd) {
    RECT client{};
    RECT window{};
    POINT offset{};
    {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr) {
            return;
        }
        client = ClientRectOf(*record);
        window = record->rect;
        offset = ClientOffsetOf(*record);
    }
    SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED,
                 MAKELPARAM(static_cast<WORD>(client.right), static_cast<WORD>(client.bottom)));
    SendMessageA(
        hwnd, WM_MOVE, 0,
        MAKELPARAM(static_cast<WORD>(window.left + offset.x), static_cast<WORD>(window.top + offset.y)));
}

// Every window below hwnd (itself first, then its children in z-order, depth first).
void CollectTree(HWND hwnd, std::vector<HWND>& out) {
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return;
    }
    out.push_back(hwnd);
    for (HWND child : record->children) {
        CollectTree(child, out);
    }
}

void ForgetWindowEverywhere(HWND hwnd) {
    platform::ForgetWindowMessages(hwnd);
    auto lock = UserLock();
    WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return;
    }
    ThreadQueue& queue = QueueOf(record->threadId);
    if (queue.focus == hwnd) {
        queue.focus = nullptr;
    }
    if (queue.active == hwnd) {
        queue.active = nullptr;
    }
    if (queue.capture == hwnd) {
        queue.capture = nullptr;
    }
    if (foregroundWindow == hwnd) {
        foregroundWindow = nullptr;
    }
    platform::user::ForgetWindowScrollBars(hwnd);
    Unlink(*record);
    if (record->surface != nullptr) {
        platform::DestroySurface(record->surface);
    }
    Windows().erase(reinterpret_cast<uintptr_t>(hwnd));
}

LONG_PTR* ExtraSlot(WindowRecord& record, int index) {
    if (index < 0 || static_cast<size_t>(index) + sizeof(LONG_PTR) > record.extraBytes.size()) {
        return nullptr;
    }
    return reinterpret_cast<LONG_PTR*>(record.extraBytes.data() + index);
}

LRESULT DefaultEraseBackground(HWND hwnd, WPARAM hdc);
void DrawFrame(HWND hwnd);

// GetAncestor for callers that hold the lock.
HWND AncestorOf(HWND hwnd, UINT flags) {
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return nullptr;
    }
    if (flags == GA_PARENT) {
        return record->parent;
    }
    while (const WindowRecord* parent = FindWindow(record->parent)) {
        record = parent;
    }
    if (flags == GA_ROOTOWNER) {
        while (const WindowRecord* owner = FindWindow(record->owner)) {
            record = owner;
        }
    }
    return record->handle;
}

} // namespace

// --- Classes -------------------------------------------------------------------------------------

ATOM RegisterClassExA(const WNDCLASSEXA* lpWndClass) {
    if (lpWndClass == nullptr || lpWndClass->lpszClassName == nullptr ||
        lpWndClass->cbSize != sizeof(WNDCLASSEXA)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto lock = UserLock();
    const std::string key = FoldedName(lpWndClass->lpszClassName);
    if (Classes().count(key) != 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto record = std::make_shared<ClassRecord>();
    record->name = lpWndClass->lpszClassName;
    record->style = lpWndClass->style;
    record->procedure = lpWndClass->lpfnWndProc;
    record->windowExtraBytes = std::max(lpWndClass->cbWndExtra, 0);
    record->instance = lpWndClass->hInstance;
    record->icon = lpWndClass->hIcon;
    record->smallIcon = lpWndClass->hIconSm;
    record->cursor = lpWndClass->hCursor;
    record->background = lpWndClass->hbrBackground;
    record->atom = nextAtom++;
    Classes().emplace(key, record);
    return record->atom;
}

BOOL UnregisterClassA(LPCSTR lpClassName, HINSTANCE) {
    auto lock = UserLock();
    std::shared_ptr<ClassRecord> record = FindClass(lpClassName);
    if (record == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    for (auto& [key, window] : Windows()) {
        if (window->windowClass == record) {
            SetLastError(ERROR_CLASS_HAS_WINDOWS);
            return FALSE;
        }
    }
    Classes().erase(FoldedName(record->name.c_str()));
    return TRUE;
}

BOOL GetClassInfoExA(HINSTANCE, LPCSTR lpszClass, WNDCLASSEXA* lpwcx) {
    auto lock = UserLock();
    std::shared_ptr<ClassRecord> record = FindClass(lpszClass);
    if (record == nullptr || lpwcx == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    *lpwcx = WNDCLASSEXA{sizeof(WNDCLASSEXA),      record->style,    record->procedure, 0,
                         record->windowExtraBytes, record->instance, record->icon,      record->cursor,
                         record->background,       nullptr,          lpszClass,         record->smallIcon};
    return record->atom;
}

int GetClassNameA(HWND hWnd, LPSTR lpClassName, int nMaxCount) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr || lpClassName == nullptr || nMaxCount <= 0) {
        return 0;
    }
    const int length = std::min<int>(static_cast<int>(record->windowClass->name.size()), nMaxCount - 1);
    std::memcpy(lpClassName, record->windowClass->name.data(), length);
    lpClassName[length] = '\0';
    return length;
}

// --- Creation and destruction --------------------------------------------------------------------

HWND CreateWindowExA(DWORD dwExStyle, LPCSTR lpClassName, LPCSTR lpWindowName, DWORD dwStyle, int X, int Y,
                     int nWidth, int nHeight, HWND hWndParent, HMENU hMenu, HINSTANCE hInstance,
                     LPVOID lpParam) {
    HWND hwnd = nullptr;
    {
        auto lock = UserLock();
        std::shared_ptr<ClassRecord> windowClass = FindClass(lpClassName);
        if (windowClass == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        WindowRecord* parent = FindWindow(hWndParent);
        if ((dwStyle & WS_CHILD) && parent == nullptr) {
            SetLastError(ERROR_TLW_WITH_WSCHILD);
            return nullptr;
        }
        auto record = std::make_unique<WindowRecord>();
        hwnd = record->handle = NewWindowHandle();
        record->windowClass = windowClass;
        record->procedure = windowClass->procedure;
        // The window becomes visible after WM_CREATE, through ShowWindow, as Win32 does it.
        record->style = dwStyle & ~WS_VISIBLE;
        record->exStyle = dwExStyle;
        record->text = lpWindowName ? lpWindowName : "";
        const int x = X == CW_USEDEFAULT ? 0 : X;
        const int y = X == CW_USEDEFAULT ? 0 : Y;
        const int width = nWidth == CW_USEDEFAULT ? DefaultWidth : std::max(nWidth, 0);
        const int height = nWidth == CW_USEDEFAULT ? DefaultHeight : std::max(nHeight, 0);
        record->rect = RECT{x, y, x + width, y + height};
        record->instance = hInstance;
        record->extraBytes.assign(windowClass->windowExtraBytes, 0);
        record->threadId = CurrentQueue().threadId; // the thread's queue now outlives nothing it owns
        if (dwStyle & WS_CHILD) {
            record->parent = hWndParent;
            record->id = reinterpret_cast<LONG_PTR>(hMenu);
            parent->children.push_back(hwnd);
        } else if (hWndParent != nullptr) {
            record->owner = AncestorOf(hWndParent, GA_ROOT);
        }
        if ((dwStyle & WS_CHILD) == 0) {
            // Everything inside a top-level window draws on its surface.
            record->surface = platform::CreateSurface(width, height);
        }
        Windows().emplace(reinterpret_cast<uintptr_t>(hwnd), std::move(record));
    }
    CREATESTRUCTA create{
        lpParam,      hInstance,   hMenu,    hWndParent, nHeight, nWidth, Y, X, static_cast<LONG>(dwStyle),
        lpWindowName, lpClassName, dwExStyle};
    if (!SendMessageA(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (SendMessageA(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!IsWindow(hwnd)) {
        return nullptr; // destroyed by its own WM_CREATE
    }
    SendSizeAndMove(hwnd);
    NotifyParent(hwnd, WM_CREATE);
    if ((dwStyle & WS_CHILD) == 0) {
        platform::DisplayWindowChanged(hwnd); // display hook: the display window is made, hidden
    }
    if (dwStyle & WS_VISIBLE) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return IsWindow(hwnd) ? hwnd : nullptr;
}

BOOL IsWindow(HWND hWnd) {
    auto lock = UserLock();
    return FindWindow(hWnd) != nullptr ? TRUE : FALSE;
}

BOOL DestroyWindow(HWND hWnd) {
    std::vector<HWND> tree;
    std::vector<HWND> owned;
    {
        auto lock = UserLock();
        WindowRecord* record = Lookup(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        if (record->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        if (record->isDestroying) {
            return TRUE;
        }
        CollectTree(hWnd, tree);
        for (HWND window : tree) {
            FindWindow(window)->isDestroying = true;
        }
        for (auto& [key, other] : Windows()) {
            if (other->owner == hWnd && !other->isDestroying) {
                owned.push_back(other->handle);
            }
        }
    }
    // Owned windows go first; then WM_DESTROY from the top of the tree down and WM_NCDESTROY from
    // the leaves up, so a parent can still reach its children while it is being destroyed.
    for (HWND window : owned) {
        DestroyWindow(window);
    }
    if (IsWindowVisible(hWnd)) {
        ShowWindow(hWnd, SW_HIDE);
    }
    NotifyParent(hWnd, WM_DESTROY);
    for (HWND window : tree) {
        SendMessageA(window, WM_DESTROY, 0, 0);
    }
    platform::DisplayWindowDestroyed(hWnd); // display hook: the display window goes first
    for (auto it = tree.rbegin(); it != tree.rend(); ++it) {
        SendMessageA(*it, WM_NCDESTROY, 0, 0);
        ForgetWindowEverywhere(*it);
    }
    return TRUE;
}

DWORD GetWindowThreadProcessId(HWND hWnd, LPDWORD lpdwProcessId) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (lpdwProcessId != nullptr) {
        *lpdwProcessId = 1;
    }
    return record ? record->threadId : 0;
}

// --- Procedures ----------------------------------------------------------------------------------

namespace {

// The part of a window at a point on the screen: its client area, its border, or nothing of it.
// The window's own scroll bars are answered before this.
LRESULT HitTest(HWND hwnd, POINT screen) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hwnd);
    if (record == nullptr) {
        return HTNOWHERE;
    }
    const POINT origin = ClientOriginOnScreen(*record);
    const POINT client{screen.x - origin.x, screen.y - origin.y};
    const RECT area = ClientRectOf(*record);
    if (client.x >= area.left && client.x < area.right && client.y >= area.top && client.y < area.bottom) {
        return HTCLIENT;
    }
    const POINT offset = ClientOffsetOf(*record);
    const POINT window{client.x + offset.x, client.y + offset.y};
    const bool isInside = window.x >= 0 && window.y >= 0 &&
                          window.x < record->rect.right - record->rect.left &&
                          window.y < record->rect.bottom - record->rect.top;
    return isInside ? HTBORDER : HTNOWHERE;
}

// The cursor for the part of a window the mouse is over. A child lets its parent choose first,
// except on a sizing border; a press on a disabled window beeps, once.
LRESULT SetCursorFor(HWND hwnd, WPARAM wParam, LPARAM lParam) {
    const auto hit = static_cast<short>(LOWORD(lParam));
    const UINT mouseMessage = HIWORD(lParam);
    const bool isSizing = hit >= HTLEFT && hit <= HTBOTTOMRIGHT;
    if (HWND parent = GetParent(hwnd); parent != nullptr && !isSizing &&
                                       (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) != 0 &&
                                       SendMessageA(parent, WM_SETCURSOR, wParam, lParam)) {
        return TRUE;
    }
    switch (hit) {
    case HTERROR:
        if (mouseMessage == WM_LBUTTONDOWN || mouseMessage == WM_RBUTTONDOWN ||
            mouseMessage == WM_MBUTTONDOWN) {
            MessageBeep(0);
        }
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return TRUE; // one beep: the children of the window that answered ask no further
    case HTCLIENT: {
        HCURSOR cursor = nullptr;
        {
            auto lock = UserLock();
            if (const WindowRecord* record = FindWindow(hwnd)) {
                cursor = record->windowClass->cursor;
            }
        }
        // Without a class cursor the window sets its own on every move.
        if (cursor == nullptr) {
            return FALSE;
        }
        SetCursor(cursor);
        return TRUE;
    }
    case HTLEFT:
    case HTRIGHT:
        SetCursor(LoadCursorA(nullptr, IDC_SIZEWE));
        return TRUE;
    case HTTOP:
    case HTBOTTOM:
        SetCursor(LoadCursorA(nullptr, IDC_SIZENS));
        return TRUE;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
        SetCursor(LoadCursorA(nullptr, IDC_SIZENWSE));
        return TRUE;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
        SetCursor(LoadCursorA(nullptr, IDC_SIZENESW));
        return TRUE;
    default:
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        return FALSE;
    }
}

// WM_SETICON keeps the window's big or small icon and answers the previous one; WM_GETICON
// answers them (ICON_SMALL2: the small one, else the big one). A top-level window's new icon goes
// to the display.
LRESULT HandleIcon(HWND hwnd, UINT message, WPARAM which, LPARAM lParam) {
    HICON previous = nullptr;
    bool isTopLevel = false;
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr) {
            return 0;
        }
        if (message == WM_GETICON) {
            HICON icon = which == ICON_BIG ? record->icon : record->smallIcon;
            if (icon == nullptr && which == ICON_SMALL2) {
                icon = record->icon;
            }
            return reinterpret_cast<LRESULT>(icon);
        }
        if (which != ICON_BIG && which != ICON_SMALL) {
            return 0;
        }
        HICON& slot = which == ICON_BIG ? record->icon : record->smallIcon;
        previous = std::exchange(slot, reinterpret_cast<HICON>(lParam));
        isTopLevel = record->parent == nullptr;
    }
    if (isTopLevel) {
        platform::DisplayWindowChanged(hwnd); // display hook: the title bar shows the new icon
    }
    return reinterpret_cast<LRESULT>(previous);
}

} // namespace

LRESULT CallWindowProcA(WNDPROC lpPrevWndFunc, HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    return lpPrevWndFunc ? lpPrevWndFunc(hWnd, Msg, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam) {
    if (LRESULT result = 0; HandleWindowScrollBarMessage(hWnd, Msg, wParam, lParam, result)) {
        return result; // the window's own scroll bars: hit tests and the mouse while one is held
    }
    switch (Msg) {
    case WM_NCCREATE: {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (create != nullptr && create->lpszName != nullptr) {
            auto lock = UserLock();
            if (WindowRecord* record = FindWindow(hWnd)) {
                record->text = create->lpszName;
            }
        }
        return TRUE;
    }
    case WM_SETTEXT: {
        bool isTopLevel = false;
        {
            auto lock = UserLock();
            WindowRecord* record = FindWindow(hWnd);
            if (record == nullptr) {
                return FALSE;
            }
            record->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
            isTopLevel = record->parent == nullptr;
        }
        if (isTopLevel) {
            platform::DisplayWindowChanged(hWnd); // display hook: the caption follows the text
        }
        return TRUE;
    }
    case WM_GETTEXT: {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hWnd);
        auto* buffer = reinterpret_cast<LPSTR>(lParam);
        if (record == nullptr || buffer == nullptr || wParam == 0) {
            return 0;
        }
        const size_t length = std::min(record->text.size(), static_cast<size_t>(wParam - 1));
        std::memcpy(buffer, record->text.data(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    case WM_GETTEXTLENGTH: {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hWnd);
        return record ? static_cast<LRESULT>(record->text.size()) : 0;
    }
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            SendMessageA(hWnd, WM_CLOSE, 0, 0);
        }
        return 0;
    case WM_ERASEBKGND:
        return DefaultEraseBackground(hWnd, wParam);
    case WM_NCPAINT:
        DrawFrame(hWnd);
        DrawWindowScrollBars(hWnd);
        return 0;
    case WM_NCHITTEST:
        return HitTest(hWnd, POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_MOUSEACTIVATE:
        // A child lets its parent decide first.
        if (HWND parent = GetParent(hWnd);
            parent != nullptr && (GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD)) {
            if (const LRESULT answer = SendMessageA(parent, WM_MOUSEACTIVATE, wParam, lParam)) {
                return answer;
            }
        }
        return MA_ACTIVATE;
    case WM_SETCURSOR:
        return SetCursorFor(hWnd, wParam, lParam);
    case WM_SETICON:
    case WM_GETICON:
        return HandleIcon(hWnd, Msg, wParam, lParam);
    case WM_WINDOWPOSCHANGED: {
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (position != nullptr &&
            (position->flags & (SWP_NOSIZE | SWP_NOMOVE)) != (SWP_NOSIZE | SWP_NOMOVE)) {
            SendSizeAndMove(hWnd);
        }
        return 0;
    }
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            SetFocus(hWnd);
        }
        return 0;
    case WM_RBUTTONUP: {
        // The right button's release asks for the window's context menu, at the pointer on the
        // screen.
        POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(hWnd, &point);
        SendMessageA(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd),
                     MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
        return 0;
    }
    case WM_SYSKEYDOWN:
        // Shift+F10 asks for the context menu from the keyboard: at no point, (-1, -1).
        if (wParam == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            SendMessageA(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), -1);
        }
        return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // So does the menu key, once released.
        if (wParam == VK_APPS) {
            PostMessageA(hWnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hWnd), -1);
        }
        return 0;
    case WM_CONTEXTMENU:
        // A child without a menu of its own passes the request to its parent.
        if ((GetWindowLongPtrA(hWnd, GWL_STYLE) & WS_CHILD) != 0) {
            if (HWND parent = GetParent(hWnd)) {
                return SendMessageA(parent, WM_CONTEXTMENU, wParam, lParam);
            }
        }
        return 0;
    default:
        return 0;
    }
}

// --- Window longs --------------------------------------------------------------------------------

LONG_PTR GetWindowLongPtrA(HWND hWnd, int nIndex) {
    auto lock = UserLock();
    WindowRecord* record = Lookup(hWnd);
    if (record == nullptr) {
        return 0;
    }
    switch (nIndex) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(record->procedure);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(record->instance);
    case GWLP_HWNDPARENT:
        return reinterpret_cast<LONG_PTR>(record->parent ? record->parent : record->owner);
    case GWLP_ID:
        return record->id;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(record->style);
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(record->exStyle);
    case GWLP_USERDATA:
        return record->userData;
    default:
        if (LONG_PTR* slot = ExtraSlot(*record, nIndex)) {
            return *slot;
        }
        SetLastError(ERROR_INVALID_INDEX);
        return 0;
    }
}

LONG_PTR SetWindowLongPtrA(HWND hWnd, int nIndex, LONG_PTR dwNewLong) {
    LONG_PTR previous = 0;
    {
        auto lock = UserLock();
        WindowRecord* record = Lookup(hWnd);
        if (record == nullptr) {
            return 0;
        }
        switch (nIndex) {
        case GWLP_WNDPROC:
            previous = reinterpret_cast<LONG_PTR>(record->procedure);
            record->procedure = reinterpret_cast<WNDPROC>(dwNewLong);
            return previous;
        case GWLP_HINSTANCE:
            previous = reinterpret_cast<LONG_PTR>(record->instance);
            record->instance = reinterpret_cast<HINSTANCE>(dwNewLong);
            return previous;
        case GWLP_HWNDPARENT:
            previous = reinterpret_cast<LONG_PTR>(record->owner);
            if (record->parent == nullptr) {
                record->owner = reinterpret_cast<HWND>(dwNewLong);
            }
            return previous;
        case GWLP_ID:
            previous = record->id;
            record->id = dwNewLong;
            return previous;
        case GWL_STYLE:
            previous = static_cast<LONG_PTR>(record->style);
            record->style = static_cast<DWORD>(dwNewLong);
            break;
        case GWL_EXSTYLE:
            previous = static_cast<LONG_PTR>(record->exStyle);
            record->exStyle = static_cast<DWORD>(dwNewLong);
            break;
        case GWLP_USERDATA:
            previous = record->userData;
            record->userData = dwNewLong;
            return previous;
        default:
            if (LONG_PTR* slot = ExtraSlot(*record, nIndex)) {
                previous = *slot;
                *slot = dwNewLong;
                return previous;
            }
            SetLastError(ERROR_INVALID_INDEX);
            return 0;
        }
    }
    // Only style changes reach here.
    SendMessageA(hWnd, WM_STYLECHANGED, static_cast<WPARAM>(nIndex), 0);
    return previous;
}

LONG GetWindowLongA(HWND hWnd, int nIndex) {
    return static_cast<LONG>(GetWindowLongPtrA(hWnd, nIndex));
}

LONG SetWindowLongA(HWND hWnd, int nIndex, LONG dwNewLong) {
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, nIndex, dwNewLong));
}

int GetDlgCtrlID(HWND hWnd) {
    return static_cast<int>(GetWindowLongPtrA(hWnd, GWLP_ID));
}

// --- Text ----------------------------------------------------------------------------------------

BOOL SetWindowTextA(HWND hWnd, LPCSTR lpString) {
    return SendMessageA(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(lpString)) ? TRUE : FALSE;
}

int GetWindowTextA(HWND hWnd, LPSTR lpString, int nMaxCount) {
    if (lpString == nullptr || nMaxCount <= 0) {
        return 0;
    }
    lpString[0] = '\0';
    return static_cast<int>(
        SendMessageA(hWnd, WM_GETTEXT, static_cast<WPARAM>(nMaxCount), reinterpret_cast<LPARAM>(lpString)));
}

int GetWindowTextLengthA(HWND hWnd) {
    return static_cast<int>(SendMessageA(hWnd, WM_GETTEXTLENGTH, 0, 0));
}

// --- Visibility and enabling ---------------------------------------------------------------------

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
    bool wasVisible = false;
    const bool show = nCmdShow != SW_HIDE;
    bool isTopLevel = false;
    {
        auto lock = UserLock();
        WindowRecord* record = Lookup(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        wasVisible = (record->style & WS_VISIBLE) != 0;
        isTopLevel = record->parent == nullptr;
    }
    if (wasVisible != show) {
        SendMessageA(hWnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        {
            auto lock = UserLock();
            if (WindowRecord* record = FindWindow(hWnd)) {
                record->style = show ? (record->style | WS_VISIBLE) : (record->style & ~WS_VISIBLE);
                record->update = ClientRectOf(*record);
                record->eraseBackground = true;
                Wake(QueueOf(record->threadId));
            }
        }
        if (!show) {
            // What was under the window shows again.
            HWND parent = GetParent(hWnd);
            if (parent != nullptr) {
                auto lock = UserLock();
                if (WindowRecord* parentRecord = FindWindow(parent)) {
                    parentRecord->update = ClientRectOf(*parentRecord);
                    parentRecord->eraseBackground = true;
                }
            }
        }
    }
    if (isTopLevel && wasVisible != show) {
        platform::DisplayWindowChanged(hWnd); // display hook: shown or hidden on the display too
    }
    const bool activates = show && isTopLevel && nCmdShow != SW_SHOWNA && nCmdShow != SW_SHOWNOACTIVATE &&
                           nCmdShow != SW_SHOWMINNOACTIVE;
    if (activates) {
        SetActiveWindow(hWnd);
    }
    if (!show && isTopLevel && GetActiveWindow() == hWnd) {
        SetActiveWindow(nullptr);
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hWnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    return record != nullptr && IsVisibleChain(*record) ? TRUE : FALSE;
}

BOOL EnableWindow(HWND hWnd, BOOL bEnable) {
    bool wasDisabled = false;
    {
        auto lock = UserLock();
        WindowRecord* record = Lookup(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        wasDisabled = (record->style & WS_DISABLED) != 0;
        if (wasDisabled == !bEnable) {
            return wasDisabled ? TRUE : FALSE;
        }
        record->style = bEnable ? (record->style & ~WS_DISABLED) : (record->style | WS_DISABLED);
        record->update = ClientRectOf(*record);
        Wake(QueueOf(record->threadId));
    }
    if (!bEnable) {
        // A disabled window cannot keep the keyboard or the mouse.
        if (GetFocus() == hWnd || IsChild(hWnd, GetFocus())) {
            SetFocus(nullptr);
        }
        if (GetCapture() == hWnd) {
            ReleaseCapture();
        }
    }
    SendMessageA(hWnd, WM_ENABLE, bEnable ? TRUE : FALSE, 0);
    // The windows it owns become modal to it, or cease to be, on the display.
    std::vector<HWND> owned;
    {
        auto lock = UserLock();
        for (const auto& [key, record] : Windows()) {
            if (record->owner == hWnd && record->parent == nullptr) {
                owned.push_back(record->handle);
            }
        }
    }
    for (HWND window : owned) {
        platform::DisplayWindowChanged(window);
    }
    return wasDisabled ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND hWnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    return record != nullptr && (record->style & WS_DISABLED) == 0 ? TRUE : FALSE;
}

// --- Geometry ------------------------------------------------------------------------------------

BOOL GetWindowRect(HWND hWnd, LPRECT lpRect) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr || lpRect == nullptr) {
        return FALSE;
    }
    POINT origin{record->rect.left, record->rect.top};
    if (const WindowRecord* parent = FindWindow(record->parent)) {
        const POINT parentOrigin = ClientOriginOnScreen(*parent);
        origin.x += parentOrigin.x;
        origin.y += parentOrigin.y;
    }
    *lpRect = RECT{origin.x, origin.y, origin.x + Width(record->rect), origin.y + Height(record->rect)};
    return TRUE;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr || lpRect == nullptr) {
        return FALSE;
    }
    *lpRect = ClientRectOf(*record);
    return TRUE;
}

BOOL SetWindowPos(HWND hWnd, HWND hWndInsertAfter, int X, int Y, int cx, int cy, UINT uFlags) {
    WINDOWPOS position{hWnd, hWndInsertAfter, X, Y, cx, cy, uFlags};
    {
        auto lock = UserLock();
        WindowRecord* record = Lookup(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        if (uFlags & SWP_NOMOVE) {
            position.x = record->rect.left;
            position.y = record->rect.top;
        }
        if (uFlags & SWP_NOSIZE) {
            position.cx = Width(record->rect);
            position.cy = Height(record->rect);
        }
    }
    SendMessageA(hWnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&position));
    bool isTopLevel = false;
    {
        auto lock = UserLock();
        WindowRecord* record = FindWindow(hWnd);
        if (record == nullptr) {
            return FALSE;
        }
        isTopLevel = record->parent == nullptr;
        record->rect = RECT{position.x, position.y, position.x + std::max(position.cx, 0),
                            position.y + std::max(position.cy, 0)};
        if (record->surface != nullptr) {
            platform::ResizeSurface(record->surface, Width(record->rect), Height(record->rect));
        }
        if ((uFlags & SWP_NOZORDER) == 0) {
            if (std::vector<HWND>* siblings = SiblingsOf(*record)) {
                std::erase(*siblings, hWnd);
                auto after = std::find(siblings->begin(), siblings->end(), hWndInsertAfter);
                if (hWndInsertAfter == HWND_BOTTOM) {
                    siblings->push_back(hWnd);
                } else if (after != siblings->end()) {
                    siblings->insert(after + 1, hWnd);
                } else {
                    siblings->insert(siblings->begin(), hWnd);
                }
            }
        }
        if ((uFlags & SWP_NOREDRAW) == 0) {
            record->update = ClientRectOf(*record);
            record->eraseBackground = true;
            if (WindowRecord* parent = FindWindow(record->parent)) {
                parent->update = ClientRectOf(*parent);
                parent->eraseBackground = true;
            }
            Wake(QueueOf(record->threadId));
        }
    }
    if (isTopLevel) {
        platform::DisplayWindowChanged(hWnd); // display hook: moved or resized on the display too
    }
    if (uFlags & SWP_SHOWWINDOW) {
        ShowWindow(hWnd, (uFlags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    }
    if (uFlags & SWP_HIDEWINDOW) {
        ShowWindow(hWnd, SW_HIDE);
    }
    SendMessageA(hWnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&position));
    return TRUE;
}

BOOL MoveWindow(HWND hWnd, int X, int Y, int nWidth, int nHeight, BOOL bRepaint) {
    return SetWindowPos(hWnd, nullptr, X, Y, nWidth, nHeight,
                        SWP_NOZORDER | SWP_NOACTIVATE | (bRepaint ? 0 : SWP_NOREDRAW));
}

BOOL ClientToScreen(HWND hWnd, LPPOINT lpPoint) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr || lpPoint == nullptr) {
        return FALSE;
    }
    const POINT origin = ClientOriginOnScreen(*record);
    lpPoint->x += origin.x;
    lpPoint->y += origin.y;
    return TRUE;
}

BOOL ScreenToClient(HWND hWnd, LPPOINT lpPoint) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr || lpPoint == nullptr) {
        return FALSE;
    }
    const POINT origin = ClientOriginOnScreen(*record);
    lpPoint->x -= origin.x;
    lpPoint->y -= origin.y;
    return TRUE;
}

int MapWindowPoints(HWND hWndFrom, HWND hWndTo, LPPOINT lpPoints, UINT cPoints) {
    auto lock = UserLock();
    POINT from{};
    POINT to{};
    if (const WindowRecord* record = FindWindow(hWndFrom)) {
        from = ClientOriginOnScreen(*record);
    }
    if (const WindowRecord* record = FindWindow(hWndTo)) {
        to = ClientOriginOnScreen(*record);
    }
    const LONG dx = from.x - to.x;
    const LONG dy = from.y - to.y;
    for (UINT i = 0; i < cPoints; ++i) {
        lpPoints[i].x += dx;
        lpPoints[i].y += dy;
    }
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

namespace {

bool ContainsPoint(const RECT& rect, POINT point) {
    return point.x >= rect.left && point.x < rect.right && point.y >= rect.top && point.y < rect.bottom;
}

// The deepest visible child under a point given in the window's client coordinates.
HWND DeepestChildAt(const WindowRecord& record, POINT point) {
    for (HWND child : record.children) {
        const WindowRecord* childRecord = FindWindow(child);
        if (childRecord == nullptr || (childRecord->style & WS_VISIBLE) == 0 ||
            !ContainsPoint(childRecord->rect, point)) {
            continue;
        }
        const POINT offset = ClientOffsetOf(*childRecord);
        const POINT inner{point.x - childRecord->rect.left - offset.x,
                          point.y - childRecord->rect.top - offset.y};
        return DeepestChildAt(*childRecord, inner);
    }
    return record.handle;
}

} // namespace

HWND WindowFromPoint(POINT Point) {
    auto lock = UserLock();
    // Top-level windows are not stacked by the stand-in; the active one is preferred.
    const ThreadQueue& queue = CurrentQueue();
    std::vector<const WindowRecord*> candidates;
    if (const WindowRecord* active = FindWindow(queue.active)) {
        candidates.push_back(active);
    }
    for (auto& [key, record] : Windows()) {
        if (record->parent == nullptr) {
            candidates.push_back(record.get());
        }
    }
    for (const WindowRecord* record : candidates) {
        if ((record->style & WS_VISIBLE) && ContainsPoint(record->rect, Point)) {
            return DeepestChildAt(*record, POINT{Point.x - record->rect.left, Point.y - record->rect.top});
        }
    }
    return nullptr;
}

HWND ChildWindowFromPoint(HWND hWndParent, POINT Point) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWndParent);
    if (record == nullptr || !ContainsPoint(ClientRectOf(*record), Point)) {
        return nullptr;
    }
    for (HWND child : record->children) {
        const WindowRecord* childRecord = FindWindow(child);
        if (childRecord != nullptr && ContainsPoint(childRecord->rect, Point)) {
            return child;
        }
    }
    return hWndParent;
}

// --- Relations -----------------------------------------------------------------------------------

HWND GetParent(HWND hWnd) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    return (record->style & WS_CHILD) ? record->parent : record->owner;
}

HWND SetParent(HWND hWndChild, HWND hWndNewParent) {
    auto lock = UserLock();
    WindowRecord* record = Lookup(hWndChild);
    WindowRecord* parent = FindWindow(hWndNewParent);
    if (record == nullptr) {
        return nullptr;
    }
    HWND previous = record->parent;
    Unlink(*record);
    record->parent = parent ? hWndNewParent : nullptr;
    if (parent != nullptr) {
        parent->children.push_back(hWndChild);
    }
    return previous;
}

HWND GetWindow(HWND hWnd, UINT uCmd) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hWnd);
    if (record == nullptr) {
        return nullptr;
    }
    if (uCmd == GW_CHILD) {
        return record->children.empty() ? nullptr : record->children.front();
    }
    if (uCmd == GW_OWNER) {
        return record->owner;
    }
    const std::vector<HWND>* siblings = SiblingsOf(*record);
    if (siblings == nullptr || siblings->empty()) {
        return nullptr;
    }
    const auto at = std::find(siblings->begin(), siblings->end(), hWnd);
    switch (uCmd) {
    case GW_HWNDFIRST:
        return siblings->front();
    case GW_HWNDLAST:
        return siblings->back();
    case GW_HWNDNEXT:
        return (at + 1) < siblings->end() ? *(at + 1) : nullptr;
    case GW_HWNDPREV:
        return at > siblings->begin() ? *(at - 1) : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND GetAncestor(HWND hwnd, UINT gaFlags) {
    auto lock = UserLock();
    return AncestorOf(hwnd, gaFlags);
}

HWND GetTopWindow(HWND hWnd) {
    return GetWindow(hWnd, GW_CHILD);
}

// The desktop: a window of its own covering the screen, owned by no thread, never destroyed, so
// that code measuring it (centring a dialog) works as on Win32.
HWND GetDesktopWindow() {
    auto lock = UserLock();
    static HWND desktop = nullptr;
    if (desktop == nullptr || FindWindow(desktop) == nullptr) {
        auto classRecord = std::make_shared<ClassRecord>();
        classRecord->name = "#32769";
        classRecord->procedure = DefWindowProcA;
        auto record = std::make_unique<WindowRecord>();
        desktop = record->handle = NewWindowHandle();
        record->windowClass = classRecord;
        record->procedure = DefWindowProcA;
        record->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        record->rect = RECT{0, 0, platform::ScreenSize().cx, platform::ScreenSize().cy};
        record->isDestroying = true; // DestroyWindow leaves it alone
        Windows().emplace(reinterpret_cast<uintptr_t>(desktop), std::move(record));
    }
    return desktop;
}

BOOL IsChild(HWND hWndParent, HWND hWnd) {
    auto lock = UserLock();
    const WindowRecord* record = FindWindow(hWnd);
    while (record != nullptr && (record->style & WS_CHILD)) {
        if (record->parent == hWndParent) {
            return TRUE;
        }
        record = FindWindow(record->parent);
    }
    return FALSE;
}

HWND GetDlgItem(HWND hDlg, int nIDDlgItem) {
    auto lock = UserLock();
    const WindowRecord* record = Lookup(hDlg);
    if (record == nullptr) {
        return nullptr;
    }
    for (HWND child : record->children) {
        const WindowRecord* childRecord = FindWindow(child);
        if (childRecord != nullptr && childRecord->id == nIDDlgItem) {
            return child;
        }
    }
    SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
    return nullptr;
}

// --- Focus, activation, capture ------------------------------------------------------------------

HWND SetFocus(HWND hWnd) {
    HWND root = nullptr;
    if (hWnd != nullptr) {
        auto lock = UserLock();
        const WindowRecord* record = Lookup(hWnd);
        if (record == nullptr || (record->style & WS_DISABLED)) {
            return nullptr;
        }
        if (record->threadId != GetCurrentThreadId()) {
            SetLastError(ERROR_WINDOW_OF_OTHER_THREAD);
            return nullptr;
        }
        root = AncestorOf(hWnd, GA_ROOT);
    }
    // The top-level window is activated first (which may give it the focus), then the focus moves.
    if (root != nullptr && GetActiveWindow() != root) {
        SetActiveWindow(root);
    }
    HWND previous = nullptr;
    {
        auto lock = UserLock();
        ThreadQueue& queue = CurrentQueue();
        previous = queue.focus;
        if (previous == hWnd) {
            return previous;
        }
        queue.focus = hWnd;
    }
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd), 0);
    }
    if (hWnd != nullptr && GetFocus() == hWnd) {
        SendMessageA(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    }
    return previous;
}

HWND GetFocus() {
    auto lock = UserLock();
    return CurrentQueue().focus;
}

HWND SetActiveWindow(HWND hWnd) {
    HWND previous = nullptr;
    {
        auto lock = UserLock();
        ThreadQueue& queue = CurrentQueue();
        previous = queue.active;
        if (previous == hWnd) {
            return previous;
        }
        if (hWnd != nullptr && Lookup(hWnd) == nullptr) {
            return nullptr;
        }
        queue.active = hWnd;
        foregroundWindow = hWnd;
    }
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_NCACTIVATE, FALSE, 0);
        SendMessageA(previous, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), reinterpret_cast<LPARAM>(hWnd));
    }
    if (hWnd != nullptr) {
        SendMessageA(hWnd, WM_NCACTIVATE, TRUE, 0);
        SendMessageA(hWnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), reinterpret_cast<LPARAM>(previous));
    }
    return previous;
}

HWND GetActiveWindow() {
    auto lock = UserLock();
    return CurrentQueue().active;
}

BOOL SetForegroundWindow(HWND hWnd) {
    return SetActiveWindow(hWnd) != hWnd || GetActiveWindow() == hWnd;
}

HWND GetForegroundWindow() {
    auto lock = UserLock();
    return foregroundWindow;
}

HWND SetCapture(HWND hWnd) {
    HWND previous = nullptr;
    {
        auto lock = UserLock();
        ThreadQueue& queue = CurrentQueue();
        previous = queue.capture;
        queue.capture = hWnd;
    }
    if (previous != nullptr && previous != hWnd && IsWindow(previous)) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(hWnd));
    }
    return previous;
}

BOOL ReleaseCapture() {
    HWND previous = nullptr;
    {
        auto lock = UserLock();
        ThreadQueue& queue = CurrentQueue();
        previous = queue.capture;
        queue.capture = nullptr;
    }
    if (previous != nullptr && IsWindow(previous)) {
        SendMessageA(previous, WM_CAPTURECHANGED, 0, 0);
    }
    return TRUE;
}

HWND GetCapture() {
    auto lock = UserLock();
    return CurrentQueue().capture;
}

// --- Cursor and metrics --------------------------------------------------------------------------

HCURSOR LoadCursorA(HINSTANCE, LPCSTR lpCursorName) {
    // System cursors are identified by their resource number; the display maps them to its own.
    return reinterpret_cast<HCURSOR>(const_cast<char*>(lpCursorName));
}

HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR previous = nullptr;
    {
        auto lock = UserLock();
        previous = std::exchange(currentCursor, hCursor);
    }
    if (previous != hCursor) {
        platform::DisplayCursorChanged(hCursor); // display hook: the pointer takes the new shape
    }
    return previous;
}

HCURSOR GetCursor() {
    auto lock = UserLock();
    return currentCursor;
}

BOOL GetCursorPos(LPPOINT lpPoint) {
    if (lpPoint == nullptr) {
        return FALSE;
    }
    auto lock = UserLock();
    *lpPoint = cursorPosition;
    return TRUE;
}

BOOL SetCursorPos(int X, int Y) {
    auto lock = UserLock();
    cursorPosition = POINT{X, Y};
    return TRUE;
}

int GetSystemMetrics(int nIndex) {
    switch (nIndex) {
    case SM_CXSCREEN:
        return platform::ScreenSize().cx;
    case SM_CYSCREEN:
        return platform::ScreenSize().cy;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        return 17;
    case SM_CYCAPTION:
        return 19;
    case SM_CXBORDER:
    case SM_CYBORDER:
        return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME:
        return 3;
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 2;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXSIZE:
    case SM_CYSIZE:
        return 18;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    default:
        return 0;
    }
}

namespace {

// Fills the client area with the class background: a brush, or a system colour given as its
// index plus one, as Win32 classes name it.
LRESULT DefaultEraseBackground(HWND hwnd, WPARAM hdc) {
    HBRUSH brush = nullptr;
    RECT client{};
    {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr || hdc == 0) {
            return 0;
        }
        brush = record->windowClass->background;
        client = ClientRectOf(*record);
    }
    if (brush == nullptr) {
        return 0;
    }
    const auto value = reinterpret_cast<uintptr_t>(brush);
    if (value <= 31) {
        brush = GetSysColorBrush(static_cast<int>(value) - 1);
    }
    FillRect(reinterpret_cast<HDC>(hdc), &client, brush);
    return 1;
}

// The frame the styles give a child window, outside in: the client edge (two pixels, sunken), the
// static edge (one, sunken), then a dialog frame (three, raised) or a border (one, black). The
// widths are those ClientRectOf leaves for the frame; the scroll bars inside it draw themselves.
void DrawFrame(HWND hwnd) {
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT window{};
    {
        auto lock = UserLock();
        const WindowRecord* record = FindWindow(hwnd);
        if (record == nullptr || record->parent == nullptr) {
            return;
        }
        style = record->style;
        exStyle = record->exStyle;
        window = RECT{0, 0, record->rect.right - record->rect.left, record->rect.bottom - record->rect.top};
    }
    HDC dc = GetWindowDC(hwnd);
    if (dc == nullptr) {
        return;
    }
    if (exStyle & WS_EX_CLIENTEDGE) {
        DrawEdge(dc, &window, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    }
    if (exStyle & WS_EX_STATICEDGE) {
        DrawEdge(dc, &window, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    }
    if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) {
        DrawEdge(dc, &window, EDGE_RAISED, BF_RECT | BF_ADJUST);
        FrameRect(dc, &window, GetSysColorBrush(COLOR_BTNFACE));
        window = RECT{window.left + 1, window.top + 1, window.right - 1, window.bottom - 1};
    } else if (style & WS_BORDER) {
        FrameRect(dc, &window, GetSysColorBrush(COLOR_WINDOWFRAME));
        window = RECT{window.left + 1, window.top + 1, window.right - 1, window.bottom - 1};
    }
    ReleaseDC(hwnd, dc);
}

} // namespace
