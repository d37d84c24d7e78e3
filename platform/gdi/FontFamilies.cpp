#include "platform/gdi/FontFamilies.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fontconfig/fontconfig.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Face {
    std::string family;
    std::string style;
    int weight = FW_NORMAL;
    bool isItalic = false;
    bool isMonospaced = false;
};

std::string StringOf(FcPattern* pattern, const char* object) {
    FcChar8* text = nullptr;
    return FcPatternGetString(pattern, object, 0, &text) == FcResultMatch
               ? reinterpret_cast<const char*>(text)
               : "";
}

int IntegerOf(FcPattern* pattern, const char* object, int fallback) {
    int value = fallback;
    FcPatternGetInteger(pattern, object, 0, &value);
    return value;
}

// The scalable faces fontconfig knows, of one family or of all.
std::vector<Face> ListFaces(const std::string& family) {
    FcPattern* pattern = FcPatternCreate();
    if (!family.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    }
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_STYLE, FC_WEIGHT, FC_SLANT, FC_SPACING, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    std::vector<Face> faces;
    for (int i = 0; set != nullptr && i < set->nfont; ++i) {
        FcPattern* font = set->fonts[i];
        Face face;
        face.family = StringOf(font, FC_FAMILY);
        face.style = StringOf(font, FC_STYLE);
        face.weight = FcWeightToOpenType(IntegerOf(font, FC_WEIGHT, FC_WEIGHT_REGULAR));
        face.isItalic = IntegerOf(font, FC_SLANT, FC_SLANT_ROMAN) != FC_SLANT_ROMAN;
        face.isMonospaced = IntegerOf(font, FC_SPACING, FC_PROPORTIONAL) == FC_MONO;
        if (!face.family.empty() && face.family.size() < static_cast<size_t>(LF_FACESIZE) &&
            face.style.size() < static_cast<size_t>(LF_FACESIZE)) {
            faces.push_back(face);
        }
    }
    if (set != nullptr) {
        FcFontSetDestroy(set);
    }
    return faces;
}

bool SameFolded(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Regular upright faces first, so that a family is reported through its plainest face; then
// the order is fixed by name so that repeated enumerations agree.
bool Plainer(const Face& a, const Face& b) {
    const auto key = [](const Face& face) {
        return std::make_tuple(face.family, face.isItalic, std::abs(face.weight - FW_NORMAL), face.style);
    };
    return key(a) < key(b);
}

// One face per family, or every face of the named family.
std::vector<Face> FacesToReport(const std::string& family) {
    std::vector<Face> faces = ListFaces(family);
    std::sort(faces.begin(), faces.end(), Plainer);
    if (family.empty()) {
        faces.erase(std::unique(faces.begin(), faces.end(),
                                [](const Face& a, const Face& b) { return SameFolded(a.family, b.family); }),
                    faces.end());
    }
    return faces;
}

void Describe(const Face& face, ENUMLOGFONTEXA& logFont, NEWTEXTMETRICEXA& metrics) {
    logFont = ENUMLOGFONTEXA{};
    LOGFONTA& font = logFont.elfLogFont;
    font.lfWeight = face.weight;
    font.lfItalic = face.isItalic ? 1 : 0;
    font.lfCharSet = ANSI_CHARSET;
    font.lfOutPrecision = OUT_TT_PRECIS;
    font.lfPitchAndFamily = face.isMonospaced ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_DONTCARE;
    std::memcpy(font.lfFaceName, face.family.c_str(), face.family.size() + 1);
    const std::string fullName = face.family + " " + face.style;
    std::memcpy(logFont.elfFullName, fullName.c_str(),
                std::min<size_t>(fullName.size(), LF_FULLFACESIZE - 1));
    std::memcpy(logFont.elfStyle, face.style.c_str(), face.style.size() + 1);
    std::memcpy(logFont.elfScript, "Western", sizeof "Western");
    metrics = NEWTEXTMETRICEXA{};
    NEWTEXTMETRICA& text = metrics.ntmTm;
    text.tmWeight = face.weight;
    text.tmItalic = font.lfItalic;
    text.tmCharSet = ANSI_CHARSET;
    // A set TMPF_FIXED_PITCH bit means a variable pitch, as in Win32.
    text.tmPitchAndFamily =
        static_cast<BYTE>(TMPF_TRUETYPE | TMPF_VECTOR | (face.isMonospaced ? 0 : TMPF_FIXED_PITCH) |
                          (font.lfPitchAndFamily & 0xF0));
}

} // namespace

int EnumFontFamiliesExA(HDC, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam, DWORD) {
    if (lpLogfont == nullptr || lpProc == nullptr) {
        return 0;
    }
    if (lpLogfont->lfCharSet != DEFAULT_CHARSET && lpLogfont->lfCharSet != ANSI_CHARSET) {
        return 1;
    }
    const std::string family(lpLogfont->lfFaceName, strnlen(lpLogfont->lfFaceName, LF_FACESIZE));
    int answer = 1;
    for (const Face& face : FacesToReport(family)) {
        ENUMLOGFONTEXA logFont;
        NEWTEXTMETRICEXA metrics;
        Describe(face, logFont, metrics);
        answer = lpProc(&logFont.elfLogFont, reinterpret_cast<const TEXTMETRICA*>(&metrics),
                        TRUETYPE_FONTTYPE, lParam);
        if (answer == 0) {
            break;
        }
    }
    return answer;
}
