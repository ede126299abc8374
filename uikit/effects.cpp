#include "uikit/effects.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>
#include "gfx/gdiplus.h"

namespace kvui {
namespace {

constexpr std::array<std::string_view, EffectCount> kNames = {"SOLID",
                                                              "HGRADIENT",
                                                              "VGRADIENT",
                                                              "HCGRADIENT",
                                                              "HVGRADIENT",
                                                              "3HGRADIENT",
                                                              "3VGRADIENT",
                                                              "NOISE",
                                                              "DIAGSHADE",
                                                              "HSHADE",
                                                              "VSHADE",
                                                              "HBUMP",
                                                              "VBUMP",
                                                              "SOFTBUMP",
                                                              "HARDBUMP",
                                                              "METAL",
                                                              "HatchStyleHorizontal",
                                                              "HatchStyleVertical",
                                                              "HatchStyleForwardDiagonal",
                                                              "HatchStyleBackwardDiagonal",
                                                              "HatchStyleCross",
                                                              "HatchStyleDiagonalCross",
                                                              "HatchStyle05Percent",
                                                              "HatchStyle10Percent",
                                                              "HatchStyle20Percent",
                                                              "HatchStyle25Percent",
                                                              "HatchStyle30Percent",
                                                              "HatchStyle40Percent",
                                                              "HatchStyle50Percent",
                                                              "HatchStyle60Percent",
                                                              "HatchStyle70Percent",
                                                              "HatchStyle75Percent",
                                                              "HatchStyle80Percent",
                                                              "HatchStyle90Percent",
                                                              "HatchStyleLightDownwardDiagonal",
                                                              "HatchStyleLightUpwardDiagonal",
                                                              "HatchStyleDarkDownwardDiagonal",
                                                              "HatchStyleDarkUpwardDiagonal",
                                                              "HatchStyleWideDownwardDiagonal",
                                                              "HatchStyleWideUpwardDiagonal",
                                                              "HatchStyleLightVertical",
                                                              "HatchStyleLightHorizontal",
                                                              "HatchStyleNarrowVertical",
                                                              "HatchStyleNarrowHorizontal",
                                                              "HatchStyleDarkVertical",
                                                              "HatchStyleDarkHorizontal",
                                                              "HatchStyleDashedDownwardDiagonal",
                                                              "HatchStyleDashedUpwardDiagonal",
                                                              "HatchStyleDashedHorizontal",
                                                              "HatchStyleDashedVertical",
                                                              "HatchStyleSmallConfetti",
                                                              "HatchStyleLargeConfetti",
                                                              "HatchStyleZigZag",
                                                              "HatchStyleWave",
                                                              "HatchStyleDiagonalBrick",
                                                              "HatchStyleHorizontalBrick",
                                                              "HatchStyleWeave",
                                                              "HatchStylePlaid",
                                                              "HatchStyleDivot",
                                                              "HatchStyleDottedGrid",
                                                              "HatchStyleDottedDiamond",
                                                              "HatchStyleShingle",
                                                              "HatchStyleTrellis",
                                                              "HatchStyleSphere",
                                                              "HatchStyleSmallGrid",
                                                              "HatchStyleSmallCheckerBoard",
                                                              "HatchStyleLargeCheckerBoard",
                                                              "HatchStyleOutlinedDiamond",
                                                              "HatchStyleSolidDiamond"};

static_assert(EffectCount - EffectFirstHatch == Gdiplus::HatchStyleTotal);

// Colour arithmetic in the 0x00BBGGRR layout.
COLORREF mix(COLORREF a, COLORREF b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return RGB(ch(GetRValue(a), GetRValue(b)), ch(GetGValue(a), GetGValue(b)), ch(GetBValue(a), GetBValue(b)));
}

COLORREF shift(COLORREF c, int delta) {
    auto ch = [delta](int x) { return std::clamp(x + delta, 0, 255); };
    return RGB(ch(GetRValue(c)), ch(GetGValue(c)), ch(GetBValue(c)));
}

// A fixed, position-based hash: the noise of a pixel does not depend on what was drawn before.
std::uint32_t hash(std::uint32_t x, std::uint32_t y, std::uint32_t seed) {
    std::uint32_t h = seed ^ (x * 0x9E3779B1u) ^ (y * 0x85EBCA77u);
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return h;
}
double unit(std::uint32_t h) { return (h & 0xFFFFFF) / double(0x1000000); }

constexpr std::uint32_t kSeed = 0x4B56u;   // fixed: noise and metal look the same on every paint

// Draws a colour function pixel by pixel through a bitmap (for the effects that no primitive
// draws). `at` receives coordinates relative to the rectangle's top left.
template <class F>
void fillPixels(HDC dc, const RECT& r, F at) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<std::uint32_t> px(std::size_t(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = at(x, y);
            px[std::size_t(y) * w + x] =
                0xFF000000u | std::uint32_t(GetRValue(c)) << 16 | std::uint32_t(GetGValue(c)) << 8 | GetBValue(c);
        }
    HBITMAP bm = KvCreateBitmap(w, h, px.data());
    if (!bm) return;
    KvDrawBitmap(dc, r.left, r.top, bm, KVBMP_NORMAL);
    DeleteObject(bm);
}

void gradient(HDC dc, const RECT& r, std::initializer_list<COLORREF> colours, DWORD mode,
              const float* positions = nullptr) {
    std::vector<COLORREF> c(colours);
    KvGradientFill(dc, r, c.data(), positions, int(c.size()), mode);
}

// Stepped bands along one axis: band i of n takes the colour i/(n-1) of the way.
void bands(HDC dc, const RECT& r, COLORREF from, COLORREF to, int band, bool alongX) {
    const int len = alongX ? r.right - r.left : r.bottom - r.top;
    band = std::clamp(band, 1, std::max(1, len / 4));
    const int n = (len + band - 1) / band;
    for (int i = 0; i < n; ++i) {
        const COLORREF c = mix(from, to, n > 1 ? double(i) / (n - 1) : 0.0);
        RECT b = r;
        if (alongX) {
            b.left = r.left + i * band;
            b.right = std::min<LONG>(r.right, b.left + band);
        } else {
            b.top = r.top + i * band;
            b.bottom = std::min<LONG>(r.bottom, b.top + band);
        }
        FillSolidRect(dc, b, c);
    }
}

void bump(HDC dc, const RECT& r, COLORREF start, COLORREF middle, COLORREF end, DWORD mode) {
    static const float at[] = {0.0f, 0.3f, 0.62f, 1.0f};
    const COLORREF highlight = mix(middle, RGB(255, 255, 255), 0.6);
    gradient(dc, r, {mix(start, end, 0.5), highlight, start, end}, mode, at);
}

void softBump(HDC dc, const RECT& r, COLORREF start, COLORREF end) {
    const int depth = std::max(1, int(std::min(r.right - r.left, r.bottom - r.top)) / 2);
    for (int i = 0; i < depth; ++i) {
        const double t = double(i) / depth;
        const double eased = t * t * (3 - 2 * t);
        KvFrameRect(dc, {r.left + i, r.top + i, r.right - i, r.bottom - i},
                    KVPEN{PS_SOLID, 1, mix(end, start, eased), false});
    }
    FillSolidRect(dc, {r.left + depth, r.top + depth, r.right - depth, r.bottom - depth}, start);
}

void hardBump(HDC dc, const RECT& r, COLORREF start, COLORREF end, int granularity) {
    FillSolidRect(dc, r, start);
    const int bevel = std::clamp(granularity * 3 / 4, 2, 16);
    const COLORREF light = mix(start, RGB(255, 255, 255), 0.85);
    const COLORREF dark = mix(start, end, 0.8);
    for (int i = 0; i < bevel && r.left + 2 * i < r.right && r.top + 2 * i < r.bottom; ++i)
        Draw3dRect(dc, {r.left + i, r.top + i, r.right - i, r.bottom - i}, light, i == 0 ? end : dark);
}

void metal(HDC dc, const RECT& r, COLORREF start, COLORREF middle, COLORREF end) {
    const int h = r.bottom - r.top;
    // Base profile from top to bottom: a shade of start, a bright sheen from middle, start, then
    // darkening to end; the brushed streaks go over it.
    const COLORREF stops[] = {mix(start, end, 0.3), mix(middle, RGB(255, 255, 255), 0.4), start, mix(start, end, 0.55),
                              end};
    const double at[] = {0.0, 0.25, 0.5, 0.8, 1.0};
    fillPixels(dc, r, [&](int x, int y) {
        const double t = h > 1 ? double(y) / (h - 1) : 0.0;
        int i = 0;
        while (i < 3 && t > at[i + 1]) ++i;
        const COLORREF base = mix(stops[i], stops[i + 1], (t - at[i]) / (at[i + 1] - at[i]));
        // Streaks: each row has its own brightness that drifts slowly along the row.
        const double row = unit(hash(0, std::uint32_t(y), kSeed)) - 0.5;
        const int seg = x / 24;
        const double f = (x % 24) / 24.0;
        const double drift = unit(hash(std::uint32_t(seg), std::uint32_t(y), kSeed + 1)) * (1 - f) +
            unit(hash(std::uint32_t(seg + 1), std::uint32_t(y), kSeed + 1)) * f - 0.5;
        const double grain = unit(hash(std::uint32_t(x), std::uint32_t(y), kSeed + 2)) - 0.5;
        return shift(base, int(std::lround(row * 36 + drift * 24 + grain * 8)));
    });
}

}   // namespace

const std::array<std::string_view, EffectCount>& EffectNames() { return kNames; }

std::string_view EffectName(int effect) {
    return effect >= 0 && effect < EffectCount ? kNames[std::size_t(effect)] : std::string_view();
}

void FillEffect(HDC dc, const RECT& r, int effect, COLORREF start, COLORREF middle, COLORREF end, int granularity) {
    if (r.right <= r.left || r.bottom <= r.top) return;
    granularity = std::clamp(granularity, 1, 64);
    if (effect >= EffectFirstHatch && effect < EffectCount)
        return KvFillHatch(dc, r, effect - EffectFirstHatch, end, start);
    switch (effect) {
    case EffectHGradient: return gradient(dc, r, {start, end}, GRADIENT_FILL_RECT_H);
    case EffectVGradient: return gradient(dc, r, {start, end}, GRADIENT_FILL_RECT_V);
    case EffectHCGradient: return gradient(dc, r, {start, end, start}, GRADIENT_FILL_RECT_H);
    case EffectHVGradient: return gradient(dc, r, {start, end, start}, GRADIENT_FILL_RECT_V);
    case Effect3HGradient: return gradient(dc, r, {start, middle, end}, GRADIENT_FILL_RECT_H);
    case Effect3VGradient: return gradient(dc, r, {start, middle, end}, GRADIENT_FILL_RECT_V);
    case EffectNoise:
        return fillPixels(dc, r, [&](int x, int y) {
            return mix(start, end, unit(hash(std::uint32_t(x / granularity), std::uint32_t(y / granularity), kSeed)));
        });
    case EffectDiagShade: {
        const int band = 2 * granularity;
        const int len = (r.right - r.left) + (r.bottom - r.top) - 1;
        const int n = std::max(1, (len + band - 1) / band);
        return fillPixels(
            dc, r, [&](int x, int y) { return mix(start, end, n > 1 ? double((x + y) / band) / (n - 1) : 0.0); });
    }
    case EffectHShade: return bands(dc, r, start, end, 2 * granularity, true);
    case EffectVShade: return bands(dc, r, start, end, 2 * granularity, false);
    case EffectHBump: return bump(dc, r, start, middle, end, GRADIENT_FILL_RECT_V);
    case EffectVBump: return bump(dc, r, start, middle, end, GRADIENT_FILL_RECT_H);
    case EffectSoftBump: return softBump(dc, r, start, end);
    case EffectHardBump: return hardBump(dc, r, start, end, granularity);
    case EffectMetal: return metal(dc, r, start, middle, end);
    default: return FillSolidRect(dc, r, start);
    }
}

}   // namespace kvui
