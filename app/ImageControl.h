#pragma once

#include "framework/StaticControl.h"

namespace app {

// A static item of a dialog that shows one small picture from the image store, drawn
// transparently 2 pixels below its top-left corner.
class ImageControl : public framework::StaticControl {
public:
    static constexpr UINT ColourFlags = ILC_COLOR4;

    ImageControl(framework::Window* dialog, int32_t id, int32_t imageId);

    LRESULT OnPaintDefault(framework::MessageRecord& record) override;

protected:
    void OnAdopted() override;
    // Registers a picture for the control's size; the index to draw it with.
    int32_t Register(int32_t imageId) const;
    void ShowImage(int32_t index);
    int32_t ImageIndex() const { return imageIndex; }

private:
    int32_t imageId;
    int32_t imageIndex = -1;
};

} // namespace app
