// Module handles for the plug-in modules the host loads. The desktop's module table (resources
// embedded in the module, GetModuleFileName, LoadString) connects here: one function each way.
#pragma once
#include <string>
#include "win/types.h"

namespace sim::host {
// The HMODULE handed to the module's attach hook for a dlopen'ed module.
HMODULE registerLoadedModule(void* dlHandle, const std::string& path);
void releaseLoadedModule(HMODULE module);
}  // namespace sim::host
