#include "framework/ScrollBar.h"

#include "framework/MessageRecord.h"
#include "framework/Window.h"

#include <algorithm>

namespace framework {

int32_t ScrollBar::Limit() const {
    return std::max(minimum, maximum - std::max(page, 1) + 1);
}

void ScrollBar::Apply() const {
    if (window.Handle() == nullptr) {
        return;
    }
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = minimum;
    info.nMax = maximum;
    info.nPage = static_cast<UINT>(std::max(page, 0));
    info.nPos = position;
    SetScrollInfo(window.Handle(), bar, &info, TRUE);
}

void ScrollBar::SetRange(int32_t newMinimum, int32_t newMaximum, int32_t newPage) {
    minimum = newMinimum;
    maximum = std::max(newMinimum, newMaximum);
    page = std::max(newPage, 0);
    position = std::clamp(position, minimum, Limit());
    Apply();
}

void ScrollBar::SetPosition(int32_t newPosition) {
    newPosition = std::clamp(newPosition, minimum, Limit());
    const int32_t previous = position;
    position = newPosition;
    Apply();
    if (newPosition != previous && handlerTarget != nullptr && handler != nullptr) {
        (handlerTarget->*handler)(previous, newPosition);
    }
}

void ScrollBar::Scroll(WORD request, int32_t thumb) {
    const int32_t step = std::max(page, 1);
    switch (request) {
    case SB_LINEUP:
        SetPosition(position - 1);
        break;
    case SB_LINEDOWN:
        SetPosition(position + 1);
        break;
    case SB_PAGEUP:
        SetPosition(position - step);
        break;
    case SB_PAGEDOWN:
        SetPosition(position + step);
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        SetPosition(thumb);
        break;
    case SB_TOP:
        SetPosition(minimum);
        break;
    case SB_BOTTOM:
        SetPosition(Limit());
        break;
    default:
        break; // SB_ENDSCROLL: the position is already where the user left it
    }
}

LRESULT ScrollBar::HandleScroll(const MessageRecord& record) {
    const WORD request = LOWORD(record.wParam);
    int32_t thumb = static_cast<int16_t>(HIWORD(record.wParam));
    if (request == SB_THUMBTRACK || request == SB_THUMBPOSITION) {
        // The 16-bit thumb position of the message is too small for long texts: ask the bar.
        SCROLLINFO info{};
        info.cbSize = sizeof info;
        info.fMask = SIF_TRACKPOS;
        HWND source = record.lParam != 0 ? reinterpret_cast<HWND>(record.lParam) : window.Handle();
        if (GetScrollInfo(source, record.lParam != 0 ? SB_CTL : bar, &info)) {
            thumb = info.nTrackPos;
        }
    }
    Scroll(request, thumb);
    return 1;
}

} // namespace framework
