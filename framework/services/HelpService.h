#pragma once

#include "framework/MessageRecord.h"
#include "framework/PointerArray.h"
#include "framework/String.h"

#include <cstdint>

namespace framework {

class Window;

// The process-wide link to the program's help file: the file, the window that owns the help
// viewer, and context numbers registered for windows and controls. Every viewer call is made only
// when both an owner and a file are set.
//
// Window thread only.
class HelpService {
public:
    HelpService();
    HelpService(const HelpService&) = delete;
    HelpService& operator=(const HelpService&) = delete;
    ~HelpService();

    static HelpService& Instance();

    bool SetHelpFile(Window* owner, const char* file);
    // A window-wide topic.
    bool AddTopic(const Window* key, uint32_t context);
    // A topic of one control of a window, found by its window or, failing that, by its id.
    bool AddControlTopic(const Window* windowKey, const Window* controlKey, uint32_t context,
                         int32_t controlId, bool popup);
    BOOL ShowContents();
    BOOL ShowTopic(uint32_t context);
    BOOL ShowPopup(uint32_t context);
    // Serves a WM_HELP message for a window; the index of the topic used, or -1.
    int32_t RouteHelpRequest(const Window* windowKey, const MessageRecord& message);
    BOOL CloseHelp();

    const String& HelpFile() const { return helpFile; }
    Window* Owner() const { return owner; }

private:
    struct HelpTopic;

    BOOL Call(UINT command, ULONG_PTR data);

    PointerArray topics;
    String helpFile;
    Window* owner = nullptr;
};

} // namespace framework
