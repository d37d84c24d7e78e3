#pragma once

// One scroll bar's state and behaviour, shared by the SCROLLBAR control and the scroll bars of a
// window's frame (internal to platform/): range, page, position and disabled arrows; the layout of
// arrows, track and thumb in a rectangle; drawing in the classic look; and the mouse tracking that
// turns a press, drag and release into scroll requests.
//
// Tracking is a small state machine rather than Win32's nested message loop, so that input posted
// by the test hooks on the window's own thread arrives: the owner of the model feeds it the
// press, the moves, the repeat timer and the release, and sends the requests it returns. While
// the thumb is dragged the bar draws it at the dragged place (the track position); the position
// itself changes only when the owner sets it.

#include "platform/user/ScrollBar.h"

#include <vector>

namespace platform::user {

enum class ScrollPart { None, LineBack, PageBack, Thumb, PageForward, LineForward };

// The repeat timer of a held arrow or page: a first pause, then a steady rate.
constexpr UINT ScrollFirstDelay = 200;
constexpr UINT ScrollRepeatDelay = 50;

class ScrollBarModel {
public:
    struct Request {
        WORD code;
        int position; // the thumb's position for SB_THUMBTRACK/SB_THUMBPOSITION, else 0
    };
    enum class Visibility { Keep, Show, Hide };

    // SetScrollInfo: applies the fields named by the mask and clamps the position. A window's own
    // bar (not a control) is hidden when its range leaves nothing to scroll, unless the mask asks
    // to disable it instead, and shown again when there is something to scroll.
    Visibility SetInfo(const SCROLLINFO& info, bool isControl);
    void GetInfo(SCROLLINFO& info) const;
    int Position() const { return position; }
    int Minimum() const { return minimum; }
    int Maximum() const { return maximum; }
    UINT DisabledArrows() const { return disabledArrows; }
    void SetDisabledArrows(UINT arrows) { disabledArrows = arrows & ESB_DISABLE_BOTH; }

    void Draw(HDC dc, const RECT& bar, bool isVertical, bool isEnabled) const;
    ScrollPart PartAt(const RECT& bar, bool isVertical, POINT point) const;

    // Tracking; points are in the same coordinates as the bar's rectangle.
    std::vector<Request> Press(const RECT& bar, bool isVertical, POINT point);
    std::vector<Request> Move(POINT point);
    std::vector<Request> Repeat();
    std::vector<Request> Release();
    bool IsTracking() const { return pressed != ScrollPart::None; }
    bool IsRepeating() const { return pressed != ScrollPart::None && pressed != ScrollPart::Thumb; }
    // The request of a key (either pair of arrows, pages, Home, End), or false for other keys.
    static bool KeyRequest(int virtualKey, WORD& code);

private:
    struct Layout {
        int start = 0;       // first pixel of the bar along its length
        int length = 0;      // the bar's length
        int arrow = 0;       // length of each arrow button
        int thumbStart = 0;  // from the bar's start; 0 with no thumb
        int thumbLength = 0; // 0 when there is no thumb to show
    };
    Layout Measure(const RECT& bar, bool isVertical, int shownPosition) const;
    int PositionAtThumb(const Layout& layout, int thumbStart) const;
    int ScrollableMaximum() const;
    Request RequestOf(ScrollPart part) const;

    int minimum = 0;
    int maximum = 100;
    UINT page = 0;
    int position = 0;
    int trackPosition = 0;
    UINT disabledArrows = ESB_ENABLE_BOTH;

    ScrollPart pressed = ScrollPart::None;
    bool isOverPressed = false;
    RECT trackedBar{};
    bool isTrackedVertical = false;
    POINT lastPoint{};
    int grabOffset = 0; // where along the thumb it was taken
};

} // namespace platform::user
