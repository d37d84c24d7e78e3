#pragma once

// The status lamps of the main window: a round lamp in a black rim with a highlight, drawn on a
// transparent 16 x 16 surface and reduced to the 16 VGA colours with light grey as the key
// colour (the lamp controls draw light grey transparently). The disc keeps to the top-left
// 14 x 14 pixels, because the lamps are drawn two pixels down in a control about 15 x 16 pixels
// large.

#include "tools/artwork/IndexedImage.h"

namespace artwork {

enum class LampKind { Green, Red, Unlit };

constexpr int lampSize = 16;
constexpr uint8_t lampKeyIndex = 7; // light grey (192, 192, 192) in the VGA set

IndexedImage DrawLamp(LampKind kind);

} // namespace artwork
