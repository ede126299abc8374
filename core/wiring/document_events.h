// The reactors' events connected to the tab strip, the dock bar, the batch dialog and the
// frame's system menu.
#pragma once
#include "doctrack/events.h"

// The one implementation, for the life of the module.
KvDocumentEvents& KvModuleDocumentEvents();
