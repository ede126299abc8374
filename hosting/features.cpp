#include "hosting/features.h"

#include "tabstrip/host.h"
#include "tabstrip/panel.h"

namespace {
// Not an owner: the module's root owns the instance and this only finds it.
KvFeatureObjects* g_current = nullptr;
}   // namespace

KvFeatureObjects::KvFeatureObjects()
    : tabOperations(KvTabPanel().TabCtrl()), tabMenus(KvTabPanel().TabCtrl(), tabOperations) {
    g_current = this;
    KvTabPanel().TabCtrl().SetController(&tabMenus);
}

KvFeatureObjects::~KvFeatureObjects() {
    if (KvTabPanel().TabCtrl().Controller() == &tabMenus) KvTabPanel().TabCtrl().SetController(nullptr);
    KvSetTabStripHost(nullptr);
    if (g_current == this) g_current = nullptr;
}

KvFeatureObjects* KvFeatures() { return g_current; }
