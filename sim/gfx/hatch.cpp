// Hatch brushes: the 53 hatch patterns as 8 by 8 tiles, each drawn to look like its name, and
// the fill that repeats a tile from the logical origin.
#include <cairo.h>

#include <array>
#include <cstdlib>
#include "gfx/gdiplus.h"
#include "sim/gfx/canvas_impl.h"

namespace {

using Tile = std::array<BYTE, 8>;
using Pred = bool (*)(int x, int y);

int mod(int a, int m) { return ((a % m) + m) % m; }

Tile fromPredicate(Pred on) {
    Tile t{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (on(x, y)) t[y] |= BYTE(0x80 >> x);
    return t;
}

// Percentage greys: the first n thresholds of an 8 by 8 ordered-dither matrix, so that the
// foreground pixels are spread evenly and each level contains the lighter ones.
Tile percent(int pct) {
    static const int bayer[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                                    {12, 44, 4, 36, 14, 46, 6, 38},  {60, 28, 52, 20, 62, 30, 54, 22},
                                    {3, 35, 11, 43, 1, 33, 9, 41},   {51, 19, 59, 27, 49, 17, 57, 25},
                                    {15, 47, 7, 39, 13, 45, 5, 37},  {63, 31, 55, 23, 61, 29, 53, 21}};
    const int n = (pct * 64 + 50) / 100;
    Tile t{};
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            if (bayer[y][x] < n) t[y] |= BYTE(0x80 >> x);
    return t;
}

// Scattered marks: the listed top-left corners, each stamped as a size-by-size block (wrapping).
Tile scatter(std::initializer_list<std::pair<int, int>> at, int size) {
    Tile t{};
    for (auto [x0, y0] : at)
        for (int dy = 0; dy < size; ++dy)
            for (int dx = 0; dx < size; ++dx) t[mod(y0 + dy, 8)] |= BYTE(0x80 >> mod(x0 + dx, 8));
    return t;
}

const std::array<Tile, Gdiplus::HatchStyleTotal>& tiles() {
    static const std::array<Tile, Gdiplus::HatchStyleTotal> all = [] {
        std::array<Tile, Gdiplus::HatchStyleTotal> t{};
        using namespace Gdiplus;
        t[HatchStyleHorizontal] = fromPredicate([](int, int y) { return y == 0; });
        t[HatchStyleVertical] = fromPredicate([](int x, int) { return x == 0; });
        t[HatchStyleForwardDiagonal] = fromPredicate([](int x, int y) { return x == y; });        // "\"
        t[HatchStyleBackwardDiagonal] = fromPredicate([](int x, int y) { return x + y == 7; });   // "/"
        t[HatchStyleCross] = fromPredicate([](int x, int y) { return x == 0 || y == 0; });
        t[HatchStyleDiagonalCross] = fromPredicate([](int x, int y) { return x == y || x + y == 7; });
        const int pcts[] = {5, 10, 20, 25, 30, 40, 50, 60, 70, 75, 80, 90};
        for (int i = 0; i < 12; ++i) t[HatchStyle05Percent + i] = percent(pcts[i]);
        t[HatchStyleLightDownwardDiagonal] = fromPredicate([](int x, int y) { return mod(x - y, 4) == 0; });
        t[HatchStyleLightUpwardDiagonal] = fromPredicate([](int x, int y) { return mod(x + y, 4) == 3; });
        t[HatchStyleDarkDownwardDiagonal] = fromPredicate([](int x, int y) { return mod(x - y, 4) < 2; });
        t[HatchStyleDarkUpwardDiagonal] = fromPredicate([](int x, int y) { return mod(x + y, 4) >= 2; });
        t[HatchStyleWideDownwardDiagonal] = fromPredicate([](int x, int y) { return mod(x - y, 8) < 3; });
        t[HatchStyleWideUpwardDiagonal] = fromPredicate([](int x, int y) { return mod(x + y, 8) >= 5; });
        t[HatchStyleLightVertical] = fromPredicate([](int x, int) { return x % 4 == 0; });
        t[HatchStyleLightHorizontal] = fromPredicate([](int, int y) { return y % 4 == 0; });
        t[HatchStyleNarrowVertical] = fromPredicate([](int x, int) { return x % 2 == 0; });
        t[HatchStyleNarrowHorizontal] = fromPredicate([](int, int y) { return y % 2 == 0; });
        t[HatchStyleDarkVertical] = fromPredicate([](int x, int) { return x % 4 < 2; });
        t[HatchStyleDarkHorizontal] = fromPredicate([](int, int y) { return y % 4 < 2; });
        // Dashed diagonals: four-pixel diagonal dashes in the upper half of each tile.
        t[HatchStyleDashedDownwardDiagonal] = fromPredicate([](int x, int y) { return y < 4 && mod(x - y, 4) == 0; });
        t[HatchStyleDashedUpwardDiagonal] = fromPredicate([](int x, int y) { return y < 4 && mod(x + y, 4) == 3; });
        // Dashed lines: half-tile dashes, staggered between the two lines of a tile.
        t[HatchStyleDashedHorizontal] = fromPredicate([](int x, int y) { return (y == 0 && x < 4) || (y == 4 && x >= 4); });
        t[HatchStyleDashedVertical] = fromPredicate([](int x, int y) { return (x == 0 && y < 4) || (x == 4 && y >= 4); });
        t[HatchStyleSmallConfetti] = scatter({{0, 0}, {5, 1}, {2, 2}, {7, 3}, {3, 4}, {6, 5}, {1, 6}, {4, 7}}, 1);
        t[HatchStyleLargeConfetti] = scatter({{0, 0}, {4, 1}, {6, 4}, {2, 5}}, 2);
        // Zig-zag: a horizontal line that climbs and falls by one pixel per column.
        t[HatchStyleZigZag] = fromPredicate([](int x, int y) { return y == (x < 4 ? x : 7 - x); });
        // Wave: a rounded horizontal wave, one period per tile.
        t[HatchStyleWave] = fromPredicate([](int x, int y) {
            static const int h[8] = {2, 1, 1, 2, 3, 4, 4, 3};
            return y == h[x];
        });
        // Bricks laid along "/" with "\" joints.
        t[HatchStyleDiagonalBrick] = Tile{0x01, 0x02, 0x04, 0x08, 0x18, 0x24, 0x42, 0x81};
        t[HatchStyleHorizontalBrick] = fromPredicate([](int x, int y) {
            return y == 0 || y == 4 || (y < 4 && x == 0) || (y > 4 && x == 4);
        });
        // Weave: 4 by 4 blocks of horizontal and vertical threads, alternating like a basket.
        t[HatchStyleWeave] = fromPredicate([](int x, int y) {
            const bool horizontalBlock = ((x / 4) + (y / 4)) % 2 == 0;
            return horizontalBlock ? y % 2 == 0 : x % 2 == 0;
        });
        // Plaid: a horizontal and a vertical band of half-tone, solid where they cross.
        t[HatchStylePlaid] = fromPredicate([](int x, int y) {
            const bool h = y < 4, v = x < 4;
            return (h && v) || ((h || v) && (x + y) % 2 == 0);
        });
        // Divots: small chevrons pointing right and left, scattered.
        t[HatchStyleDivot] = fromPredicate([](int x, int y) {
            return (x == 2 && (y == 1 || y == 3)) || (x == 3 && y == 2) || (x == 7 && (y == 5 || y == 7)) ||
                   (x == 6 && y == 6);
        });
        t[HatchStyleDottedGrid] = fromPredicate([](int x, int y) { return (y == 0 && x % 2 == 0) || (x == 0 && y % 2 == 0); });
        t[HatchStyleDottedDiamond] = fromPredicate([](int x, int y) { return x % 2 == 0 && (x == y || mod(x + y, 8) == 0); });
        // Shingles: rows of rounded scales, each row offset by half a scale.
        t[HatchStyleShingle] = Tile{0x81, 0x42, 0x3C, 0x00, 0x18, 0x24, 0xC3, 0x00};
        // Trellis: two-pixel slats crossing diagonally around diamond holes.
        t[HatchStyleTrellis] = fromPredicate([](int x, int y) { return mod(x - y, 8) < 2 || mod(x + y, 8) < 2; });
        // Spheres: a ball per tile with a highlight at its upper left, apart from its neighbours.
        t[HatchStyleSphere] = Tile{0x00, 0x3C, 0x4E, 0x5E, 0x7E, 0x7E, 0x3C, 0x00};
        t[HatchStyleSmallGrid] = fromPredicate([](int x, int y) { return x % 4 == 0 || y % 4 == 0; });
        t[HatchStyleSmallCheckerBoard] = fromPredicate([](int x, int y) { return (x / 2 + y / 2) % 2 == 0; });
        t[HatchStyleLargeCheckerBoard] = fromPredicate([](int x, int y) { return (x / 4 + y / 4) % 2 == 0; });
        t[HatchStyleOutlinedDiamond] = fromPredicate([](int x, int y) { return std::abs(2 * x - 7) + std::abs(2 * y - 7) == 8; });
        t[HatchStyleSolidDiamond] = fromPredicate([](int x, int y) { return std::abs(2 * x - 7) + std::abs(2 * y - 7) <= 6; });
        return t;
    }();
    return all;
}

}  // namespace

bool KvGetHatchTile(int style, BYTE rows[8]) {
    if (style < 0 || style >= Gdiplus::HatchStyleTotal || !rows) return false;
    const Tile& t = tiles()[style];
    for (int i = 0; i < 8; ++i) rows[i] = t[i];
    return true;
}

void KvFillHatch(HDC dc, const RECT& whole, int style, COLORREF fore, COLORREF back) {
    sim::gfx::Canvas* c = sim::gfx::lookup(dc);
    RECT r;
    if (!c || !sim::gfx::partOnSurface(*c, whole, &r)) return;
    BYTE rows[8];
    if (!KvGetHatchTile(style, rows)) return FillSolidRect(dc, r, back);
    cairo_surface_t* tile = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 8, 8);
    unsigned char* data = cairo_image_surface_get_data(tile);
    const int stride = cairo_image_surface_get_stride(tile);
    auto rgb = [](COLORREF c) {
        return std::uint32_t(GetRValue(c)) << 16 | std::uint32_t(GetGValue(c)) << 8 | GetBValue(c);
    };
    for (int y = 0; y < 8; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
        for (int x = 0; x < 8; ++x) row[x] = (rows[y] & (0x80 >> x)) ? rgb(fore) : rgb(back);
    }
    cairo_surface_mark_dirty(tile);
    cairo_t* cr = c->cr;
    cairo_save(cr);
    sim::gfx::pixelMode(cr);
    cairo_set_source_surface(cr, tile, 0, 0);   // tiles start at the logical origin
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_REPEAT);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, r.left, r.top, r.right - r.left, r.bottom - r.top);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(tile);
}
