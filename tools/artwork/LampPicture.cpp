#include "tools/artwork/LampPicture.h"

#include "tools/artwork/Drawing.h"

#include <cmath>

namespace artwork {

namespace {

struct LampColours {
    Rgb lit;         // where the light falls
    Rgb body;        // the rest of the glass
    double litShare; // how far the light reaches: an unlit lamp only catches a reflection
};

LampColours ColoursOf(LampKind kind) {
    switch (kind) {
    case LampKind::Green:
        return {{0, 255, 0}, {0, 128, 0}, 0.55};
    case LampKind::Red:
        return {{255, 0, 0}, {128, 0, 0}, 0.55};
    case LampKind::Unlit:
        break;
    }
    return {{255, 255, 255}, {128, 128, 128}, 0.2};
}

constexpr double centre = 7.0;
constexpr double rimRadius = 7.0;
constexpr double glassRadius = 5.9;

} // namespace

IndexedImage DrawLamp(LampKind kind) {
    const LampColours colours = ColoursOf(kind);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, lampSize, lampSize);
    cairo_t* cr = cairo_create(surface);

    cairo_new_path(cr);
    cairo_arc(cr, centre, centre, rimRadius, 0, 2 * M_PI);
    SetColour(cr, {0, 0, 0});
    cairo_fill(cr);

    // The glass: lit towards the upper left, where the light comes from, darker below right.
    cairo_pattern_t* glass =
        cairo_pattern_create_radial(centre - 1.6, centre - 1.8, 0.5, centre, centre, glassRadius + 0.4);
    cairo_pattern_add_color_stop_rgb(glass, 0.0, colours.lit.red / 255.0, colours.lit.green / 255.0,
                                     colours.lit.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(glass, colours.litShare, colours.lit.red / 255.0,
                                     colours.lit.green / 255.0, colours.lit.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(glass, 1.0, colours.body.red / 255.0, colours.body.green / 255.0,
                                     colours.body.blue / 255.0);
    cairo_new_path(cr);
    cairo_arc(cr, centre, centre, glassRadius, 0, 2 * M_PI);
    cairo_set_source(cr, glass);
    cairo_fill(cr);
    cairo_pattern_destroy(glass);

    // The highlight: a reflection of two by two whole pixels near the top left of the glass, on
    // the pixel grid so that no blend of white and the glass colour is left to the reduction.
    cairo_new_path(cr);
    cairo_rectangle(cr, 4, 4, 2, 2);
    SetColour(cr, {255, 255, 255});
    cairo_fill(cr);

    cairo_destroy(cr);
    IndexedImage image = IndexedImage::FromKeyed(surface, Palette::Vga16(), lampKeyIndex);
    cairo_surface_destroy(surface);
    return image;
}

} // namespace artwork
