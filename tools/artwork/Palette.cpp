#include "tools/artwork/Palette.h"

#include <limits>

namespace artwork {

Palette Palette::Vga16() {
    Palette palette;
    palette.colours = {
        {0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128}, {128, 0, 128},
        {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
        {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
    };
    return palette;
}

Palette Palette::Picture256() {
    Palette palette = Vga16();
    // Neutral greys: rails, table, torch body, outlines.
    palette.AddRamp({{0, 0, 0}, {255, 255, 255}}, 40);
    // Steel: the plate and the machine's blued parts.
    palette.AddRamp({{18, 24, 34}, {88, 102, 122}, {196, 208, 222}, {246, 249, 252}}, 40);
    // The gantry's paint, from its shadows to its highlights.
    palette.AddRamp({{58, 28, 0}, {196, 108, 8}, {250, 182, 40}, {255, 238, 168}}, 40);
    // The workshop wall behind the machine.
    palette.AddRamp({{142, 158, 176}, {206, 216, 228}, {250, 251, 253}}, 24);
    // The controller's screen and the cable chain's blue.
    palette.AddRamp({{8, 18, 56}, {38, 88, 168}, {150, 200, 250}}, 24);
    // Sparks and the glow at the torch: red heat to white.
    palette.AddRamp({{110, 18, 0}, {228, 78, 0}, {255, 178, 28}, {255, 250, 210}}, 32);
    // Copper of the torch nozzle.
    palette.AddRamp({{80, 36, 10}, {210, 128, 70}, {255, 218, 186}}, 16);
    // The floor: warm greys.
    palette.AddRamp({{84, 82, 78}, {216, 213, 206}}, 24);
    return palette;
}

void Palette::AddRamp(const std::vector<Rgb>& keys, int count) {
    const int segments = static_cast<int>(keys.size()) - 1;
    for (int step = 0; step < count; ++step) {
        // Integer arithmetic throughout, so the tables are the same on every compiler.
        const int position = step * segments * 1000 / (count - 1);
        const int segment = position / 1000 < segments ? position / 1000 : segments - 1;
        const int fraction = position - segment * 1000;
        const Rgb& from = keys[static_cast<size_t>(segment)];
        const Rgb& to = keys[static_cast<size_t>(segment) + 1];
        auto mix = [fraction](uint8_t a, uint8_t b) {
            return static_cast<uint8_t>((a * (1000 - fraction) + b * fraction + 500) / 1000);
        };
        colours.push_back({mix(from.red, to.red), mix(from.green, to.green), mix(from.blue, to.blue)});
    }
}

uint8_t Palette::NearestIndex(Rgb colour, int skip) const {
    long best = std::numeric_limits<long>::max();
    uint8_t bestIndex = 0;
    for (size_t index = 0; index < colours.size(); ++index) {
        if (static_cast<int>(index) == skip)
            continue;
        const long red = colour.red - colours[index].red;
        const long green = colour.green - colours[index].green;
        const long blue = colour.blue - colours[index].blue;
        const long distance = 3 * red * red + 4 * green * green + 2 * blue * blue;
        if (distance < best) {
            best = distance;
            bestIndex = static_cast<uint8_t>(index);
        }
    }
    return bestIndex;
}

int Palette::IndexOf(Rgb colour) const {
    for (size_t index = 0; index < colours.size(); ++index) {
        if (colours[index] == colour)
            return static_cast<int>(index);
    }
    return -1;
}

} // namespace artwork
