// Effect fills, buffered painting and framed line styles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include "gfx/gdiplus.h"
#include "golden/golden.h"
#include "sim/gfx/canvas.h"
#include "uikit/effects.h"
#include "uikit/paint.h"

namespace {

constexpr COLORREF kStart = RGB(230, 236, 248), kMiddle = RGB(255, 255, 255), kEnd = RGB(50, 80, 140);
constexpr COLORREF kSentinel = RGB(255, 0, 255);

struct Canvas {
    HDC dc;
    Canvas(int w, int h, COLORREF fill = RGB(255, 255, 255)) : dc(sim::gfx::createCanvas(w, h, fill)) {}
    ~Canvas() { DeleteDC(dc); }
    operator HDC() const { return dc; }
    std::vector<std::uint32_t> pixels() const { return sim::gfx::canvasPixels(dc); }
};

TEST(Effects, NamesInIndexOrder) {
    const auto& names = kvui::EffectNames();
    ASSERT_EQ(names.size(), 69u);
    EXPECT_EQ(names[0], "SOLID");
    EXPECT_EQ(names[2], "VGRADIENT");
    EXPECT_EQ(names[5], "3HGRADIENT");
    EXPECT_EQ(names[15], "METAL");
    EXPECT_EQ(names[16 + Gdiplus::HatchStyleHorizontal], "HatchStyleHorizontal");
    EXPECT_EQ(names[16 + Gdiplus::HatchStyle50Percent], "HatchStyle50Percent");
    EXPECT_EQ(names[16 + Gdiplus::HatchStyleDivot], "HatchStyleDivot");
    EXPECT_EQ(names[68], "HatchStyleSolidDiamond");
    EXPECT_EQ(kvui::EffectName(-1), "");
    EXPECT_EQ(kvui::EffectName(69), "");
    EXPECT_EQ(std::set<std::string_view>(names.begin(), names.end()).size(), 69u);
}

TEST(Effects, EveryEffectCoversItsRectangleAndNothingElse) {
    for (int e = 0; e < kvui::EffectCount; ++e) {
        Canvas c(70, 40, kSentinel);
        kvui::FillEffect(c, {5, 7, 64, 33}, e, kStart, kMiddle, kEnd);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 70; ++x) {
                const bool inside = x >= 5 && x < 64 && y >= 7 && y < 33;
                const bool sentinel = GetPixel(c, x, y) == kSentinel;
                ASSERT_EQ(inside, !sentinel) << kvui::EffectName(e) << " at " << x << "," << y;
            }
    }
    Canvas c(10, 10, kSentinel);
    kvui::FillEffect(c, {5, 5, 5, 9}, kvui::EffectNoise, kStart, kMiddle, kEnd);   // empty: nothing
    kvui::FillEffect(c, {5, 5, 9, 2}, kvui::EffectMetal, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 5, 5), kSentinel);
}

TEST(Effects, GradientsPlaceTheirColours) {
    Canvas c(101, 41);
    const RECT r{0, 0, 101, 41};
    kvui::FillEffect(c, r, kvui::EffectHGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 0, 20), kStart);
    EXPECT_EQ(GetPixel(c, 100, 20), kEnd);
    kvui::FillEffect(c, r, kvui::EffectVGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 50, 0), kStart);
    EXPECT_EQ(GetPixel(c, 50, 40), kEnd);
    kvui::FillEffect(c, r, kvui::EffectHCGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 0, 5), kStart);
    EXPECT_EQ(GetPixel(c, 50, 5), kEnd);
    EXPECT_EQ(GetPixel(c, 100, 5), kStart);
    kvui::FillEffect(c, r, kvui::EffectHVGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 5, 20), kEnd);
    EXPECT_EQ(GetPixel(c, 5, 40), kStart);
    kvui::FillEffect(c, r, kvui::Effect3VGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 5, 20), kMiddle);
    kvui::FillEffect(c, r, kvui::Effect3HGradient, kStart, kMiddle, kEnd);
    EXPECT_EQ(GetPixel(c, 50, 20), kMiddle);
    kvui::FillEffect(c, r, 1000, kStart, kMiddle, kEnd);   // out of range: solid start
    EXPECT_EQ(GetPixel(c, 77, 13), kStart);
}

TEST(Effects, ShadesStepInBands) {
    Canvas c(64, 20);
    kvui::FillEffect(c, {0, 0, 64, 20}, kvui::EffectHShade, kStart, kMiddle, kEnd, 4);
    std::set<COLORREF> colours;
    for (int x = 0; x < 64; ++x) colours.insert(GetPixel(c, x, 10));
    EXPECT_EQ(colours.size(), 8u) << "bands of twice the granularity";
    EXPECT_EQ(GetPixel(c, 0, 10), GetPixel(c, 7, 10));
    EXPECT_NE(GetPixel(c, 7, 10), GetPixel(c, 8, 10));
    EXPECT_EQ(GetPixel(c, 0, 10), kStart);
    EXPECT_EQ(GetPixel(c, 63, 10), kEnd);
}

TEST(Effects, NoiseAndMetalAreSeededTextures) {
    for (int e : {int(kvui::EffectNoise), int(kvui::EffectMetal)}) {
        Canvas a(80, 30), b(80, 30);
        kvui::FillEffect(a, {0, 0, 80, 30}, e, kStart, kMiddle, kEnd);
        kvui::FillEffect(b, {0, 0, 80, 30}, e, kStart, kMiddle, kEnd);
        EXPECT_EQ(a.pixels(), b.pixels()) << kvui::EffectName(e);
        const auto px = a.pixels();
        EXPECT_GT(std::set<std::uint32_t>(px.begin(), px.end()).size(), 30u) << kvui::EffectName(e);
    }
    // Granularity sets the grain of the noise.
    Canvas g(40, 40);
    kvui::FillEffect(g, {0, 0, 40, 40}, kvui::EffectNoise, kStart, kMiddle, kEnd, 5);
    EXPECT_EQ(GetPixel(g, 10, 10), GetPixel(g, 14, 14));
}

TEST(Effects, HatchEntriesDrawTheirPatternInEndOverStart) {
    for (int s = 0; s < Gdiplus::HatchStyleTotal; ++s) {
        Canvas a(24, 16), b(24, 16);
        kvui::FillEffect(a, {0, 0, 24, 16}, kvui::EffectFirstHatch + s, kStart, kMiddle, kEnd);
        KvFillHatch(b, {0, 0, 24, 16}, s, kEnd, kStart);
        EXPECT_EQ(a.pixels(), b.pixels()) << kvui::EffectName(kvui::EffectFirstHatch + s);
    }
}

TEST(Effects, GoldenSample) {
    const int effects[] = {kvui::EffectVGradient, kvui::Effect3HGradient, kvui::EffectNoise, kvui::EffectDiagShade,
                           kvui::EffectHBump,     kvui::EffectSoftBump,   kvui::EffectHardBump, kvui::EffectMetal,
                           kvui::HatchEffect(Gdiplus::HatchStyleWeave), kvui::HatchEffect(Gdiplus::HatchStyleSphere)};
    Canvas c(240, 160);
    int i = 0;
    for (int e : effects) {
        const int x = (i % 2) * 120, y = (i / 2) * 32;
        kvui::FillEffect(c, {x + 2, y + 2, x + 118, y + 30}, e, kStart, kMiddle, kEnd);
        ++i;
    }
    EXPECT_TRUE(kvtest::matchesGolden(c, "effects_sample", 4, 0.0));
}

// The contact sheet of all effects (docs/effects.png): written to the build tree, or to the
// path in KV_EFFECT_SHEET.
TEST(Effects, ContactSheet) {
    constexpr int cols = 4, cellW = 250, cellH = 50;
    constexpr int rows = (kvui::EffectCount + cols - 1) / cols;
    Canvas c(cols * cellW, rows * cellH, RGB(250, 250, 250));
    LOGFONT lf;
    lf.lfHeight = -11;
    HFONT font = CreateFontIndirect(&lf);
    for (int e = 0; e < kvui::EffectCount; ++e) {
        const int x = (e % cols) * cellW, y = (e / cols) * cellH;
        const RECT fill{x + 6, y + 4, x + cellW - 6, y + 32};
        kvui::FillEffect(c, fill, e, kStart, kMiddle, kEnd);
        KvFrameRect(c, fill, KVPEN{PS_SOLID, 1, RGB(160, 160, 160)});
        RECT label{x + 6, y + 33, x + cellW - 6, y + cellH - 1};
        DrawText(c, std::to_string(e) + "  " + std::string(kvui::EffectName(e)), &label,
                 DT_SINGLELINE | DT_LEFT | DT_VCENTER | DT_END_ELLIPSIS, font, RGB(0, 0, 0));
    }
    DeleteObject(font);
    const char* out = std::getenv("KV_EFFECT_SHEET");
    const std::string path = out ? out : std::string(KV_TEST_BINARY_DIR) + "/effects.png";
    EXPECT_TRUE(sim::gfx::writePng(c, path));
}

TEST(BufferedPaint, SamePixelsAsDirectPaintingAndCopiedOnce) {
    auto paint = [](HDC dc) {
        kvui::FillEffect(dc, {20, 10, 120, 40}, kvui::HatchEffect(Gdiplus::HatchStyleDiagonalCross), kStart, kMiddle, kEnd);
        FillSolidRect(dc, {30, 15, 50, 25}, RGB(200, 0, 0));
        const POINT pts[] = {{22, 36}, {60, 16}, {116, 36}};
        KvPolyline(dc, pts, 3, KVPEN{PS_SOLID, 2, RGB(0, 0, 0), true});
    };
    Canvas direct(140, 50), target(140, 50);
    paint(direct);
    {
        kvui::BufferedPaint buffered(target, {20, 10, 120, 40});
        EXPECT_TRUE(buffered.buffered());
        paint(buffered.dc());
        EXPECT_EQ(GetPixel(target, 35, 20), RGB(255, 255, 255)) << "nothing reaches the target before the copy";
    }
    const auto want = direct.pixels(), got = target.pixels();
    for (std::size_t i = 0; i < want.size(); ++i)
        ASSERT_EQ(want[i], got[i]) << "pixel " << i % 140 << "," << i / 140;

    Canvas untouched(50, 50);
    {
        kvui::BufferedPaint buffered(untouched, {0, 0, 50, 50});
        FillSolidRect(buffered.dc(), {0, 0, 50, 50}, RGB(0, 0, 0));
        buffered.Discard();
        FillSolidRect(buffered.dc(), {0, 0, 50, 50}, RGB(0, 0, 0));
    }
    EXPECT_EQ(GetPixel(untouched, 25, 25), RGB(255, 255, 255));
    const std::size_t live = sim::gfx::liveCanvasCount();
    {
        kvui::BufferedPaint empty(untouched, {10, 10, 10, 30});   // nothing to buffer: paints directly
        EXPECT_FALSE(empty.buffered());
        EXPECT_EQ(empty.dc(), untouched.dc);
    }
    EXPECT_EQ(sim::gfx::liveCanvasCount(), live);
}

TEST(FrameStyled, StylesWidthsAndDouble) {
    constexpr COLORREF ink = RGB(0, 0, 0);
    auto top = [&](int style, int width) {
        Canvas c(30, 20);
        kvui::FrameStyled(c, {0, 0, 30, 20}, style, width, ink);
        std::string s;
        for (int x = 0; x < 24; ++x) s += GetPixel(c, x, 0) == ink ? '#' : '.';
        return s;
    };
    EXPECT_EQ(top(kvui::FrameNone, 1), std::string(24, '.'));
    EXPECT_EQ(top(kvui::FrameSolid, 0), std::string(24, '.'));
    EXPECT_EQ(top(7, 1), std::string(24, '.'));
    EXPECT_EQ(top(kvui::FrameSolid, 1), std::string(24, '#'));
    EXPECT_EQ(top(kvui::FrameDot, 1), "###...###...###...###...");
    EXPECT_EQ(top(kvui::FrameDashDot, 1), "#########......###......");
    Canvas d(30, 20);
    kvui::FrameStyled(d, {0, 0, 30, 20}, kvui::FrameDouble, 1, ink);
    std::string column;
    for (int y = 0; y < 6; ++y) column += GetPixel(d, 10, y) == ink ? '#' : '.';
    EXPECT_EQ(column, "#.#...");   // a second line two widths inside
}

}  // namespace
