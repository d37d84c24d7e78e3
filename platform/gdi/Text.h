#pragma once

// Text output: TextOutA, ExtTextOutA and DrawTextA, in the selected font and text colour.
//
// In OPAQUE background mode the text's cell (its advance width by the font's height) is filled
// with the background colour first; in TRANSPARENT mode only the glyphs are drawn. Glyphs are
// antialiased unless the font asks otherwise or the target is a monochrome bitmap.
//
// DrawTextA lays text out in a rectangle:
//  - lines break at CR LF, LF and CR unless DT_SINGLELINE; DT_WORDBREAK also breaks between words
//    where a line would pass the right edge, and the blanks at a break are dropped. A word wider
//    than the rectangle stays whole (and is clipped) unless DT_EDITCONTROL lets it break between
//    characters;
//  - DT_CENTER and DT_RIGHT align each line; DT_VCENTER and DT_BOTTOM apply to single lines only;
//  - DT_EXPANDTABS expands tabs to every 8 average character widths (or the count in bits 8-15
//    with DT_TABSTOP);
//  - '&' underlines the next character and "&&" is one '&', unless DT_NOPREFIX; DT_HIDEPREFIX
//    drops the underline and DT_PREFIXONLY draws only the underline;
//  - DT_END_ELLIPSIS cuts a line that does not fit and ends it with "..."; DT_PATH_ELLIPSIS keeps
//    the text from the last '\' or '/' on and cuts before it instead ("C:\Programs\...\PART.NC");
//    a line without a separator is cut at its end. With DT_WORDBREAK only the last line gets an
//    ellipsis. DT_MODIFYSTRING and DT_WORD_ELLIPSIS are not supported (the text is never changed);
//  - text is clipped to the rectangle unless DT_NOCLIP;
//  - DT_CALCRECT draws nothing and sets the rectangle's right and bottom to the extent of the text.
// The result is the height of the text, or with DT_VCENTER or DT_BOTTOM the distance from the top
// of the rectangle to the bottom of the text; 0 on failure.

#include "platform/WinTypes.h"

constexpr UINT TA_NOUPDATECP = 0;
constexpr UINT TA_UPDATECP = 1;
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

constexpr UINT ETO_OPAQUE = 0x0002;
constexpr UINT ETO_CLIPPED = 0x0004;

constexpr UINT DT_TOP = 0x00000000;
constexpr UINT DT_LEFT = 0x00000000;
constexpr UINT DT_CENTER = 0x00000001;
constexpr UINT DT_RIGHT = 0x00000002;
constexpr UINT DT_VCENTER = 0x00000004;
constexpr UINT DT_BOTTOM = 0x00000008;
constexpr UINT DT_WORDBREAK = 0x00000010;
constexpr UINT DT_SINGLELINE = 0x00000020;
constexpr UINT DT_EXPANDTABS = 0x00000040;
constexpr UINT DT_TABSTOP = 0x00000080;
constexpr UINT DT_NOCLIP = 0x00000100;
constexpr UINT DT_EXTERNALLEADING = 0x00000200;
constexpr UINT DT_CALCRECT = 0x00000400;
constexpr UINT DT_NOPREFIX = 0x00000800;
constexpr UINT DT_INTERNAL = 0x00001000;
constexpr UINT DT_EDITCONTROL = 0x00002000;
constexpr UINT DT_PATH_ELLIPSIS = 0x00004000;
constexpr UINT DT_END_ELLIPSIS = 0x00008000;
constexpr UINT DT_MODIFYSTRING = 0x00010000;
constexpr UINT DT_RTLREADING = 0x00020000;
constexpr UINT DT_WORD_ELLIPSIS = 0x00040000;
constexpr UINT DT_HIDEPREFIX = 0x00100000;
constexpr UINT DT_PREFIXONLY = 0x00200000;

// The previous alignment, or GDI_ERROR for an invalid context.
UINT SetTextAlign(HDC hdc, UINT align);
UINT GetTextAlign(HDC hdc);

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c);

// ETO_OPAQUE fills lprect with the background colour (also with no text at all), ETO_CLIPPED clips
// the text to it. lpDx, when given, holds the advance of each character.
BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c,
                 const INT* lpDx);

// cchText -1 takes the text up to its NUL.
int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format);
