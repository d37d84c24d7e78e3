#pragma once

#include "framework/String.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace engine {

// What the link and the transfer engine do to the screen, implemented by the main window.
//
// Threads. Calls marked "either thread" also come from the port-poll thread; the window must
// carry them out on its own thread (a synchronous SendMessageA, as the data monitor's 0x8065
// message) and return when they are done. Message boxes asked for on the poll thread are shown by
// the window thread while the poll thread waits. No lock of the engine is held during any call,
// so the window may call back into the engine (UpdateStatus, State, ...) from inside one.
class LinkView {
public:
    // The seven lamps, in the order the status refresh sets them.
    enum class Lamp { Rx, Tx, CtsHold, DsrHold, RlsHold, XoffHold, XoffSent, Count };

    struct FileFilter {
        framework::String name;
        framework::String pattern;
    };

    virtual ~LinkView() = default;
    // The window caption. Either thread.
    virtual void SetCaption(const char* text) = 0;
    // Hands new data-monitor text to the window (the window's 0x8065 message). Poll thread.
    virtual void MonitorUpdate(const framework::String& text) = 0;
    // Shows a failed port step: the step name as caption, the port name and the system's text.
    // Either thread.
    virtual void ShowPortError(const char* stepName, const char* text) = 0;

    // The status line, already padded to its width. Either thread.
    virtual void SetStatusText(const char* text) = 0;
    // The progress meter: a new total with its done value, or the done value alone. Either thread.
    virtual void SetProgress(int32_t total, int32_t done) = 0;
    virtual void SetProgressDone(int32_t done) = 0;
    // Lights or darkens a lamp; called only when its state changes. Either thread.
    virtual void SetLamp(Lamp lamp, bool isOn) = 0;
    // A finished download hides both progress dialogs and enables "Send File" and "Receive File".
    // Either thread.
    virtual void HideProgressDialogs() = 0;
    virtual void EnableTransferButtons() = 0;
    // An information box with the given text. Either thread.
    virtual void ShowInfo(const char* text) = 0;
    // The window's MessageBeep(1): the general link's answer to a download request. Either thread.
    virtual void SoundBeep() = 0;

    // The save dialog of the trace log: true with the chosen path when confirmed. Window thread.
    virtual bool ChooseSaveFile(const char* title, const framework::String& initialPath,
                                const std::vector<FileFilter>& filters, framework::String& chosen) = 0;
    // Presses or releases the "Log" check button without running its handler. Window thread.
    virtual void SetLogButton(bool isPressed) = 0;

    // Runs work on the window thread soon after (posted, not waited for). The poll thread uses it
    // for the framework timers, which belong to the window thread. Either thread.
    virtual void PostToWindowThread(std::function<void()> work) = 0;
};

} // namespace engine
