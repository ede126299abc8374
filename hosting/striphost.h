// The dock bar and the document switcher, as the host the tab strip asks for (tabstrip/host.h).
#pragma once
#include "settings/applied.h"
#include "tabstrip/host.h"

// The bar's visibility rule and the switcher, for the tab strip.
class KvBarAndSwitcher final : public KvTabStripHost {
public:
    void ApplyBarVisibility(int tabCount) override;
    bool SwitcherVisible() override;
    bool OpenSwitcher(bool backwards) override;
};

// The running tab strip as the Options dialog sees it.
class KvTabStripSettingsApplied final : public KvSettingsApplied {
public:
    std::vector<std::string> Favourites() override;
    std::vector<std::string> Templates() override;
    void TabFontChosen(bool selected, const std::string& record) override;
    void SettingsStored(const COptionsValues& v) override;
    void ListsEdited(const std::vector<std::string>& favourites, const std::vector<std::string>& templates) override;
    void PaintLookPreview(HDC dc, const RECT& area, const KvLookPreview& look) override;
};

// The running tab strip as the Options dialog sees it (while the module is loaded).
KvSettingsApplied& KvTabStripSettings();
