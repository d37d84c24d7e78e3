#include "platform/user/ScrollBarModel.h"

#include "platform/gdi/Bitmaps.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/gdi/Drawing.h"
#include "platform/gdi/Edges.h"
#include "platform/gdi/Objects.h"
#include "platform/gdi/SystemColours.h"
#include "platform/user/Windows.h"

#include <algorithm>
#include <cstdint>

namespace platform::user {

namespace {

constexpr int MinimumThumb = 8;

// a * b / c rounded to the nearest, as the classic scroll bar computes its thumb.
int Scale(int a, int b, int c) {
    if (c == 0) {
        return 0;
    }
    const long long product = static_cast<long long>(a) * b;
    return static_cast<int>((product + (product >= 0 ? c / 2 : -c / 2)) / c);
}

int Along(POINT point, bool isVertical) {
    return isVertical ? point.y : point.x;
}

// The rectangle of a stretch of the bar, from `from` to `to` along it.
RECT Stretch(const RECT& bar, bool isVertical, int from, int to) {
    if (isVertical) {
        return RECT{bar.left, bar.top + from, bar.right, bar.top + to};
    }
    return RECT{bar.left + from, bar.top, bar.left + to, bar.bottom};
}

// The track of the classic look: a fine checker of the highlight and the scroll-bar colour, or the
// dark shadow where a held page is; the checker runs from the bar's own corner.
void FillTrack(HDC dc, const RECT& bar, const RECT& area, bool isHeld) {
    if (isHeld) {
        FillRect(dc, &area, GetSysColorBrush(COLOR_3DDKSHADOW));
        return;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    // Drawn in memory and copied in one piece: a bar is redrawn each time its range or position
    // changes, which a text view that follows its text does on every line it takes.
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP checker = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (checker == nullptr || bits == nullptr) {
        DeleteDC(memory);
        FillRect(dc, &area, GetSysColorBrush(COLOR_SCROLLBAR));
        return;
    }
    const auto pixelOf = [](COLORREF colour) {
        return static_cast<uint32_t>(GetRValue(colour)) << 16 |
               static_cast<uint32_t>(GetGValue(colour)) << 8 | GetBValue(colour);
    };
    const uint32_t colours[2] = {pixelOf(GetSysColor(COLOR_BTNHIGHLIGHT)),
                                 pixelOf(GetSysColor(COLOR_SCROLLBAR))};
    auto* pixels = static_cast<uint32_t*>(bits);
    // The light squares are those whose offset from the bar's corner sums to an even number.
    const int phase = (area.left - bar.left + area.top - bar.top) & 1;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels[static_cast<size_t>(y) * width + x] = colours[(x + y + phase) & 1];
        }
    }
    HGDIOBJ previous = SelectObject(memory, checker);
    BitBlt(dc, area.left, area.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(checker);
    DeleteDC(memory);
}

} // namespace

ScrollBarModel::Visibility ScrollBarModel::SetInfo(const SCROLLINFO& info, bool isControl) {
    if (info.fMask & SIF_RANGE) {
        minimum = info.nMin;
        maximum = std::max(info.nMax, info.nMin);
    }
    if (info.fMask & SIF_PAGE) {
        page = info.nPage;
    }
    const long long span = static_cast<long long>(maximum) - minimum + 1;
    page = static_cast<UINT>(std::min<long long>(page, span));
    if (info.fMask & SIF_POS) {
        position = info.nPos;
    }
    position = std::clamp(position, minimum, std::max(minimum, ScrollableMaximum()));
    if (!IsTracking()) {
        trackPosition = position;
    }
    if ((info.fMask & (SIF_RANGE | SIF_PAGE | SIF_DISABLENOSCROLL)) == 0) {
        return Visibility::Keep;
    }
    const bool canScroll = minimum < ScrollableMaximum();
    if (!canScroll) {
        if (info.fMask & SIF_DISABLENOSCROLL) {
            disabledArrows = ESB_DISABLE_BOTH;
            return Visibility::Keep;
        }
        return isControl ? Visibility::Keep : Visibility::Hide;
    }
    // A page alone does not enable or show a bar, as in Win32.
    if (info.fMask == SIF_PAGE) {
        return Visibility::Keep;
    }
    disabledArrows = ESB_ENABLE_BOTH;
    return isControl ? Visibility::Keep : Visibility::Show;
}

void ScrollBarModel::GetInfo(SCROLLINFO& info) const {
    if (info.fMask & SIF_RANGE) {
        info.nMin = minimum;
        info.nMax = maximum;
    }
    if (info.fMask & SIF_PAGE) {
        info.nPage = page;
    }
    if (info.fMask & SIF_POS) {
        info.nPos = position;
    }
    if (info.fMask & SIF_TRACKPOS) {
        info.nTrackPos = IsTracking() ? trackPosition : position;
    }
}

int ScrollBarModel::ScrollableMaximum() const {
    return maximum - std::max(static_cast<int>(page) - 1, 0);
}

ScrollBarModel::Layout ScrollBarModel::Measure(const RECT& bar, bool isVertical, int shownPosition) const {
    Layout layout;
    layout.length = isVertical ? bar.bottom - bar.top : bar.right - bar.left;
    const int thickness = isVertical ? bar.right - bar.left : bar.bottom - bar.top;
    layout.arrow = std::min(thickness, layout.length / 2);
    const int track = layout.length - 2 * layout.arrow;
    if (disabledArrows == ESB_DISABLE_BOTH || minimum >= ScrollableMaximum() || track <= 0) {
        return layout;
    }
    int thumb = page != 0 ? Scale(track, static_cast<int>(page), maximum - minimum + 1) : thickness;
    thumb = std::max(thumb, MinimumThumb);
    if (thumb > track) {
        return layout;
    }
    layout.thumbLength = thumb;
    const int travel = track - thumb;
    const int offset = Scale(travel, shownPosition - minimum, ScrollableMaximum() - minimum);
    layout.thumbStart = layout.arrow + std::clamp(offset, 0, travel);
    return layout;
}

int ScrollBarModel::PositionAtThumb(const Layout& layout, int thumbStart) const {
    const int travel = layout.length - 2 * layout.arrow - layout.thumbLength;
    if (travel <= 0) {
        return minimum;
    }
    const int offset = std::clamp(thumbStart - layout.arrow, 0, travel);
    return minimum + Scale(offset, ScrollableMaximum() - minimum, travel);
}

ScrollPart ScrollBarModel::PartAt(const RECT& bar, bool isVertical, POINT point) const {
    if (point.x < bar.left || point.x >= bar.right || point.y < bar.top || point.y >= bar.bottom) {
        return ScrollPart::None;
    }
    const Layout layout = Measure(bar, isVertical, IsTracking() ? trackPosition : position);
    const int at = Along(point, isVertical) - (isVertical ? bar.top : bar.left);
    if (at < layout.arrow) {
        return ScrollPart::LineBack;
    }
    if (at >= layout.length - layout.arrow) {
        return ScrollPart::LineForward;
    }
    if (layout.thumbLength == 0) {
        // Without a thumb the track scrolls nothing (there is nothing to scroll or no room).
        return ScrollPart::None;
    }
    if (at < layout.thumbStart) {
        return ScrollPart::PageBack;
    }
    if (at < layout.thumbStart + layout.thumbLength) {
        return ScrollPart::Thumb;
    }
    return ScrollPart::PageForward;
}

void ScrollBarModel::Draw(HDC dc, const RECT& bar, bool isVertical, bool isEnabled) const {
    const Layout layout = Measure(bar, isVertical, IsTracking() ? trackPosition : position);
    // Arrows grey out when there is nothing to scroll, not merely when the thumb finds no room
    // (a bar as short as its two arrows still steps).
    const bool canScroll = minimum < ScrollableMaximum();
    const bool isBackDisabled = !isEnabled || (disabledArrows & ESB_DISABLE_LTUP) || !canScroll;
    const bool isForwardDisabled = !isEnabled || (disabledArrows & ESB_DISABLE_RTDN) || !canScroll;
    const bool isBackDown = pressed == ScrollPart::LineBack && isOverPressed;
    const bool isForwardDown = pressed == ScrollPart::LineForward && isOverPressed;

    RECT back = Stretch(bar, isVertical, 0, layout.arrow);
    RECT forward = Stretch(bar, isVertical, layout.length - layout.arrow, layout.length);
    DrawFrameControl(dc, &back, DFC_SCROLL,
                     (isVertical ? DFCS_SCROLLUP : DFCS_SCROLLLEFT) | (isBackDisabled ? DFCS_INACTIVE : 0) |
                         (isBackDown ? DFCS_PUSHED | DFCS_FLAT : 0));
    DrawFrameControl(dc, &forward, DFC_SCROLL,
                     (isVertical ? DFCS_SCROLLDOWN : DFCS_SCROLLRIGHT) |
                         (isForwardDisabled ? DFCS_INACTIVE : 0) |
                         (isForwardDown ? DFCS_PUSHED | DFCS_FLAT : 0));

    const int trackEnd = layout.length - layout.arrow;
    if (trackEnd <= layout.arrow) {
        return;
    }
    if (layout.thumbLength == 0) {
        FillTrack(dc, bar, Stretch(bar, isVertical, layout.arrow, trackEnd), false);
        return;
    }
    const RECT before = Stretch(bar, isVertical, layout.arrow, layout.thumbStart);
    const RECT after = Stretch(bar, isVertical, layout.thumbStart + layout.thumbLength, trackEnd);
    FillTrack(dc, bar, before, pressed == ScrollPart::PageBack && isOverPressed);
    FillTrack(dc, bar, after, pressed == ScrollPart::PageForward && isOverPressed);
    RECT thumb = Stretch(bar, isVertical, layout.thumbStart, layout.thumbStart + layout.thumbLength);
    DrawEdge(dc, &thumb, EDGE_RAISED, BF_RECT | BF_MIDDLE);
}

ScrollBarModel::Request ScrollBarModel::RequestOf(ScrollPart part) const {
    switch (part) {
    case ScrollPart::LineBack:
        return {SB_LINEUP, 0};
    case ScrollPart::LineForward:
        return {SB_LINEDOWN, 0};
    case ScrollPart::PageBack:
        return {SB_PAGEUP, 0};
    case ScrollPart::PageForward:
        return {SB_PAGEDOWN, 0};
    default:
        return {SB_ENDSCROLL, 0};
    }
}

std::vector<ScrollBarModel::Request> ScrollBarModel::Press(const RECT& bar, bool isVertical, POINT point) {
    const ScrollPart part = PartAt(bar, isVertical, point);
    if (part == ScrollPart::None || (part == ScrollPart::LineBack && (disabledArrows & ESB_DISABLE_LTUP)) ||
        (part == ScrollPart::LineForward && (disabledArrows & ESB_DISABLE_RTDN))) {
        return {};
    }
    pressed = part;
    isOverPressed = true;
    trackedBar = bar;
    isTrackedVertical = isVertical;
    lastPoint = point;
    trackPosition = position;
    if (part == ScrollPart::Thumb) {
        const Layout layout = Measure(bar, isVertical, position);
        grabOffset = Along(point, isVertical) - (isVertical ? bar.top : bar.left) - layout.thumbStart;
        return {};
    }
    return {RequestOf(part)};
}

std::vector<ScrollBarModel::Request> ScrollBarModel::Move(POINT point) {
    if (!IsTracking()) {
        return {};
    }
    lastPoint = point;
    if (pressed != ScrollPart::Thumb) {
        isOverPressed = PartAt(trackedBar, isTrackedVertical, point) == pressed;
        return {};
    }
    const Layout layout = Measure(trackedBar, isTrackedVertical, position);
    const int thumbStart =
        Along(point, isTrackedVertical) - (isTrackedVertical ? trackedBar.top : trackedBar.left) - grabOffset;
    const int wanted = PositionAtThumb(layout, thumbStart);
    if (wanted == trackPosition) {
        return {};
    }
    trackPosition = wanted;
    return {{SB_THUMBTRACK, wanted}};
}

std::vector<ScrollBarModel::Request> ScrollBarModel::Repeat() {
    if (!IsRepeating()) {
        return {};
    }
    // The owner has moved the thumb meanwhile: a held page stops once the thumb reaches the mouse.
    isOverPressed = PartAt(trackedBar, isTrackedVertical, lastPoint) == pressed;
    if (!isOverPressed) {
        return {};
    }
    return {RequestOf(pressed)};
}

std::vector<ScrollBarModel::Request> ScrollBarModel::Release() {
    if (!IsTracking()) {
        return {};
    }
    std::vector<Request> requests;
    if (pressed == ScrollPart::Thumb) {
        requests.push_back({SB_THUMBPOSITION, trackPosition});
    }
    requests.push_back({SB_ENDSCROLL, 0});
    pressed = ScrollPart::None;
    isOverPressed = false;
    trackPosition = position;
    return requests;
}

bool ScrollBarModel::KeyRequest(int virtualKey, WORD& code) {
    switch (virtualKey) {
    case VK_UP:
    case VK_LEFT:
        code = SB_LINEUP;
        return true;
    case VK_DOWN:
    case VK_RIGHT:
        code = SB_LINEDOWN;
        return true;
    case VK_PRIOR:
        code = SB_PAGEUP;
        return true;
    case VK_NEXT:
        code = SB_PAGEDOWN;
        return true;
    case VK_HOME:
        code = SB_TOP;
        return true;
    case VK_END:
        code = SB_BOTTOM;
        return true;
    default:
        return false;
    }
}

} // namespace platform::user
