#pragma once

#include "framework/Layout.h"
#include "framework/Window.h"

namespace app {

// Places a window over the whole client area of its parent.
class FillingLayout : public framework::Layout {
public:
    framework::Rect InitialRect(const framework::Window& window) const override {
        RECT client{};
        if (window.Parent() != nullptr && window.Parent()->Handle() != nullptr) {
            GetClientRect(window.Parent()->Handle(), &client);
        }
        return framework::Rect{client.left, client.top, client.right, client.bottom};
    }
};

} // namespace app
