// What the tab strip does with the host's key and wheel messages (seen through the message
// filter before the host): moving and activating tabs, marking all, copying paths.
#pragma once
#include "win/window.h"

class AcKvUiTabPanel;

// What the filter remembers from one message to the next; its owner keeps it for the module's life.
struct KvTabStripKeyState {
    // An input-method composition was started over the bar or the drawing while English mode is
    // wanted: the next key-up is delivered as a plain character.
    bool compositionStarted = false;
};

// True when the message was handled and must not reach the host; `panel` holds the tabs the keys
// work on.
bool KvTabStripFilter(MSG* msg, AcKvUiTabPanel& panel, KvTabStripKeyState& state);
