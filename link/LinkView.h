#pragma once

#include "framework/String.h"

namespace engine {

// What the link does to the screen, implemented by the main window. The poll thread calls
// MonitorUpdate and ShowPortError and waits until the window's thread has handled them; no lock of
// the link is held during either call.
class LinkView {
public:
    virtual ~LinkView() = default;
    // The window caption.
    virtual void SetCaption(const char* text) = 0;
    // Hands new data-monitor text to the window (the window's 0x8065 message).
    virtual void MonitorUpdate(const framework::String& text) = 0;
    // Shows a failed port step: the step name as caption, the port name and the system's text.
    virtual void ShowPortError(const char* stepName, const char* text) = 0;
};

} // namespace engine
