#include "tools/artwork/MachinePicture.h"

#include "tools/artwork/Drawing.h"

#include <cmath>
#include <cstdint>

namespace artwork {

namespace {

// Scene measures, in world units (about one pixel each before the projection's scale).
constexpr double tableFront = 0;
constexpr double tableBack = 230;
constexpr double tableLeft = 0;
constexpr double tableRight = 400;
constexpr double tableTop = 36;
constexpr double plateTop = 40;
constexpr double frontRail = -34;
constexpr double backRail = 264;
constexpr double railStart = -10;
constexpr double railEnd = 420;
constexpr double railTop = 36;
constexpr double gantryLeft = 262;
constexpr double gantryRight = 298;
constexpr double beamBottom = 120;
constexpr double beamTop = 150;
constexpr double torchX = 330;
constexpr double torchY = 112;
constexpr double cutRadius = 42;

const Rgb gantryPaint{234, 152, 22};
const Rgb steel{150, 162, 178};
const Rgb railSteel{96, 104, 116};
const Rgb tableGrey{74, 78, 86};
const Rgb kerf{38, 42, 50};

// The same sparks every time: a fixed linear congruential sequence.
class Sequence {
public:
    double Next() {
        state = state * 1103515245u + 12345u;
        return static_cast<double>(state >> 8 & 0xFFFF) / 65535.0;
    }

private:
    uint32_t state = 20260501u;
};

void InPlane(cairo_t* cr, const cairo_matrix_t& plane) {
    cairo_transform(cr, &plane);
}

void Hairline(cairo_t* cr, Rgb colour, double width) {
    SetColour(cr, colour);
    cairo_set_line_width(cr, width);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

void DrawBackground(cairo_t* cr, const Projection& projection) {
    cairo_pattern_t* wall = cairo_pattern_create_linear(0, 0, 0, machineHeight);
    cairo_pattern_add_color_stop_rgb(wall, 0.0, 206 / 255.0, 216 / 255.0, 228 / 255.0);
    cairo_pattern_add_color_stop_rgb(wall, 1.0, 248 / 255.0, 249 / 255.0, 251 / 255.0);
    cairo_set_source(cr, wall);
    cairo_paint(cr);
    cairo_pattern_destroy(wall);

    // A soft shadow on the floor under the whole machine.
    cairo_matrix_t floor = projection.TopPlane(0);
    for (int ring = 0; ring < 6; ++ring) {
        cairo_save(cr);
        InPlane(cr, floor);
        cairo_new_path(cr);
        const double grow = 36 - ring * 6;
        cairo_rectangle(cr, -70 - grow, -110 - grow, 540 + 2 * grow, 410 + 2 * grow);
        cairo_restore(cr);
        SetColour(cr, {120, 128, 140}, 0.05);
        cairo_fill(cr);
    }
}

void DrawRail(cairo_t* cr, const Projection& projection, double y) {
    DrawBox(cr, projection, {railStart, railEnd, y - 6, y + 6, 0, railTop - 6}, railSteel);
    DrawBox(cr, projection, {railStart, railEnd, y - 3, y + 3, railTop - 6, railTop}, {206, 212, 220});
    // Feet of the rail every so often.
    for (double x = railStart + 10; x < railEnd - 16; x += 80)
        DrawBox(cr, projection, {x, x + 16, y - 12, y + 12, 0, 5}, Shaded(railSteel, 0.8));
}

void DrawTable(cairo_t* cr, const Projection& projection) {
    DrawBox(cr, projection, {tableLeft, tableRight, tableFront, tableBack, 0, tableTop - 6}, tableGrey);
    // The slats the plate lies on, seen where the plate does not cover them.
    DrawBox(cr, projection, {tableLeft, tableRight, tableFront, tableBack, tableTop - 6, tableTop - 5},
            Shaded(tableGrey, 0.6), false);
    for (double x = tableLeft + 6; x < tableRight - 4; x += 14)
        DrawBox(cr, projection, {x, x + 2.5, tableFront + 3, tableBack - 3, tableTop - 6, tableTop},
                {150, 154, 160}, false);
}

// Outlines of parts already cut, in the plate's top plane.
void PartOutlines(cairo_t* cr) {
    // A flange with its bolt holes.
    cairo_new_sub_path(cr);
    cairo_arc(cr, 92, 66, 40, 0, 2 * M_PI);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 92, 66, 15, 0, 2 * M_PI);
    for (int hole = 0; hole < 6; ++hole) {
        const double angle = hole * M_PI / 3;
        cairo_new_sub_path(cr);
        cairo_arc(cr, 92 + 27 * std::cos(angle), 66 + 27 * std::sin(angle), 4, 0, 2 * M_PI);
    }
    // An angle bracket.
    cairo_move_to(cr, 160, 28);
    cairo_line_to(cr, 236, 28);
    cairo_line_to(cr, 236, 50);
    cairo_line_to(cr, 184, 50);
    cairo_line_to(cr, 184, 110);
    cairo_line_to(cr, 160, 110);
    cairo_close_path(cr);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 172, 96, 5, 0, 2 * M_PI);
    // Two gussets.
    cairo_move_to(cr, 204, 66);
    cairo_line_to(cr, 244, 66);
    cairo_line_to(cr, 204, 112);
    cairo_close_path(cr);
    cairo_move_to(cr, 248, 72);
    cairo_line_to(cr, 248, 116);
    cairo_line_to(cr, 210, 116);
    cairo_close_path(cr);
}

// Parts already taken away: holes through which the slats show.
void RemovedParts(cairo_t* cr) {
    const double slotX[] = {60, 130};
    for (double x : slotX) {
        cairo_new_sub_path(cr);
        cairo_arc(cr, x + 12, 150, 12, M_PI / 2, 3 * M_PI / 2);
        cairo_arc(cr, x + 44, 150, 12, -M_PI / 2, M_PI / 2);
        cairo_close_path(cr);
    }
    cairo_rectangle(cr, 52, 172, 112, 30);
}

void DrawPlate(cairo_t* cr, const Projection& projection) {
    const Box plate{30, 372, 14, 216, tableTop, plateTop};
    DrawBox(cr, projection, plate, steel);
    cairo_matrix_t top = projection.TopPlane(plateTop);

    // Brushed steel: a faint sheen across the top.
    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    cairo_rectangle(cr, plate.x0, plate.y0, plate.x1 - plate.x0, plate.y1 - plate.y0);
    cairo_restore(cr);
    SetPlaneSource(cr, PlaneGradient(top, 30, 216, 372, 14, Shaded(steel, 1.32), Shaded(steel, 1.02)));
    cairo_fill(cr);

    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    RemovedParts(cr);
    cairo_restore(cr);
    SetColour(cr, {44, 48, 56});
    cairo_fill_preserve(cr);
    Hairline(cr, kerf, 1.0);
    // The slats seen through the holes, a little lower than the plate.
    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    RemovedParts(cr);
    cairo_restore(cr);
    cairo_clip(cr);
    for (double x = tableLeft + 6; x < tableRight - 4; x += 14)
        DrawBox(cr, projection, {x, x + 2.5, tableFront + 3, tableBack - 3, tableTop - 8, tableTop - 2},
                {118, 122, 130}, false);
    cairo_reset_clip(cr);

    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    PartOutlines(cr);
    cairo_restore(cr);
    Hairline(cr, kerf, 1.3);
}

// The ring being cut: most of its kerf is done, the last stretch glows behind the torch.
void DrawCurrentCut(cairo_t* cr, const Projection& projection) {
    cairo_matrix_t top = projection.TopPlane(plateTop);
    const double centreX = torchX - cutRadius;
    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    cairo_arc(cr, centreX, torchY, cutRadius * 0.42, 0, 2 * M_PI);
    cairo_restore(cr);
    Hairline(cr, kerf, 1.3);

    cairo_save(cr);
    InPlane(cr, top);
    cairo_new_path(cr);
    cairo_arc(cr, centreX, torchY, cutRadius, 0.5, 2 * M_PI - 0.02);
    cairo_restore(cr);
    Hairline(cr, kerf, 1.4);

    const double glowSteps = 8;
    for (int step = 0; step < glowSteps; ++step) {
        const double from = 2 * M_PI - 0.02 - (step + 1) * 0.06;
        cairo_save(cr);
        InPlane(cr, top);
        cairo_new_path(cr);
        cairo_arc(cr, centreX, torchY, cutRadius, from, from + 0.07);
        cairo_restore(cr);
        const double heat = 1.0 - step / glowSteps;
        Hairline(cr, {255, static_cast<uint8_t>(90 + 150 * heat), static_cast<uint8_t>(40 * heat)}, 1.6);
    }
}

void DrawGantryEnd(cairo_t* cr, const Projection& projection, double railY) {
    // The truck that runs on the rail, with its drive motor, and the upright to the beam.
    DrawBox(cr, projection,
            {gantryLeft - 24, gantryRight + 24, railY - 12, railY + 12, railTop, railTop + 24},
            Shaded(gantryPaint, 0.9));
    DrawBox(cr, projection,
            {gantryRight + 6, gantryRight + 22, railY - 30, railY - 12, railTop + 4, railTop + 20},
            {60, 66, 76});
    DrawBox(cr, projection,
            {gantryLeft + 2, gantryRight - 2, railY - 10, railY + 10, railTop + 24, beamBottom}, gantryPaint);
}

void DrawBeam(cairo_t* cr, const Projection& projection) {
    DrawBox(cr, projection, {gantryLeft, gantryRight, frontRail - 16, backRail + 12, beamBottom, beamTop},
            gantryPaint);
    // The cable chain on top of the beam, feeding the carriage.
    const double chainX0 = gantryLeft + 8;
    const double chainX1 = gantryRight - 8;
    for (double y = frontRail - 8; y < backRail; y += 9)
        DrawBox(cr, projection, {chainX0, chainX1, y, y + 7, beamTop, beamTop + 8}, {44, 50, 62});
}

void DrawCarriage(cairo_t* cr, const Projection& projection) {
    DrawBox(cr, projection,
            {gantryRight, gantryRight + 18, torchY - 22, torchY + 22, beamBottom - 14, beamTop + 6},
            {72, 82, 98});
    // The lifter that holds the torch at its height over the plate.
    DrawBox(cr, projection,
            {gantryRight + 18, torchX - 6, torchY - 7, torchY + 7, beamBottom - 44, beamBottom + 16},
            {176, 182, 190});
    DrawBox(cr, projection,
            {torchX - 8, torchX + 6, torchY - 8, torchY + 8, beamBottom - 40, beamBottom - 28}, {56, 62, 72});
}

void DrawTorch(cairo_t* cr, const Projection& projection) {
    double top[2], bottom[2], tip[2];
    projection.Point(torchX, torchY, beamBottom - 30, top[0], top[1]);
    projection.Point(torchX, torchY, plateTop + 18, bottom[0], bottom[1]);
    projection.Point(torchX, torchY, plateTop + 5, tip[0], tip[1]);
    const double radius = 4.2;

    cairo_pattern_t* body = cairo_pattern_create_linear(top[0] - radius, 0, top[0] + radius, 0);
    cairo_pattern_add_color_stop_rgb(body, 0.0, 0.55, 0.57, 0.60);
    cairo_pattern_add_color_stop_rgb(body, 0.35, 0.93, 0.94, 0.95);
    cairo_pattern_add_color_stop_rgb(body, 1.0, 0.35, 0.37, 0.40);
    cairo_new_path(cr);
    cairo_rectangle(cr, top[0] - radius, top[1], 2 * radius, bottom[1] - top[1]);
    cairo_set_source(cr, body);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(body);
    Hairline(cr, {40, 44, 50}, 0.8);

    // The copper nozzle narrows to the tip.
    cairo_pattern_t* copper = cairo_pattern_create_linear(bottom[0] - radius, 0, bottom[0] + radius, 0);
    cairo_pattern_add_color_stop_rgb(copper, 0.0, 0.45, 0.22, 0.08);
    cairo_pattern_add_color_stop_rgb(copper, 0.35, 0.98, 0.80, 0.66);
    cairo_pattern_add_color_stop_rgb(copper, 1.0, 0.40, 0.18, 0.06);
    cairo_new_path(cr);
    cairo_move_to(cr, bottom[0] - radius, bottom[1]);
    cairo_line_to(cr, bottom[0] + radius, bottom[1]);
    cairo_line_to(cr, tip[0] + 1.6, tip[1]);
    cairo_line_to(cr, tip[0] - 1.6, tip[1]);
    cairo_close_path(cr);
    cairo_set_source(cr, copper);
    cairo_fill_preserve(cr);
    cairo_pattern_destroy(copper);
    Hairline(cr, {60, 30, 10}, 0.8);
}

void DrawSparks(cairo_t* cr, const Projection& projection) {
    double x = 0;
    double y = 0;
    projection.Point(torchX, torchY, plateTop, x, y);

    cairo_pattern_t* glow = cairo_pattern_create_radial(x, y, 0, x, y, 26);
    cairo_pattern_add_color_stop_rgba(glow, 0.0, 1.0, 1.0, 0.92, 1.0);
    cairo_pattern_add_color_stop_rgba(glow, 0.18, 1.0, 0.86, 0.35, 0.95);
    cairo_pattern_add_color_stop_rgba(glow, 0.55, 1.0, 0.5, 0.05, 0.35);
    cairo_pattern_add_color_stop_rgba(glow, 1.0, 1.0, 0.4, 0.0, 0.0);
    cairo_new_path(cr);
    cairo_arc(cr, x, y, 26, 0, 2 * M_PI);
    cairo_set_source(cr, glow);
    cairo_fill(cr);
    cairo_pattern_destroy(glow);

    // Streaks thrown out low over the plate, curving down as they cool.
    Sequence random;
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    for (int spark = 0; spark < 46; ++spark) {
        const double angle = M_PI * (-0.08 + 1.16 * random.Next());
        const double reach = 14 + 46 * random.Next() * random.Next() + 8 * random.Next();
        const double startDistance = 3 + 5 * random.Next();
        const double dx = std::cos(angle);
        const double dy = std::sin(angle) * 0.55 - 0.25;
        const double x0 = x + dx * startDistance;
        const double y0 = y + dy * startDistance;
        const double x1 = x + dx * reach;
        const double y1 = y + dy * reach + reach * reach * 0.006;
        cairo_pattern_t* streak = cairo_pattern_create_linear(x0, y0, x1, y1);
        cairo_pattern_add_color_stop_rgba(streak, 0.0, 1.0, 1.0, 0.85, 1.0);
        cairo_pattern_add_color_stop_rgba(streak, 0.5, 1.0, 0.75, 0.15, 1.0);
        cairo_pattern_add_color_stop_rgba(streak, 1.0, 0.9, 0.3, 0.0, 0.2);
        cairo_new_path(cr);
        cairo_move_to(cr, x0, y0);
        cairo_curve_to(cr, (2 * x0 + x1) / 3, (2 * y0 + y1) / 3 - reach * 0.08, (x0 + 2 * x1) / 3,
                       (y0 + 2 * y1) / 3 - reach * 0.04, x1, y1);
        cairo_set_source(cr, streak);
        cairo_set_line_width(cr, 0.9 + 0.8 * random.Next());
        cairo_stroke(cr);
        cairo_pattern_destroy(streak);
    }
}

// The controller on its pedestal at the front left, showing a program on its screen, and the
// serial cable that leaves the picture towards the computer.
void DrawController(cairo_t* cr, const Projection& projection) {
    const double x = -60;
    const double y = -86;
    double cableStart[2];
    projection.Point(x + 20, y + 10, 6, cableStart[0], cableStart[1]);
    cairo_new_path(cr);
    cairo_move_to(cr, cableStart[0], cableStart[1]);
    cairo_curve_to(cr, cableStart[0] - 30, cableStart[1] + 40, cableStart[0] - 60, cableStart[1] + 10, -4,
                   cableStart[1] + 44);
    Hairline(cr, {30, 34, 40}, 3.2);
    cairo_new_path(cr);
    cairo_move_to(cr, cableStart[0], cableStart[1]);
    cairo_curve_to(cr, cableStart[0] - 30, cableStart[1] + 40, cableStart[0] - 60, cableStart[1] + 10, -4,
                   cableStart[1] + 44);
    Hairline(cr, {88, 96, 110}, 1.0);

    DrawBox(cr, projection, {x + 14, x + 26, y + 4, y + 16, 0, 92}, {90, 98, 110});
    DrawBox(cr, projection, {x + 4, x + 36, y - 2, y + 22, 0, 4}, {90, 98, 110});
    const Box cabinet{x - 6, x + 46, y, y + 14, 92, 150};
    DrawBox(cr, projection, cabinet, {58, 66, 80});

    // The screen with a few lines of a part program, then the keys below it.
    cairo_matrix_t front = projection.FrontPlane(cabinet.y0);
    cairo_save(cr);
    InPlane(cr, front);
    cairo_new_path(cr);
    cairo_rectangle(cr, x - 1, 112, 42, 33);
    cairo_restore(cr);
    SetPlaneSource(cr, PlaneGradient(front, x, 145, x + 40, 112, {20, 46, 110}, {8, 18, 56}));
    cairo_fill_preserve(cr);
    Hairline(cr, {150, 200, 250}, 0.6);
    const double lineLengths[] = {30, 22, 34, 18, 26, 12};
    for (int line = 0; line < 6; ++line) {
        cairo_save(cr);
        InPlane(cr, front);
        cairo_new_path(cr);
        cairo_move_to(cr, x + 3, 141 - line * 5);
        cairo_line_to(cr, x + 3 + lineLengths[line], 141 - line * 5);
        cairo_restore(cr);
        Hairline(cr, line == 2 ? Rgb{255, 255, 255} : Rgb{120, 230, 140}, 1.1);
    }
    for (int key = 0; key < 8; ++key) {
        cairo_save(cr);
        InPlane(cr, front);
        cairo_new_path(cr);
        cairo_rectangle(cr, x + (key % 4) * 10, 104 - (key / 4) * 7, 7, 4);
        cairo_restore(cr);
        SetColour(cr, key == 3 ? Rgb{0, 190, 60} : key == 7 ? Rgb{220, 30, 20} : Rgb{200, 206, 214});
        cairo_fill(cr);
    }
}

} // namespace

IndexedImage DrawMachine() {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, machineWidth, machineHeight);
    cairo_t* cr = cairo_create(surface);
    const Projection projection(108, 318, 0.82);

    DrawBackground(cr, projection);
    DrawRail(cr, projection, backRail);
    DrawGantryEnd(cr, projection, backRail);
    DrawTable(cr, projection);
    DrawPlate(cr, projection);
    DrawCurrentCut(cr, projection);
    DrawRail(cr, projection, frontRail);
    DrawGantryEnd(cr, projection, frontRail);
    DrawBeam(cr, projection);
    DrawCarriage(cr, projection);
    DrawTorch(cr, projection);
    DrawSparks(cr, projection);
    DrawController(cr, projection);

    cairo_destroy(cr);
    IndexedImage image = IndexedImage::FromOpaque(surface, Palette::Picture256());
    cairo_surface_destroy(surface);
    return image;
}

} // namespace artwork
