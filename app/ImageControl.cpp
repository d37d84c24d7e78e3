#include "app/ImageControl.h"

#include "framework/Canvas.h"
#include "framework/services/ImageSet.h"
#include "framework/services/ImageStore.h"

namespace app {

ImageControl::ImageControl(framework::Window* dialog, int32_t id, int32_t imageId)
    : StaticControl(dialog, id), imageId(imageId) {
    // The control paints itself through a canvas instead of the static's text.
    SetCanvas(new framework::Canvas);
    AdoptIfReady();
}

int32_t ImageControl::Register(int32_t picture) const {
    RECT client{};
    GetClientRect(Handle(), &client);
    return framework::ImageStore::Instance().AddImage(picture, client.right, client.bottom, ColourFlags);
}

void ImageControl::OnAdopted() {
    imageIndex = Register(imageId);
    StaticControl::OnAdopted();
}

void ImageControl::ShowImage(int32_t index) {
    imageIndex = index;
    if (Handle() != nullptr) {
        InvalidateRect(Handle(), nullptr, TRUE);
        UpdateWindow(Handle());
    }
}

LRESULT ImageControl::OnPaintDefault(framework::MessageRecord& record) {
    const auto* information = reinterpret_cast<const framework::PaintInformation*>(record.lParam);
    framework::Canvas& canvas = *GetCanvas();
    const RECT client{information->client.left, information->client.top, information->client.right,
                      information->client.bottom};
    FillRect(canvas.Context(), &client, GetSysColorBrush(COLOR_BTNFACE));
    framework::ImageStore& store = framework::ImageStore::Instance();
    // A control whose size has no set draws nothing.
    store.Draw(store.FindSet(client.right, client.bottom), canvas, imageIndex, 0, 2, CLR_NONE, CLR_NONE,
               ILD_TRANSPARENT);
    return 1;
}

} // namespace app
