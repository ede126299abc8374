// The dock bar and the document switcher, as the host the tab strip asks for (tabstrip/host.h).
#pragma once
#include "settings/applied.h"

// Hands the tab strip this layer's host; creating the bar or the switcher does it.
void KvAttachTabStripHost();

// The running tab strip as the Options dialog sees it.
KvSettingsApplied& KvTabStripSettings();
