// The module's life: process attach and detach, the entry-point messages, start-up and unload.
#pragma once
#include "arx/acrx.h"
#include "win/types.h"

// Process hooks. `reason` 1 attaches, 0 detaches; anything else succeeds with no work.
int KvProcessHook(HINSTANCE module, unsigned reason);
AcRx::AppRetCode KvEntryPoint(AcRx::AppMsgCode message, void* appId);

// Puts the module's entries at the top of the host frame's system menu; returns how many it added.
int KvAddSystemMenuEntries();
// Takes the `added` entries out again (so that a reload does not add them twice and no entry
// outlives the module it calls) and zeroes the count.
void KvRemoveSystemMenuEntries(int& added);
// What start-up added to the host frame's system menu (removed again at unload).
int KvSystemMenuItemsAdded();
// With two or more monitors: the monitor entry of the drawing view's monitor is checked and
// greyed, the others enabled and unchecked (after the frame moved).
void KvCheckSystemMenuMonitor();
// Whether `command` is one of the document entries start-up put into the system menu (the tab
// control runs them).
bool KvIsSystemMenuDocumentCommand(UINT command);

// System command ids of the frame menu entries.
inline constexpr UINT kCmdFirstMonitor = 10031;
inline constexpr int kMaxMonitors = 5;
