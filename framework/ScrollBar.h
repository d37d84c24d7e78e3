#pragma once

#include "platform/Windows.h"

#include <cstdint>

namespace framework {

class Window;
struct MessageRecord;

// One scroll bar of a window: its own horizontal or vertical bar, or a SCROLLBAR control. It
// turns the user's scroll requests into positions (the system's bar never moves by itself) and
// tells a connected handler how far the position moved.
class ScrollBar {
public:
    // Called with the position before and after a move.
    using Handler = void (Window::*)(int32_t from, int32_t to);

    // bar is SB_HORZ or SB_VERT for the window's own bars, SB_CTL when window is the control.
    ScrollBar(Window& window, int bar) : window(window), bar(bar) {}

    void Connect(Window* target, Handler operation) {
        handlerTarget = target;
        handler = operation;
    }

    // Range from minimum to maximum inclusive and the page; the position is kept inside.
    void SetRange(int32_t minimum, int32_t maximum, int32_t page);
    // Moves to a position (clamped to what the range and page allow) and tells the handler.
    void SetPosition(int32_t position);
    // One of the user's requests (SB_LINEUP ... SB_BOTTOM, SB_THUMBTRACK with its position).
    void Scroll(WORD request, int32_t thumb = 0);
    // A WM_HSCROLL or WM_VSCROLL for this bar; 1 when handled.
    LRESULT HandleScroll(const MessageRecord& record);

    int32_t Position() const { return position; }
    int32_t Minimum() const { return minimum; }
    int32_t Maximum() const { return maximum; }
    int32_t Page() const { return page; }
    // The furthest position: the last page shows the end of the range.
    int32_t Limit() const;
    // Whether there is more than one page to scroll through.
    bool TakesPart() const { return maximum - minimum + 1 > page; }

private:
    void Apply() const;

    Window& window;
    int bar;
    int32_t minimum = 0;
    int32_t maximum = 0;
    int32_t page = 0;
    int32_t position = 0;
    Window* handlerTarget = nullptr;
    Handler handler = nullptr;
};

} // namespace framework
