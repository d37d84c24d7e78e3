#pragma once

// Enumerating the installed font families: EnumFontFamiliesExA over fontconfig, in the subset a
// font chooser needs.
//
// With an empty lfFaceName each family is reported once, through its regular face where it has
// one; with a face name each style of that family is reported (elfStyle "Bold Italic" and so on).
// Families are fontconfig's own names ("Liberation Sans"); the Windows names that the logical
// fonts map to a look-alike ("Arial") are not families of their own here. Every face is reported
// as a TrueType face of the ANSI character set, since the stand-in draws Windows-1252 text through
// scalable faces; lfCharSet DEFAULT_CHARSET or ANSI_CHARSET enumerates, any other set finds
// nothing. Of the text metrics only the weight, italic flag, pitch and family and character set
// are filled, as the callers of the subset read no more. Families whose names do not fit
// LF_FACESIZE are left out, as no LOGFONTA could name them.

#include "platform/WinTypes.h"
#include "platform/gdi/Fonts.h"

constexpr int LF_FULLFACESIZE = 64;

constexpr DWORD RASTER_FONTTYPE = 0x0001;
constexpr DWORD DEVICE_FONTTYPE = 0x0002;
constexpr DWORD TRUETYPE_FONTTYPE = 0x0004;

struct ENUMLOGFONTEXA {
    LOGFONTA elfLogFont;
    BYTE elfFullName[LF_FULLFACESIZE];
    BYTE elfStyle[LF_FACESIZE];
    BYTE elfScript[LF_FACESIZE];
};

// TEXTMETRICA's fields first, in the same layout, then the TrueType ones.
struct NEWTEXTMETRICA : TEXTMETRICA {
    DWORD ntmFlags;
    UINT ntmSizeEM;
    UINT ntmCellHeight;
    UINT ntmAvgWidth;
};

static_assert(sizeof(NEWTEXTMETRICA) == 72);

struct FONTSIGNATURE {
    DWORD fsUsb[4];
    DWORD fsCsb[2];
};

struct NEWTEXTMETRICEXA {
    NEWTEXTMETRICA ntmTm;
    FONTSIGNATURE ntmFontSig;
};

// The callback receives an ENUMLOGFONTEXA and a NEWTEXTMETRICEXA through the pointer types of
// its declaration, as in Win32; answering 0 ends the enumeration.
using FONTENUMPROCA = int (*)(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM);

// The last value the callback returned, or 1 when nothing was enumerated. hdc and dwFlags are
// not used: every family is a screen family.
int EnumFontFamiliesExA(HDC hdc, LPLOGFONTA lpLogfont, FONTENUMPROCA lpProc, LPARAM lParam, DWORD dwFlags);
