// Effect fills: the background effects of the tab strip and of the options dialog's preview.
//
// An effect number is an index into EffectNames(): 0 to 15 are drawn effects, 16 to 68 the hatch
// patterns (16 + the hatch style, gfx/gdiplus.h). Every effect takes three colours (start,
// middle, end; effects with two colours use start and end) and a granularity:
//
//   0 SOLID        start
//   1 HGRADIENT    start at the left to end at the right
//   2 VGRADIENT    start at the top to end at the bottom
//   3 HCGRADIENT   start at both sides to end in the middle column
//   4 HVGRADIENT   start at top and bottom to end in the middle row
//   5 3HGRADIENT   start, middle, end from left to right
//   6 3VGRADIENT   start, middle, end from top to bottom
//   7 NOISE        grains of granularity pixels, each a random mix of start and end (fixed seed)
//   8 DIAGSHADE    stepped diagonal bands from start (top left) to end (bottom right)
//   9 HSHADE       stepped vertical bands from start (left) to end (right)
//  10 VSHADE       stepped horizontal bands from start (top) to end (bottom)
//  11 HBUMP        a horizontal ridge: end edges, a middle-coloured highlight above a start body
//  12 VBUMP        the same ridge running vertically
//  13 SOFTBUMP     a pillow: end at the edges rising softly to start in the centre
//  14 HARDBUMP     start with a hard bevel (light top and left, end bottom and right)
//  15 METAL        brushed metal: horizontal streaks over start with a sheen of middle, end below
//  16..68          hatch pattern in end (lines) over start (background)
//
// Granularity (1 to 64, default 4): grain size of NOISE, band width (twice the granularity) of
// the shades, bevel width (three quarters of the granularity, at least 2) of HARDBUMP; the others ignore it.
// The same arguments always give the same pixels. An effect number out of range fills SOLID.
#pragma once
#include <array>
#include <string_view>
#include "gfx/canvas.h"
#include "gfx/gdiplus.h"

namespace kvui {

enum Effect {
    EffectSolid = 0,
    EffectHGradient,
    EffectVGradient,
    EffectHCGradient,
    EffectHVGradient,
    Effect3HGradient,
    Effect3VGradient,
    EffectNoise,
    EffectDiagShade,
    EffectHShade,
    EffectVShade,
    EffectHBump,
    EffectVBump,
    EffectSoftBump,
    EffectHardBump,
    EffectMetal,
    EffectFirstHatch,   // 16 + Gdiplus::HatchStyle
    EffectCount = EffectFirstHatch + 53
};

// The effect number of a hatch pattern.
constexpr int HatchEffect(Gdiplus::HatchStyle style) { return int(EffectFirstHatch) + int(style); }

// The names in index order, as the options dialog lists them.
const std::array<std::string_view, EffectCount>& EffectNames();
// The name of one effect; empty for an index out of range.
std::string_view EffectName(int effect);

void FillEffect(HDC dc, const RECT& rect, int effect, COLORREF start, COLORREF middle, COLORREF end,
                int granularity = 4);

}   // namespace kvui
