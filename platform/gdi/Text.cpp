#include "platform/gdi/Text.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace platform::gdi;

constexpr const char* ellipsis = "...";
constexpr int defaultTabCharacters = 8;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// A run of text to paint: its bytes and the advance of each, which may differ from the font's own
// (ExtTextOutA's lpDx, expanded tabs).
struct TextRun {
    const char* text;
    size_t count;
    const int* advances;
    bool hidesTabs; // expanded tabs are gaps, not glyphs
};

// Paints a run with its cell's top-left corner at (left, top), logical coordinates: the background
// in OPAQUE mode, the glyphs, and the font's underline and strike-out.
void PaintRun(const Target& target, const DcState& state, int left, int top, const TextRun& run) {
    const RealisedFont& font = state.SelectedFont();
    int width = std::accumulate(run.advances, run.advances + run.count, 0);
    int height = font.metrics.tmHeight;
    int baseline = top + font.metrics.tmAscent;
    if (!target.CanDraw())
        return;
    if (state.backgroundMode == OPAQUE && width > 0) {
        PixelScope pixels(target);
        FillImageRect(target, pixels, target.ToImage({left, top, left + width, top + height}),
                      state.backgroundColour);
    }
    std::vector<cairo_glyph_t> glyphs;
    glyphs.reserve(run.count);
    int x = left;
    for (size_t at = 0; at < run.count; ++at) {
        if (!(run.hidesTabs && run.text[at] == '\t'))
            glyphs.push_back({font.glyphs[static_cast<unsigned char>(run.text[at])], static_cast<double>(x),
                              static_cast<double>(baseline)});
        x += run.advances[at];
    }
    if (!glyphs.empty()) {
        Painter painter(target);
        cairo_set_scaled_font(painter.Context(), target.monochrome ? font.crisp : font.smooth);
        painter.SetColour(state.textColour);
        cairo_show_glyphs(painter.Context(), glyphs.data(), static_cast<int>(glyphs.size()));
    }
    if ((font.metrics.tmUnderlined || font.metrics.tmStruckOut) && width > 0) {
        PixelScope pixels(target);
        auto line = [&](int y) {
            FillImageRect(target, pixels, target.ToImage({left, y, left + width, y + font.lineThickness}),
                          state.textColour);
        };
        if (font.metrics.tmUnderlined)
            line(baseline + font.underlineOffset);
        if (font.metrics.tmStruckOut)
            line(baseline - font.strikeoutOffset);
    }
}

// The left edge and top of a text of the given size by the context's alignment, and the current
// position moved past it when the alignment asks for that.
POINT AlignText(DcState& state, int x, int y, int width) {
    const TEXTMETRICA& metrics = state.SelectedFont().metrics;
    UINT align = state.textAlign;
    POINT reference = align & TA_UPDATECP ? state.currentPosition : POINT{x, y};
    POINT corner = reference;
    if ((align & TA_CENTER) == TA_CENTER)
        corner.x -= width / 2;
    else if (align & TA_RIGHT)
        corner.x -= width;
    if ((align & TA_BASELINE) == TA_BASELINE)
        corner.y -= metrics.tmAscent;
    else if (align & TA_BOTTOM)
        corner.y -= metrics.tmHeight;
    if (align & TA_UPDATECP) {
        if ((align & TA_CENTER) == TA_LEFT)
            state.currentPosition.x = reference.x + width;
        else if ((align & TA_CENTER) == TA_RIGHT)
            state.currentPosition.x = reference.x - width;
    }
    return corner;
}

// ---- DrawTextA layout ----

struct Line {
    std::string text;
    int prefix = -1; // index of the character to underline
};

struct TextLayout {
    const RealisedFont& font;
    UINT flags;
    int tabWidth;

    bool ExpandsTabs() const { return (flags & DT_EXPANDTABS) != 0; }

    // The advance of each character of a line, tabs stopping at the next multiple of the tab width.
    std::vector<int> Advances(const std::string& text) const {
        std::vector<int> advances(text.size());
        int x = 0;
        for (size_t at = 0; at < text.size(); ++at) {
            advances[at] =
                ExpandsTabs() && text[at] == '\t' ? tabWidth - x % tabWidth : font.Advance(text[at]);
            x += advances[at];
        }
        return advances;
    }

    int Width(const std::string& text) const {
        std::vector<int> advances = Advances(text);
        return std::accumulate(advances.begin(), advances.end(), 0);
    }

    // The number of leading characters whose width fits into `available`.
    size_t Fitting(const std::string& text, int available) const {
        std::vector<int> advances = Advances(text);
        size_t count = 0;
        for (int width = 0; count < advances.size() && width + advances[count] <= available; ++count)
            width += advances[count];
        return count;
    }
};

// Drops the '&' prefixes and notes the character that the first single one marks.
Line StripPrefixes(const std::string& text, bool keepsAmpersands) {
    Line line;
    if (keepsAmpersands) {
        line.text = text;
        return line;
    }
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] != '&') {
            line.text += text[at];
        } else if (at + 1 < text.size() && text[at + 1] == '&') {
            line.text += '&';
            ++at;
        } else if (at + 1 < text.size() && line.prefix < 0) {
            line.prefix = static_cast<int>(line.text.size());
        }
    }
    return line;
}

std::vector<std::string> SplitParagraphs(const std::string& text, bool isSingleLine) {
    std::vector<std::string> paragraphs;
    if (isSingleLine) {
        paragraphs.push_back(text);
        return paragraphs;
    }
    std::string current;
    for (size_t at = 0; at < text.size(); ++at) {
        if (text[at] == '\r' || text[at] == '\n') {
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
                ++at;
            paragraphs.push_back(std::move(current));
            current.clear();
        } else {
            current += text[at];
        }
    }
    paragraphs.push_back(std::move(current));
    return paragraphs;
}

Line Slice(const Line& line, size_t from, size_t to) {
    Line slice{line.text.substr(from, to - from)};
    if (line.prefix >= static_cast<int>(from) && line.prefix < static_cast<int>(to))
        slice.prefix = line.prefix - static_cast<int>(from);
    return slice;
}

// Breaks a paragraph between words so that each line fits the width; blanks at a break are dropped.
void WrapParagraph(const TextLayout& layout, const Line& paragraph, int maxWidth, std::vector<Line>& lines) {
    const std::string& text = paragraph.text;
    size_t start = 0;
    do {
        std::vector<int> advances = layout.Advances(text.substr(start));
        size_t at = start;
        size_t lastBlank = std::string::npos;
        for (int width = 0; at < text.size(); ++at) {
            if (width + advances[at - start] > maxWidth && at > start)
                break;
            if (IsBlank(text[at]))
                lastBlank = at;
            width += advances[at - start];
        }
        size_t end = at;
        size_t next = at;
        if (at < text.size()) {
            if (IsBlank(text[at])) {
                end = at;
            } else if (lastBlank != std::string::npos) {
                end = lastBlank;
                next = lastBlank + 1;
            } else if (!(layout.flags & DT_EDITCONTROL)) {
                // A word wider than the line stays whole, as in Win32.
                while (end < text.size() && !IsBlank(text[end]))
                    ++end;
                next = end;
            }
            while (end > start && IsBlank(text[end - 1]))
                --end;
            while (next < text.size() && IsBlank(text[next]))
                ++next;
        }
        lines.push_back(Slice(paragraph, start, end));
        start = next;
    } while (start < text.size());
}

void EndEllipsis(const TextLayout& layout, Line& line, int maxWidth) {
    size_t kept = layout.Fitting(line.text, maxWidth - layout.font.Width(ellipsis, 3));
    line.text = line.text.substr(0, kept) + ellipsis;
    if (line.prefix >= static_cast<int>(kept))
        line.prefix = -1;
}

void PathEllipsis(const TextLayout& layout, Line& line, int maxWidth) {
    size_t separator = line.text.find_last_of("\\/");
    if (separator == std::string::npos || separator == 0) {
        EndEllipsis(layout, line, maxWidth);
        return;
    }
    std::string tail = line.text.substr(separator);
    int available = maxWidth - layout.font.Width(ellipsis, 3) - layout.Width(tail);
    size_t kept = available > 0 ? layout.Fitting(line.text.substr(0, separator), available) : 0;
    int prefix = line.prefix;
    line.text = line.text.substr(0, kept) + ellipsis + tail;
    if (prefix >= static_cast<int>(separator))
        line.prefix = prefix - static_cast<int>(separator) + static_cast<int>(kept) + 3;
    else if (prefix >= static_cast<int>(kept))
        line.prefix = -1;
    if ((layout.flags & DT_END_ELLIPSIS) && layout.Width(line.text) > maxWidth)
        EndEllipsis(layout, line, maxWidth);
}

std::vector<Line> LayOut(const TextLayout& layout, const std::string& text, int maxWidth) {
    UINT flags = layout.flags;
    bool isSingleLine = flags & DT_SINGLELINE;
    std::vector<Line> lines;
    for (const std::string& paragraph : SplitParagraphs(text, isSingleLine)) {
        Line stripped = StripPrefixes(paragraph, flags & DT_NOPREFIX);
        if ((flags & DT_WORDBREAK) && !isSingleLine)
            WrapParagraph(layout, stripped, maxWidth, lines);
        else
            lines.push_back(std::move(stripped));
    }
    if (flags & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) {
        // With word breaks only the end of the whole text can be cut; a line of its own is never too
        // wide unless it is one long word, which Win32 clips without an ellipsis.
        size_t first = (flags & DT_WORDBREAK) && !isSingleLine ? lines.size() - 1 : 0;
        for (size_t at = first; at < lines.size(); ++at) {
            if (layout.Width(lines[at].text) <= maxWidth)
                continue;
            if (flags & DT_PATH_ELLIPSIS)
                PathEllipsis(layout, lines[at], maxWidth);
            else
                EndEllipsis(layout, lines[at], maxWidth);
        }
    }
    return lines;
}

void PaintLine(const Target& target, const DcState& state, const TextLayout& layout, int left, int top,
               const Line& line) {
    std::vector<int> advances = layout.Advances(line.text);
    if (!(layout.flags & DT_PREFIXONLY))
        PaintRun(target, state, left, top,
                 {line.text.data(), line.text.size(), advances.data(), layout.ExpandsTabs()});
    if (line.prefix < 0 || (layout.flags & DT_HIDEPREFIX) || !target.CanDraw())
        return;
    // The mnemonic's underline sits just below the baseline and leaves the gap before the next
    // character free.
    int x = left + std::accumulate(advances.begin(), advances.begin() + line.prefix, 0);
    int width = std::max(advances[static_cast<size_t>(line.prefix)] - 1, 1);
    int y = top + layout.font.metrics.tmAscent + 1;
    PixelScope pixels(target);
    FillImageRect(target, pixels, target.ToImage({x, y, x + width, y + 1}), state.textColour);
}

UINT TabCharacters(UINT format) {
    UINT count = format & DT_TABSTOP ? (format >> 8) & 0xFF : defaultTabCharacters;
    return count == 0 ? defaultTabCharacters : count;
}

} // namespace

UINT SetTextAlign(HDC hdc, UINT align) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return GDI_ERROR;
    return std::exchange(dc->state.textAlign, align & (TA_UPDATECP | TA_CENTER | TA_BASELINE));
}

UINT GetTextAlign(HDC hdc) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    return dc == nullptr ? GDI_ERROR : dc->state.textAlign;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
    if (c < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return ExtTextOutA(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                 const INT* lpDx) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return FALSE;
    if (c > 0 && lpString == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RealisedFont& font = dc->state.SelectedFont();
    std::vector<int> advances(c);
    for (UINT at = 0; at < c; ++at)
        advances[at] = lpDx != nullptr ? lpDx[at] : font.Advance(lpString[at]);
    int width = std::accumulate(advances.begin(), advances.end(), 0);
    POINT corner = AlignText(dc->state, x, y, width);

    Target target = ResolveTarget(*dc);
    if (lprect != nullptr && (options & ETO_OPAQUE) && target.CanDraw()) {
        PixelScope pixels(target);
        FillImageRect(target, pixels, target.ToImage(*lprect), dc->state.backgroundColour);
    }
    if (lprect != nullptr && (options & ETO_CLIPPED))
        target.clip = Intersect(target.clip, target.ToImage(*lprect));
    PaintRun(target, dc->state, corner.x, corner.y, {lpString, c, advances.data(), false});
    return TRUE;
}

int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr || lprc == nullptr || lpchText == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string text(lpchText, cchText < 0 ? std::strlen(lpchText) : static_cast<size_t>(cchText));
    UINT tabCharacters = TabCharacters(format);
    if (format & DT_TABSTOP)
        format &= ~0xFF00u; // the tab count, not flags
    const RealisedFont& font = dc->state.SelectedFont();
    TextLayout layout{font, format,
                      std::max<int>(1, static_cast<int>(tabCharacters) * font.metrics.tmAveCharWidth)};
    RECT& rect = *lprc;
    std::vector<Line> lines = LayOut(layout, text, rect.right - rect.left);

    int lineHeight =
        font.metrics.tmHeight + (format & DT_EXTERNALLEADING ? font.metrics.tmExternalLeading : 0);
    int height = lineHeight * static_cast<int>(lines.size());
    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, layout.Width(line.text));
        rect.right = rect.left + widest;
        rect.bottom = rect.top + height;
        return height;
    }

    int top = rect.top;
    bool isPlacedVertically = (format & DT_SINGLELINE) && (format & (DT_VCENTER | DT_BOTTOM));
    if (isPlacedVertically)
        top = format & DT_BOTTOM ? rect.bottom - lineHeight
                                 : rect.top + (rect.bottom - rect.top - lineHeight) / 2;
    Target target = ResolveTarget(*dc);
    if (!(format & DT_NOCLIP))
        target.clip = Intersect(target.clip, target.ToImage(rect));
    int y = top;
    for (const Line& line : lines) {
        int width = layout.Width(line.text);
        int left = rect.left;
        if (format & DT_CENTER)
            left += (rect.right - rect.left - width) / 2;
        else if (format & DT_RIGHT)
            left = rect.right - width;
        PaintLine(target, dc->state, layout, left, y, line);
        y += lineHeight;
    }
    return isPlacedVertically ? y - rect.top : height;
}
