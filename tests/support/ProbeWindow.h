#pragma once

// A framework window for tests: a canvas frame that records which of its operations ran, in order.

#include "framework/Window.h"

#include <string>
#include <vector>

namespace testsupport {

class ProbeWindow : public framework::Window {
public:
    explicit ProbeWindow(framework::Window* parent = nullptr, bool create = true) : Window(parent) {
        if (create) {
            CreateFrame(parent ? (WS_CHILD | WS_VISIBLE) : WS_OVERLAPPEDWINDOW, 0);
        }
    }

    LRESULT OnSize(framework::MessageRecord& record) override {
        calls.push_back("OnSize");
        if (resizeInOnSize) {
            MoveWindow(Handle(), 0, 0, 123, 45, FALSE); // a nested WM_SIZE
        }
        return 0;
    }
    LRESULT OnClose(framework::MessageRecord& record) override {
        calls.push_back("OnClose");
        return refuseClose ? 1 : 0;
    }
    LRESULT OnCommand(framework::MessageRecord& record) override {
        calls.push_back("OnCommand " + std::to_string(LOWORD(record.wParam)) + "/" +
                        std::to_string(HIWORD(record.wParam)));
        return commandResult;
    }
    LRESULT OnSysColorChange(framework::MessageRecord& record) override {
        calls.push_back("OnSysColorChange");
        return 0;
    }
    LRESULT OnMessage(framework::MessageRecord& record) override {
        if (record.message >= WM_APP && record.message < WM_APP + 0x100) {
            calls.push_back("OnMessage " + std::to_string(record.message - WM_APP));
            return messageResult;
        }
        return 0;
    }
    int OnIdle(int active) override {
        ++idleCalls;
        return idleResult;
    }
    LRESULT OnDestroy(framework::MessageRecord& record) override {
        calls.push_back("OnDestroy");
        return 0;
    }

    int GetToolTipText(framework::String& out, framework::Point point) override {
        out = toolTip.c_str();
        return toolTip.empty() ? 0 : 1;
    }

    // Binds the object to an existing window, as a control object is bound.
    void Adopt(HWND hwnd) { Bind(hwnd); }

    // Handler-table targets.
    LRESULT First(framework::MessageRecord& record) {
        calls.push_back("First");
        return firstResult;
    }
    LRESULT Second(framework::MessageRecord& record) {
        calls.push_back("Second");
        return secondResult;
    }

    std::vector<std::string> calls;
    bool resizeInOnSize = false;
    bool refuseClose = false;
    LRESULT commandResult = 0;
    LRESULT messageResult = 0;
    LRESULT firstResult = 0;
    LRESULT secondResult = 0;
    int idleResult = 0;
    std::string toolTip;
    int idleCalls = 0;
};

} // namespace testsupport
