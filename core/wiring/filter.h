// The window-message filter: every host window message passes it before its window.
#pragma once
#include "win/window.h"

void KvInstallMessageFilter();
void KvRemoveMessageFilter();
bool KvFilterMessage(MSG* msg);
