#include "tools/artwork/Drawing.h"

#include <algorithm>

namespace artwork {

void SetColour(cairo_t* cr, Rgb colour, double alpha) {
    cairo_set_source_rgba(cr, colour.red / 255.0, colour.green / 255.0, colour.blue / 255.0, alpha);
}

Rgb Shaded(Rgb colour, double factor) {
    auto channel = [factor](uint8_t value) {
        double result = factor <= 1.0 ? value * factor : value + (255 - value) * (factor - 1.0);
        return static_cast<uint8_t>(std::clamp(result + 0.5, 0.0, 255.0));
    };
    return {channel(colour.red), channel(colour.green), channel(colour.blue)};
}

Projection::Projection(double originX, double originY, double scale)
    : originX(originX),
      originY(originY), alongX{scale, -0.10 * scale}, alongY{0.55 * scale, -0.45 * scale}, alongZ{0.0,
                                                                                                  -scale} {}

void Projection::Point(double x, double y, double z, double& screenX, double& screenY) const {
    screenX = originX + x * alongX[0] + y * alongY[0] + z * alongZ[0];
    screenY = originY + x * alongX[1] + y * alongY[1] + z * alongZ[1];
}

cairo_matrix_t Projection::TopPlane(double z) const {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, alongX[0], alongX[1], alongY[0], alongY[1], originX + z * alongZ[0],
                      originY + z * alongZ[1]);
    return matrix;
}

cairo_matrix_t Projection::FrontPlane(double y) const {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, alongX[0], alongX[1], alongZ[0], alongZ[1], originX + y * alongY[0],
                      originY + y * alongY[1]);
    return matrix;
}

cairo_matrix_t Projection::SidePlane(double x) const {
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, alongY[0], alongY[1], alongZ[0], alongZ[1], originX + x * alongX[0],
                      originY + x * alongX[1]);
    return matrix;
}

cairo_pattern_t* PlaneGradient(const cairo_matrix_t& plane, double u0, double v0, double u1, double v1,
                               Rgb from, Rgb to) {
    cairo_pattern_t* gradient = cairo_pattern_create_linear(u0, v0, u1, v1);
    cairo_pattern_add_color_stop_rgb(gradient, 0.0, from.red / 255.0, from.green / 255.0, from.blue / 255.0);
    cairo_pattern_add_color_stop_rgb(gradient, 1.0, to.red / 255.0, to.green / 255.0, to.blue / 255.0);
    // The pattern is given in plane coordinates; cairo wants the map from the screen to them.
    cairo_matrix_t toPlane = plane;
    cairo_matrix_invert(&toPlane);
    cairo_pattern_set_matrix(gradient, &toPlane);
    return gradient;
}

void SetPlaneSource(cairo_t* cr, cairo_pattern_t* pattern) {
    cairo_set_source(cr, pattern);
    cairo_pattern_destroy(pattern);
}

namespace {

// One face: a rectangle in plane coordinates, filled with a gentle gradient from lighter to the
// given colour, then outlined with a hairline in device pixels.
void DrawFace(cairo_t* cr, const cairo_matrix_t& plane, double u0, double v0, double u1, double v1,
              Rgb colour, bool isOutlined) {
    cairo_save(cr);
    cairo_transform(cr, &plane);
    cairo_new_path(cr);
    cairo_rectangle(cr, u0, v0, u1 - u0, v1 - v0);
    cairo_restore(cr);
    SetPlaneSource(cr, PlaneGradient(plane, u0, v1, u1, v0, Shaded(colour, 1.10), colour));
    cairo_fill_preserve(cr);
    if (isOutlined) {
        SetColour(cr, Shaded(colour, 0.38));
        cairo_set_line_width(cr, 0.9);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
    }
    cairo_new_path(cr);
}

} // namespace

void DrawBox(cairo_t* cr, const Projection& projection, const Box& box, Rgb colour, bool isOutlined) {
    DrawFace(cr, projection.FrontPlane(box.y0), box.x0, box.z0, box.x1, box.z1, colour, isOutlined);
    DrawFace(cr, projection.SidePlane(box.x1), box.y0, box.z0, box.y1, box.z1, Shaded(colour, 0.74),
             isOutlined);
    DrawFace(cr, projection.TopPlane(box.z1), box.x0, box.y0, box.x1, box.y1, Shaded(colour, 1.16),
             isOutlined);
}

} // namespace artwork
