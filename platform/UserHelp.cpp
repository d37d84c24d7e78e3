#include "platform/UserHelp.h"

#include "platform/GdiDeviceContext.h"
#include "platform/GdiDrawing.h"
#include "platform/GdiFonts.h"
#include "platform/GdiObjects.h"
#include "platform/GdiSystemColours.h"
#include "platform/GdiText.h"
#include "platform/KernelErrors.h"
#include "platform/KernelFiles.h"
#include "platform/KernelFolders.h"
#include "platform/UserMessages.h"
#include "platform/UserPaint.h"
#include "platform/UserWindows.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace {

constexpr const char* ViewerClass = "PlatformHelpViewer";
constexpr int Margin = 8;
constexpr int LineHeight = 16;

struct HelpLine {
    std::string text;
    bool isHeading;
    long context; // -1 when the heading names none
};

struct Viewer {
    HWND window = nullptr;
    std::vector<HelpLine> lines;
    int topLine = 0;
};

std::mutex viewersMutex;
std::map<HWND, std::unique_ptr<Viewer>> viewersByOwner;

Viewer* ViewerOfWindow(HWND window) {
    std::lock_guard lock(viewersMutex);
    for (auto& [owner, viewer] : viewersByOwner) {
        if (viewer->window == window) {
            return viewer.get();
        }
    }
    return nullptr;
}

std::string Resolve(LPCSTR name) {
    const std::string file(name);
    if (file.find('/') != std::string::npos || file.find('\\') != std::string::npos) {
        return file;
    }
    char module[1024] = {};
    if (GetModuleFileNameA(nullptr, module, sizeof module) > 0) {
        std::string besideProgram(module);
        besideProgram = besideProgram.substr(0, besideProgram.find_last_of('/') + 1) + file;
        if (GetFileAttributesA(besideProgram.c_str()) != INVALID_FILE_ATTRIBUTES) {
            return besideProgram;
        }
    }
    return file;
}

bool Load(const std::string& path, std::vector<HelpLine>& lines) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        HelpLine entry{line, false, -1};
        if (line.rfind("# ", 0) == 0) {
            entry.isHeading = true;
            entry.text = line.substr(2);
            const size_t open = entry.text.rfind('{');
            if (open != std::string::npos && entry.text.back() == '}') {
                entry.context = std::strtol(entry.text.c_str() + open + 1, nullptr, 10);
                entry.text = entry.text.substr(0, open);
                while (!entry.text.empty() && entry.text.back() == ' ') {
                    entry.text.pop_back();
                }
            }
        }
        lines.push_back(entry);
    }
    return true;
}

void ScrollTo(HWND window, int line) {
    Viewer* viewer = ViewerOfWindow(window);
    if (viewer == nullptr) {
        return;
    }
    const int last = std::max(0, static_cast<int>(viewer->lines.size()) - 1);
    viewer->topLine = std::clamp(line, 0, last);
    InvalidateRect(window, nullptr, TRUE);
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    Viewer* viewer = ViewerOfWindow(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (viewer != nullptr) {
        HFONT body = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
        HFONT heading = CreateFontA(-14, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
        HGDIOBJ old = SelectObject(dc, body);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        int y = Margin;
        for (size_t i = static_cast<size_t>(viewer->topLine); i < viewer->lines.size() && y < client.bottom; ++i) {
            const HelpLine& line = viewer->lines[i];
            SelectObject(dc, line.isHeading ? heading : body);
            TextOutA(dc, Margin, y, line.text.c_str(), static_cast<int>(line.text.size()));
            y += line.isHeading ? LineHeight + 4 : LineHeight;
        }
        SelectObject(dc, old);
        DeleteObject(body);
        DeleteObject(heading);
    }
    EndPaint(window, &paint);
}

LRESULT ViewerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Viewer* viewer = ViewerOfWindow(window);
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_MOUSEWHEEL:
        if (viewer != nullptr) {
            ScrollTo(window, viewer->topLine - static_cast<SHORT>(HIWORD(wParam)) / 40);
        }
        return 0;
    case WM_KEYDOWN:
        if (viewer != nullptr) {
            const int page = 20;
            const int moves[] = {wParam == VK_DOWN ? 1 : 0, wParam == VK_UP ? -1 : 0, wParam == VK_NEXT ? page : 0,
                                 wParam == VK_PRIOR ? -page : 0};
            int move = 0;
            for (int m : moves) {
                move += m;
            }
            if (wParam == VK_HOME) {
                ScrollTo(window, 0);
            } else if (move != 0) {
                ScrollTo(window, viewer->topLine + move);
            }
        }
        return 0;
    case WM_NCDESTROY: {
        std::lock_guard lock(viewersMutex);
        std::erase_if(viewersByOwner, [window](const auto& entry) { return entry.second->window == window; });
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

void RegisterViewerClass() {
    static const bool registered = [] {
        WNDCLASSEXA windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = ViewerProcedure;
        windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        windowClass.lpszClassName = ViewerClass;
        return RegisterClassExA(&windowClass) != 0;
    }();
    (void)registered;
}

int LineOfContext(const std::vector<HelpLine>& lines, long context) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].isHeading && lines[i].context == context) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

BOOL Open(HWND owner, LPCSTR file, int line) {
    std::vector<HelpLine> lines;
    if (!Load(Resolve(file), lines)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    HWND window = platform::HelpViewerOf(owner);
    if (window == nullptr) {
        RegisterViewerClass();
        window = CreateWindowExA(0, ViewerClass, "Help", WS_OVERLAPPEDWINDOW, 60, 60, 520, 440, owner, nullptr,
                                 nullptr, nullptr);
        if (window == nullptr) {
            return FALSE;
        }
        std::lock_guard lock(viewersMutex);
        auto viewer = std::make_unique<Viewer>();
        viewer->window = window;
        viewersByOwner[owner] = std::move(viewer);
    }
    {
        std::lock_guard lock(viewersMutex);
        viewersByOwner[owner]->lines = std::move(lines);
    }
    ScrollTo(window, line);
    ShowWindow(window, SW_SHOW);
    return TRUE;
}

} // namespace

BOOL WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    switch (uCommand) {
    case HELP_QUIT: {
        HWND viewer = platform::HelpViewerOf(hWndMain);
        if (viewer != nullptr) {
            DestroyWindow(viewer);
        }
        return TRUE;
    }
    case HELP_INDEX:
        return lpszHelp ? Open(hWndMain, lpszHelp, 0) : FALSE;
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP: {
        if (lpszHelp == nullptr) {
            return FALSE;
        }
        std::vector<HelpLine> lines;
        Load(Resolve(lpszHelp), lines);
        return Open(hWndMain, lpszHelp, LineOfContext(lines, static_cast<long>(dwData)));
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

namespace platform {

HWND HelpViewerOf(HWND owner) {
    std::lock_guard lock(viewersMutex);
    auto found = viewersByOwner.find(owner);
    return found == viewersByOwner.end() ? nullptr : found->second->window;
}

int HelpViewerTopLine(HWND viewer) {
    Viewer* record = ViewerOfWindow(viewer);
    return record ? record->topLine : -1;
}

} // namespace platform
