#include "hosting/striphost.h"

#include "arx/aced.h"
#include "hosting/dockbar.h"
#include "hosting/features.h"
#include "hosting/switcher.h"
#include "menus/tabmenus.h"
#include "settings/options.h"
#include "tabstrip/painting.h"
#include "tabstrip/panel.h"

void KvBarAndSwitcher::ApplyBarVisibility(int tabCount) { KvApplyBarVisibilityRule(tabCount); }

bool KvBarAndSwitcher::SwitcherVisible() { return KvSwitcherVisible(); }

bool KvBarAndSwitcher::OpenSwitcher(bool backwards) {
    AcKvUiTabCtrlDialog* switcher = KvSwitcher();
    if (!switcher) return false;
    switcher->Open(backwards);
    return true;
}

std::vector<std::string> KvTabStripSettingsApplied::Favourites() {
    const KvTabMenus* menus = KvStripMenus();
    return menus ? menus->favourites : std::vector<std::string>();
}

std::vector<std::string> KvTabStripSettingsApplied::Templates() {
    const KvTabMenus* menus = KvStripMenus();
    return menus ? menus->templates : std::vector<std::string>();
}

void KvTabStripSettingsApplied::TabFontChosen(bool selected, const std::string& record) {
    KvFeatureObjects* features = KvFeatures();
    if (!features) return;
    AcKvUiTabCtrl& tab = features->panel.TabCtrl();
    if (selected) tab.SetFonts(record, "");
    else tab.SetFonts("", record);
    // The bar's thickness follows the selected font; the font stays even when the dialog is
    // cancelled, so the bar is laid out for it now.
    acedRecalcFrameLayout();
    tab.Redraw();
}

void KvTabStripSettingsApplied::SettingsStored(const COptionsValues& v) {
    KvFeatureObjects* features = KvFeatures();
    if (!features) return;
    AcKvUiTabCtrl& tab = features->panel.TabCtrl();
    tab.tooltipEnable = v.num(SettingId::TooltipEnable) != 0;
    tab.showThumbnail = v.num(SettingId::ShowThumbnail) != 0;
    tab.showDesc = v.num(SettingId::ShowDesc) != 0;
}

void KvTabStripSettingsApplied::ListsEdited(const std::vector<std::string>& favourites,
                                            const std::vector<std::string>& templates) {
    KvTabMenus* menus = KvStripMenus();
    if (!menus) return;
    menus->favourites = favourites;
    menus->templates = templates;
    menus->SaveFavourites();
}

void KvTabStripSettingsApplied::PaintLookPreview(HDC dc, const RECT& area, const KvLookPreview& look) {
    KvPaintLookPreview(dc, area, look);
}

KvSettingsApplied& KvTabStripSettings() { return KvFeatures()->stripSettings; }
