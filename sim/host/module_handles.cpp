// Loaded plug-in modules are entries of the desktop's module table, so that GetModuleFileName,
// LoadString and the resource stack work on their handles as on any other module.
#include "sim/host/module_handles.h"

#include "sim/pe/modules.h"

namespace sim::host {

HMODULE registerLoadedModule(void* dlHandle, const std::string& path) {
    return sim::pe::registerNativeModule(path, dlHandle);
}

void releaseLoadedModule(HMODULE module) { sim::pe::unregisterModule(module); }

}  // namespace sim::host
