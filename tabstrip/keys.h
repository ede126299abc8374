// What the tab strip does with the host's key and wheel messages (seen through the message
// filter before the host): moving and activating tabs, marking all, copying paths.
#pragma once
#include "win/window.h"

// True when the message was handled and must not reach the host.
bool KvTabStripFilter(MSG* msg);
