#include "platform/gdi/Drawing.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace {

using namespace platform::gdi;

// Win32's cosmetic patterns for one-pixel pens: run lengths, alternately drawn and skipped.
struct DashPattern {
    int lengths[6];
    int count;
};

constexpr DashPattern dashPatterns[] = {
    {{18, 6}, 2},            // PS_DASH
    {{3, 3}, 2},             // PS_DOT
    {{9, 6, 3, 6}, 4},       // PS_DASHDOT
    {{9, 3, 3, 3, 3, 3}, 6}, // PS_DASHDOTDOT
};

// Walks a pen's pattern pixel by pixel; it carries on from one segment of a figure to the next, as
// Win32's does.
class PenStyle {
public:
    explicit PenStyle(int style)
        : pattern(style >= PS_DASH && style <= PS_DASHDOTDOT ? &dashPatterns[style - PS_DASH] : nullptr) {}

    // Whether the next pixel is drawn (true) or a gap (false).
    bool Next() {
        if (pattern == nullptr)
            return true;
        bool isOn = run % 2 == 0;
        if (++position >= pattern->lengths[run]) {
            position = 0;
            run = (run + 1) % pattern->count;
        }
        return isOn;
    }

private:
    const DashPattern* pattern;
    int run = 0;
    int position = 0;
};

// One-pixel line in image coordinates by Bresenham's rule, from `from` up to but not including `to`.
void PlotLine(const Target& target, PixelScope& pixels, POINT from, POINT to, PenStyle& style,
              uint32_t penPixel, std::optional<uint32_t> gapPixel) {
    int dx = std::abs(to.x - from.x);
    int dy = -std::abs(to.y - from.y);
    int stepX = from.x < to.x ? 1 : -1;
    int stepY = from.y < to.y ? 1 : -1;
    int error = dx + dy;
    const RECT& clip = target.clip;
    for (POINT at = from; at.x != to.x || at.y != to.y;) {
        bool isOn = style.Next();
        if (at.x >= clip.left && at.x < clip.right && at.y >= clip.top && at.y < clip.bottom) {
            if (isOn)
                pixels.Row(at.y)[at.x] = penPixel;
            else if (gapPixel)
                pixels.Row(at.y)[at.x] = *gapPixel;
        }
        int doubled = 2 * error;
        if (doubled >= dy) {
            error += dy;
            at.x += stepX;
        }
        if (doubled <= dx) {
            error += dx;
            at.y += stepY;
        }
    }
}

// The outline of a figure through the given points (logical coordinates) with the selected pen.
void StrokeFigure(const DeviceContext& dc, const Target& target, const std::vector<POINT>& points,
                  bool isClosed) {
    const Pen& pen = *dc.state.SelectedPen();
    if (pen.style == PS_NULL || points.size() < 2 || !target.CanDraw())
        return;
    if (pen.width <= 1) {
        PixelScope pixels(target);
        PenStyle style(pen.style);
        uint32_t penPixel = PixelOf(target.Map(pen.colour));
        std::optional<uint32_t> gapPixel;
        if (dc.state.backgroundMode == OPAQUE)
            gapPixel = PixelOf(target.Map(dc.state.backgroundColour));
        for (size_t at = 0; at + 1 < points.size(); ++at)
            PlotLine(target, pixels, target.ToImagePoint(points[at]), target.ToImagePoint(points[at + 1]),
                     style, penPixel, gapPixel);
        if (isClosed)
            PlotLine(target, pixels, target.ToImagePoint(points.back()), target.ToImagePoint(points.front()),
                     style, penPixel, gapPixel);
        return;
    }
    Painter painter(target);
    cairo_t* context = painter.Context();
    painter.SetColour(pen.colour);
    cairo_set_line_width(context, pen.width);
    cairo_set_line_cap(context, CAIRO_LINE_CAP_ROUND);
    cairo_set_line_join(context, CAIRO_LINE_JOIN_ROUND);
    cairo_move_to(context, points[0].x + 0.5, points[0].y + 0.5);
    for (size_t at = 1; at < points.size(); ++at)
        cairo_line_to(context, points[at].x + 0.5, points[at].y + 0.5);
    if (isClosed)
        cairo_close_path(context);
    cairo_stroke(context);
}

void FillArea(const Target& target, RECT logical, COLORREF colour) {
    if (!target.CanDraw())
        return;
    PixelScope pixels(target);
    FillImageRect(target, pixels, target.ToImage(logical), colour);
}

RECT Normalised(int left, int top, int right, int bottom) {
    return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
}

// The brush of a call: its colour, nothing for the null brush, or an error for an invalid handle.
bool ResolveBrush(HBRUSH brush, std::optional<COLORREF>& colour) {
    colour = BrushColour(brush);
    if (colour)
        return true;
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(brush);
    return value > 0 && Lookup<Brush>(brush) != nullptr;
}

std::optional<COLORREF> SelectedBrushColour(const DcState& state) {
    const Brush* brush = state.SelectedBrush();
    if (brush->style == BS_NULL)
        return std::nullopt;
    return brush->colour;
}

} // namespace

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hDC);
    std::optional<COLORREF> colour;
    if (dc == nullptr || lprc == nullptr || !ResolveBrush(hbr, colour))
        return 0;
    if (colour)
        FillArea(ResolveTarget(*dc), *lprc, *colour);
    return 1;
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hDC);
    std::optional<COLORREF> colour;
    if (dc == nullptr || lprc == nullptr || !ResolveBrush(hbr, colour))
        return 0;
    const RECT& r = *lprc;
    if (!colour || IsEmpty(r))
        return 1;
    Target target = ResolveTarget(*dc);
    FillArea(target, {r.left, r.top, r.right, r.top + 1}, *colour);
    FillArea(target, {r.left, r.bottom - 1, r.right, r.bottom}, *colour);
    FillArea(target, {r.left, r.top, r.left + 1, r.bottom}, *colour);
    FillArea(target, {r.right - 1, r.top, r.right, r.bottom}, *colour);
    return 1;
}

BOOL InvertRect(HDC hDC, const RECT* lprc) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hDC);
    if (dc == nullptr || lprc == nullptr)
        return FALSE;
    Target target = ResolveTarget(*dc);
    if (!target.CanDraw())
        return TRUE;
    PixelScope pixels(target);
    RECT area = Intersect(target.ToImage(*lprc), target.clip);
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            pixels.Row(y)[x] ^= pixelMask;
    return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    RECT box = Normalised(left, top, right, bottom);
    Target target = ResolveTarget(*dc);
    const Pen& pen = *dc->state.SelectedPen();
    std::optional<COLORREF> fill = SelectedBrushColour(dc->state);
    if (pen.style == PS_NULL) {
        if (fill)
            FillArea(target, {box.left, box.top, box.right - 1, box.bottom - 1}, *fill);
        return TRUE;
    }
    if (fill)
        FillArea(target, {box.left + 1, box.top + 1, box.right - 1, box.bottom - 1}, *fill);
    if (pen.width > 1 && pen.style == PS_INSIDEFRAME) {
        int inset = pen.width / 2;
        box = {box.left + inset, box.top + inset, box.right - inset, box.bottom - inset};
    }
    StrokeFigure(*dc, target,
                 {{box.left, box.top},
                  {box.right - 1, box.top},
                  {box.right - 1, box.bottom - 1},
                  {box.left, box.bottom - 1}},
                 true);
    return TRUE;
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    RECT box = Normalised(left, top, right, bottom);
    Target target = ResolveTarget(*dc);
    const Pen& pen = *dc->state.SelectedPen();
    std::optional<COLORREF> fill = SelectedBrushColour(dc->state);
    if (!target.CanDraw())
        return TRUE;
    // Too thin for a curve: what is left of it is a bar in the outline's colour.
    if (box.right - box.left <= 2 || box.bottom - box.top <= 2) {
        std::optional<COLORREF> colour = pen.style == PS_NULL ? fill : std::optional<COLORREF>(pen.colour);
        if (colour)
            FillArea(target, box, *colour);
        return TRUE;
    }
    Painter painter(target);
    cairo_t* context = painter.Context();
    double inset = pen.style == PS_INSIDEFRAME ? pen.width / 2 : 0;
    cairo_save(context);
    cairo_translate(context, (box.left + box.right) / 2.0, (box.top + box.bottom) / 2.0);
    cairo_scale(context, (box.right - box.left - 1) / 2.0 - inset, (box.bottom - box.top - 1) / 2.0 - inset);
    cairo_new_path(context);
    cairo_arc(context, 0, 0, 1, 0, 2 * std::numbers::pi);
    cairo_restore(context);
    if (fill) {
        painter.SetColour(*fill);
        cairo_fill_preserve(context);
    }
    if (pen.style != PS_NULL) {
        painter.SetColour(pen.colour);
        cairo_set_line_width(context, pen.width);
        cairo_stroke(context);
    }
    cairo_new_path(context);
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    if (lppt != nullptr)
        *lppt = dc->state.currentPosition;
    dc->state.currentPosition = {x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    StrokeFigure(*dc, ResolveTarget(*dc), {dc->state.currentPosition, {x, y}}, false);
    dc->state.currentPosition = {x, y};
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || apt == nullptr || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    StrokeFigure(*dc, ResolveTarget(*dc), std::vector<POINT>(apt, apt + cpt), false);
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || apt == nullptr || cpt < 2) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Target target = ResolveTarget(*dc);
    std::optional<COLORREF> fill = SelectedBrushColour(dc->state);
    if (fill && target.CanDraw()) {
        // Vertices on whole coordinates and sampling at pixel centres leave out the right and bottom
        // edges, as Win32's fill does.
        Painter painter(target);
        cairo_t* context = painter.Context();
        cairo_set_fill_rule(context, dc->state.polyFillMode == WINDING ? CAIRO_FILL_RULE_WINDING
                                                                       : CAIRO_FILL_RULE_EVEN_ODD);
        cairo_move_to(context, apt[0].x, apt[0].y);
        for (int at = 1; at < cpt; ++at)
            cairo_line_to(context, apt[at].x, apt[at].y);
        cairo_close_path(context);
        painter.SetColour(*fill);
        cairo_fill(context);
    }
    StrokeFigure(*dc, target, std::vector<POINT>(apt, apt + cpt), true);
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    Target target = ResolveTarget(*dc);
    POINT at = target.ToImagePoint({x, y});
    const RECT& clip = target.clip;
    if (!target.CanDraw() || at.x < clip.left || at.x >= clip.right || at.y < clip.top || at.y >= clip.bottom)
        return CLR_INVALID;
    PixelScope pixels(target);
    COLORREF set = target.Map(color);
    pixels.Row(at.y)[at.x] = PixelOf(set);
    return set;
}

BOOL SetPixelV(HDC hdc, int x, int y, COLORREF color) {
    return SetPixel(hdc, x, y, color) != CLR_INVALID;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return CLR_INVALID;
    Target target = ResolveTarget(*dc);
    POINT at = target.ToImagePoint({x, y});
    const RECT& clip = target.clip;
    if (!target.CanDraw() || at.x < clip.left || at.x >= clip.right || at.y < clip.top || at.y >= clip.bottom)
        return CLR_INVALID;
    PixelScope pixels(target);
    return ColourOf(pixels.Row(at.y)[at.x]);
}
