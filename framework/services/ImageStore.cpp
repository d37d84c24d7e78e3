#include "framework/services/ImageStore.h"

#include "framework/Canvas.h"
#include "framework/services/ImageSet.h"

#include <memory>

namespace framework {

ImageStore& ImageStore::Instance() {
    static ImageStore store;
    return store;
}

int32_t ImageStore::AddImage(int32_t resourceId, int width, int height, UINT colourFlags,
                             std::optional<Colour> maskColour) {
    ImageSet* set = FindSet(width, height);
    if (set == nullptr) {
        auto made = std::make_unique<ImageSet>(width, height, colourFlags, maskColour);
        if (made->List() == nullptr) {
            return -1;
        }
        set = made.release();
        sets.Add(set);
    }
    return set->Add(resourceId);
}

ImageSet* ImageStore::FindSet(int width, int height) const {
    for (int32_t index = 0; index < sets.Count(); ++index) {
        if (ImageSet* set = sets.Get<ImageSet>(index); set->HasSize(width, height)) {
            return set;
        }
    }
    return nullptr;
}

BOOL ImageStore::Draw(const ImageSet* set, const Canvas& canvas, int32_t index, int x, int y,
                      COLORREF background, COLORREF foreground, UINT style) const {
    if (set == nullptr || set->List() == nullptr || !canvas.IsBound()) {
        return 0;
    }
    return ImageList_DrawEx(set->List(), index, canvas.Context(), x, y, 0, 0, background, foreground, style);
}

} // namespace framework
