#pragma once

#include <cstdint>

namespace framework {

struct Point {
    int32_t x = 0;
    int32_t y = 0;
};

// A rectangle in the system's layout: left, top, right, bottom; right and bottom lie one past the
// last pixel.
struct Rect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;

    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool Equals(const Rect& other) const {
        return left == other.left && top == other.top && right == other.right && bottom == other.bottom;
    }
    bool Contains(Point point) const {
        return left <= point.x && point.x < right && top <= point.y && point.y < bottom;
    }
    Rect& Offset(int32_t dx, int32_t dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    Rect& MoveTo(Point point) { return Offset(point.x - left, point.y - top); }
};

static_assert(sizeof(Rect) == 16, "a Rect is stored as one 16-byte item");

} // namespace framework
