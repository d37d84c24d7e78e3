#include "framework/services/HelpViewer.h"

#include "framework/services/HelpText.h"
#include "platform/Windows.h"

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

// How the viewer works. One viewer window per owner shows a parsed help file (HelpText.h)
// from a top line down, without wrapping. Links are drawn underlined in the hot-light colour; the
// selected one has a focus rectangle. A click on a link, or Enter on the selected one, is a jump:
// the link's heading goes to the top and the old top line is pushed on the history, which
// Backspace and Alt+Left pop. Home is a jump to the top too, so Back undoes it; the wheel, the
// arrow and page keys only scroll. Tab and Shift+Tab walk through all the links of the file,
// starting with those in view and scrolling the next one into view.
//
// Ctrl+F starts find mode, shown as a "Find:" line at the bottom of the viewer. Typed characters
// build the search text, and each one moves to the first line from the current match on that
// holds the text, without regard to case; F3 and Enter move to the next such line, going on from
// the top past the end; Backspace takes a character back; Escape ends find mode and leaves the
// view where it is. The whole find counts as one jump: Back returns to where it started. A text
// that no line holds beeps and is shown as not found.
//
// The viewer runs on the thread of the window that opened it; each ShowHelp call that opens it
// reloads the file and starts with an empty history.

namespace framework {

namespace {

using help::HelpDocument;
using help::HelpLine;
using help::HelpLink;

constexpr const char* ViewerClass = "TolvaHelpViewer";
constexpr int Margin = 8;
constexpr int LineHeight = 16;
constexpr int FindBarHeight = LineHeight + 8;
constexpr int PageLines = 20;
constexpr int FindNextKey = VK_F1 + 2; // F3
// A marker pen's yellow: the classic scheme has no system colour that stands out behind black text.
constexpr COLORREF MatchColour = RGB(255, 232, 96);

struct Viewer {
    HWND window = nullptr;
    HelpDocument document;
    int topLine = 0;
    std::vector<int> history; // the top lines that jumps left, last on top
    int selectedLink = -1;
    int pressedLink = -1; // the link the left button went down on
    bool isFinding = false;
    std::string findText;
    int findOrigin = 0; // the top line when the find started
    int findLine = -1;  // the line of the current match
    bool hasFindJumped = false;
    bool isFindMissing = false;
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

// The three faces the viewer draws with, for as long as one paint or one measurement lasts.
class ViewerFonts {
public:
    ViewerFonts()
        : body(Make(-12, FW_NORMAL, FALSE)), heading(Make(-14, FW_BOLD, FALSE)),
          link(Make(-12, FW_NORMAL, TRUE)) {}
    ~ViewerFonts() {
        DeleteObject(body);
        DeleteObject(heading);
        DeleteObject(link);
    }
    ViewerFonts(const ViewerFonts&) = delete;
    ViewerFonts& operator=(const ViewerFonts&) = delete;

    HFONT body;
    HFONT heading;
    HFONT link;

private:
    static HFONT Make(int height, int weight, DWORD isUnderlined) {
        return CreateFontA(height, 0, 0, 0, weight, FALSE, isUnderlined, FALSE, ANSI_CHARSET,
                           OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "Arial");
    }
};

int TextWidth(HDC dc, HFONT font, const std::string& text, size_t start, size_t length) {
    SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32A(dc, text.c_str() + start, static_cast<int>(length), &size);
    return size.cx;
}

int HeightOf(const HelpLine& line) {
    return line.isHeading ? LineHeight + 4 : LineHeight;
}

int TextBottom(const Viewer& viewer) {
    RECT client{};
    GetClientRect(viewer.window, &client);
    return client.bottom - (viewer.isFinding ? FindBarHeight : 0);
}

// The lines from the top line on that are shown whole, as [first, end); the top line always counts.
std::pair<int, int> VisibleLines(const Viewer& viewer) {
    const int count = static_cast<int>(viewer.document.lines.size());
    const int bottom = TextBottom(viewer);
    int end = viewer.topLine;
    for (int y = Margin; end < count; ++end) {
        y += HeightOf(viewer.document.lines[static_cast<size_t>(end)]);
        if (y > bottom && end > viewer.topLine) {
            break;
        }
    }
    return {viewer.topLine, end};
}

struct LinkPlace {
    int link;
    RECT rect;
};

// Where the links in view are drawn, in client coordinates.
std::vector<LinkPlace> VisibleLinks(const Viewer& viewer) {
    std::vector<LinkPlace> places;
    const auto [first, end] = VisibleLines(viewer);
    HDC dc = GetDC(viewer.window);
    ViewerFonts fonts;
    HGDIOBJ old = SelectObject(dc, fonts.body);
    int y = Margin;
    int line = first;
    for (size_t i = 0; i < viewer.document.links.size(); ++i) {
        const HelpLink& link = viewer.document.links[i];
        if (link.line < first || link.line >= end) {
            continue;
        }
        for (; line < link.line; ++line) {
            y += HeightOf(viewer.document.lines[static_cast<size_t>(line)]);
        }
        const std::string& text = viewer.document.lines[static_cast<size_t>(link.line)].text;
        const int left = Margin + TextWidth(dc, fonts.body, text, 0, link.start);
        const int width = TextWidth(dc, fonts.link, text, link.start, link.length);
        places.push_back({static_cast<int>(i), RECT{left, y, left + width, y + LineHeight}});
    }
    SelectObject(dc, old);
    ReleaseDC(viewer.window, dc);
    return places;
}

int LinkAt(const Viewer& viewer, POINT point) {
    for (const LinkPlace& place : VisibleLinks(viewer)) {
        const RECT& r = place.rect;
        if (point.x >= r.left && point.x < r.right && point.y >= r.top && point.y < r.bottom) {
            return place.link;
        }
    }
    return -1;
}

bool IsLinkVisible(const Viewer& viewer, int link) {
    const std::vector<LinkPlace> places = VisibleLinks(viewer);
    return std::any_of(places.begin(), places.end(),
                       [link](const LinkPlace& place) { return place.link == link; });
}

// The scroll bar shows where the view stands in the file: its range is the file's lines, its page
// the lines in view, its position the top line.
void UpdateScrollBar(const Viewer& viewer) {
    const auto [first, end] = VisibleLines(viewer);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = std::max(0, static_cast<int>(viewer.document.lines.size()) - 1);
    info.nPage = static_cast<UINT>(std::max(1, end - first));
    info.nPos = viewer.topLine;
    SetScrollInfo(viewer.window, SB_VERT, &info, TRUE);
}

void ScrollTo(Viewer& viewer, int line) {
    const int last = std::max(0, static_cast<int>(viewer.document.lines.size()) - 1);
    viewer.topLine = std::clamp(line, 0, last);
    UpdateScrollBar(viewer);
    InvalidateRect(viewer.window, nullptr, TRUE);
}

// The scroll bar's arrows, page areas and thumb scroll without a jump, as the wheel does.
void OnVerticalScroll(Viewer& viewer, WORD request) {
    const auto [first, end] = VisibleLines(viewer);
    const int page = std::max(1, end - first);
    switch (request) {
    case SB_LINEUP:
        ScrollTo(viewer, viewer.topLine - 1);
        break;
    case SB_LINEDOWN:
        ScrollTo(viewer, viewer.topLine + 1);
        break;
    case SB_PAGEUP:
        ScrollTo(viewer, viewer.topLine - page);
        break;
    case SB_PAGEDOWN:
        ScrollTo(viewer, viewer.topLine + page);
        break;
    case SB_TOP:
        ScrollTo(viewer, 0);
        break;
    case SB_BOTTOM:
        ScrollTo(viewer, static_cast<int>(viewer.document.lines.size()));
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The 32-bit position, not the message's 16 bits.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(viewer.window, SB_VERT, &info)) {
            ScrollTo(viewer, info.nTrackPos);
        }
        break;
    }
    default:
        break;
    }
}

void Jump(Viewer& viewer, int line) {
    if (line != viewer.topLine) {
        viewer.history.push_back(viewer.topLine);
    }
    viewer.selectedLink = -1;
    ScrollTo(viewer, line);
}

void GoBack(Viewer& viewer) {
    if (viewer.history.empty()) {
        MessageBeep(MB_OK);
        return;
    }
    const int line = viewer.history.back();
    viewer.history.pop_back();
    viewer.selectedLink = -1;
    ScrollTo(viewer, line);
}

void Follow(Viewer& viewer, int link) {
    if (link >= 0 && link < static_cast<int>(viewer.document.links.size())) {
        Jump(viewer, viewer.document.links[static_cast<size_t>(link)].target);
    }
}

// Scrolls as little as shows the line whole.
void RevealLine(Viewer& viewer, int line) {
    if (line < viewer.topLine) {
        ScrollTo(viewer, line);
        return;
    }
    if (line < VisibleLines(viewer).second) {
        return;
    }
    const int bottom = TextBottom(viewer);
    int top = line;
    int height = Margin + HeightOf(viewer.document.lines[static_cast<size_t>(line)]);
    while (top > 0 && height + HeightOf(viewer.document.lines[static_cast<size_t>(top - 1)]) <= bottom) {
        --top;
        height += HeightOf(viewer.document.lines[static_cast<size_t>(top)]);
    }
    ScrollTo(viewer, top);
}

// Tab and Shift+Tab: the next or previous link, starting from those in view when the selection
// is out of view or there is none.
void MoveSelection(Viewer& viewer, int step) {
    const std::vector<HelpLink>& links = viewer.document.links;
    const int count = static_cast<int>(links.size());
    if (count == 0) {
        return;
    }
    int next = -1;
    if (viewer.selectedLink >= 0 && IsLinkVisible(viewer, viewer.selectedLink)) {
        next = (viewer.selectedLink + step + count) % count;
    } else if (step > 0) {
        const auto below = std::find_if(links.begin(), links.end(), [&viewer](const HelpLink& link) {
            return link.line >= viewer.topLine;
        });
        next = below == links.end() ? 0 : static_cast<int>(below - links.begin());
    } else {
        const int end = VisibleLines(viewer).second;
        const auto above = std::find_if(links.rbegin(), links.rend(),
                                        [end](const HelpLink& link) { return link.line < end; });
        next = above == links.rend() ? count - 1 : static_cast<int>(links.rend() - above) - 1;
    }
    viewer.selectedLink = next;
    RevealLine(viewer, links[static_cast<size_t>(next)].line);
    InvalidateRect(viewer.window, nullptr, TRUE);
}

void StartFind(Viewer& viewer) {
    viewer.isFinding = true;
    viewer.findText.clear();
    viewer.findOrigin = viewer.topLine;
    viewer.findLine = -1;
    viewer.hasFindJumped = false;
    viewer.isFindMissing = false;
    InvalidateRect(viewer.window, nullptr, TRUE);
}

void EndFind(Viewer& viewer) {
    viewer.isFinding = false;
    viewer.findText.clear();
    viewer.findLine = -1;
    viewer.isFindMissing = false;
    InvalidateRect(viewer.window, nullptr, TRUE);
}

void FindFrom(Viewer& viewer, int from) {
    InvalidateRect(viewer.window, nullptr, TRUE);
    viewer.isFindMissing = false;
    if (viewer.findText.empty()) {
        return;
    }
    const int line = help::FindLineContaining(viewer.document, viewer.findText, from);
    if (line < 0) {
        viewer.isFindMissing = true;
        MessageBeep(MB_OK);
        return;
    }
    viewer.findLine = line;
    if (!viewer.hasFindJumped && line != viewer.topLine) {
        viewer.history.push_back(viewer.topLine);
        viewer.hasFindJumped = true;
    }
    ScrollTo(viewer, line);
}

// The current match again, for a changed text, or where the find started.
int FindStart(const Viewer& viewer) {
    return viewer.findLine >= 0 ? viewer.findLine : viewer.findOrigin;
}

// Keys that mean something else while a find runs; true when the key was taken.
bool OnFindKey(Viewer& viewer, WPARAM key) {
    if (key == VK_ESCAPE) {
        EndFind(viewer);
    } else if (key == VK_RETURN || key == FindNextKey) {
        FindFrom(viewer, viewer.findLine >= 0 ? viewer.findLine + 1 : viewer.findOrigin);
    } else if (key == VK_BACK) {
        if (!viewer.findText.empty()) {
            viewer.findText.pop_back();
        }
        FindFrom(viewer, FindStart(viewer));
    } else {
        return false;
    }
    return true;
}

void OnKeyDown(Viewer& viewer, WPARAM key) {
    if (viewer.isFinding && OnFindKey(viewer, key)) {
        return;
    }
    const bool isControlHeld = GetKeyState(VK_CONTROL) < 0;
    const bool isShiftHeld = GetKeyState(VK_SHIFT) < 0;
    if (key == 'F' && isControlHeld) {
        StartFind(viewer);
    } else if (key == VK_TAB) {
        MoveSelection(viewer, isShiftHeld ? -1 : 1);
    } else if (key == VK_RETURN) {
        if (viewer.selectedLink >= 0 && IsLinkVisible(viewer, viewer.selectedLink)) {
            Follow(viewer, viewer.selectedLink);
        }
    } else if (key == VK_BACK) {
        GoBack(viewer);
    } else if (key == VK_HOME) {
        Jump(viewer, 0);
    } else if (key == VK_DOWN || key == VK_UP) {
        ScrollTo(viewer, viewer.topLine + (key == VK_DOWN ? 1 : -1));
    } else if (key == VK_NEXT || key == VK_PRIOR) {
        ScrollTo(viewer, viewer.topLine + (key == VK_NEXT ? PageLines : -PageLines));
    }
}

void OnCharacter(Viewer& viewer, WPARAM character) {
    // Control characters come from keys that OnKeyDown has handled already (Ctrl+F, Backspace,
    // Enter, Escape, Tab).
    if (!viewer.isFinding || character < 0x20 || character == 0x7F || character > 0xFF) {
        return;
    }
    viewer.findText += static_cast<char>(character);
    FindFrom(viewer, FindStart(viewer));
}

void OnButton(Viewer& viewer, UINT message, LPARAM lParam) {
    const int link = LinkAt(viewer, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    if (message == WM_LBUTTONDOWN) {
        viewer.pressedLink = link;
        if (link >= 0) {
            viewer.selectedLink = link;
            InvalidateRect(viewer.window, nullptr, TRUE);
        }
        return;
    }
    const int pressed = std::exchange(viewer.pressedLink, -1);
    if (link >= 0 && link == pressed) {
        Follow(viewer, link);
    }
}

bool SetLinkCursor(const Viewer& viewer) {
    POINT point{};
    GetCursorPos(&point);
    ScreenToClient(viewer.window, &point);
    if (LinkAt(viewer, point) < 0) {
        return false;
    }
    SetCursor(LoadCursorA(nullptr, IDC_HAND));
    return true;
}

// Draws one line, its links in their own face and the current match on a marked ground.
void PaintLine(HDC dc, const ViewerFonts& fonts, const Viewer& viewer, int index, int y) {
    const HelpLine& line = viewer.document.lines[static_cast<size_t>(index)];
    const std::string& text = line.text;
    HFONT face = line.isHeading ? fonts.heading : fonts.body;
    if (viewer.isFinding && index == viewer.findLine) {
        const size_t at = help::FindInLine(text, viewer.findText);
        if (at != std::string::npos) {
            const int left = Margin + TextWidth(dc, face, text, 0, at);
            const RECT mark{left, y, left + TextWidth(dc, face, text, at, viewer.findText.size()),
                            y + HeightOf(line)};
            HBRUSH marker = CreateSolidBrush(MatchColour);
            FillRect(dc, &mark, marker);
            DeleteObject(marker);
        }
    }
    int x = Margin;
    size_t done = 0;
    auto draw = [&](HFONT font, COLORREF colour, size_t start, size_t length) {
        SelectObject(dc, font);
        SetTextColor(dc, colour);
        TextOutA(dc, x, y, text.c_str() + start, static_cast<int>(length));
        x += TextWidth(dc, font, text, start, length);
    };
    for (const HelpLink& link : viewer.document.links) {
        if (link.line != index) {
            continue;
        }
        draw(face, GetSysColor(COLOR_WINDOWTEXT), done, link.start - done);
        draw(fonts.link, GetSysColor(COLOR_HOTLIGHT), link.start, link.length);
        done = link.start + link.length;
    }
    draw(face, GetSysColor(COLOR_WINDOWTEXT), done, text.size() - done);
}

void PaintFindBar(HDC dc, const ViewerFonts& fonts, const Viewer& viewer, const RECT& client) {
    const RECT bar{0, client.bottom - FindBarHeight, client.right, client.bottom};
    FillRect(dc, &bar, GetSysColorBrush(COLOR_BTNFACE));
    const RECT edge{0, bar.top, client.right, bar.top + 1};
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    const std::string shown = "Find: " + viewer.findText + (viewer.isFindMissing ? "  (not found)" : "");
    SelectObject(dc, fonts.body);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    TextOutA(dc, Margin, bar.top + 4, shown.c_str(), static_cast<int>(shown.size()));
}

void Paint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    Viewer* viewer = ViewerOfWindow(window);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (viewer != nullptr) {
        ViewerFonts fonts;
        HGDIOBJ old = SelectObject(dc, fonts.body);
        SetBkMode(dc, TRANSPARENT);
        int y = Margin;
        const int count = static_cast<int>(viewer->document.lines.size());
        for (int i = viewer->topLine; i < count && y < client.bottom; ++i) {
            PaintLine(dc, fonts, *viewer, i, y);
            y += HeightOf(viewer->document.lines[static_cast<size_t>(i)]);
        }
        for (const LinkPlace& place : VisibleLinks(*viewer)) {
            if (place.link == viewer->selectedLink) {
                const RECT focus{place.rect.left - 1, place.rect.top, place.rect.right + 1,
                                 place.rect.bottom};
                DrawFocusRect(dc, &focus);
            }
        }
        if (viewer->isFinding) {
            PaintFindBar(dc, fonts, *viewer, client);
        }
        SelectObject(dc, old);
    }
    EndPaint(window, &paint);
}

LRESULT ViewerProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Viewer* viewer = ViewerOfWindow(window);
    if (viewer == nullptr && message != WM_PAINT) {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    switch (message) {
    case WM_PAINT:
        Paint(window);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollTo(*viewer, viewer->topLine - static_cast<SHORT>(HIWORD(wParam)) / 40);
        return 0;
    case WM_VSCROLL:
        OnVerticalScroll(*viewer, LOWORD(wParam));
        return 0;
    case WM_SIZE:
        UpdateScrollBar(*viewer);
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYDOWN:
        OnKeyDown(*viewer, wParam);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_LEFT) {
            GoBack(*viewer);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
        OnCharacter(*viewer, wParam);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
        OnButton(*viewer, message, lParam);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && SetLinkCursor(*viewer)) {
            return TRUE;
        }
        return DefWindowProcA(window, message, wParam, lParam);
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

BOOL Open(HWND owner, HelpDocument document, int line) {
    HWND window = HelpViewerOf(owner);
    if (window == nullptr) {
        RegisterViewerClass();
        window = CreateWindowExA(0, ViewerClass, "Help", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 60, 60, 520, 440,
                                 owner, nullptr, nullptr, nullptr);
        if (window == nullptr) {
            return FALSE;
        }
        std::lock_guard lock(viewersMutex);
        auto viewer = std::make_unique<Viewer>();
        viewer->window = window;
        viewersByOwner[owner] = std::move(viewer);
    }
    Viewer* viewer = nullptr;
    {
        std::lock_guard lock(viewersMutex);
        viewer = viewersByOwner[owner].get();
        *viewer = Viewer{};
        viewer->window = window;
        viewer->document = std::move(document);
    }
    ScrollTo(*viewer, line);
    ShowWindow(window, SW_SHOW);
    return TRUE;
}

// Opens the viewer at the heading of a context number, or at the top for none.
BOOL OpenAt(HWND owner, LPCSTR file, const long* context) {
    HelpDocument document;
    if (file == nullptr || !help::LoadHelpFile(Resolve(file), document)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return FALSE;
    }
    const int line = context ? help::LineOfContext(document, *context) : 0;
    return Open(owner, std::move(document), line);
}

} // namespace

BOOL ShowHelp(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData) {
    switch (uCommand) {
    case HELP_QUIT: {
        HWND viewer = HelpViewerOf(hWndMain);
        if (viewer != nullptr) {
            DestroyWindow(viewer);
        }
        return TRUE;
    }
    case HELP_INDEX:
        return lpszHelp ? OpenAt(hWndMain, lpszHelp, nullptr) : FALSE;
    case HELP_CONTEXT:
    case HELP_CONTEXTPOPUP: {
        if (lpszHelp == nullptr) {
            return FALSE;
        }
        const long context = static_cast<long>(dwData);
        return OpenAt(hWndMain, lpszHelp, &context);
    }
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
}

HWND HelpViewerOf(HWND owner) {
    std::lock_guard lock(viewersMutex);
    auto found = viewersByOwner.find(owner);
    return found == viewersByOwner.end() ? nullptr : found->second->window;
}

int HelpViewerTopLine(HWND viewer) {
    Viewer* record = ViewerOfWindow(viewer);
    return record ? record->topLine : -1;
}

int HelpViewerLinkCount(HWND viewer) {
    Viewer* record = ViewerOfWindow(viewer);
    return record ? static_cast<int>(record->document.links.size()) : -1;
}

std::string HelpViewerSelectedLink(HWND viewer) {
    Viewer* record = ViewerOfWindow(viewer);
    if (record == nullptr || record->selectedLink < 0) {
        return {};
    }
    const HelpLink& link = record->document.links[static_cast<size_t>(record->selectedLink)];
    return record->document.lines[static_cast<size_t>(link.target)].text;
}

bool HelpViewerLinkRect(HWND viewer, const std::string& text, RECT* rect) {
    Viewer* record = ViewerOfWindow(viewer);
    if (record == nullptr || rect == nullptr) {
        return false;
    }
    for (const LinkPlace& place : VisibleLinks(*record)) {
        const HelpLink& link = record->document.links[static_cast<size_t>(place.link)];
        if (record->document.lines[static_cast<size_t>(link.line)].text.substr(link.start, link.length) ==
            text) {
            *rect = place.rect;
            return true;
        }
    }
    return false;
}

std::string HelpViewerFindText(HWND viewer) {
    Viewer* record = ViewerOfWindow(viewer);
    return record && record->isFinding ? record->findText : std::string();
}

} // namespace framework
