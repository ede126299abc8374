#include "hosting/features.h"

#include "tabstrip/host.h"

namespace {
// Not an owner: the module's root owns the instance and this only finds it.
KvFeatureObjects* g_current = nullptr;
}   // namespace

KvFeatureObjects::KvFeatureObjects() { g_current = this; }

KvFeatureObjects::~KvFeatureObjects() {
    KvSetTabStripHost(nullptr);
    if (g_current == this) g_current = nullptr;
}

KvFeatureObjects* KvFeatures() { return g_current; }
