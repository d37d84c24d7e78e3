#pragma once

#include "framework/Colour.h"
#include "framework/PointerArray.h"
#include "platform/Windows.h"

#include <optional>

namespace framework {

class Canvas;
class ImageSet;

// The small pictures controls show, kept once per process: one image set per picture size, each
// picture resource loaded at most once per size and addressed by its index afterwards.
//
// Window thread only.
class ImageStore {
public:
    static ImageStore& Instance();

    ImageStore() : sets(PointerArray::DeleteAs<ImageSet>) {}
    ImageStore(const ImageStore&) = delete;
    ImageStore& operator=(const ImageStore&) = delete;

    // The picture's index in the set of its size, made when it is the first of that size; -1 when
    // no set can be made. Without a mask colour light grey is transparent.
    int32_t AddImage(int32_t resourceId, int width, int height, UINT colourFlags,
                     std::optional<Colour> maskColour = std::nullopt);
    ImageSet* FindSet(int width, int height) const;
    // Draws one picture at its own size; 0 when there is nothing to draw with or on.
    BOOL Draw(const ImageSet* set, const Canvas& canvas, int32_t index, int x, int y, COLORREF background,
              COLORREF foreground, UINT style) const;

private:
    PointerArray sets;
};

} // namespace framework
