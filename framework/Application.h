#pragma once

#include "framework/Colour.h"
#include "framework/PointerArray.h"
#include "framework/Shortcuts.h"
#include "framework/String.h"
#include "platform/Windows.h"

#include <cstdint>
#include <cstdio>

namespace framework {

class PopupMenu;
class Timer;
class Window;

// The one framework object of the process. It prepares the platform, holds what every window
// needs (module handle, main window, shortcuts, current folder, locale separators), runs the
// message loop with idle processing and drives the framework's 100 ms timer tick.
//
// Given no instance but a window, it is hosted: it attaches to that existing window of another
// program instead of owning the process, takes the instance from the window, wraps the window in a
// plain window object as its main window, and leaves COM and the process-wide settings alone. Its
// teardown then gives the window back untouched.
//
// Window thread only; the entry point creates it first and destroys it last.
class Application {
public:
    static constexpr UINT TickMs = 100;
    static constexpr int32_t LastId = 0x7FFFFFFF;

    Application(HINSTANCE instance, HWND window = nullptr, HINSTANCE resources = nullptr);
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    // The process-wide application, or null before construction and after destruction.
    static Application* Instance();

    int Run();
    void Quit();
    bool IsThemed() const;

    void AddIdleClient(Window* window);
    void RemoveIdleClient(Window* window);
    void AddTimer(Timer* timer);
    void RemoveTimer(Timer* timer);
    bool HasTimer(const Timer* timer) const;
    // The tick: every timer whose interval has passed by `now` expires.
    void Tick(DWORD now);
    // The millisecond clock of the tick and the timers: GetTickCount unless a test installs its own.
    static DWORD Now();
    static void SetClock(DWORD (*clock)());

    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();
    void SuspendWaitCursor();
    int WaitCursorDepth() const { return waitCursorDepth; }
    // Whether the wait cursor is up now: begun and not suspended. The framework's windows keep it
    // up while the mouse moves over them.
    bool IsWaitCursorShown() const { return waitCursorDepth > 0 && !isWaitCursorSuspended; }

    int32_t NextId();
    // Where the first id counter stands; start-up leaves it at 0.
    void SetNextId(int32_t next) { nextId = next; }
    int32_t NextSecondId();
    bool HasClass(const char* name) const;
    bool UnregisterClass(const char* name);

    // Makes `menu` (owned from now on; null for none) the current popup menu. Menus whose menu
    // loop has ended are deleted first; the previous current menu goes at once when its loop has
    // ended, else it waits in the deferred-deletion list, because it may be replaced from inside
    // its own loop.
    void SetCurrentPopupMenu(PopupMenu* menu);
    PopupMenu* CurrentPopupMenu() const { return currentPopupMenu; }
    // The menus waiting for their loop to end before they are deleted.
    int32_t DeferredMenuCount() const { return deferredMenus.Count(); }

    // The colour table kept for the framework's windows: `ColourCount` entries, all 0 at start.
    static constexpr int ColourCount = 16;
    Colour* ColourTable() { return colours; }
    // Two lists the application keeps for other parts of the framework; empty at start.
    PointerArray& SharedList(int index) { return sharedLists[index == 0 ? 0 : 1]; }

    HINSTANCE ModuleHandle() const { return module; }
    HINSTANCE ResourceModule() const { return resourceModule; }
    Window* MainWindow() const { return mainWindow; }
    void SetMainWindow(Window* window) { mainWindow = window; }
    HACCEL Accelerators() const { return accelerators; }
    void SetAccelerators(HACCEL table) { accelerators = table; }
    Shortcuts& GetShortcuts() { return shortcuts; }
    int IdleFlag() const { return idleFlag; }
    void SetIdleFlag(int flag) { idleFlag = flag; }
    bool IsHosted() const { return isHosted; }
    bool IsSingleClickShell() const { return isSingleClickShell; }
    UINT WheelMessage() const { return wheelMessage; }
    char TimeSeparator() const { return timeSeparator; }
    const String& ShortDateFormat() const { return shortDateFormat; }
    // The common-controls version found at start-up, as major and minor.
    DWORD ControlsMajor() const { return controlsMajor; }
    DWORD ControlsMinor() const { return controlsMinor; }

    // The dialog whose window is being made: its first messages arrive before the handle is bound.
    Window* CreatingWindow() const { return creatingWindow; }
    void SetCreatingWindow(Window* window) { creatingWindow = window; }

    // An unattended run shows no message boxes: they answer themselves into the message log. A
    // new application is unattended until the program says it has a screen to show boxes on
    // (SetUnattended(false)), because a box that nobody can see would stop it for good.
    bool IsUnattended() const { return isUnattended; }
    void SetUnattended(bool unattended) { isUnattended = unattended; }
    // The message log: Log appends to the attached text and writes to the attached stream
    // (standard error unless another or none is attached); with neither it does nothing. Both
    // stay owned by the caller. An entry has a syslog level (3 error, 4 warning, 5 notice,
    // 6 information); a stream that takes levels, the journal's, gets each line of the entry
    // with its level in front ("<4>..."), so that the journal files a warning as a warning.
    void AttachLog(String* text) { logText = text; }
    void AttachLogStream(std::FILE* stream, bool takesLevels = false) {
        logStream = stream;
        doesLogStreamTakeLevels = takesLevels;
    }
    void Log(int level, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // Disables every enabled top-level window of this thread while a modal box is up; the matching
    // EnableWindows enables exactly those again. Calls nest.
    void DisableWindows();
    void EnableWindows();

    // Whether a common-controls version is recent enough (4.71 or later).
    static bool IsControlsVersionAcceptable(DWORD major, DWORD minor);
    // The "Problem" box text for an unacceptable version.
    static String ControlsVersionProblem(DWORD major, DWORD minor);

private:
    void CheckControlsVersion();
    void ReadLocale();
    void StartTick();
    void StopTick();
    bool RunIdleClients();

    void AttachToHostWindow(HWND window);
    void ReadCurrentFolder();
    void DeleteFinishedMenus();

    UINT_PTR tickTimer = 0;
    Colour colours[ColourCount];
    int32_t nextId = 0;
    int32_t nextSecondId = 0;
    int waitCursorDepth = 0;
    PointerArray deferredMenus;
    PointerArray sharedLists[2];
    PointerArray idleClients;
    int idleFlag = 1;
    HINSTANCE module;
    HINSTANCE resourceModule;
    Window* mainWindow = nullptr;
    // The wrapper over the host's window, owned; null unless hosted.
    Window* hostWindow = nullptr;
    PopupMenu* currentPopupMenu = nullptr;
    HACCEL accelerators = nullptr;
    PointerArray timers;
    bool isHosted = false;
    bool isWaitCursorSuspended = false;
    bool isSingleClickShell = false;
    UINT wheelMessage = 0;
    char timeSeparator = ':';
    String shortDateFormat{"dd/mm/yyyy"};
    DWORD controlsMajor = 0;
    DWORD controlsMinor = 0;
    HMODULE themeLibrary = nullptr;
    Shortcuts shortcuts;
    Window* creatingWindow = nullptr;
    bool isUnattended = true;
    String* logText = nullptr;
    std::FILE* logStream = stderr;
    bool doesLogStreamTakeLevels = false;
    PointerArray disabledWindows;
    int disableDepth = 0;
};

} // namespace framework
