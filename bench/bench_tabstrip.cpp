// Painting the tab bar: a long row costs no more than the tabs that show, and a full repaint of
// a 1600-pixel bar stays well inside a frame.
#include <benchmark/benchmark.h>
#include <memory>
#include "core/app_state.h"
#include "gfx/canvas.h"
#include "res/embedded_resources.h"
#include "sim/desk/desktop.h"
#include "sim/pe/modules.h"
#include "sim/desk/windows.h"
#include "tabstrip/tabctrl.h"

namespace {

struct Bar {
    HWND parent = nullptr;
    AcKvUiTabCtrl tab;
    HDC target = nullptr;

    explicit Bar(int tabs) {
        // The pictures load from the plug-in's resources, so the icons, strips and glyphs are
        // painted as they are in the host.
        if (!App().ownModule)
            App().ownModule = sim::pe::registerModuleBytes(
                "Korvane.arx",
                std::vector<std::uint8_t>(kvEmbeddedResources, kvEmbeddedResources + kvEmbeddedResourcesSize));
        CREATEWINDOW p;
        p.className = "KvBenchParent";
        p.rect = {0, 0, 1600, 32};
        p.style = WS_VISIBLE;
        p.proc = [](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; };
        parent = CreateWindowEx(p);
        tab.Create(parent, {0, 0, 1600, 32}, 1);
        tab.Initialise();
        tab.SetDefaultFonts();
        tab.SetItemSize({32, 26});
        for (int i = 0; i < tabs; ++i) {
            auto* item = new CItemData;
            item->SetPathName("/drawings/plan-" + std::to_string(i) + ".dwg");
            item->isLink = i % 3 == 0;
            item->versionCode = 5 + i % 5;
            item->marked = i % 7 == 0;
            tab.InsertTab(i, "####plan-" + std::to_string(i) + ".dwg", item);
        }
        tab.SetCurSel(0);
        target = KvCreateBufferDC(nullptr, 1600, 32);
    }
    ~Bar() {
        DeleteDC(target);
        tab.Destroy();
        DestroyWindow(parent);
    }
};

void BM_PaintBar(benchmark::State& state) {
    Bar bar(int(state.range(0)));
    bar.tab.Paint(bar.target);   // the first paint measures and caches the captions
    for (auto _ : state) bar.tab.Paint(bar.target);
    state.SetLabel(std::to_string(state.range(0)) + " tabs, 1600 px");
}
BENCHMARK(BM_PaintBar)->Arg(20)->Arg(500)->Unit(benchmark::kMicrosecond);

}  // namespace
