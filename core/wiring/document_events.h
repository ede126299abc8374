// The reactors' events connected to the tab strip, the dock bar, the batch dialog and the
// frame's system menu.
#pragma once
#include <memory>
#include "doctrack/events.h"

class AcKvUiTabPanel;

// The module's implementation, working on the tabs of `panel`; the module's root keeps the one
// instance, and the panel beside it for longer.
std::unique_ptr<KvDocumentEvents> KvMakeModuleDocumentEvents(AcKvUiTabPanel& panel);
