// The window-message filter: every host window message passes it before its window.
#pragma once
#include "win/window.h"

void KvInstallMessageFilter();
void KvRemoveMessageFilter();
bool KvFilterMessage(MSG* msg);

// The tab control takes the document commands of the system menu; it registers here when it exists.
using KvCommandSink = void (*)(UINT command);
void KvSetSystemCommandSink(KvCommandSink sink);
