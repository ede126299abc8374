#include "hosting/dockbar.h"

#include <cstdlib>
#include <memory>
#include "arx/aced.h"
#include "arx/docman.h"
#include "core/app_state.h"
#include "core/guard.h"
#include "core/resource_scope.h"
#include "hosting/features.h"
#include "settings/dockside.h"
#include "settings/settings.h"
#include "tabstrip/itemdata.h"
#include "tabstrip/panel.h"
#include "res/resource.h"
#include "win/module.h"
#include "win/system.h"

namespace {

constexpr UINT kBarId = 0xE830;
constexpr UINT kPanelTemplate = IDD_TAB_PANEL;

}   // namespace

DWORD KvBarStyleFor(int dockingPosition) {
    switch (dockingPosition) {
    case kDockLeft: return CBRS_ALIGN_LEFT | CBRS_BORDER_LEFT;
    case kDockRight: return CBRS_ALIGN_RIGHT | CBRS_BORDER_RIGHT;
    case kDockBottom: return CBRS_ALIGN_BOTTOM | CBRS_BORDER_BOTTOM;
    // The top, also for a value that names no side.
    default: return CBRS_ALIGN_TOP | CBRS_BORDER_TOP;
    }
}

CKorvaneDialogBar::CKorvaneDialogBar() = default;
CKorvaneDialogBar::~CKorvaneDialogBar() = default;

bool CKorvaneDialogBar::Create(HWND frame, AcKvUiTabPanel* panel, const std::string& title, UINT templateId,
                               DWORD style) {
    if (!CAcUiDockControlBar::Create(frame, title, style & CBRS_BAR_STYLE_BITS, kBarId)) return false;
    panel_ = panel;
    try {
        if (!panel_->Create(GetSafeHwnd(), templateId)) throw std::runtime_error("panel");
    } catch (...) {
        MessageBox(frame, "Error : Failed in Create dialog window.", "Korvane", MB_OK | MB_ICONERROR);
        return false;
    }
    return true;
}

CKorvaneDialogBar::Layout CKorvaneDialogBar::ComputeLayout(bool horizontal, int f, int w, bool thumbnailIcon,
                                                           bool versionIcon) {
    const int t = KvThumbnailHeight(w);
    if (horizontal) {
        const int thickness = thumbnailIcon ? t + 2 * f : versionIcon ? 2 * f + 8 : 2 * f + 4;
        return {thickness, thumbnailIcon ? SIZE{w + 6, thickness - 6} : SIZE{w, thickness - 6}};
    }
    if (thumbnailIcon) return {w + 10, SIZE{t + 2 * f + 6, w + 6}};
    const int width = versionIcon ? 2 * f + 8 : 2 * f + 4;
    return {width, SIZE{w, width - 6}};
}

SIZE CKorvaneDialogBar::CalcFixedLayout(bool, bool horizontal) {
    AcKvUiTabCtrl& tab = panel_->TabCtrl();
    const Layout l =
        ComputeLayout(horizontal, tab.SelectedFontHeight(), tab.fixedWidthX, tab.thumbnailIcon, tab.versionIcon);
    tab.SetItemSize(l.item);
    RECT frame;
    GetClientRect(GetParent(GetSafeHwnd()), &frame);
    if (horizontal) {
        horizontalThickness = l.thickness;
        return {frame.right + 4, l.thickness};
    }
    verticalThickness = l.thickness;
    return {l.thickness, frame.bottom + 4};
}

SIZE CKorvaneDialogBar::CalcDynamicLayout(int length, DWORD mode) {
    if (mode & LM_STRETCH) return CalcFixedLayout(true, (mode & LM_HORZ) != 0);
    RECT r;
    GetWindowRect(GetSafeHwnd(), &r);
    if (mode & LM_HORZ) return {std::max<LONG>(length, minimumSize.cx), r.Height()};
    return {r.Width(), std::max<LONG>(length, minimumSize.cy)};
}

LRESULT CKorvaneDialogBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SIZE:
        // The hosted panel fills the bar's client area.
        if (panel_ && panel_->GetSafeHwnd())
            MoveWindow(panel_->GetSafeHwnd(), 0, 0, LOWORD(LPARAM(lParam)), HIWORD(LPARAM(lParam)), TRUE);
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_KEYDOWN:
        // Keys stop at the bar: Enter, Escape and the Execute key never reach the panel as dialog keys.
        return 0;
    default: return 0;
    }
}

CKorvaneDialogBar* KvDockBar() {
    KvFeatureObjects* features = KvFeatures();
    return features ? features->bar.get() : nullptr;
}

bool KvCreateDockBar(KvFeatureObjects& owner) {
    KvFeatureObjects* features = &owner;
    if (features->bar) return true;
    bool created = false;
    KvGuard("CreateDockBar", [&] {
        AcKvUiTabPanel& panel = features->panel;
        panel.ReadSettings();
        auto bar = std::make_unique<CKorvaneDialogBar>();
        {
            // Pictures always come from the plug-in's own module, whatever the language.
            KvResourceScope own(App().ownModule);
            const UINT ids[4] = {IDB_SHARED_CLOSE, IDB_SHARED_MENU, IDB_SHARED_LINK, IDB_SHARED_ARROW};
            for (int i = 0; i < 4; ++i)
                if (!features->sharedBitmaps[i]) features->sharedBitmaps[i] = LoadBitmap(App().ownModule, ids[i]);
        }
        KvResourceScope scope(App().resourceModule);
        const int dock = GetUsableSettingNumber(SettingId::DockingPosition);
        if (!bar->Create(acedGetAcadFrame(), &panel, "3.2", kPanelTemplate, KvBarStyleFor(dock))) return;
        features->bar = std::move(bar);
        AcKvUiTabCtrl& tab = panel.TabCtrl();
        tab.SetDefaultFonts();
        tab.SetFonts(GetSettingText(SettingId::SelectedTabFontStyle),
                     GetSettingText(SettingId::UnselectedTabFontStyle));
        tab.SetFixedWidth(tab.fixedWidth, tab.fixedWidth ? tab.fixedWidthX : 4);
        tab.ApplyDockStyle(dock);
        const bool hide = acDocManager->documentCount() < 2 && GetSettingNumber(SettingId::OneTabHidden) != 0;
        acedShowControlBar(features->bar.get(), !hide, true);
        tab.Redraw();
        created = true;
    });
    return created;
}

void KvDestroyDockBar(KvFeatureObjects& owner) {
    KvFeatureObjects* features = &owner;
    for (HBITMAP& b : features->sharedBitmaps) {
        if (b) DeleteObject(b);
        b = nullptr;
    }
    if (!features->bar) return;
    features->panel.Destroy();   // the panel's window goes before the bar that holds it
    features->bar->DestroyWindow();
    features->bar.reset();
    acedRecalcFrameLayout();
}

void KvApplyBarVisibilityRule(int tabs) {
    CKorvaneDialogBar* bar = KvDockBar();
    if (!bar) return;
    const bool oneTabHidden = GetSettingNumber(SettingId::OneTabHidden) != 0;
    bool show;
    if (tabs >= 2) show = true;
    else if (tabs == 1) show = !oneTabHidden && (!App().sdi || App().sdiModeEnabled);
    else show = false;
    // Showing waits for the frame's next layout; hiding is immediate.
    if (show != bar->IsVisible()) acedShowControlBar(bar, show, show);
}

void KvApplySettingsToTabStrip() {
    CKorvaneDialogBar* bar = KvDockBar();
    if (!bar) return;
    AcKvUiTabPanel& panel = KvFeatures()->panel;   // there is a bar, so there are features
    AcKvUiTabCtrl& tab = panel.TabCtrl();
    panel.ReadSettings();
    App().sdiModeEnabled = GetSettingNumber(SettingId::EnableSdiMode) != 0;
    tab.SetFixedWidth(tab.fixedWidth, tab.fixedWidth ? tab.fixedWidthX : 4);
    const int dock = GetUsableSettingNumber(SettingId::DockingPosition);
    tab.ApplyDockStyle(dock);
    bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_BAR_STYLE_BITS) | KvBarStyleFor(dock));
    tab.SetDefaultFonts();
    tab.SetFonts(GetSettingText(SettingId::SelectedTabFontStyle), GetSettingText(SettingId::UnselectedTabFontStyle));
    // Captions are sized when a tab is made: the old tabs follow the new caption settings too.
    panel.RefreshCaptions();
    panel.UpdateBanner();
    // The same rule as after every tab change: it counts tabs (links too), not documents.
    panel.UpdateBarVisibility();
    acedRecalcFrameLayout();
    tab.Redraw();
}
