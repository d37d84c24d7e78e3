#pragma once

#include "framework/Colour.h"
#include "framework/ValueList.h"
#include "platform/Windows.h"

#include <optional>

namespace framework {

// The pictures of one size: an image list with masks and the resource ids loaded into it, a
// picture's index in the list being its position among the ids.
class ImageSet {
public:
    ImageSet(int width, int height, UINT colourFlags, std::optional<Colour> maskColour);
    ImageSet(const ImageSet&) = delete;
    ImageSet& operator=(const ImageSet&) = delete;
    ~ImageSet();

    bool HasSize(int width, int height) const;
    // The picture's index, loading it the first time; a picture that cannot be loaded keeps its
    // place as a blank (fully transparent) picture so the indexes after it stay right.
    int32_t Add(int32_t resourceId);
    HIMAGELIST List() const { return list; }
    int32_t Count() const { return resourceIds.Count(); }

private:
    // The picture at the set's size: itself, or a stretched copy that takes its place.
    HBITMAP Fitted(HBITMAP picture) const;
    HIMAGELIST list;
    ValueList resourceIds;
    std::optional<Colour> maskColour;
};

} // namespace framework
