#include "platform/gdi/Edges.h"

#include "platform/gdi/Internal.h"
#include "platform/gdi/SystemColours.h"

#include <algorithm>

namespace {

using namespace platform::gdi;

struct BorderColours {
    int topLeft;
    int bottomRight;
};

// The colours of one border from the edge bits that concern it (see gdi/Edges.h); -1 for none.
BorderColours OuterColours(UINT edge, UINT flags) {
    if (flags & BF_MONO)
        return {COLOR_WINDOWFRAME, COLOR_WINDOWFRAME};
    if (flags & BF_FLAT)
        return {COLOR_BTNSHADOW, COLOR_BTNSHADOW};
    if (edge & BDR_RAISEDOUTER)
        return {flags & BF_SOFT ? COLOR_BTNHIGHLIGHT : COLOR_3DLIGHT, COLOR_3DDKSHADOW};
    return {flags & BF_SOFT ? COLOR_3DDKSHADOW : COLOR_BTNSHADOW, COLOR_BTNHIGHLIGHT};
}

BorderColours InnerColours(UINT edge, UINT flags) {
    if (flags & BF_MONO)
        return {COLOR_WINDOW, COLOR_WINDOW};
    if (flags & BF_FLAT)
        return {COLOR_BTNFACE, COLOR_BTNFACE};
    if (edge & BDR_RAISEDINNER)
        return {flags & BF_SOFT ? COLOR_3DLIGHT : COLOR_BTNHIGHLIGHT, COLOR_BTNSHADOW};
    return {flags & BF_SOFT ? COLOR_BTNSHADOW : COLOR_3DDKSHADOW, COLOR_3DLIGHT};
}

// One one-pixel border on the sides asked for, top and left first; returns the rectangle inside it.
RECT DrawBorder(const Target& target, PixelScope& pixels, RECT r, BorderColours colours, UINT sides) {
    COLORREF topLeft = GetSysColor(colours.topLeft);
    COLORREF bottomRight = GetSysColor(colours.bottomRight);
    RECT image = target.ToImage(r);
    if (sides & BF_TOP)
        FillImageRect(target, pixels, {image.left, image.top, image.right - 1, image.top + 1}, topLeft);
    if (sides & BF_LEFT)
        FillImageRect(target, pixels, {image.left, image.top, image.left + 1, image.bottom - 1}, topLeft);
    if (sides & BF_BOTTOM)
        FillImageRect(target, pixels, {image.left, image.bottom - 1, image.right, image.bottom}, bottomRight);
    if (sides & BF_RIGHT)
        FillImageRect(target, pixels, {image.right - 1, image.top, image.right, image.bottom}, bottomRight);
    return {r.left + (sides & BF_LEFT ? 1 : 0), r.top + (sides & BF_TOP ? 1 : 0),
            r.right - (sides & BF_RIGHT ? 1 : 0), r.bottom - (sides & BF_BOTTOM ? 1 : 0)};
}

RECT DrawEdgeOn(const Target& target, PixelScope& pixels, RECT r, UINT edge, UINT flags) {
    UINT sides = flags & BF_RECT;
    if (edge & BDR_OUTER)
        r = DrawBorder(target, pixels, r, OuterColours(edge, flags), sides);
    if (edge & BDR_INNER)
        r = DrawBorder(target, pixels, r, InnerColours(edge, flags), sides);
    if (flags & BF_MIDDLE)
        FillImageRect(target, pixels, target.ToImage(r),
                      GetSysColor(flags & BF_MONO ? COLOR_WINDOW : COLOR_BTNFACE));
    return r;
}

// Pixel pictures of the classic check mark and radio button, one string per row. In the radio
// button, 'o' is the outer ring, 'i' the inner ring, '.' the inside and ' ' outside the circle;
// the rings take their top-left or bottom-right colour by the side of the diagonal they lie on.
// clang-format off
constexpr int checkBoxSize = 13;
constexpr const char* checkMark[] = {
    "             ",
    "             ",
    "             ",
    "         x   ",
    "        xx   ",
    "   x   xxx   ",
    "   xx xxx    ",
    "   xxxxx     ",
    "    xxx      ",
    "     x       ",
    "             ",
    "             ",
    "             ",
};
constexpr int radioSize = 12;
constexpr const char* radioButton[] = {
    "    oooo    ",
    "  ooiiiioo  ",
    " oii....iio ",
    " oi......io ",
    "oi........io",
    "oi........io",
    "oi........io",
    "oi........io",
    " oi......io ",
    " oii....iio ",
    "  ooiiiioo  ",
    "    oooo    ",
};
constexpr const char* radioDot[] = {
    "            ",
    "            ",
    "            ",
    "            ",
    "     xx     ",
    "    xxxx    ",
    "    xxxx    ",
    "     xx     ",
    "            ",
    "            ",
    "            ",
    "            ",
};
// clang-format on

void PutPixel(const Target& target, PixelScope& pixels, int x, int y, COLORREF colour) {
    const RECT& clip = target.clip;
    if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom)
        pixels.Row(y)[x] = PixelOf(target.Map(colour));
}

// A square of `size` centred in the rectangle.
RECT CentredSquare(const RECT& r, int size) {
    int left = r.left + (r.right - r.left - size) / 2;
    int top = r.top + (r.bottom - r.top - size) / 2;
    return {left, top, left + size, top + size};
}

void DrawCheckBox(const Target& target, PixelScope& pixels, const RECT& r, UINT state) {
    RECT box = CentredSquare(r, checkBoxSize);
    POINT corner = target.ToImagePoint({box.left, box.top});
    bool isGrey =
        (state & (DFCS_INACTIVE | DFCS_PUSHED)) || ((state & DFCS_BUTTON3STATE) && (state & DFCS_CHECKED));
    RECT inside = DrawEdgeOn(target, pixels, box, EDGE_SUNKEN, BF_RECT);
    FillImageRect(target, pixels, target.ToImage(inside), GetSysColor(isGrey ? COLOR_BTNFACE : COLOR_WINDOW));
    if (!(state & DFCS_CHECKED))
        return;
    COLORREF mark =
        GetSysColor(state & (DFCS_INACTIVE | DFCS_BUTTON3STATE) ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT);
    for (int y = 0; y < checkBoxSize; ++y)
        for (int x = 0; x < checkBoxSize; ++x)
            if (checkMark[y][x] == 'x')
                PutPixel(target, pixels, corner.x + x, corner.y + y, mark);
}

void DrawRadioButton(const Target& target, PixelScope& pixels, const RECT& r, UINT state) {
    RECT box = CentredSquare(r, radioSize);
    POINT corner = target.ToImagePoint({box.left, box.top});
    bool isGrey = state & (DFCS_INACTIVE | DFCS_PUSHED);
    for (int y = 0; y < radioSize; ++y) {
        for (int x = 0; x < radioSize; ++x) {
            bool isTopLeft = x + y < radioSize - 1;
            int colour = -1;
            switch (radioButton[y][x]) {
            case 'o':
                colour = isTopLeft ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT;
                break;
            case 'i':
                colour = isTopLeft ? COLOR_3DDKSHADOW : COLOR_3DLIGHT;
                break;
            case '.':
                colour = isGrey ? COLOR_BTNFACE : COLOR_WINDOW;
                break;
            }
            if ((state & DFCS_CHECKED) && radioDot[y][x] == 'x')
                colour = state & DFCS_INACTIVE ? COLOR_BTNSHADOW : COLOR_WINDOWTEXT;
            if (colour >= 0)
                PutPixel(target, pixels, corner.x + x, corner.y + y, GetSysColor(colour));
        }
    }
}

void DrawPushButton(const Target& target, PixelScope& pixels, LPRECT r, UINT state) {
    UINT flags = BF_RECT | BF_MIDDLE | BF_SOFT;
    if (state & DFCS_FLAT)
        flags |= BF_FLAT;
    UINT edge = state & (DFCS_PUSHED | DFCS_CHECKED) ? EDGE_SUNKEN : EDGE_RAISED;
    RECT inside = DrawEdgeOn(target, pixels, *r, edge, flags);
    if (state & DFCS_ADJUSTRECT)
        *r = inside;
}

// A filled triangle pointing the way given, `rows` rows deep from its tip, with its base centred
// in the rectangle; pushed buttons show it one pixel down and right.
void DrawArrow(const Target& target, PixelScope& pixels, const RECT& r, UINT direction, int shift,
               COLORREF colour) {
    int size = std::min(r.right - r.left, r.bottom - r.top);
    int rows = std::max(1, (size - 4) / 3);
    int base = 2 * rows - 1;
    bool isVertical =
        direction == DFCS_SCROLLUP || direction == DFCS_SCROLLDOWN || direction == DFCS_SCROLLCOMBOBOX;
    int across = isVertical ? base : rows;
    int down = isVertical ? rows : base;
    POINT origin = target.ToImagePoint(
        {r.left + (r.right - r.left - across) / 2 + shift, r.top + (r.bottom - r.top - down) / 2 + shift});
    for (int row = 0; row < rows; ++row) {
        // Row 0 is the base, the last row the tip.
        int from = row;
        int to = base - row;
        int line = direction == DFCS_SCROLLUP || direction == DFCS_SCROLLLEFT ? rows - 1 - row : row;
        for (int at = from; at < to; ++at) {
            if (isVertical)
                PutPixel(target, pixels, origin.x + at, origin.y + line, colour);
            else
                PutPixel(target, pixels, origin.x + line, origin.y + at, colour);
        }
    }
}

bool DrawScrollButton(const Target& target, PixelScope& pixels, const RECT& r, UINT state) {
    UINT direction = state & 0xFF;
    if (direction > DFCS_SCROLLRIGHT && direction != DFCS_SCROLLCOMBOBOX)
        return false;
    // A pressed scroll arrow is flat in the classic look, with the arrow moved in.
    UINT flags = BF_RECT | BF_MIDDLE | (state & (DFCS_PUSHED | DFCS_FLAT) ? BF_FLAT : BF_SOFT);
    DrawEdgeOn(target, pixels, r, EDGE_RAISED, flags);
    int shift = state & DFCS_PUSHED ? 1 : 0;
    if (state & DFCS_INACTIVE) {
        DrawArrow(target, pixels, r, direction, shift + 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawArrow(target, pixels, r, direction, shift, GetSysColor(COLOR_GRAYTEXT));
    } else {
        DrawArrow(target, pixels, r, direction, shift, GetSysColor(COLOR_BTNTEXT));
    }
    return true;
}

} // namespace

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || qrc == nullptr || (grfFlags & BF_DIAGONAL))
        return FALSE;
    // The clip may leave nothing to draw; the rectangle is adjusted all the same.
    Target target = ResolveTarget(*dc);
    PixelScope pixels(target);
    RECT inside = DrawEdgeOn(target, pixels, *qrc, edge, grfFlags);
    if (grfFlags & BF_ADJUST)
        *qrc = inside;
    return TRUE;
}

BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hDC);
    if (dc == nullptr || lprc == nullptr)
        return FALSE;
    Target target = ResolveTarget(*dc);
    const RECT& r = *lprc;
    if (!target.CanDraw() || IsEmpty(r))
        return TRUE;
    PixelScope pixels(target);
    POINT device = dc->state.Offset();
    auto invert = [&](int x, int y) {
        // The pattern is counted in device coordinates, so it lines up across calls and origins.
        if (((x + device.x + y + device.y) & 1) != 0)
            return;
        POINT at = target.ToImagePoint({x, y});
        const RECT& clip = target.clip;
        if (at.x >= clip.left && at.x < clip.right && at.y >= clip.top && at.y < clip.bottom)
            pixels.Row(at.y)[at.x] ^= pixelMask;
    };
    // Each frame pixel once, also when the rectangle is one pixel wide or high.
    for (int x = r.left; x < r.right; ++x) {
        invert(x, r.top);
        if (r.bottom - 1 > r.top)
            invert(x, r.bottom - 1);
    }
    for (int y = r.top + 1; y < r.bottom - 1; ++y) {
        invert(r.left, y);
        if (r.right - 1 > r.left)
            invert(r.right - 1, y);
    }
    return TRUE;
}

BOOL DrawFrameControl(HDC hdc, LPRECT lprc, UINT type, UINT state) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lprc == nullptr)
        return FALSE;
    Target target = ResolveTarget(*dc);
    PixelScope pixels(target);
    if (type == DFC_BUTTON) {
        UINT kind = state & 0xFF;
        if (kind & DFCS_BUTTONPUSH)
            DrawPushButton(target, pixels, lprc, state);
        else if (kind & DFCS_BUTTONRADIO)
            DrawRadioButton(target, pixels, *lprc, state);
        else if (kind == DFCS_BUTTONCHECK || kind == DFCS_BUTTON3STATE)
            DrawCheckBox(target, pixels, *lprc, state);
        else
            return FALSE;
        return TRUE;
    }
    if (type == DFC_SCROLL)
        return DrawScrollButton(target, pixels, *lprc, state) ? TRUE : FALSE;
    return FALSE;
}
