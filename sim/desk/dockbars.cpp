// The host frame's control bars: docked along the four edges around the drawing area, above the
// command line and the status bar. A delayed show or hide takes effect at the next layout, which
// the frame runs when its message queue is next empty (here: the next pump of posted messages).
#include <algorithm>
#include <vector>
#include "arx/aced.h"
#include "arx/dockbar.h"
#include "sim/desk/windows.h"

namespace sim::desk {
namespace {

struct Bars {
    std::vector<CAcUiDockControlBar*> all;
    std::vector<std::pair<CAcUiDockControlBar*, bool>> delayed;
};
Bars& bars() {
    static Bars b;
    return b;
}

constexpr int kCommandLineHeight = 64;
constexpr int kStatusBarHeight = 22;

}  // namespace

FrameAreas frameAreas() {
    FrameAreas a;
    RECT frame;
    GetClientRect(acedGetAcadFrame(), &frame);
    a.statusBar = {0, frame.bottom - kStatusBarHeight, frame.right, frame.bottom};
    a.commandLine = {0, a.statusBar.top - kCommandLineHeight, frame.right, a.statusBar.top};
    RECT free{0, 0, frame.right, a.commandLine.top};
    for (CAcUiDockControlBar* bar : bars().all) {
        if (!IsWindowVisible(bar->GetSafeHwnd())) continue;   // laid out as shown now
        const DWORD align = bar->GetBarStyle() & CBRS_ALIGN_ANY;
        const bool horizontal = align == CBRS_ALIGN_TOP || align == CBRS_ALIGN_BOTTOM;
        SIZE s = bar->CalcFixedLayout(true, horizontal);
        RECT r;
        if (align == CBRS_ALIGN_BOTTOM) {
            r = {free.left, free.bottom - s.cy, free.right, free.bottom};
            free.bottom = r.top;
        } else if (align == CBRS_ALIGN_LEFT) {
            r = {free.left, free.top, free.left + s.cx, free.bottom};
            free.left = r.right;
        } else if (align == CBRS_ALIGN_RIGHT) {
            r = {free.right - s.cx, free.top, free.right, free.bottom};
            free.right = r.left;
        } else {
            r = {free.left, free.top, free.right, free.top + s.cy};
            free.top = r.bottom;
        }
        a.bars.push_back({bar->GetSafeHwnd(), r});
    }
    a.drawingArea = free;
    return a;
}

void layoutFrame() {
    auto& b = bars();
    for (auto& [bar, show] : std::vector(b.delayed)) {
        if (std::find(b.all.begin(), b.all.end(), bar) != b.all.end()) ShowWindow(bar->GetSafeHwnd(), show ? SW_SHOW : SW_HIDE);
    }
    b.delayed.clear();
    const FrameAreas a = frameAreas();
    for (const auto& [wnd, r] : a.bars) MoveWindow(wnd, r.left, r.top, r.Width(), r.Height(), TRUE);
    HWND view = acedGetAcadDwgView();
    MoveWindow(view, a.drawingArea.left, a.drawingArea.top, a.drawingArea.Width(), a.drawingArea.Height(), TRUE);
}

}  // namespace sim::desk

using sim::desk::bars;

CAcUiDockControlBar::CAcUiDockControlBar() = default;

CAcUiDockControlBar::~CAcUiDockControlBar() { DestroyWindow(); }

bool CAcUiDockControlBar::Create(HWND frame, const std::string& title, DWORD style, UINT id) {
    if (hwnd_) return false;
    CREATEWINDOW p;
    p.className = "KvControlBar";
    p.text = title;
    p.style = 0x40000000;   // WS_CHILD; shown by the frame
    p.parent = frame;
    p.id = id;
    p.proc = [this](HWND, UINT msg, WPARAM wp, LPARAM lp) { return WindowProc(msg, wp, lp); };
    style_ = style & CBRS_BAR_STYLE_BITS;
    hwnd_ = CreateWindowEx(p);
    if (!hwnd_) return false;
    bars().all.push_back(this);
    return true;
}

void CAcUiDockControlBar::DestroyWindow() {
    auto& b = bars();
    std::erase(b.all, this);
    std::erase_if(b.delayed, [&](const auto& d) { return d.first == this; });
    if (hwnd_) ::DestroyWindow(hwnd_);
    hwnd_ = nullptr;
}

void CAcUiDockControlBar::SetBarStyle(DWORD style) { style_ = style & CBRS_BAR_STYLE_BITS; }

// A show or hide that waits for the next layout already counts, as it does for the frame's bars:
// otherwise a hide asked for before a delayed show has been applied would be skipped as needless
// and the bar would still appear.
bool CAcUiDockControlBar::IsVisible() const {
    if (!hwnd_) return false;
    for (const auto& [bar, show] : bars().delayed)
        if (bar == this) return show;
    return IsWindowVisible(hwnd_);
}

SIZE CAcUiDockControlBar::CalcFixedLayout(bool, bool horizontal) { return horizontal ? SIZE{32767, 28} : SIZE{28, 32767}; }

SIZE CAcUiDockControlBar::CalcDynamicLayout(int length, DWORD mode) {
    return CalcFixedLayout((mode & LM_STRETCH) != 0, (mode & LM_HORZ) != 0);
}

LRESULT CAcUiDockControlBar::WindowProc(UINT, WPARAM, LPARAM) { return 0; }

void acedShowControlBar(CAcUiDockControlBar* bar, bool show, bool delay) {
    if (!bar || !bar->GetSafeHwnd()) return;
    if (delay) {
        auto& d = bars().delayed;
        std::erase_if(d, [&](const auto& e) { return e.first == bar; });
        d.push_back({bar, show});
        PostMessage(acedGetAcadFrame(), sim::desk::kFrameLayoutMessage, 0, 0);
        return;
    }
    // An immediate show or hide replaces one still waiting for the layout.
    std::erase_if(bars().delayed, [&](const auto& e) { return e.first == bar; });
    ShowWindow(bar->GetSafeHwnd(), show ? SW_SHOW : SW_HIDE);
    sim::desk::layoutFrame();
}

void acedRecalcFrameLayout() { sim::desk::layoutFrame(); }
