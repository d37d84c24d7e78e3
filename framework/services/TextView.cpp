#include "framework/services/TextView.h"

#include "framework/Canvas.h"
#include "framework/Font.h"
#include "framework/PopupMenu.h"
#include "framework/ScrollBar.h"
#include "framework/services/FontDialog.h"

#include <algorithm>
#include <cstring>

namespace framework {

namespace {

constexpr DWORD BothScrollBars = WS_VSCROLL | WS_HSCROLL;
constexpr LRESULT WantsArrowsTabAndCharacters = 0x83;

// Appends piece to line with its tabs expanded; columns count from the start of the line.
void AppendExpanded(String& line, const char* piece, int32_t length) {
    for (int32_t at = 0; at < length; ++at) {
        if (piece[at] != '\t') {
            line.Append(piece[at]);
            continue;
        }
        const int32_t column = line.Length();
        const int32_t further = (column / TextView::TabWidth + 1) * TextView::TabWidth - column;
        line.InsertChar(' ', line.Length() + 1, 1 + further);
    }
}

} // namespace

TextView::TextView(Window* parent, Layout* layout, DWORD style, int32_t capacity, bool newestOnTop)
    : Window(parent, layout), capacity(capacity), newestOnTop(newestOnTop),
      lines(PointerArray::DeleteAs<String>) {
    CreateFrame(style | WS_CHILD | WS_VISIBLE | BothScrollBars, WS_EX_CLIENTEDGE);
    Bar(SB_VERT).Connect(this, static_cast<ScrollBar::Handler>(&TextView::OnVerticalMove));
    Bar(SB_HORZ).Connect(this, static_cast<ScrollBar::Handler>(&TextView::OnHorizontalMove));
    // A character grid wants a fixed-pitch face; the window's own font replaces it when set.
    SetFont(new Font("Courier New", 9), false, true);
    MeasureCell();
    LayOut();
}

TextView::~TextView() = default;

void TextView::MeasureCell() {
    HDC screen = GetDC(nullptr);
    HGDIOBJ previous = GetFont() ? SelectObject(screen, GetFont()->Handle()) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32A(screen, "X", 1, &extent);
    if (previous != nullptr) {
        SelectObject(screen, previous);
    }
    ReleaseDC(nullptr, screen);
    cellWidth = extent.cx;
    cellHeight = extent.cy;
}

int TextView::Rows() const {
    RECT client{};
    if (Handle() == nullptr || cellHeight <= 0 || !GetClientRect(Handle(), &client)) {
        return 0;
    }
    return client.bottom / cellHeight;
}

void TextView::LayOut() {
    if (layoutGuard || cellHeight <= 0 || cellWidth <= 0 || Handle() == nullptr) {
        return;
    }
    RECT client{};
    GetClientRect(Handle(), &client);
    const int rows = client.bottom / cellHeight;
    const int columns = client.right / cellWidth;
    capacity = std::max(capacity, rows);
    layoutGuard = true;
    const int32_t count = lines.Count();
    ScrollBar& vertical = Bar(SB_VERT);
    vertical.SetRange(0, count - 1, rows);
    if (following) {
        firstLine = newestOnTop ? 0 : std::max(0, count - rows);
    }
    vertical.SetPosition(firstLine);
    firstLine = vertical.Position();
    ScrollBar& horizontal = Bar(SB_HORZ);
    horizontal.SetRange(0, widestLine - 1, columns);
    horizontal.SetPosition(firstColumn);
    firstColumn = horizontal.Position();
    layoutGuard = false;
}

void TextView::AppendText(const char* text) {
    if (text == nullptr || *text == '\0') {
        return;
    }
    bool dropped = false;
    const char* rest = text;
    while (*rest != '\0') {
        const char* feed = std::strchr(rest, '\n');
        const int32_t length =
            feed ? static_cast<int32_t>(feed - rest) : static_cast<int32_t>(std::strlen(rest));
        const bool continuing = lastLineOpen && lines.Count() > 0;
        lastLineOpen = feed == nullptr;
        if (continuing) {
            String& line = *lines.Get<String>(lines.Count() - 1);
            AppendExpanded(line, rest, length);
            widestLine = std::max(widestLine, line.Length());
        } else {
            auto* line = new String;
            AppendExpanded(*line, rest, length);
            widestLine = std::max(widestLine, line->Length());
            lines.Add(line);
            if (lines.Count() == capacity) {
                lines.RemoveAt(0);
                dropped = true;
            }
        }
        rest += length + (feed ? 1 : 0);
    }
    LayOut();
    if ((dropped || following) && Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TextView::Clear() {
    firstLine = 0;
    firstColumn = 0;
    widestLine = 0;
    lines.Clear();
    LayOut();
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TextView::SetViewFont(Font* newFont, bool owns) {
    SetFont(newFont, false, owns);
    MeasureCell();
    LayOut();
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TextView::SetMargin(int pixels) {
    margin = std::max(pixels, 0);
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TextView::SetColours(std::optional<Colour> focusFrame, std::optional<Colour> background,
                          std::optional<Colour> text) {
    focusFrameColour = focusFrame;
    backgroundColour = background;
    textColour = text;
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

COLORREF TextView::Resolved(const std::optional<Colour>& colour, int systemColour) const {
    return colour ? colour->Value() : GetSysColor(systemColour);
}

RECT TextView::TextArea() const {
    RECT client{};
    GetClientRect(Handle(), &client);
    return RECT{client.left + margin, client.top + margin,
                std::max(client.left + margin, client.right - margin),
                std::max(client.top + margin, client.bottom - margin)};
}

void TextView::OnVerticalMove(int32_t from, int32_t to) {
    if (layoutGuard) {
        return;
    }
    const int32_t delta = to - from;
    firstLine += delta;
    ScrollWindowEx(Handle(), 0, -delta * cellHeight, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    following = firstLine >= lines.Count() - Rows();
}

void TextView::OnHorizontalMove(int32_t from, int32_t to) {
    if (layoutGuard) {
        return;
    }
    const int32_t delta = to - from;
    firstColumn += delta;
    ScrollWindowEx(Handle(), -delta * cellWidth, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
}

LRESULT TextView::OnPaintDefault(MessageRecord& record) {
    const auto* information = reinterpret_cast<const PaintInformation*>(record.lParam);
    HDC dc = GetCanvas()->Context();
    const COLORREF background = Resolved(backgroundColour, COLOR_WINDOW);
    HBRUSH backgroundBrush = CreateSolidBrush(background);
    if (margin > 0) {
        const COLORREF frame = HasFocus() ? Resolved(focusFrameColour, COLOR_HIGHLIGHT) : background;
        HBRUSH frameBrush = CreateSolidBrush(frame);
        RECT client{};
        GetClientRect(Handle(), &client);
        const RECT inner = TextArea();
        const RECT bands[4] = {{client.left, client.top, client.right, inner.top},
                               {client.left, inner.bottom, client.right, client.bottom},
                               {client.left, inner.top, inner.left, inner.bottom},
                               {inner.right, inner.top, client.right, inner.bottom}};
        for (const RECT& band : bands) {
            FillRect(dc, &band, frameBrush);
        }
        DeleteObject(frameBrush);
    }
    const RECT area = TextArea();
    HGDIOBJ previousFont = GetFont() ? SelectObject(dc, GetFont()->Handle()) : nullptr;
    SetTextColor(dc, Resolved(textColour, COLOR_WINDOWTEXT));
    SetBkColor(dc, background);
    SetBkMode(dc, OPAQUE);
    const int x = area.left - cellWidth * firstColumn;
    const RECT& update = information->paint.rcPaint;
    for (int top = area.top, index = firstLine; top < area.bottom && cellHeight > 0;
         top += cellHeight, ++index) {
        const RECT row{area.left, top, area.right, std::min<int>(top + cellHeight, area.bottom)};
        if (row.bottom <= update.top || row.top >= update.bottom) {
            continue; // outside what needs painting
        }
        int textEnd = area.left;
        if (index >= 0 && index < lines.Count()) {
            const String& line = *lines.Get<String>(index);
            ExtTextOutA(dc, x, top, ETO_CLIPPED, &row, line.CStr(), static_cast<UINT>(line.Length()),
                        nullptr);
            textEnd = std::max<int>(area.left, x + line.Length() * cellWidth);
        }
        const RECT rest{std::min<int>(textEnd, area.right), row.top, area.right, row.bottom};
        FillRect(dc, &rest, backgroundBrush);
    }
    if (previousFont != nullptr) {
        SelectObject(dc, previousFont);
    }
    DeleteObject(backgroundBrush);
    return 1;
}

LRESULT TextView::OnKeyDown(MessageRecord& record) {
    ScrollBar& vertical = Bar(SB_VERT);
    ScrollBar& horizontal = Bar(SB_HORZ);
    switch (record.wParam) {
    case VK_LEFT:
        horizontal.Scroll(SB_LINEUP);
        return 1;
    case VK_RIGHT:
        horizontal.Scroll(SB_LINEDOWN);
        return 1;
    case VK_UP:
        vertical.Scroll(SB_LINEUP);
        return 1;
    case VK_DOWN:
        vertical.Scroll(SB_LINEDOWN);
        return 1;
    case VK_PRIOR:
        vertical.Scroll(SB_PAGEUP);
        return 1;
    case VK_NEXT:
        vertical.Scroll(SB_PAGEDOWN);
        return 1;
    case VK_HOME:
        vertical.Scroll(SB_TOP);
        return 1;
    case VK_END:
        vertical.Scroll(SB_BOTTOM);
        return 1;
    case VK_TAB: {
        const bool backwards = GetKeyState(VK_SHIFT) < 0;
        if (Window* dialog = Parent()) {
            Window* next = backwards ? dialog->PreviousTabStop(this, true) : dialog->NextTabStop(this, true);
            if (next != nullptr) {
                next->SetFocus();
            }
        }
        return 1;
    }
    default:
        return 0;
    }
}

LRESULT TextView::OnFocus(MessageRecord& record) {
    InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
}

LRESULT TextView::OnButtonDown(MessageRecord& record) {
    SetFocus();
    return 0;
}

LRESULT TextView::OnSize(MessageRecord& record) {
    LayOut();
    InvalidateRect(Handle(), nullptr, FALSE);
    return 0;
}

LRESULT TextView::OnMessage(MessageRecord& record) {
    return record.message == WM_GETDLGCODE ? WantsArrowsTabAndCharacters : 0;
}

LRESULT TextView::OnContextMenu(MessageRecord& record) {
    int chosen = 0;
    {
        // The menu is gone before the font chooser opens.
        PopupMenu menu;
        menu.AddItem(FontCommand, "&Font");
        Point at{GET_X_LPARAM(record.lParam), GET_Y_LPARAM(record.lParam)};
        if (record.lParam == -1) {
            // Asked for from the keyboard: the menu opens at the view's top left corner.
            at = ClientToScreen(Point{0, 0});
        }
        chosen = menu.Choose(Handle(), at);
    }
    if (chosen == FontCommand) {
        ChooseFont();
    }
    return 1;
}

void TextView::ChooseFont() {
    // The chooser also offers a colour; painting takes the text colour from the view's own
    // setting, so only the font is kept.
    FontDialog dialog(this, GetFont(), Colour(Resolved(textColour, COLOR_WINDOWTEXT)), false);
    if (!dialog.Show()) {
        return; // cancelled: nothing changes
    }
    if (Font* chosen = dialog.TakeFont()) {
        SetViewFont(chosen, true);
    } else {
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

} // namespace framework
