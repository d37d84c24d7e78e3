#pragma once

#include "framework/Window.h"

namespace app {

// A child window that shows one bitmap resource stretched over its client area. The bitmap is
// loaded at the first paint and kept.
class PictureWindow : public framework::Window {
public:
    PictureWindow(framework::Window* parent, framework::Layout* layout, int32_t bitmapId);
    ~PictureWindow() override;

    LRESULT OnPaintDefault(framework::MessageRecord& record) override;
    LRESULT OnEraseBkgnd(framework::MessageRecord& record) override { return 1; }

private:
    int32_t bitmapId;
    HBITMAP picture = nullptr;
};

} // namespace app
