#include "tools/artwork/IconPicture.h"

#include "tools/artwork/Drawing.h"

#include <cmath>

namespace artwork {

namespace {

void RoundedRectangle(cairo_t* cr, double x, double y, double width, double height, double radius) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + width - radius, y + radius, radius, -M_PI / 2, 0);
    cairo_arc(cr, x + width - radius, y + height - radius, radius, 0, M_PI / 2);
    cairo_arc(cr, x + radius, y + height - radius, radius, M_PI / 2, M_PI);
    cairo_arc(cr, x + radius, y + radius, radius, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void DrawTile(cairo_t* cr) {
    cairo_new_path(cr);
    RoundedRectangle(cr, 12, 12, 232, 232, 44);
    cairo_pattern_t* tile = cairo_pattern_create_linear(0, 12, 0, 244);
    cairo_pattern_add_color_stop_rgb(tile, 0.0, 64 / 255.0, 120 / 255.0, 196 / 255.0);
    cairo_pattern_add_color_stop_rgb(tile, 1.0, 12 / 255.0, 30 / 255.0, 76 / 255.0);
    cairo_set_source(cr, tile);
    cairo_fill(cr);
    cairo_pattern_destroy(tile);
}

void DrawPlate(cairo_t* cr) {
    cairo_new_path(cr);
    cairo_rectangle(cr, 36, 190, 184, 22);
    SetColour(cr, {196, 208, 222});
    cairo_fill(cr);
    // The part already cut: a kerf line around it.
    cairo_new_path(cr);
    cairo_rectangle(cr, 56, 194, 44, 14);
    SetColour(cr, {60, 70, 86});
    cairo_set_line_width(cr, 5);
    cairo_stroke(cr);
}

void DrawGantry(cairo_t* cr) {
    const Rgb paint{244, 164, 28};
    SetColour(cr, paint);
    cairo_new_path(cr);
    cairo_rectangle(cr, 30, 48, 196, 36); // the beam
    cairo_rectangle(cr, 40, 84, 30, 128); // its legs, down to the rails
    cairo_rectangle(cr, 186, 84, 30, 128);
    cairo_fill(cr);
    SetColour(cr, Shaded(paint, 1.35));
    cairo_new_path(cr);
    cairo_rectangle(cr, 30, 48, 196, 9);
    cairo_fill(cr);
    SetColour(cr, Shaded(paint, 0.62));
    cairo_new_path(cr);
    cairo_rectangle(cr, 30, 76, 196, 8);
    cairo_fill(cr);
}

void DrawTorch(cairo_t* cr) {
    SetColour(cr, {70, 80, 96});
    cairo_new_path(cr);
    cairo_rectangle(cr, 104, 62, 48, 46); // the carriage
    cairo_fill(cr);
    SetColour(cr, {214, 218, 224});
    cairo_new_path(cr);
    cairo_rectangle(cr, 118, 100, 20, 56);
    cairo_fill(cr);
    SetColour(cr, {210, 128, 70});
    cairo_new_path(cr);
    cairo_move_to(cr, 118, 156);
    cairo_line_to(cr, 138, 156);
    cairo_line_to(cr, 132, 176);
    cairo_line_to(cr, 124, 176);
    cairo_close_path(cr);
    cairo_fill(cr);
}

void DrawSpark(cairo_t* cr) {
    const double x = 128;
    const double y = 190;
    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, 0, x, y, 40);
    cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 1.0, 0.85, 1.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.35, 1.0, 0.72, 0.1, 0.9);
    cairo_pattern_add_color_stop_rgba(glow, 1.0, 0.9, 0.3, 0.0, 0.0);
    cairo_new_path(cr);
    cairo_arc(cr, x, y, 40, 0, 2 * M_PI);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);
    // Rays of sparks thrown sideways and down.
    SetColour(cr, {255, 236, 150});
    cairo_set_line_width(cr, 6);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    const double angles[] = {0.15, 0.55, 1.05, 2.09, 2.59, 2.99};
    for (double angle : angles) {
        cairo_new_path(cr);
        cairo_move_to(cr, x + 14 * std::cos(angle), y + 14 * std::sin(angle));
        cairo_line_to(cr, x + 46 * std::cos(angle), y + 46 * std::sin(angle));
        cairo_stroke(cr);
    }
}

} // namespace

cairo_surface_t* DrawIcon(int size) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size, size);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, size / 256.0, size / 256.0);
    DrawTile(cr);
    cairo_save(cr);
    cairo_new_path(cr);
    RoundedRectangle(cr, 12, 12, 232, 232, 44);
    cairo_clip(cr);
    DrawPlate(cr);
    DrawGantry(cr);
    DrawTorch(cr);
    DrawSpark(cr);
    cairo_restore(cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

} // namespace artwork
