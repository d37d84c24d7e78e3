#pragma once

#include "framework/Rect.h"

namespace framework {

class Window;

// Places a window inside its parent and re-places its children when it is resized. The base
// layout keeps every window where it was created, which is what template-built windows want;
// layouts that stretch or stack children derive from it.
class Layout {
public:
    virtual ~Layout() = default;
    // The rectangle to create the window with, in parent coordinates.
    virtual Rect InitialRect(const Window& window) const { return initial; }
    virtual void PlaceChildren(Window& window) {}
    // Whether children must be re-placed when one of them is shown or hidden.
    virtual bool DependsOnVisibility() const { return false; }

    void SetInitialRect(const Rect& rect) { initial = rect; }

private:
    Rect initial{0, 0, 100, 100};
};

} // namespace framework
