// The drawing surface (the role of GDI and GDI+ for the plug-in).
//
// Shape. A canvas is an HDC handle, as a device context is on Windows: the window painting code
// receives one (WM_PAINT), buffered painting creates one off-screen and copies it back. The
// functions are free functions named after their GDI or MFC counterparts, but what they draw
// with (colour, pen, font) is passed as an argument instead of being selected into the context
// first; that keeps the plug-in free of selection bookkeeping and maps one to one onto GDI and
// GDI+ calls when the boundary is implemented on Windows. Functions with a Kv prefix have no
// single GDI counterpart (they stand for a few GDI+ calls).
//
// Coordinates are logical pixels: device pixels shifted by the viewport origin.
//  - Rectangles include left/top and exclude right/bottom, as in GDI: {0,0,10,5} covers 50 pixels.
//  - Points of lines and polylines name pixel centres (the GDI+ convention): a 1-pixel line from
//    (0,2) to (9,2) covers row 2; a line of width w is centred on its points.
// Colours are COLORREF (0x00BBGGRR). Drawing outside the canvas or a null/unknown handle is
// harmless and draws nothing.
#pragma once
#include <string_view>
#include "gfx/bitmap.h"
#include "gfx/font.h"
#include "win/types.h"

struct HDC__;
using HDC = HDC__*;

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;

// ---- Canvases and buffers --------------------------------------------------------------------

// An off-screen canvas of the given size, filled white (CreateCompatibleDC with a compatible
// bitmap of that size selected into it). The reference canvas may be null. Null for a size below
// 1 or above 16384 on a side.
HDC KvCreateBufferDC(HDC reference, int width, int height);
BOOL DeleteDC(HDC dc);
// Size of the canvas in device pixels; {0,0} for an unknown handle.
SIZE KvGetCanvasSize(HDC dc);

constexpr DWORD SRCCOPY = 0x00CC0020;
// Copies cx by cy pixels from (xSrc, ySrc) of the source canvas to (x, y) of the destination.
BOOL BitBlt(HDC dest, int x, int y, int cx, int cy, HDC source, int xSrc, int ySrc, DWORD rop = SRCCOPY);

// A new bitmap holding a copy of the canvas's pixels (the bitmap an off-screen canvas draws
// into, as CreateCompatibleBitmap and BitBlt hand it out). Null for an unknown canvas.
HBITMAP KvCreateBitmapFromCanvas(HDC dc);

// ---- Viewport origin and clipping -------------------------------------------------------------

// Logical (0,0) is drawn at device (x, y).
BOOL SetViewportOrgEx(HDC dc, int x, int y, POINT* previous);
// Saves origin and clip; RestoreDC(dc, -1) restores the most recent save, RestoreDC(dc, n)
// the state saved by the call that returned n (and drops later saves).
int SaveDC(HDC dc);
BOOL RestoreDC(HDC dc, int saved);
// Narrows the clip region to its intersection with the rectangle (logical coordinates).
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int ERROR_REGION = 0;
int IntersectClipRect(HDC dc, int left, int top, int right, int bottom);

// ---- Pixels --------------------------------------------------------------------------------

// CLR_INVALID outside the canvas or the clip.
COLORREF GetPixel(HDC dc, int x, int y);
COLORREF SetPixel(HDC dc, int x, int y, COLORREF colour);

// ---- Rectangles and lines ------------------------------------------------------------------

void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour);
// A 1-pixel frame inside the rectangle: top and left edges in topLeft, bottom and right edges in
// bottomRight (MFC's CDC::Draw3dRect). Raised: highlight, shadow; sunken: shadow, highlight.
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);

// Pen styles (GDI values).
constexpr int PS_SOLID = 0;
constexpr int PS_DASH = 1;         // 18 on, 6 off (times the width for wide pens)
constexpr int PS_DOT = 2;          // 3 on, 3 off
constexpr int PS_DASHDOT = 3;      // 9 on, 6 off, 3 on, 6 off
constexpr int PS_DASHDOTDOT = 4;   // 9 on, 3 off, 3 on, 3 off, 3 on, 3 off
constexpr int PS_NULL = 5;         // draws nothing
constexpr int PS_INSIDEFRAME = 6;  // solid; in frames the width stays inside the rectangle

struct KVPEN {
    int style = PS_SOLID;
    int width = 1;            // below 1 counts as 1 (a cosmetic pen)
    COLORREF colour = 0;
    bool antialias = false;   // GDI+ SmoothingModeAntiAlias for lines and polylines
};

// A frame of pen.width pixels drawn inside the rectangle (as FrameRect, and as Rectangle with an
// inside-frame pen). Dash patterns run clockwise from the top-left corner; frames are never
// antialiased, so they are exact.
void KvFrameRect(HDC dc, const RECT& rect, const KVPEN& pen);
// A line between two pixel centres, both end points included; flat caps.
void KvLine(HDC dc, POINT from, POINT to, const KVPEN& pen);
// Connected segments through count points, with mitred joins.
void KvPolyline(HDC dc, const POINT* points, int count, const KVPEN& pen);

// ---- Gradients and hatches -----------------------------------------------------------------

constexpr DWORD GRADIENT_FILL_RECT_H = 0x00;   // colours run left to right
constexpr DWORD GRADIENT_FILL_RECT_V = 0x01;   // top to bottom
constexpr DWORD KV_GRADIENT_DIAGONAL = 0x10;    // top-left to bottom-right corner
// Fills the rectangle with a linear gradient through count colours (2 or 3 in practice). The
// colours sit at the given positions (0 to 1, increasing; null spaces them evenly). The first
// and last colours are reached at the rectangle's first and last pixel.
void KvGradientFill(HDC dc, const RECT& rect, const COLORREF* colours, const float* positions, int count,
                    DWORD mode);
// Fills the rectangle with a hatch pattern (Gdiplus::HatchStyle, gfx/gdiplus.h): foreground
// pixels in fore, the rest in back. An unknown style fills with back.
void KvFillHatch(HDC dc, const RECT& rect, int hatchStyle, COLORREF fore, COLORREF back);
// The 8 rows of a hatch tile, bit 7 the leftmost pixel; false for an unknown style.
bool KvGetHatchTile(int hatchStyle, BYTE rows[8]);

// ---- Bitmaps -------------------------------------------------------------------------------

constexpr COLORREF KV_TRANSPARENT_KEY = RGB(255, 0, 255);   // magenta: not drawn
constexpr UINT KVBMP_NORMAL = 0x0;
constexpr UINT KVBMP_GREY = 0x1;        // luminance (0.299 R + 0.587 G + 0.114 B), rounded
constexpr UINT KVBMP_LIGHTEN = 0x2;     // each channel c becomes c + (255 - c) / 4 (25 % to white)
constexpr UINT KVBMP_KEYED = 0x10;      // magenta pixels are transparent
// Draws the source rectangle of the bitmap into the destination rectangle, scaled with a
// high-quality filter when the sizes differ. Keyed pixels are removed before scaling, so no
// magenta fringe appears. The bitmap's alpha channel is honoured. FALSE for an unknown bitmap.
BOOL KvDrawBitmap(HDC dc, int x, int y, int cx, int cy, HBITMAP bitmap, int xSrc, int ySrc, int cxSrc,
                  int cySrc, UINT flags);
// The whole bitmap at its own size.
BOOL KvDrawBitmap(HDC dc, int x, int y, HBITMAP bitmap, UINT flags);
// The whole bitmap fitted into the rectangle, keeping its aspect and centred.
BOOL KvDrawBitmapFit(HDC dc, const RECT& rect, HBITMAP bitmap, UINT flags);

// ---- Text ----------------------------------------------------------------------------------

// Width and line height of a single line of text in the font, before any escapement (as
// GetTextExtentPoint32). The canvas may be null.
SIZE KvGetTextExtent(HDC dc, HFONT font, std::string_view text);
BOOL GetTextMetrics(HDC dc, HFONT font, TEXTMETRIC* metrics);

// DrawText formats (GDI values).
constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;
constexpr UINT DT_CALCRECT = 0x0400;
constexpr UINT DT_NOPREFIX = 0x0800;
constexpr UINT DT_PATH_ELLIPSIS = 0x4000;
constexpr UINT DT_END_ELLIPSIS = 0x8000;
constexpr UINT DT_WORD_ELLIPSIS = 0x40000;

// Draws text in the rectangle, clipped to it unless DT_NOCLIP. Returns the height of the text.
//  - DT_SINGLELINE: line breaks count as blanks; DT_VCENTER and DT_BOTTOM need it. Without it,
//    line breaks start new lines and DT_WORDBREAK wraps at the rectangle's width.
//  - DT_END_ELLIPSIS: text wider than the rectangle is cut after the last character that still
//    fits together with "..." appended. DT_WORD_ELLIPSIS cuts at the last word break instead
//    (after a word, before a blank or after '-', '_' or '.'); when not even the first word fits it
//    cuts by characters. Either way the drawn text fits the width; both apply to a single line.
//  - DT_PATH_ELLIPSIS: a path wider than the rectangle loses characters in the middle instead,
//    so that its last component (after the last '/' or '\\') stays whole: "C:\\Pro...\\plan.dwg".
//    When not even "..." and the last component fit, the end of that is cut as DT_END_ELLIPSIS does.
//  - DT_CALCRECT: draws nothing, sets rect->right and rect->bottom to the text's extent.
//  - '&' is drawn as it stands (DT_NOPREFIX is implied).
//  - A font with escapement 900 or 2700 turns the layout box with the text: the text runs along
//    the rectangle's height (downward for 2700, upward for 900), centring and ellipsis use the
//    height as the line length. Other escapements rotate the text about the box's centre.
int DrawText(HDC dc, std::string_view text, RECT* rect, UINT format, HFONT font, COLORREF colour);
// The same, with a halo: the glyph outlines are first stroked in haloColour with a pen of
// haloWidth pixels (round joins), then the text is drawn over it. haloWidth < 1 draws no halo.
int KvDrawTextHalo(HDC dc, std::string_view text, RECT* rect, UINT format, HFONT font, COLORREF colour,
                   COLORREF haloColour, int haloWidth);
