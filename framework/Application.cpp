#include "framework/Application.h"

#include "framework/CurrentFolder.h"
#include "framework/HostWindow.h"
#include "framework/MemoryManager.h"
#include "framework/NumberSeparators.h"
#include "framework/PopupMenu.h"
#include "framework/Window.h"
#include "framework/services/MessageBoxes.h"
#include "framework/services/Timer.h"

#include <cstdarg>
#include <cstring>
#include <vector>

namespace framework {

namespace {

Application* application = nullptr;
DWORD (*clockSource)() = GetTickCount;

void CALLBACK_Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (application != nullptr) {
        application->Tick(Application::Now());
    }
}

// The memory manager's call when a request was refused: the main window warns the user.
void NotifyOutOfMemory() {
    if (application != nullptr && application->MainWindow() != nullptr &&
        application->MainWindow()->Handle() != nullptr) {
        SendMessageA(application->MainWindow()->Handle(), MessageOutOfMemory, 0, 0);
    }
}

// The first character of a locale item, or the fallback when the locale has none.
char LocaleCharacter(LCTYPE type, char fallback) {
    char value[8] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, value, sizeof value) == 0) {
        return fallback;
    }
    return value[0];
}

} // namespace

Application::Application(HINSTANCE instance, HWND window, HINSTANCE resources)
    : deferredMenus(PointerArray::DeleteAs<PopupMenu>), module(instance),
      resourceModule(resources ? resources : instance) {
    application = this;
    if (instance == nullptr && window != nullptr) {
        AttachToHostWindow(window);
    } else {
        CheckControlsVersion();
        INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), 0x5FF};
        InitCommonControlsEx(&controls);
        CoInitialize(nullptr);
        // "SHGetSettings" is missing from the platform's shell, so the classic style applies and
        // the single-click flag stays clear.
        HMODULE shell = LoadLibraryA("shell32.dll");
        isSingleClickShell = shell != nullptr && GetProcAddress(shell, "SHGetSettings") != nullptr;
    }
    wheelMessage = RegisterWindowMessageA("MSWHEEL_ROLLMSG");
    ReadCurrentFolder();
    themeLibrary = LoadLibraryA("uxtheme.dll");
    ReadLocale();
    MemoryManager::SetOutOfMemoryHandler(NotifyOutOfMemory);
}

Application::~Application() {
    MemoryManager::SetOutOfMemoryHandler(nullptr);
    if (themeLibrary != nullptr) {
        FreeLibrary(themeLibrary);
    }
    if (!isHosted) {
        CoUninitialize();
    }
    StopTick();
    delete currentPopupMenu;
    currentPopupMenu = nullptr;
    // A menu whose loop is still running (the application torn down from inside it) is left to
    // that loop rather than deleted under it.
    DeleteFinishedMenus();
    deferredMenus.SetCount(0);
    for (int32_t i = timers.Count() - 1; i >= 0; --i) {
        if (Timer* timer = timers.Get<Timer>(i)) {
            timer->Stop();
        }
    }
    if (hostWindow != nullptr) {
        if (mainWindow == hostWindow) {
            mainWindow = nullptr;
        }
        delete hostWindow; // detaches from the host's window first
        hostWindow = nullptr;
    }
    timers.SetCount(0);
    idleClients.SetCount(0);
    sharedLists[0].SetCount(0);
    sharedLists[1].SetCount(0);
    if (application == this) {
        application = nullptr;
    }
}

Application* Application::Instance() {
    return application;
}

void Application::AttachToHostWindow(HWND window) {
    module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(window, GWLP_HINSTANCE));
    resourceModule = module;
    hostWindow = new HostWindow(window);
    mainWindow = hostWindow;
    isHosted = true;
}

void Application::ReadCurrentFolder() {
    std::vector<char> folder(MAX_PATH);
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
    if (length >= folder.size()) {
        // Too small: the system reported the size it needs, terminator included.
        folder.resize(length);
        length = GetCurrentDirectoryA(static_cast<DWORD>(folder.size()), folder.data());
    }
    if (length > 0 && length < folder.size()) {
        CurrentFolder::Set(String(folder.data()));
    }
}

DWORD Application::Now() {
    return clockSource();
}

void Application::SetClock(DWORD (*clock)()) {
    clockSource = clock ? clock : GetTickCount;
}

bool Application::IsControlsVersionAcceptable(DWORD major, DWORD minor) {
    return (major == 4 && minor >= 71) || major >= 5;
}

String Application::ControlsVersionProblem(DWORD major, DWORD minor) {
    String version("Unknown");
    if (major != 0 || minor != 0) {
        version.Format("%i.%i", static_cast<int>(major), static_cast<int>(minor));
    }
    String text;
    return text.Format(
        "Incorrect Version: COMCTL32.DLL (%s)\n\nVersion 4.71 or above is required to run this program",
        version.CStr());
}

void Application::CheckControlsVersion() {
    HMODULE controls = LoadLibraryA("comctl32.dll");
    if (controls != nullptr) {
        controlsMajor = 4; // a library without DllGetVersion counts as 4.0
        // Through void*: FARPROC has no parameters, and a direct cast is a function-type mismatch.
        void* entry = reinterpret_cast<void*>(GetProcAddress(controls, "DllGetVersion"));
        auto getVersion = reinterpret_cast<DLLGETVERSIONPROC>(entry);
        DLLVERSIONINFO info{sizeof(DLLVERSIONINFO), 0, 0, 0, 0};
        if (getVersion != nullptr && getVersion(&info) == S_OK) {
            controlsMajor = info.dwMajorVersion;
            controlsMinor = info.dwMinorVersion;
        }
    }
    if (!IsControlsVersionAcceptable(controlsMajor, controlsMinor)) {
        ShowMessage(nullptr, ControlsVersionProblem(controlsMajor, controlsMinor).CStr(), "Problem",
                    MB_ICONHAND);
    }
}

void Application::ReadLocale() {
    const char decimal = LocaleCharacter(LOCALE_SDECIMAL, '.');
    const char thousands = LocaleCharacter(LOCALE_STHOUSAND, '\0');
    NumberSeparators::Set(decimal == '\0' ? '.' : decimal, thousands);
    timeSeparator = LocaleCharacter(LOCALE_STIME, ':');
    if (timeSeparator == '\0') {
        timeSeparator = ':';
    }
    char date[64] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, date, sizeof date) > 1) {
        shortDateFormat = date;
    }
}

bool Application::IsThemed() const {
    // The visual-style library is not part of this platform; with it, all seven entry points and
    // its two checks would be needed.
    return themeLibrary != nullptr && GetProcAddress(themeLibrary, "IsAppThemed") != nullptr &&
           GetProcAddress(themeLibrary, "IsThemeActive") != nullptr;
}

// --- Message loop -------------------------------------------------------------------------------

bool Application::RunIdleClients() {
    int wantsMore = 0;
    for (int32_t i = idleClients.Count() - 1; i >= 0; --i) {
        if (Window* client = idleClients.Get<Window>(i)) {
            wantsMore |= client->OnIdle(idleFlag);
        }
    }
    return wantsMore != 0;
}

int Application::Run() {
    MSG message{};
    for (;;) {
        bool taken = false;
        if (idleClients.Count() > 0) {
            // Idle clients are served while the queue is empty and any of them asks for more.
            for (;;) {
                if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
                    taken = true;
                    break;
                }
                if (!RunIdleClients()) {
                    break;
                }
            }
        }
        if (!taken) {
            GetMessageA(&message, nullptr, 0, 0);
        }
        if (message.message == WM_QUIT) {
            return static_cast<int>(message.wParam);
        }
        if (accelerators != nullptr && mainWindow != nullptr && mainWindow->Handle() != nullptr &&
            TranslateAcceleratorA(mainWindow->Handle(), accelerators, &message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Application::Quit() {
    PostQuitMessage(0);
}

void Application::AddIdleClient(Window* window) {
    if (window != nullptr && idleClients.IndexOf(window) < 0) {
        idleClients.Add(window);
    }
}

void Application::RemoveIdleClient(Window* window) {
    idleClients.Remove(window);
}

// --- Timers ---------------------------------------------------------------------------------------

void Application::StartTick() {
    if (tickTimer == 0) {
        tickTimer = SetTimer(nullptr, 1, TickMs, CALLBACK_Tick);
    }
}

void Application::StopTick() {
    if (tickTimer != 0) {
        KillTimer(nullptr, tickTimer);
        tickTimer = 0;
    }
}

void Application::AddTimer(Timer* timer) {
    if (timer != nullptr && timers.IndexOf(timer) < 0) {
        timers.Add(timer);
        StartTick();
    }
}

void Application::RemoveTimer(Timer* timer) {
    timers.Remove(timer);
    if (timers.Count() == 0) {
        StopTick();
    }
}

bool Application::HasTimer(const Timer* timer) const {
    return timers.IndexOf(timer) >= 0;
}

void Application::Tick(DWORD now) {
    // A callback may stop or delete timers, its own included: walk a copy and check each timer is
    // still registered before it expires.
    PointerArray due;
    for (int32_t i = 0; i < timers.Count(); ++i) {
        due.Add(timers.At(i));
    }
    for (int32_t i = 0; i < due.Count(); ++i) {
        auto* timer = due.Get<Timer>(i);
        if (HasTimer(timer) && timer->IsDue(now)) {
            timer->Expire();
        }
    }
}

// --- Cursor, ids, classes ----------------------------------------------------------------------

void Application::BeginWaitCursor() {
    if (waitCursorDepth++ == 0) {
        isWaitCursorSuspended = false;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    }
}

void Application::EndWaitCursor() {
    if (waitCursorDepth == 0) {
        return;
    }
    if (--waitCursorDepth == 0) {
        isWaitCursorSuspended = false;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
}

void Application::RestoreWaitCursor() {
    if (waitCursorDepth > 0 && mainWindow != nullptr) {
        isWaitCursorSuspended = false;
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
    }
}

void Application::SuspendWaitCursor() {
    if (waitCursorDepth > 0 && mainWindow != nullptr) {
        isWaitCursorSuspended = true;
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    }
}

int32_t Application::NextId() {
    const int32_t id = nextId;
    nextId = nextId == LastId ? 0 : nextId + 1;
    return id;
}

int32_t Application::NextSecondId() {
    const int32_t id = nextSecondId;
    nextSecondId = nextSecondId == LastId ? 0 : nextSecondId + 1;
    return id;
}

bool Application::HasClass(const char* name) const {
    WNDCLASSEXA info{};
    info.cbSize = sizeof info;
    return GetClassInfoExA(module, name, &info) != 0;
}

bool Application::UnregisterClass(const char* name) {
    return UnregisterClassA(name, module) != 0;
}

// --- Popup menus -----------------------------------------------------------------------------------

void Application::DeleteFinishedMenus() {
    for (int32_t i = deferredMenus.Count() - 1; i >= 0; --i) {
        if (deferredMenus.Get<PopupMenu>(i)->IsTrackingFinished()) {
            deferredMenus.RemoveAt(i, true);
        }
    }
}

void Application::SetCurrentPopupMenu(PopupMenu* menu) {
    // A menu made current again is no longer waiting to be deleted.
    if (menu != nullptr) {
        deferredMenus.Remove(menu);
    }
    DeleteFinishedMenus();
    if (currentPopupMenu != nullptr && currentPopupMenu != menu) {
        if (currentPopupMenu->IsTrackingFinished()) {
            delete currentPopupMenu;
        } else {
            deferredMenus.Add(currentPopupMenu);
        }
    }
    currentPopupMenu = menu;
}

// --- Message log and modal boxes -----------------------------------------------------------------

void Application::Log(int level, const char* format, ...) {
    if (logText == nullptr && logStream == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    String entry;
    entry.FormatList(format, arguments);
    va_end(arguments);
    if (logText != nullptr) {
        logText->Append(entry);
    }
    if (logStream == nullptr) {
        return;
    }
    if (!doesLogStreamTakeLevels) {
        std::fputs(entry.CStr(), logStream);
    } else {
        for (const char* line = entry.CStr(); *line != '\0';) {
            const char* end = std::strchr(line, '\n');
            const int length = static_cast<int>(end ? end - line : std::strlen(line));
            std::fprintf(logStream, "<%d>%.*s\n", level, length, line);
            line += length + (end ? 1 : 0);
        }
    }
    std::fflush(logStream);
}

namespace {

// The application's top-level windows: the main window and every window object below it whose
// window is not a child window (owned dialogs and frames).
void CollectTopLevel(Window* window, PointerArray& out) {
    if (window == nullptr) {
        return;
    }
    HWND hwnd = window->Handle();
    if (hwnd != nullptr && (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD) == 0) {
        out.Add(hwnd);
    }
    for (int32_t i = 0; i < window->ChildCount(); ++i) {
        CollectTopLevel(window->Child(i), out);
    }
}

} // namespace

void Application::DisableWindows() {
    if (disableDepth++ > 0) {
        return;
    }
    // The stand-in offers no walk over all top-level windows, so the framework walks its own.
    PointerArray windows;
    CollectTopLevel(mainWindow, windows);
    for (int32_t i = 0; i < windows.Count(); ++i) {
        auto* hwnd = static_cast<HWND>(windows.At(i));
        if (IsWindowEnabled(hwnd)) {
            disabledWindows.Add(hwnd);
            EnableWindow(hwnd, FALSE);
        }
    }
}

void Application::EnableWindows() {
    if (disableDepth == 0 || --disableDepth > 0) {
        return;
    }
    for (int32_t i = 0; i < disabledWindows.Count(); ++i) {
        auto* hwnd = static_cast<HWND>(disabledWindows.At(i));
        if (IsWindow(hwnd)) {
            EnableWindow(hwnd, TRUE);
        }
    }
    disabledWindows.SetCount(0);
}

} // namespace framework
