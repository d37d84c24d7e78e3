#pragma once

#include "framework/Colour.h"
#include "platform/Windows.h"

namespace framework {

// A solid brush that a window paints its background with and hands to its controls.
class Brush {
public:
    explicit Brush(Colour colour);
    // A system colour brush (COLOR_...), which is never deleted.
    static Brush* SystemColour(int index);
    Brush(const Brush&) = delete;
    Brush& operator=(const Brush&) = delete;
    ~Brush();

    HBRUSH Handle() const { return handle; }
    Colour GetColour() const { return colour; }

private:
    Brush(HBRUSH handle, Colour colour, bool owned) : handle(handle), colour(colour), isOwned(owned) {}

    HBRUSH handle;
    Colour colour;
    bool isOwned;
};

} // namespace framework
