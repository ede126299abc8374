// Stand-in until the desktop's module table is connected: an opaque handle per loaded module.
// INTEGRATION SEAM: replace the two bodies with the desktop module table's register/release
// (the module's resources are its symbols kvEmbeddedResources / kvEmbeddedResourcesSize).
#include "sim/host/module_handles.h"

#include <map>

namespace sim::host {
namespace {
struct OpaqueModule { void* dl; std::string path; };
}  // namespace

HMODULE registerLoadedModule(void* dlHandle, const std::string& path) {
    return reinterpret_cast<HMODULE>(new OpaqueModule{dlHandle, path});
}

void releaseLoadedModule(HMODULE module) { delete reinterpret_cast<OpaqueModule*>(module); }

}  // namespace sim::host
