#include "framework/Brush.h"

namespace framework {

Brush::Brush(Colour colour) : handle(CreateSolidBrush(colour.Value())), colour(colour), isOwned(true) {}

Brush* Brush::SystemColour(int index) {
    return new Brush(GetSysColorBrush(index), Colour(static_cast<uint32_t>(GetSysColor(index))), false);
}

Brush::~Brush() {
    if (isOwned && handle != nullptr) {
        DeleteObject(handle);
    }
}

} // namespace framework
