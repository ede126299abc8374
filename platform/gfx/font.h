// Fonts (the role of GDI logical fonts). A font is described by a LOGFONT record and realised as
// an HFONT handle that the text functions of gfx/canvas.h draw and measure with.
#pragma once
#include <string>
#include "win/types.h"

struct HFONT__;
using HFONT = HFONT__*;

constexpr LONG FW_DONTCARE = 0;
constexpr LONG FW_THIN = 100;
constexpr LONG FW_LIGHT = 300;
constexpr LONG FW_NORMAL = 400;
constexpr LONG FW_MEDIUM = 500;
constexpr LONG FW_SEMIBOLD = 600;
constexpr LONG FW_BOLD = 700;
constexpr LONG FW_HEAVY = 900;

constexpr BYTE DEFAULT_CHARSET = 1;

// The fields keep their GDI meaning:
//  - lfHeight < 0: character (em) height in pixels; > 0: cell height (ascent + descent) in
//    pixels; 0: the default, a 12-pixel character height.
//  - lfWidth: average character width in pixels; 0 keeps the face's natural proportions,
//    anything else stretches or narrows the text horizontally.
//  - lfEscapement: direction of the text in tenths of a degree, counter-clockwise from the
//    x axis; 2700 makes text run downward, 900 upward. lfOrientation is kept but not used.
//  - lfWeight: 100 to 900, 0 meaning normal (400).
//  - lfFaceName: UTF-8 face name; a face missing on the machine is replaced by the desktop's
//    standard face, so text always renders the same way on one machine.
struct LOGFONT {
    LONG lfHeight = 0;
    LONG lfWidth = 0;
    LONG lfEscapement = 0;
    LONG lfOrientation = 0;
    LONG lfWeight = FW_NORMAL;
    BYTE lfItalic = 0;
    BYTE lfUnderline = 0;
    BYTE lfStrikeOut = 0;
    BYTE lfCharSet = DEFAULT_CHARSET;
    BYTE lfOutPrecision = 0;
    BYTE lfClipPrecision = 0;
    BYTE lfQuality = 0;
    BYTE lfPitchAndFamily = 0;
    std::string lfFaceName;
};

// Null for a null record. The record is copied; the handle lives until DeleteObject.
HFONT CreateFontIndirect(const LOGFONT* font);
BOOL DeleteObject(HFONT font);
// Copies the record a live font was created from; 0 for an unknown handle.
int GetObject(HFONT font, LOGFONT* record);

// The desktop's message font (the font dialogs and message boxes use), as
// SystemParametersInfo(SPI_GETNONCLIENTMETRICS) reports it.
BOOL KvGetMessageFont(LOGFONT* record);

struct TEXTMETRIC {
    LONG tmHeight = 0;        // ascent + descent
    LONG tmAscent = 0;
    LONG tmDescent = 0;
    LONG tmAveCharWidth = 0;
};
