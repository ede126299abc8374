#include "tabstrip/host.h"

namespace {
KvTabStripHost* g_host = nullptr;
}

void KvSetTabStripHost(KvTabStripHost* host) { g_host = host; }

void KvApplyBarVisibility(int tabCount) {
    if (g_host) g_host->ApplyBarVisibility(tabCount);
}

bool KvTabSwitcherVisible() { return g_host && g_host->SwitcherVisible(); }

bool KvOpenTabSwitcher(bool backwards) { return g_host && g_host->OpenSwitcher(backwards); }
