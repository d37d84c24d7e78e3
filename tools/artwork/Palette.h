#pragma once

// The fixed colour tables the artwork is reduced to. The lamps use the sixteen colours every
// 16-colour display has (the VGA set); the machine picture uses those sixteen followed by ramps
// of the few hues the picture is drawn in, so that its shading and its antialiased edges find a
// close entry. Being fixed, the tables make the reduction independent of what was drawn.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace artwork {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;

    bool operator==(const Rgb&) const = default;
};

class Palette {
public:
    static Palette Vga16();
    static Palette Picture256();

    const std::vector<Rgb>& Colours() const { return colours; }
    size_t Size() const { return colours.size(); }
    const Rgb& operator[](size_t index) const { return colours[index]; }
    // The entry closest to colour by a weighted distance (green counts most, as the eye sees it);
    // ties go to the lower index. The entry skip is never chosen (-1: none skipped).
    uint8_t NearestIndex(Rgb colour, int skip = -1) const;
    // The index of an exact entry, or -1.
    int IndexOf(Rgb colour) const;

private:
    // Appends count colours running through the key colours at equal spacing.
    void AddRamp(const std::vector<Rgb>& keys, int count);

    std::vector<Rgb> colours;
};

} // namespace artwork
