#include "framework/ProgressMeter.h"

#include "framework/Canvas.h"
#include "framework/Font.h"

#include <algorithm>
#include <cmath>

namespace framework {

namespace {

constexpr DWORD ChildWithBorder = WS_CHILD | WS_BORDER;
constexpr COLORREF BarColour = RGB(0, 0, 255);
constexpr COLORREF TroughColour = RGB(0, 0, 0);
constexpr COLORREF TextColour = RGB(255, 255, 255);

void Fill(HDC dc, const RECT& rect, COLORREF colour) {
    if (rect.right <= rect.left || rect.bottom <= rect.top) {
        return;
    }
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

} // namespace

ProgressMeter::ProgressMeter(Window* parent, Layout* layout, DWORD style, int step)
    : Window(parent, layout), step(step) {
    CreateFrame(style | ChildWithBorder, 0);
    SetFont(new Font("Arial", 8), false, true);
}

ProgressMeter::~ProgressMeter() = default;

void ProgressMeter::SetProgress(double total, double done) {
    step = std::clamp(step, 1, 100);
    if (total <= 0.0) {
        total = 1.0;
    }
    done = std::min(done, total);
    const double previous = percent;
    percent = std::clamp(done / total * 100.0, 0.0, 100.0);
    range = Range{total, done};
    if (std::floor(previous / step) != std::floor(percent / step) && Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, FALSE);
        UpdateWindow(Handle());
    }
}

LRESULT ProgressMeter::OnPaintDefault(MessageRecord& record) {
    const auto* information = reinterpret_cast<const PaintInformation*>(record.lParam);
    HDC dc = GetCanvas()->Context();
    const Rect& client = information->client;

    String text;
    text.Format("%i%c", static_cast<int>(percent), '%');
    HGDIOBJ previousFont = GetFont() ? SelectObject(dc, GetFont()->Handle()) : nullptr;
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.CStr(), text.Length(), &extent);

    const int margin = std::max(0, (client.Height() - static_cast<int>(extent.cy) - 4) / 2);
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    const RECT above{client.left, client.top, client.right, client.top + margin};
    const RECT below{client.left, client.bottom - margin, client.right, client.bottom};
    FillRect(dc, &above, face);
    FillRect(dc, &below, face);

    const RECT bar{client.left, client.top + margin, client.right, client.bottom - margin};
    const int split = bar.left + static_cast<int>((bar.right - bar.left) * percent / 100.0);
    Fill(dc, RECT{bar.left, bar.top, split, bar.bottom}, BarColour);
    Fill(dc, RECT{split + 1, bar.top, bar.right, bar.bottom}, TroughColour);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColour);
    RECT textRect = bar;
    DrawTextA(dc, text.CStr(), text.Length(), &textRect, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (previousFont != nullptr) {
        SelectObject(dc, previousFont);
    }
    return 1;
}

} // namespace framework
