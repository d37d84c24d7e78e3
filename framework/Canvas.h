#pragma once

#include "framework/Rect.h"
#include "platform/Windows.h"

namespace framework {

// The drawing surface through which a window paints: bound to the device context of one paint
// (or one background erase) at a time.
class Canvas {
public:
    Canvas() = default;
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    void Bind(HDC context) { dc = context; }
    void Unbind() { dc = nullptr; }
    HDC Context() const { return dc; }
    bool IsBound() const { return dc != nullptr; }

private:
    HDC dc = nullptr;
};

// What a window's paint handlers find in the message record's lParam while the canvas is bound.
struct PaintInformation {
    PAINTSTRUCT paint;
    Rect update;
    Rect client;
};

} // namespace framework
