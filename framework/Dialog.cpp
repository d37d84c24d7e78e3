#include "framework/Dialog.h"

#include "framework/Application.h"
#include "framework/Canvas.h"
#include "framework/DialogButton.h"
#include "framework/Font.h"
#include "framework/Layout.h"
#include "framework/Shortcuts.h"
#include "framework/services/Dictionary.h"
#include "platform/DialogResults.h"

#include <vector>

namespace framework {

namespace {

constexpr LRESULT HitBottomRight = 17;
constexpr WORD NotifyClicked = 0;
constexpr WORD NotifyAccelerator = 1;
constexpr WORD NotifyDoubleClicked = 5;
// How much of a window text can be a reference: "^" and a text number.
constexpr int ReferenceLength = 15;

const DLGTEMPLATE* FindTemplate(HINSTANCE instance, int32_t id) {
    if (id < 0) {
        return nullptr;
    }
    HRSRC resource = FindResourceA(instance, MAKEINTRESOURCEA(static_cast<WORD>(id)), RT_DIALOG);
    return resource ? static_cast<const DLGTEMPLATE*>(LockResource(LoadResource(instance, resource)))
                    : nullptr;
}

void CollectDescendants(HWND parent, std::vector<HWND>& out) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        out.push_back(child);
        CollectDescendants(child, out);
    }
}

Shortcuts* ApplicationShortcuts() {
    Application* application = Application::Instance();
    return application ? &application->GetShortcuts() : nullptr;
}

} // namespace

// --- Resource module -----------------------------------------------------------------------------

ResourceModule::~ResourceModule() {
    if (isLoaded) {
        FreeLibrary(handle);
    }
}

HINSTANCE ResourceModule::Acquire() {
    if (references++ == 0) {
        handle = nullptr;
        if (!name.IsEmpty()) {
            HMODULE loaded = LoadLibraryA(name.CStr());
            // Loaders of old answered small error numbers instead of null.
            if (reinterpret_cast<uintptr_t>(loaded) > 32) {
                handle = loaded;
                isLoaded = true;
            }
        }
        if (handle == nullptr) {
            Application* application = Application::Instance();
            handle = application ? application->ResourceModule() : nullptr;
        }
    }
    return handle;
}

void ResourceModule::Release() {
    if (references == 0 || --references > 0) {
        return;
    }
    if (isLoaded) {
        FreeLibrary(handle);
        isLoaded = false;
    }
    handle = nullptr;
}

// --- Construction --------------------------------------------------------------------------------

namespace {

Window* ParentOrMainWindow(Window* parent) {
    if (parent != nullptr) {
        return parent;
    }
    Application* application = Application::Instance();
    return application ? application->MainWindow() : nullptr;
}

} // namespace

Dialog::Dialog(Window* parent, TemplateReference reference, bool handlesOk, bool handlesCancel)
    : Window(ParentOrMainWindow(parent)), handlesOk(handlesOk), handlesCancel(handlesCancel),
      reference(reference) {
    SetKind(KindDialog);
    SetClassName(ClassName().Concat("(Dialog)").CStr());
}

Dialog::~Dialog() {
    RemoveOwnerFollowing();
    Application* application = Application::Instance();
    if (application != nullptr && application->CreatingWindow() == this) {
        application->SetCreatingWindow(nullptr);
    }
}

void Dialog::RegisterWindowClass() {
    Application* application = Application::Instance();
    HINSTANCE module = application ? application->ResourceModule() : nullptr;
    WNDCLASSEXA existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExA(module, FrameClassName, &existing)) {
        return;
    }
    WNDCLASSEXA frameClass{};
    frameClass.cbSize = sizeof frameClass;
    frameClass.style = CS_DBLCLKS;
    frameClass.lpfnWndProc = &Dialog::FrameClassProcedure;
    frameClass.cbWndExtra = DLGWINDOWEXTRA;
    frameClass.hInstance = module;
    frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_WINDOW + 1));
    frameClass.lpszClassName = FrameClassName;
    RegisterClassExA(&frameClass);
}

// --- Running -------------------------------------------------------------------------------------

void Dialog::Create(bool runModal) {
    if (Handle() != nullptr) {
        return;
    }
    modal = runModal;
    if (!modal && Owner() != nullptr) {
        InstallOwnerFollowing();
    }
    Create();
}

void Dialog::Create() {
    if (Handle() != nullptr) {
        return;
    }
    RegisterWindowClass();
    Application* application = Application::Instance();
    HWND previousFocus = nullptr;
    if (modal) {
        previousFocus = GetFocus();
        if (Shortcuts* shortcuts = ApplicationShortcuts()) {
            shortcuts->SuspendShortcuts(nullptr);
            shortcutsSuspended = true;
        }
    }
    HINSTANCE instance = reference.module != nullptr ? reference.module->Acquire()
                         : application != nullptr    ? application->ResourceModule()
                                                     : nullptr;
    Window* previousCreating = application ? application->CreatingWindow() : nullptr;
    if (application != nullptr) {
        application->SetCreatingWindow(this);
    }
    const DLGTEMPLATE* dialogTemplate = FindTemplate(instance, reference.id);
    HWND parentHandle = Parent() ? Parent()->Handle() : nullptr;
    if (dialogTemplate != nullptr) {
        if (modal) {
            RunModal(instance, dialogTemplate, parentHandle);
        } else {
            RunModeless(instance, dialogTemplate, parentHandle);
        }
    } else if (!modal) {
        RemoveOwnerFollowing();
    }
    if (modal) {
        if (shortcutsSuspended) {
            // The dialog may have been ended without Close(), by EndDialog itself.
            ApplicationShortcuts()->ResumeShortcuts(nullptr);
            shortcutsSuspended = false;
        }
        if (previousFocus != nullptr && IsWindow(previousFocus)) {
            ::SetFocus(previousFocus);
        }
    }
    if (application != nullptr && application->CreatingWindow() == this) {
        application->SetCreatingWindow(previousCreating);
    }
    if (reference.module != nullptr) {
        reference.module->Release();
    }
}

void Dialog::RunModal(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parentHandle) {
    Application* application = Application::Instance();
    if (application != nullptr) {
        application->SuspendWaitCursor();
    }
    // The result is not used: derived dialogs keep their own outcome.
    DialogBoxIndirectParamA(instance, dialogTemplate, parentHandle, &Dialog::DialogProcedure, 0);
    if (application != nullptr) {
        application->RestoreWaitCursor();
    }
}

void Dialog::RunModeless(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate, HWND parentHandle) {
    HWND hwnd =
        CreateDialogIndirectParamA(instance, dialogTemplate, parentHandle, &Dialog::DialogProcedure, 0);
    if (hwnd == nullptr || Handle() == nullptr) {
        RemoveOwnerFollowing();
        return;
    }
    const DWORD style = GetStyle();
    enabledBefore = IsWindowEnabled(hwnd) != 0;
    if (!IsModelessWithOwner()) {
        RemoveOwnerFollowing();
    }
    if (style & WS_VISIBLE) {
        Show(SW_SHOWNA); // records the visibility the template gave
    }
}

void Dialog::Close() {
    if (Handle() == nullptr) {
        return;
    }
    if (Shortcuts* shortcuts = ApplicationShortcuts()) {
        shortcuts->RemoveShortcuts(this);
    }
    if (modal) {
        EndDialog(Handle(), 0);
        if (shortcutsSuspended) {
            ApplicationShortcuts()->ResumeShortcuts(nullptr);
            shortcutsSuspended = false;
        }
    } else {
        DestroyWindow(Handle());
    }
}

// --- Window procedures ---------------------------------------------------------------------------

INT_PTR Dialog::DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FromHandle(hwnd);
    if (window == nullptr) {
        // Until WM_INITDIALOG binds the handle, the dialog being created is the application's.
        Application* application = Application::Instance();
        window = application ? application->CreatingWindow() : nullptr;
        if (window == nullptr || window->Handle() != nullptr) {
            return FALSE;
        }
    }
    MessageRecord record{hwnd, lParam, wParam, message};
    const LRESULT result = window->Dispatch(record);
    if (result != 0 && !platform::DialogProcAnswersDirectly(message) && IsWindow(hwnd)) {
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, result);
    }
    return result;
}

LRESULT Dialog::FrameClassProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* window = FromHandle(hwnd);
    if (window == nullptr) {
        return DefDlgProcA(hwnd, message, wParam, lParam);
    }
    MessageRecord record{hwnd, lParam, wParam, message};
    if (const LRESULT result = window->Dispatch(record)) {
        return result;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// --- Messages ------------------------------------------------------------------------------------

LRESULT Dialog::OnMessage(MessageRecord& record) {
    switch (record.message) {
    case WM_INITDIALOG:
        return HandleInitDialog(record);
    case WM_COMMAND:
        return HandleCommand(record);
    case WM_CLOSE:
        return HandleClose();
    case WM_SIZE:
        if (IsFrameClass()) {
            Invalidate(nullptr, true);
        }
        return 0;
    case WM_ACTIVATE:
        KeepCaptionActiveForOwner(record);
        return 0;
    case WM_NCHITTEST:
        return HitTestGrip(record);
    case WM_DESTROY:
        if (!modal) {
            RemoveOwnerFollowing();
        }
        return 0;
    default:
        return 0;
    }
}

LRESULT Dialog::HandleInitDialog(MessageRecord& record) {
    char name[64] = {};
    GetClassNameA(record.hwnd, name, sizeof name);
    if (String(name).Equals(FrameClassName)) {
        SetCanvas(new Canvas);
        const DWORD style = static_cast<DWORD>(GetWindowLongPtrA(record.hwnd, GWL_STYLE));
        if ((style & WS_THICKFRAME) && !(style & WS_CHILD)) {
            SetWindowLongPtrA(record.hwnd, GWL_STYLE, static_cast<LONG_PTR>(style | WS_CLIPCHILDREN));
            sizeGrip = true;
        }
    }
    return OnInitDialogBase(record);
}

LRESULT Dialog::OnInitDialogBase(MessageRecord& record) {
    if (Handle() == nullptr) {
        Bind(record.hwnd);
    }
    GetLayout().PlaceChildren(*this);
    if (auto dialogFont = reinterpret_cast<HFONT>(SendMessageA(record.hwnd, WM_GETFONT, 0, 0))) {
        // The dialog manager deletes the template's font with the dialog.
        SetFont(new Font(dialogFont, false), false, true);
    }
    GetStyle();
    // The button objects are made once; when the dialog runs again they adopt the new items.
    if (handlesOk && okButton == nullptr && GetDlgItem(record.hwnd, IDOK) != nullptr) {
        okButton = new DialogButton(this, IDOK);
    }
    if (handlesCancel && cancelButton == nullptr && GetDlgItem(record.hwnd, IDCANCEL) != nullptr) {
        cancelButton = new DialogButton(this, IDCANCEL);
    }
    TranslateTexts(record.hwnd, true);
    const LRESULT result = OnInitDialog(record);
    if (Handle() == nullptr) {
        return result; // OnInitDialog ended the dialog
    }
    if (frameFlags & FrameCentre) {
        Centre(true);
    }
    if (frameFlags & FrameAnimate) {
        AnimateCaption(true);
    }
    return result;
}

LRESULT Dialog::HandleCommand(MessageRecord& record) {
    const WORD id = LOWORD(record.wParam);
    const WORD code = HIWORD(record.wParam);
    if (code != NotifyClicked && code != NotifyAccelerator && code != NotifyDoubleClicked) {
        return 0;
    }
    const bool isOk = id == IDOK && handlesOk;
    const bool isCancel = id == IDCANCEL && handlesCancel;
    if (!isOk && !isCancel) {
        return 0;
    }
    // Only the dialog's own button (or a shortcut key) answers for it: another window may send a
    // command with the same id.
    if (code != NotifyAccelerator && reinterpret_cast<HWND>(record.lParam) != GetDlgItem(Handle(), id)) {
        return 0;
    }
    if (const LRESULT kept = isOk ? OnOK() : OnCancel()) {
        return kept;
    }
    PostMessageA(Handle(), WM_CLOSE, 0, 0);
    return 1;
}

LRESULT Dialog::HandleClose() {
    MessageRecord record{Handle(), 0, 0, WM_CLOSE};
    if (OnClose(record) != 0) {
        return 1;
    }
    Close();
    if (frameFlags & FrameAnimate) {
        AnimateCaption(false);
    }
    Application* application = Application::Instance();
    if (application != nullptr && application->MainWindow() == this) {
        application->Quit();
    }
    return 1;
}

LRESULT Dialog::HitTestGrip(MessageRecord& record) {
    if (!sizeGrip || Handle() == nullptr) {
        return 0;
    }
    const Point point = ScreenToClient(
        Point{static_cast<SHORT>(LOWORD(record.lParam)), static_cast<SHORT>(HIWORD(record.lParam))});
    RECT client{};
    GetClientRect(Handle(), &client);
    const bool inGrip = point.x >= client.right - GripHit && point.x < client.right &&
                        point.y >= client.bottom - GripHit && point.y < client.bottom;
    return inGrip ? HitBottomRight : 0;
}

void Dialog::KeepCaptionActiveForOwner(MessageRecord& record) {
    if (LOWORD(record.wParam) != WA_INACTIVE || Handle() == nullptr) {
        return;
    }
    HWND activated = reinterpret_cast<HWND>(record.lParam);
    if (activated != nullptr && activated == OwnerHandle() && IsModelessWithOwner()) {
        SendMessageA(Handle(), WM_NCACTIVATE, TRUE, 0);
    }
}

// --- Owner following -----------------------------------------------------------------------------

void Dialog::InstallOwnerFollowing() {
    Window* owner = Owner();
    if (owner == nullptr || followedOwner != nullptr) {
        return;
    }
    followedOwner = owner;
    owner->AddHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerActivate), WM_ACTIVATE);
    owner->AddHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerActivateApp), WM_ACTIVATEAPP);
    owner->AddHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerEnable), WM_ENABLE);
}

void Dialog::RemoveOwnerFollowing() {
    if (followedOwner == nullptr) {
        return;
    }
    followedOwner->RemoveHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerActivate), WM_ACTIVATE);
    followedOwner->RemoveHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerActivateApp),
                                 WM_ACTIVATEAPP);
    followedOwner->RemoveHandler(this, static_cast<MessageHandler>(&Dialog::OnOwnerEnable), WM_ENABLE);
    followedOwner = nullptr;
}

LRESULT Dialog::OnOwnerActivate(MessageRecord& record) {
    // The owner losing activation to its own dialog still looks active: they act as one.
    if (LOWORD(record.wParam) == WA_INACTIVE && Handle() != nullptr &&
        reinterpret_cast<HWND>(record.lParam) == Handle()) {
        SendMessageA(record.hwnd, WM_NCACTIVATE, TRUE, 0);
    }
    return 0;
}

LRESULT Dialog::OnOwnerEnable(MessageRecord& record) {
    if (Handle() == nullptr) {
        return 0;
    }
    if (record.wParam == FALSE) {
        enabledBefore = IsWindowEnabled(Handle()) != 0;
        if (enabledBefore) {
            EnableWindow(Handle(), FALSE);
            SendMessageA(Handle(), WM_NCACTIVATE, FALSE, 0);
        }
        SendMessageA(record.hwnd, WM_NCACTIVATE, FALSE, 0);
    } else {
        if (enabledBefore) {
            EnableWindow(Handle(), TRUE);
            SendMessageA(Handle(), WM_NCACTIVATE, TRUE, 0);
        }
        SendMessageA(record.hwnd, WM_NCACTIVATE, TRUE, 0);
    }
    return 0;
}

LRESULT Dialog::OnOwnerActivateApp(MessageRecord& record) {
    if (Handle() == nullptr) {
        return 0;
    }
    if (record.wParam == FALSE) {
        visibleBefore = IsWindowVisible(Handle()) != 0;
        if (visibleBefore) {
            Show(SW_HIDE);
        }
    } else if (visibleBefore) {
        Show(IsWindowEnabled(Handle()) ? SW_SHOW : SW_SHOWNA);
    }
    RedrawWindow(record.hwnd, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    return 0;
}

// --- Queries -------------------------------------------------------------------------------------

Window* Dialog::Owner() const {
    if (explicitOwner != nullptr) {
        return explicitOwner;
    }
    Application* application = Application::Instance();
    Window* main = application ? application->MainWindow() : nullptr;
    return main != this ? main : nullptr;
}

HWND Dialog::OwnerHandle() const {
    Window* owner = Owner();
    return owner ? owner->Handle() : nullptr;
}

bool Dialog::IsModelessWithOwner() {
    return !modal && (GetStyle() & WS_CHILD) == 0 && Owner() != nullptr;
}

bool Dialog::IsFrameClass() const {
    return ClassName().Equals(FrameClassName);
}

void Dialog::SetSizeGrip(bool flag, bool redraw) {
    if (!IsFrameClass()) {
        return;
    }
    sizeGrip = flag;
    if (redraw) {
        Invalidate(nullptr, true);
    }
}

String Dialog::GetText() {
    String text;
    return text.SetInt(reference.id);
}

Point Dialog::DialogUnitsToPixels(Point point) {
    const LONG units = GetDialogBaseUnits();
    return Point{point.x * LOWORD(units) / 4, point.y * HIWORD(units) / 8};
}

void Dialog::TranslateTexts(HWND window, bool children) {
    std::vector<HWND> windows{window};
    if (children) {
        CollectDescendants(window, windows);
    }
    for (HWND each : windows) {
        char text[ReferenceLength + 1] = {};
        GetWindowTextA(each, text, sizeof text);
        if (const char* translated = Dictionary::Instance().ResolveReference(text, true)) {
            SetWindowTextA(each, translated);
        }
    }
}

// --- Tab order -----------------------------------------------------------------------------------

namespace {

// The child windows that have objects and the tab-stop style, in the system's child order.
std::vector<Window*> TabStops(HWND dialog) {
    std::vector<Window*> stops;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        Window* object = Window::FromHandle(child);
        if (object != nullptr && (GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP)) {
            stops.push_back(object);
        }
    }
    return stops;
}

Window* StepTabStop(HWND dialog, Window* from, bool wrap, int step) {
    const std::vector<Window*> stops = TabStops(dialog);
    const auto count = static_cast<int>(stops.size());
    for (int i = 0; i < count; ++i) {
        if (stops[i] != from) {
            continue;
        }
        const int next = i + step;
        if (next >= 0 && next < count) {
            return stops[next];
        }
        return wrap ? stops[(next + count) % count] : nullptr;
    }
    return nullptr;
}

} // namespace

Window* Dialog::NextTabStop(Window* from, bool wrap) {
    return Handle() ? StepTabStop(Handle(), from, wrap, 1) : nullptr;
}

Window* Dialog::PreviousTabStop(Window* from, bool wrap) {
    return Handle() ? StepTabStop(Handle(), from, wrap, -1) : nullptr;
}

// --- Painting ------------------------------------------------------------------------------------

LRESULT Dialog::OnEraseBackground(Canvas& canvas) {
    HDC dc = canvas.Context();
    if (dc == nullptr || Handle() == nullptr) {
        return 0;
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    if (backgroundPicture != nullptr) {
        TileBackground(dc, client);
    } else {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    }
    if (sizeGrip) {
        DrawSizeGrip(dc, client);
    }
    return 1;
}

void Dialog::TileBackground(HDC dc, const RECT& client) {
    BITMAP picture{};
    if (GetObjectA(backgroundPicture, sizeof picture, &picture) == 0 || picture.bmWidth <= 0 ||
        picture.bmHeight <= 0) {
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        return;
    }
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(source, backgroundPicture);
    for (int y = client.top; y < client.bottom; y += picture.bmHeight) {
        for (int x = client.left; x < client.right; x += picture.bmWidth) {
            BitBlt(dc, x, y, picture.bmWidth, picture.bmHeight, source, 0, 0, SRCCOPY);
        }
    }
    SelectObject(source, previous);
    DeleteDC(source);
}

void Dialog::DrawSizeGrip(HDC dc, const RECT& client) {
    const RECT grip{client.right - GripDrawn, client.bottom - GripDrawn, client.right, client.bottom};
    FillRect(dc, &grip, GetSysColorBrush(COLOR_BTNFACE));
    HPEN highlight = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HGDIOBJ previous = SelectObject(dc, highlight);
    // Each 4-pixel step: one light line, two dark ones, one of face colour.
    for (int offset = 1; offset < GripDrawn; offset += 4) {
        const int lines[3] = {offset, offset + 1, offset + 2};
        for (int k = 0; k < 3 && lines[k] < GripDrawn; ++k) {
            SelectObject(dc, k == 0 ? highlight : shadow);
            MoveToEx(dc, client.right - lines[k], client.bottom, nullptr);
            LineTo(dc, client.right, client.bottom - lines[k]);
        }
    }
    SelectObject(dc, previous);
    DeleteObject(highlight);
    DeleteObject(shadow);
}

} // namespace framework
