#include "platform/gdi/Fonts.h"

#include "platform/gdi/Internal.h"
#include "platform/kernel/CodePage.h"
#include "platform/kernel/Errors.h"

#include <algorithm>
#include <cairo-ft.h>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <map>
#include <mutex>
#include <tuple>

namespace {

using namespace platform::gdi;

constexpr const char* sansFamily = "Liberation Sans";
constexpr const char* serifFamily = "Liberation Serif";
constexpr const char* monoFamily = "Liberation Mono";

struct FaceMapping {
    const char* windowsName;
    const char* family;
};

// Windows faces and the free faces drawn to their metrics (see gdi/Fonts.h for the dialog faces).
constexpr FaceMapping faceMappings[] = {
    {"arial", sansFamily},        {"helvetica", sansFamily},      {"ms sans serif", sansFamily},
    {"ms shell dlg", sansFamily}, {"ms shell dlg 2", sansFamily}, {"microsoft sans serif", sansFamily},
    {"tahoma", sansFamily},       {"system", sansFamily},         {"times new roman", serifFamily},
    {"times", serifFamily},       {"ms serif", serifFamily},      {"courier new", monoFamily},
    {"courier", monoFamily},      {"lucida console", monoFamily}, {"fixedsys", monoFamily},
    {"terminal", monoFamily},
};

constexpr int defaultEm = 12;
constexpr int largestEm = 2048;
// Unhinted metrics are read at this size to turn a cell height into an em height.
constexpr double referenceSize = 1000.0;

std::string Lowercase(const char* text) {
    std::string result;
    for (; *text != '\0'; ++text)
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(*text)));
    return result;
}

std::string FaceName(const LOGFONTA& logFont) {
    return std::string(logFont.lfFaceName, strnlen(logFont.lfFaceName, LF_FACESIZE));
}

std::string RequestedFamily(const LOGFONTA& logFont) {
    std::string face = FaceName(logFont);
    if (face.empty()) {
        BYTE family = logFont.lfPitchAndFamily & 0xF0;
        if (family == FF_ROMAN)
            return serifFamily;
        if (family == FF_MODERN || (logFont.lfPitchAndFamily & 0x03) == FIXED_PITCH)
            return monoFamily;
        return sansFamily;
    }
    std::string lowered = Lowercase(face.c_str());
    for (const FaceMapping& mapping : faceMappings)
        if (lowered == mapping.windowsName)
            return mapping.family;
    return face;
}

struct FaceChoice {
    std::string file;
    int index = 0;
    std::string family;
    bool isMonospaced = false;
    bool isEmboldened = false;
};

// Asks fontconfig for the face, with Liberation Sans behind the family asked for so that an unknown
// name still lands on a face of the right metrics rather than on the desktop's default.
FaceChoice MatchFace(const std::string& family, int weight, bool isItalic) {
    FaceChoice choice;
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(sansFamily));
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, isItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr)
        return choice;
    FcChar8* text = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &text) == FcResultMatch)
        choice.file = reinterpret_cast<const char*>(text);
    if (FcPatternGetString(match, FC_FAMILY, 0, &text) == FcResultMatch)
        choice.family = reinterpret_cast<const char*>(text);
    FcPatternGetInteger(match, FC_INDEX, 0, &choice.index);
    int spacing = FC_PROPORTIONAL;
    if (FcPatternGetInteger(match, FC_SPACING, 0, &spacing) == FcResultMatch)
        choice.isMonospaced = spacing == FC_MONO;
    FcBool embolden = FcFalse;
    if (FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden) == FcResultMatch)
        choice.isEmboldened = embolden == FcTrue;
    FcPatternDestroy(match);
    return choice;
}

// The face from its file alone, so that the desktop's fontconfig rendering settings (hinting,
// antialiasing) cannot change the metrics: only the options set here apply.
cairo_font_face_t* CreateFace(const FaceChoice& choice) {
    if (choice.file.empty())
        return cairo_toy_font_face_create("sans-serif", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FILE, reinterpret_cast<const FcChar8*>(choice.file.c_str()));
    FcPatternAddInteger(pattern, FC_INDEX, choice.index);
    if (choice.isEmboldened)
        FcPatternAddBool(pattern, FC_EMBOLDEN, FcTrue);
    cairo_font_face_t* face = cairo_ft_font_face_create_for_pattern(pattern);
    FcPatternDestroy(pattern);
    return face;
}

cairo_scaled_font_t* CreateScaledFont(cairo_font_face_t* face, double size, cairo_antialias_t antialias,
                                      cairo_hint_metrics_t hintMetrics) {
    cairo_matrix_t fontMatrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&fontMatrix, size, size);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias);
    cairo_font_options_set_subpixel_order(options, CAIRO_SUBPIXEL_ORDER_DEFAULT);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, hintMetrics);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
    cairo_font_options_destroy(options);
    return font;
}

// Em height in whole pixels from the logical height (see gdi/Fonts.h).
int EmHeight(const LOGFONTA& logFont, const cairo_font_extents_t& reference) {
    double em = defaultEm;
    if (logFont.lfHeight < 0)
        em = -static_cast<double>(logFont.lfHeight);
    else if (logFont.lfHeight > 0 && reference.ascent + reference.descent > 0)
        em = logFont.lfHeight * referenceSize / (reference.ascent + reference.descent);
    return std::clamp(static_cast<int>(std::lround(em)), 1, largestEm);
}

std::string Utf8Of(unsigned char byte) {
    char source = static_cast<char>(byte);
    char16_t wide = 0;
    if (MultiByteToWideChar(CP_ACP, 0, &source, 1, &wide, 1) != 1)
        return "?";
    char utf8[8] = {};
    int length = WideCharToMultiByte(CP_UTF8, 0, &wide, 1, utf8, sizeof utf8, nullptr, nullptr);
    return std::string(utf8, static_cast<size_t>(std::max(length, 0)));
}

void FillGlyphTable(RealisedFont& font) {
    for (int byte = 0; byte < 256; ++byte) {
        std::string text = Utf8Of(static_cast<unsigned char>(byte));
        cairo_glyph_t* glyphs = nullptr;
        int count = 0;
        if (cairo_scaled_font_text_to_glyphs(font.smooth, 0, 0, text.data(), static_cast<int>(text.size()),
                                             &glyphs, &count, nullptr, nullptr,
                                             nullptr) == CAIRO_STATUS_SUCCESS &&
            count > 0) {
            font.glyphs[byte] = glyphs[0].index;
            cairo_text_extents_t extents;
            cairo_scaled_font_glyph_extents(font.smooth, glyphs, 1, &extents);
            font.advances[byte] = static_cast<int>(std::lround(extents.x_advance));
        }
        cairo_glyph_free(glyphs);
    }
}

void FillMetrics(RealisedFont& font, const LOGFONTA& logFont, const FaceChoice& choice, int em,
                 const cairo_font_extents_t& reference) {
    cairo_font_extents_t hinted;
    cairo_scaled_font_extents(font.smooth, &hinted);
    TEXTMETRICA& metrics = font.metrics;
    metrics.tmAscent = static_cast<LONG>(std::lround(hinted.ascent));
    metrics.tmDescent = static_cast<LONG>(std::lround(hinted.descent));
    metrics.tmHeight = metrics.tmAscent + metrics.tmDescent;
    metrics.tmInternalLeading = std::max<LONG>(0, metrics.tmHeight - em);
    double lineGap = (reference.height - reference.ascent - reference.descent) * em / referenceSize;
    metrics.tmExternalLeading = std::max<LONG>(0, static_cast<LONG>(std::lround(lineGap)));

    int letters = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        letters += font.Advance(letter) + font.Advance(static_cast<char>(letter - 'A' + 'a'));
    metrics.tmAveCharWidth = (letters / 26 + 1) / 2;
    metrics.tmMaxCharWidth = *std::max_element(font.advances.begin() + 0x20, font.advances.end());

    metrics.tmWeight =
        logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<LONG>(logFont.lfWeight, 1, 1000);
    metrics.tmDigitizedAspectX = 96;
    metrics.tmDigitizedAspectY = 96;
    metrics.tmFirstChar = 0x20;
    metrics.tmLastChar = 0xFF;
    metrics.tmDefaultChar = 0x1F;
    metrics.tmBreakChar = 0x20;
    metrics.tmItalic = logFont.lfItalic != 0 ? 0xFF : 0;
    metrics.tmUnderlined = logFont.lfUnderline != 0 ? 0xFF : 0;
    metrics.tmStruckOut = logFont.lfStrikeOut != 0 ? 0xFF : 0;
    BYTE family =
        choice.isMonospaced ? FF_MODERN
        : choice.family.find("Serif") != std::string::npos && choice.family.find("Sans") == std::string::npos
            ? FF_ROMAN
            : FF_SWISS;
    metrics.tmPitchAndFamily = static_cast<BYTE>(family | TMPF_VECTOR | TMPF_TRUETYPE |
                                                 (choice.isMonospaced ? 0 : TMPF_FIXED_PITCH));
    metrics.tmCharSet = logFont.lfCharSet == SYMBOL_CHARSET ? SYMBOL_CHARSET : ANSI_CHARSET;

    // Underline and strike-out in the proportions of the Liberation faces, whole pixels.
    font.underlineOffset = std::max(1, static_cast<int>(std::lround(em * 0.1)));
    font.strikeoutOffset = std::max(1, static_cast<int>(std::lround(em * 0.26)));
    font.lineThickness = std::max(1, static_cast<int>(std::lround(em / 14.0)));
}

std::shared_ptr<const RealisedFont> Realise(const LOGFONTA& logFont, const FaceChoice& choice) {
    auto font = std::make_shared<RealisedFont>();
    cairo_font_face_t* face = CreateFace(choice);
    cairo_scaled_font_t* reference =
        CreateScaledFont(face, referenceSize, CAIRO_ANTIALIAS_GRAY, CAIRO_HINT_METRICS_OFF);
    cairo_font_extents_t referenceExtents;
    cairo_scaled_font_extents(reference, &referenceExtents);
    cairo_scaled_font_destroy(reference);

    int em = EmHeight(logFont, referenceExtents);
    bool isCrisp = logFont.lfQuality == NONANTIALIASED_QUALITY;
    font->crisp = CreateScaledFont(face, em, CAIRO_ANTIALIAS_NONE, CAIRO_HINT_METRICS_ON);
    font->smooth = isCrisp ? cairo_scaled_font_reference(font->crisp)
                           : CreateScaledFont(face, em, CAIRO_ANTIALIAS_GRAY, CAIRO_HINT_METRICS_ON);
    cairo_font_face_destroy(face);
    font->family = choice.family;
    FillGlyphTable(*font);
    FillMetrics(*font, logFont, choice, em, referenceExtents);
    return font;
}

// Fonts are few (the dialog font, a bold variant, the text view's font) and are realised again and
// again by code that creates a font per paint, so both the face search and the realised fonts are
// kept for the life of the process.
struct FontCache {
    std::mutex mutex;
    std::map<std::tuple<std::string, int, bool>, FaceChoice> faces;
    // Everything the metrics depend on: the face, the size and the flags TEXTMETRICA reports.
    std::map<std::tuple<std::string, int, bool, LONG, BYTE, bool, int, bool, bool, bool>,
             std::shared_ptr<const RealisedFont>>
        fonts;
};

FontCache& Cache() {
    static FontCache cache;
    return cache;
}

std::shared_ptr<const RealisedFont> RealiseCached(const LOGFONTA& logFont) {
    FontCache& cache = Cache();
    std::lock_guard lock(cache.mutex);
    int weight = logFont.lfWeight == FW_DONTCARE ? FW_NORMAL : std::clamp<int>(logFont.lfWeight, 1, 1000);
    bool isItalic = logFont.lfItalic != 0;
    auto faceKey = std::make_tuple(Lowercase(RequestedFamily(logFont).c_str()), weight, isItalic);
    auto face = cache.faces.find(faceKey);
    if (face == cache.faces.end())
        face = cache.faces.emplace(faceKey, MatchFace(RequestedFamily(logFont), weight, isItalic)).first;
    const FaceChoice& choice = face->second;
    auto fontKey = std::make_tuple(choice.file, choice.index, choice.isEmboldened, logFont.lfHeight,
                                   logFont.lfCharSet, logFont.lfQuality == NONANTIALIASED_QUALITY, weight,
                                   isItalic, logFont.lfUnderline != 0, logFont.lfStrikeOut != 0);
    auto font = cache.fonts.find(fontKey);
    if (font == cache.fonts.end())
        font = cache.fonts.emplace(fontKey, Realise(logFont, choice)).first;
    return font->second;
}

const RealisedFont* SelectedFontOf(HDC hdc, std::shared_ptr<DeviceContext>& dc) {
    dc = LookupDC(hdc);
    return dc == nullptr ? nullptr : &dc->state.SelectedFont();
}

} // namespace

namespace platform::gdi {

RealisedFont::~RealisedFont() {
    if (smooth != nullptr)
        cairo_scaled_font_destroy(smooth);
    if (crisp != nullptr)
        cairo_scaled_font_destroy(crisp);
}

int RealisedFont::Width(const char* text, size_t count) const {
    int width = 0;
    for (size_t at = 0; at < count; ++at)
        width += Advance(text[at]);
    return width;
}

std::shared_ptr<Font> MakeFont(const LOGFONTA& logFont) {
    LOGFONTA copy = logFont;
    copy.lfFaceName[LF_FACESIZE - 1] = '\0';
    return std::make_shared<Font>(copy, RealiseCached(copy));
}

} // namespace platform::gdi

HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                  DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName) {
    LOGFONTA logFont{};
    logFont.lfHeight = cHeight;
    logFont.lfWidth = cWidth;
    logFont.lfEscapement = cEscapement;
    logFont.lfOrientation = cOrientation;
    logFont.lfWeight = cWeight;
    logFont.lfItalic = static_cast<BYTE>(bItalic);
    logFont.lfUnderline = static_cast<BYTE>(bUnderline);
    logFont.lfStrikeOut = static_cast<BYTE>(bStrikeOut);
    logFont.lfCharSet = static_cast<BYTE>(iCharSet);
    logFont.lfOutPrecision = static_cast<BYTE>(iOutPrecision);
    logFont.lfClipPrecision = static_cast<BYTE>(iClipPrecision);
    logFont.lfQuality = static_cast<BYTE>(iQuality);
    logFont.lfPitchAndFamily = static_cast<BYTE>(iPitchAndFamily);
    if (pszFaceName != nullptr)
        std::strncpy(logFont.lfFaceName, pszFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectA(&logFont);
}

HFONT CreateFontIndirectA(const LOGFONTA* lplf) {
    if (lplf == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return static_cast<HFONT>(InsertObject(MakeFont(*lplf)));
}

BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm) {
    std::shared_ptr<DeviceContext> dc;
    const RealisedFont* font = SelectedFontOf(hdc, dc);
    if (font == nullptr || lptm == nullptr)
        return FALSE;
    *lptm = font->metrics;
    return TRUE;
}

BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl) {
    return GetTextExtentExPointA(hdc, lpString, c, 0, nullptr, nullptr, psizl);
}

BOOL GetTextExtentExPointA(HDC hdc, LPCSTR lpszString, int cchString, int nMaxExtent, int* lpnFit, int* lpnDx,
                           LPSIZE lpSize) {
    std::shared_ptr<DeviceContext> dc;
    const RealisedFont* font = SelectedFontOf(hdc, dc);
    if (font == nullptr)
        return FALSE;
    if (cchString < 0 || lpSize == nullptr || (cchString > 0 && lpszString == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    int width = 0;
    int fit = 0;
    for (int at = 0; at < cchString; ++at) {
        width += font->Advance(lpszString[at]);
        if (lpnDx != nullptr)
            lpnDx[at] = width;
        if (width <= nMaxExtent)
            fit = at + 1;
    }
    if (lpnFit != nullptr)
        *lpnFit = fit;
    *lpSize = {width, font->metrics.tmHeight};
    return TRUE;
}

int GetTextFaceA(HDC hdc, int c, LPSTR lpName) {
    std::shared_ptr<DeviceContext> dc = LookupDC(hdc);
    if (dc == nullptr)
        return 0;
    const auto* font = static_cast<const Font*>(dc->state.font.object.get());
    std::string face = FaceName(font->logFont);
    if (face.empty())
        face = font->realised->family;
    if (lpName == nullptr)
        return static_cast<int>(face.size()) + 1;
    if (c <= 0)
        return 0;
    size_t copied = std::min(face.size(), static_cast<size_t>(c) - 1);
    std::memcpy(lpName, face.data(), copied);
    lpName[copied] = '\0';
    return static_cast<int>(copied);
}

// fontconfig 2.14 loses one block of its own while it parses its configuration files, once per
// process. Without this the sanitizer builds would report it at exit as a leak of every program
// that draws text. The library is built without frame pointers, so the fast unwinder sees only the
// library itself and the suppression has to name it. On a desktop, SDL's X11 driver talks to the
// session bus, and libdbus keeps a block of its own for the process's life in the same way.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\nleak:libdbus-1.so\n";
}

namespace platform {

std::string RealisedFontFamily(HFONT font) {
    std::shared_ptr<gdi::Font> found = gdi::Lookup<gdi::Font>(font);
    return found == nullptr ? std::string() : found->realised->family;
}

} // namespace platform
