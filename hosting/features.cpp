#include "hosting/features.h"

#include <stdexcept>
#include "tabstrip/panel.h"

namespace {
// Not an owner: the module's root owns the instance and this only finds it.
KvFeatureObjects* g_current = nullptr;

// What the strip's work run later by the host finds the panel by.
AcKvUiTabPanel* loadedPanel() {
    KvFeatureObjects* features = KvFeatures();
    return features ? &features->panel : nullptr;
}
}   // namespace

KvFeatureObjects::KvFeatureObjects() : tabOperations(panel), tabMenus(panel, tabOperations) {
    g_current = this;
    panel.TabCtrl().SetController(&tabMenus);
    // Before the bar or the switcher exists the host's calls find neither and do nothing.
    panel.TabCtrl().SetHost(&stripHost);
    KvSetTabPanelLookup(loadedPanel);
}

KvFeatureObjects::~KvFeatureObjects() {
    KvSetTabPanelLookup(nullptr);
    if (g_current == this) g_current = nullptr;
    // The menus and the host go before the panel: the control must not report to them any more.
    panel.TabCtrl().SetController(nullptr);
    panel.TabCtrl().SetHost(nullptr);
    panel.Destroy();
}

KvFeatureObjects* KvFeatures() { return g_current; }

AcKvUiTabPanel& KvTabPanel() {
    KvFeatureObjects* features = KvFeatures();
    if (!features) throw std::logic_error("the tab panel exists only while the module is loaded");
    return features->panel;
}
