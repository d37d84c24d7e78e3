#pragma once

// Logical fonts and their metrics.
//
// A logical font is realised through fontconfig. Windows face names are first mapped to the free
// faces made to the same metrics: "Arial" (and "Helvetica") to Liberation Sans, "Times New Roman"
// to Liberation Serif, "Courier New" and "Courier" to Liberation Mono. The dialog faces of
// Windows, "MS Sans Serif", "MS Shell Dlg", "Tahoma" and "System", map to Liberation Sans too: at
// 8 points they give the same dialog base units (6 x 13) as those faces did, so the dialog
// templates lay out as designed. Any other name goes to fontconfig as it is, with Liberation Sans
// behind it. An empty name picks by lfPitchAndFamily (FF_ROMAN serif, FF_MODERN or FIXED_PITCH
// monospaced, else sans).
//
// Sizes follow Win32: a negative lfHeight is the character (em) height in pixels, a positive one
// the cell height (ascent + descent), 0 the default of 12 pixels em. The pixel size is rounded to
// whole pixels, as Windows rasterises fonts at whole sizes. Weight (FW_BOLD and above choose the
// bold face), italic, underline and strike-out are honoured; NONANTIALIASED_QUALITY draws without
// antialiasing. Width, escapement and orientation are ignored: the program draws only upright text
// at natural width.
//
// Metrics are hinted and whole: the ascent is rounded up and the descent down as the rasteriser
// does, glyph advances are integers, and drawn text advances exactly by what
// GetTextExtentPoint32A reports. tmAveCharWidth is the average width of "A".."Z" and "a".."z",
// rounded as dialog base units are ((width / 26 + 1) / 2), since that is what the dialog layout
// needs of it. Liberation Sans at -11 pixels (Arial 8 points at 96 dpi) gives an ascent of 10, a
// descent of 3, a height of 13 and an average width of 6.
//
// Text is single-byte Windows-1252, as everywhere in the stand-in.

#include "platform/WinTypes.h"

#include <string>

constexpr int LF_FACESIZE = 32;

constexpr int FW_DONTCARE = 0;
constexpr int FW_THIN = 100;
constexpr int FW_EXTRALIGHT = 200;
constexpr int FW_LIGHT = 300;
constexpr int FW_NORMAL = 400;
constexpr int FW_REGULAR = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr int FW_EXTRABOLD = 800;
constexpr int FW_HEAVY = 900;

constexpr BYTE ANSI_CHARSET = 0;
constexpr BYTE DEFAULT_CHARSET = 1;
constexpr BYTE SYMBOL_CHARSET = 2;
constexpr BYTE OEM_CHARSET = 255;

constexpr BYTE OUT_DEFAULT_PRECIS = 0;
constexpr BYTE OUT_TT_PRECIS = 4;
constexpr BYTE CLIP_DEFAULT_PRECIS = 0;

constexpr BYTE DEFAULT_QUALITY = 0;
constexpr BYTE DRAFT_QUALITY = 1;
constexpr BYTE PROOF_QUALITY = 2;
constexpr BYTE NONANTIALIASED_QUALITY = 3;
constexpr BYTE ANTIALIASED_QUALITY = 4;
constexpr BYTE CLEARTYPE_QUALITY = 5;

constexpr BYTE DEFAULT_PITCH = 0;
constexpr BYTE FIXED_PITCH = 1;
constexpr BYTE VARIABLE_PITCH = 2;
constexpr BYTE FF_DONTCARE = 0x00;
constexpr BYTE FF_ROMAN = 0x10;
constexpr BYTE FF_SWISS = 0x20;
constexpr BYTE FF_MODERN = 0x30;
constexpr BYTE FF_SCRIPT = 0x40;
constexpr BYTE FF_DECORATIVE = 0x50;

// tmPitchAndFamily bits. TMPF_FIXED_PITCH set means a variable-pitch font, as in Win32.
constexpr BYTE TMPF_FIXED_PITCH = 0x01;
constexpr BYTE TMPF_VECTOR = 0x02;
constexpr BYTE TMPF_TRUETYPE = 0x04;

struct LOGFONTA {
    LONG lfHeight;
    LONG lfWidth;
    LONG lfEscapement;
    LONG lfOrientation;
    LONG lfWeight;
    BYTE lfItalic;
    BYTE lfUnderline;
    BYTE lfStrikeOut;
    BYTE lfCharSet;
    BYTE lfOutPrecision;
    BYTE lfClipPrecision;
    BYTE lfQuality;
    BYTE lfPitchAndFamily;
    CHAR lfFaceName[LF_FACESIZE];
};
using LPLOGFONTA = LOGFONTA*;

struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
using LPTEXTMETRICA = TEXTMETRICA*;

static_assert(sizeof(LOGFONTA) == 60 && sizeof(TEXTMETRICA) == 56);

// The face name is copied up to its first NUL or LF_FACESIZE - 1 characters.
HFONT CreateFontA(int cHeight, int cWidth, int cEscapement, int cOrientation, int cWeight, DWORD bItalic,
                  DWORD bUnderline, DWORD bStrikeOut, DWORD iCharSet, DWORD iOutPrecision,
                  DWORD iClipPrecision, DWORD iQuality, DWORD iPitchAndFamily, LPCSTR pszFaceName);
HFONT CreateFontIndirectA(const LOGFONTA* lplf);

// The metrics of the font selected into the context.
BOOL GetTextMetricsA(HDC hdc, LPTEXTMETRICA lptm);

// The width of the first c characters in the selected font and its cell height.
BOOL GetTextExtentPoint32A(HDC hdc, LPCSTR lpString, int c, LPSIZE psizl);

// As GetTextExtentPoint32A, also telling how many characters fit into nMaxExtent (when lpnFit is
// given) and the width of each prefix of the text (when lpnDx is given, one entry per character).
BOOL GetTextExtentExPointA(HDC hdc, LPCSTR lpszString, int cchString, int nMaxExtent, int* lpnFit, int* lpnDx,
                           LPSIZE lpSize);

// The family name of the selected font's logical face (or the realised family when the logical
// font names none), cut to c - 1 characters; returns the count copied, or the size needed with a
// null buffer.
int GetTextFaceA(HDC hdc, int c, LPSTR lpName);

namespace platform {

// The family fontconfig realised a font with ("Liberation Sans" for "Arial"); empty for a handle
// that is not a font.
std::string RealisedFontFamily(HFONT font);

} // namespace platform
