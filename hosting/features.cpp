#include "hosting/features.h"

#include "tabstrip/panel.h"

namespace {
// Not an owner: the module's root owns the instance and this only finds it.
KvFeatureObjects* g_current = nullptr;

// What the strip's work run later by the host finds the panel by.
AcKvUiTabPanel* loadedPanel() { return KvFeatures() ? &KvTabPanel() : nullptr; }
}   // namespace

KvFeatureObjects::KvFeatureObjects() : tabOperations(KvTabPanel()), tabMenus(KvTabPanel(), tabOperations) {
    g_current = this;
    KvTabPanel().TabCtrl().SetController(&tabMenus);
    // Before the bar or the switcher exists the host's calls find neither and do nothing.
    KvTabPanel().TabCtrl().SetHost(&stripHost);
    KvSetTabPanelLookup(loadedPanel);
}

KvFeatureObjects::~KvFeatureObjects() {
    KvSetTabPanelLookup(nullptr);
    if (KvTabPanel().TabCtrl().Controller() == &tabMenus) KvTabPanel().TabCtrl().SetController(nullptr);
    if (KvTabPanel().TabCtrl().Host() == &stripHost) KvTabPanel().TabCtrl().SetHost(nullptr);
    if (g_current == this) g_current = nullptr;
}

KvFeatureObjects* KvFeatures() { return g_current; }
