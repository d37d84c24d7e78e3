#include "framework/services/HelpService.h"

#include "framework/Window.h"
#include "framework/services/HelpViewer.h"

namespace framework {

struct HelpService::HelpTopic {
    const Window* windowKey;
    const Window* controlKey;
    uint32_t context;
    int32_t controlId;
    bool popup;
};

HelpService::HelpService() : topics(PointerArray::DeleteAs<HelpTopic>) {}

HelpService::~HelpService() {
    Call(HELP_QUIT, 0);
}

HelpService& HelpService::Instance() {
    static HelpService instance;
    return instance;
}

BOOL HelpService::Call(UINT command, ULONG_PTR data) {
    if (owner == nullptr || helpFile.IsEmpty()) {
        return 0;
    }
    return ShowHelp(owner->Handle(), helpFile.CStr(), command, data);
}

bool HelpService::SetHelpFile(Window* newOwner, const char* file) {
    owner = newOwner;
    helpFile = file;
    return true;
}

bool HelpService::AddTopic(const Window* key, uint32_t context) {
    if (key == nullptr) {
        return false;
    }
    topics.Add(new HelpTopic{key, key, context, -1, false});
    return true;
}

bool HelpService::AddControlTopic(const Window* windowKey, const Window* controlKey, uint32_t context,
                                  int32_t controlId, bool popup) {
    if (windowKey == nullptr) {
        return false;
    }
    topics.Add(new HelpTopic{windowKey, controlKey, context, controlId, popup});
    return true;
}

BOOL HelpService::ShowContents() {
    return Call(HELP_INDEX, 0);
}

BOOL HelpService::ShowTopic(uint32_t context) {
    return Call(HELP_CONTEXT, context);
}

BOOL HelpService::ShowPopup(uint32_t context) {
    return Call(HELP_CONTEXTPOPUP, context);
}

int32_t HelpService::RouteHelpRequest(const Window* windowKey, const MessageRecord& message) {
    const auto* request = reinterpret_cast<const HELPINFO*>(message.lParam);
    if (message.message != WM_HELP || request == nullptr) {
        return -1;
    }
    int32_t windowWide = -1;
    int32_t specific = -1;
    for (int32_t i = topics.Count() - 1; i >= 0 && windowWide < 0; --i) {
        const HelpTopic* topic = topics.Get<HelpTopic>(i);
        if (topic->windowKey != windowKey) {
            continue;
        }
        if (topic->controlKey == topic->windowKey) {
            windowWide = i;
        }
        const bool byWindow = request->iContextType == HELPINFO_WINDOW && topic->controlKey != nullptr;
        if (byWindow ? topic->controlKey->Handle() == request->hItemHandle
                     : topic->controlId > 0 && topic->controlId == request->iCtrlId) {
            specific = i;
        }
    }
    const int32_t chosen = specific >= 0 ? specific : windowWide;
    if (chosen < 0) {
        return -1;
    }
    const HelpTopic* topic = topics.Get<HelpTopic>(chosen);
    if (topic->popup) {
        ShowPopup(topic->context);
    } else {
        ShowTopic(topic->context);
    }
    return chosen;
}

BOOL HelpService::CloseHelp() {
    const BOOL result = Call(HELP_QUIT, 0);
    owner = nullptr;
    helpFile.Assign(static_cast<const char*>(nullptr));
    return result;
}

} // namespace framework
