// Painting costs of the tab bar's ingredients: effect fills of a 1600 by 40 bar, 20 captions
// with ellipsis (with and without halo), and a whole buffered bar of 20 tabs.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>
#include "gfx/gdiplus.h"
#include "uikit/effects.h"
#include "uikit/paint.h"

namespace {

constexpr int kW = 1600, kH = 40;
constexpr COLORREF kFace = RGB(240, 240, 240), kEnd = RGB(142, 142, 142);

HFONT makeFont(LONG weight) {
    LOGFONT lf;
    lf.lfHeight = -12;
    lf.lfWeight = weight;
    lf.lfFaceName = "Segoe UI";
    return CreateFontIndirect(&lf);
}

std::vector<std::string> captions() {
    std::vector<std::string> out;
    for (int i = 0; i < 20; ++i)
        out.push_back("Level " + std::to_string(i) + " floor plan with services revision " + std::string(1, char('A' + i)) +
                      ".dwg");
    return out;
}

void BM_FillEffect(benchmark::State& state) {
    HDC dc = KvCreateBufferDC(nullptr, kW, kH);
    const int effect = int(state.range(0));
    for (auto _ : state) kvui::FillEffect(dc, {0, 0, kW, kH}, effect, kFace, kFace, kEnd);
    state.SetLabel(std::string(kvui::EffectName(effect)));
    DeleteDC(dc);
}
BENCHMARK(BM_FillEffect)
    ->Arg(kvui::EffectSolid)
    ->Arg(kvui::EffectVGradient)
    ->Arg(kvui::Effect3HGradient)
    ->Arg(kvui::EffectNoise)
    ->Arg(kvui::EffectDiagShade)
    ->Arg(kvui::EffectSoftBump)
    ->Arg(kvui::EffectMetal)
    ->Arg(kvui::HatchEffect(Gdiplus::HatchStyleWeave))
    ->Unit(benchmark::kMicrosecond);

void BM_Labels(benchmark::State& state) {
    HDC dc = KvCreateBufferDC(nullptr, kW, kH);
    HFONT font = makeFont(FW_MEDIUM);
    const auto texts = captions();
    const bool halo = state.range(0) & 1;
    const bool fresh = state.range(0) & 2;   // new texts every time: nothing comes from the cache
    long round = 0;
    for (auto _ : state) {
        ++round;
        for (int i = 0; i < 20; ++i) {
            RECT r{i * 80 + 20, 3, i * 80 + 74, 37};
            const UINT fmt = DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS;
            const std::string text = fresh ? std::to_string(round) + texts[i] : texts[i];
            if (halo) KvDrawTextHalo(dc, text, &r, fmt, font, RGB(0, 0, 128), RGB(255, 255, 128), 8);
            else DrawText(dc, text, &r, fmt, font, RGB(0, 0, 128));
        }
    }
    state.SetLabel(std::string("20 labels") + (halo ? ", halo 8" : "") + (fresh ? ", new texts" : ", repainted"));
    DeleteObject(font);
    DeleteDC(dc);
}
BENCHMARK(BM_Labels)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);

// A bar as the tab strip paints it: background, 20 tabs of 80 pixels with frame and caption,
// the selected one with the effect fill, outline and band, all through one buffer.
void BM_BufferedBar(benchmark::State& state) {
    HDC screen = KvCreateBufferDC(nullptr, kW, kH);
    HFONT sel = makeFont(FW_SEMIBOLD), unsel = makeFont(FW_MEDIUM);
    const auto texts = captions();
    for (auto _ : state) {
        kvui::BufferedPaint paint(screen, {0, 0, kW, kH});
        HDC dc = paint.dc();
        FillSolidRect(dc, {0, 0, kW, kH}, RGB(138, 138, 138));
        for (int i = 19; i >= 0; --i) {
            const RECT tab{i * 80 + 2, 2, i * 80 + 80, 28};
            const bool selected = i == 7;
            if (selected) kvui::FillEffect(dc, tab, kvui::EffectVGradient, kFace, kFace, kEnd);
            else FillSolidRect(dc, tab, kFace);
            RECT text{tab.left + 20, tab.top, tab.right - 10, tab.bottom};
            KvDrawTextHalo(dc, texts[i], &text, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS,
                           selected ? sel : unsel, selected ? RGB(0, 0, 128) : RGB(128, 128, 128), RGB(255, 255, 128), 8);
            if (!selected) kvui::FrameStyled(dc, tab, kvui::FrameDot, 1, kFace);
        }
        const POINT outline[] = {{0, 28}, {563, 28}, {563, 3}, {639, 3}, {639, 28}, {kW, 28}};
        KvPolyline(dc, outline, 6, KVPEN{PS_SOLID, 2, kFace, true});
        KvLine(dc, {0, 32}, {kW, 32}, KVPEN{PS_SOLID, 8, kEnd, true});
    }
    DeleteObject(sel);
    DeleteObject(unsel);
    DeleteDC(screen);
}
BENCHMARK(BM_BufferedBar)->Unit(benchmark::kMicrosecond);

}  // namespace
