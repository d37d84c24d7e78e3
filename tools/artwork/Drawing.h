#pragma once

// Small drawing helpers shared by the pictures: palette colours as cairo sources, and the oblique
// projection the machine is drawn in.
//
// The projection is parallel (no vanishing points), so it is affine: a flat figure in one of the
// scene's planes maps to the screen by one cairo matrix. The pictures build circles, slots and
// outlines in the plane they lie in and let cairo project them. World axes: X along the rails
// (to the right), Y across the table (away from the viewer), Z up. The faces that look at the
// viewer are the top (+Z), the front (-Y) and the right-hand end (+X).

#include "tools/artwork/Palette.h"

#include <cairo.h>

namespace artwork {

void SetColour(cairo_t* cr, Rgb colour, double alpha = 1.0);
// colour scaled by factor (below 1 darker, above 1 lighter, towards white past 1).
Rgb Shaded(Rgb colour, double factor);

class Projection {
public:
    Projection(double originX, double originY, double scale);

    void Point(double x, double y, double z, double& screenX, double& screenY) const;
    // Plane coordinates (u, v) to the screen.
    cairo_matrix_t TopPlane(double z) const;   // u = X, v = Y
    cairo_matrix_t FrontPlane(double y) const; // u = X, v = Z
    cairo_matrix_t SidePlane(double x) const;  // u = Y, v = Z

private:
    double originX;
    double originY;
    double alongX[2];
    double alongY[2];
    double alongZ[2];
};

// A linear gradient between two points of a plane (see Projection), for use as a source while
// the current matrix is the identity.
cairo_pattern_t* PlaneGradient(const cairo_matrix_t& plane, double u0, double v0, double u1, double v1,
                               Rgb from, Rgb to);
// Sets pattern as the source and gives up the caller's reference.
void SetPlaneSource(cairo_t* cr, cairo_pattern_t* pattern);

// A box with its three visible faces lit from the upper left and outlined, in the clean style of
// a technical illustration.
struct Box {
    double x0, x1, y0, y1, z0, z1;
};
void DrawBox(cairo_t* cr, const Projection& projection, const Box& box, Rgb colour, bool isOutlined = true);

} // namespace artwork
