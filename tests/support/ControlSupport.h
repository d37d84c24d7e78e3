#pragma once

// Helpers for the standard-control tests: a host window that records what its controls tell it
// (WM_COMMAND notifications, WM_NOTIFY codes, scroll requests), and the comparison of a window-tree
// dump with an expected file beside the tests, with a snapshot left in the build folder.

#include "platform/Windows.h"
#include "support/UserSupport.h"
#include "testhooks/TestHooks.h"

#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace testsupport {

struct Notice {
    UINT message; // WM_COMMAND, WM_NOTIFY, WM_HSCROLL or WM_VSCROLL
    HWND from;
    int id;       // control id (WM_COMMAND, WM_NOTIFY)
    int code;     // notification code, or the scroll request
    int position; // scroll requests: the high word of wParam
};

inline std::vector<Notice>& Notices() {
    static std::vector<Notice> notices;
    return notices;
}

// What the host answers to a WM_NOTIFY, for tests of notifications that can veto.
inline std::function<LRESULT(const NMHDR&)>& NotifyAnswer() {
    static std::function<LRESULT(const NMHDR&)> answer;
    return answer;
}

inline LRESULT HostProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        BeginPaint(hwnd, &paint);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_COMMAND:
        Notices().push_back({message, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam), 0});
        return 0;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        Notices().push_back(
            {message, header->hwndFrom, static_cast<int>(header->idFrom), static_cast<int>(header->code), 0});
        return NotifyAnswer() ? NotifyAnswer()(*header) : 0;
    }
    case WM_HSCROLL:
    case WM_VSCROLL:
        Notices().push_back(
            {message, reinterpret_cast<HWND>(lParam), 0, LOWORD(wParam), static_cast<SHORT>(HIWORD(wParam))});
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// A grey top-level window that hosts the controls under test.
class HostedControls : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HostProc;
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<intptr_t>(COLOR_BTNFACE + 1));
        windowClass.lpszClassName = "ControlHost";
        RegisterClassExA(&windowClass);
        host = CreateWindowExA(0, "ControlHost", "Controls", WS_POPUP | WS_CAPTION | WS_VISIBLE, 40, 30, 320,
                               220, nullptr, nullptr, nullptr, nullptr);
        testhooks::PumpMessages();
        Notices().clear();
        NotifyAnswer() = nullptr;
    }
    void TearDown() override {
        DestroyWindow(host);
        testhooks::PumpMessages();
        UnregisterClassA("ControlHost", nullptr);
        NotifyAnswer() = nullptr;
    }
    HWND Create(const char* className, const char* text, DWORD style, int x, int y, int width, int height,
                int id, DWORD exStyle = 0) {
        HWND hwnd =
            CreateWindowExA(exStyle, className, text, WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                            host, reinterpret_cast<HMENU>(static_cast<intptr_t>(id)), nullptr, nullptr);
        testhooks::PumpMessages();
        return hwnd;
    }
    // The notices since the last call, of one message kind (0: all).
    static std::vector<Notice> Take(UINT message = 0) {
        std::vector<Notice> taken;
        for (const Notice& notice : Notices()) {
            if (message == 0 || notice.message == message) {
                taken.push_back(notice);
            }
        }
        Notices().clear();
        return taken;
    }
    static std::vector<int> Codes(const std::vector<Notice>& notices) {
        std::vector<int> codes;
        for (const Notice& notice : notices) {
            codes.push_back(notice.code);
        }
        return codes;
    }

    testsupport::Watchdog watchdog{std::chrono::seconds(20)};
    HWND host = nullptr;
};

// Compares the window tree below root with tests/platform/expected/<name>.txt and leaves a
// snapshot of root's top-level window as <name>.png (and the dump, when it differs) in the build
// folder's snapshot directory.
inline void ExpectTreeAndSnapshot(HWND root, const std::string& name) {
    testhooks::PumpMessages();
    const std::filesystem::path snapshots = TOLVA_SNAPSHOT_DIR;
    std::filesystem::create_directories(snapshots);
    EXPECT_TRUE(platform::SnapshotPng(root, (snapshots / (name + ".png")).string())) << name;
    const std::string dump = testhooks::DumpWindowTree(root);
    std::ifstream file(std::filesystem::path(TOLVA_EXPECTED_DIR) / (name + ".txt"));
    const std::string expected((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (dump != expected) {
        std::ofstream(snapshots / (name + ".actual.txt")) << dump;
    }
    EXPECT_EQ(dump, expected) << "window tree of " << name;
}

} // namespace testsupport
