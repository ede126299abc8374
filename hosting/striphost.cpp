#include "hosting/striphost.h"

#include "arx/aced.h"
#include "hosting/dockbar.h"
#include "hosting/switcher.h"
#include "settings/options.h"
#include "tabstrip/host.h"
#include "tabstrip/panel.h"

namespace {

class BarAndSwitcher final : public KvTabStripHost {
public:
    void ApplyBarVisibility(int tabCount) override { KvApplyBarVisibilityRule(tabCount); }
    bool SwitcherVisible() override { return KvSwitcherVisible(); }
    bool OpenSwitcher(bool backwards) override {
        AcKvUiTabCtrlDialog* switcher = KvSwitcher();
        if (!switcher) return false;
        switcher->Open(backwards);
        return true;
    }
};

BarAndSwitcher g_host;

class TabStripSettings final : public KvSettingsApplied {
public:
    std::vector<std::string> Favourites() override { return KvTabPanel().TabCtrl().favourites; }
    std::vector<std::string> Templates() override { return KvTabPanel().TabCtrl().templates; }
    void TabFontChosen(bool selected, const std::string& record) override {
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        if (selected) tab.SetFonts(record, "");
        else tab.SetFonts("", record);
        // The bar's thickness follows the selected font; the font stays even when the dialog is
        // cancelled, so the bar is laid out for it now.
        acedRecalcFrameLayout();
        tab.Redraw();
    }
    void SettingsStored(const COptionsValues& v) override {
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        tab.tooltipEnable = v.num(SettingId::TooltipEnable) != 0;
        tab.showThumbnail = v.num(SettingId::ShowThumbnail) != 0;
        tab.showDesc = v.num(SettingId::ShowDesc) != 0;
    }
    void ListsEdited(const std::vector<std::string>& favourites, const std::vector<std::string>& templates) override {
        AcKvUiTabCtrl& tab = KvTabPanel().TabCtrl();
        tab.favourites = favourites;
        tab.templates = templates;
        tab.SaveFavourites();
    }
};

TabStripSettings g_settings;

}  // namespace

void KvAttachTabStripHost() { KvSetTabStripHost(&g_host); }

KvSettingsApplied& KvTabStripSettings() { return g_settings; }
