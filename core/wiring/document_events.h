// The reactors' events connected to the tab strip, the dock bar, the batch dialog and the
// frame's system menu.
#pragma once
#include <memory>
#include "doctrack/events.h"

// The module's implementation; the module's root keeps the one instance.
std::unique_ptr<KvDocumentEvents> KvMakeModuleDocumentEvents();
