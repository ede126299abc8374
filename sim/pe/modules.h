// The simulator's module table: what LoadLibrary, FreeLibrary, GetProcAddress and LoadString of
// platform/win/module.h work on. Each module has an opaque handle that is never reused, so a
// freed or invented handle is recognised and refused.
//
// A module is either native code (a shared object opened with dlopen; its resources, when it
// has any, are the PE bytes it exports as kvEmbeddedResources / kvEmbeddedResourcesSize) or a
// resource-only module (PE bytes: a language pack on disk, or bytes handed over by a test).
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/pe/pe_resources.h"
#include "win/types.h"

namespace sim::pe {

// Registers a native module that the caller opened with dlopen (the host loading the plug-in).
// `path` is what GetModuleFileName reports. The table never closes `dlHandle`; the caller
// does, after unregistering. Returns null when dlHandle is null.
HMODULE registerNativeModule(const std::string& path, void* dlHandle);

// Registers a resource-only module from PE bytes under `path` (tests, or a program that links
// the plug-in objects and hands over the embedded bytes). Null when the bytes are not PE.
HMODULE registerModuleBytes(const std::string& path, std::vector<std::uint8_t> bytes);

// Removes a module whatever its reference count. A native handle the table opened itself
// (LoadLibrary) is closed. False for an unknown handle.
bool unregisterModule(HMODULE module);

// Parsed resources of a module; null for an unknown handle or a module without resources.
std::shared_ptr<const ResourceModule> moduleResources(HMODULE module);

// The dlopen handle of a native module; null for resource-only or unknown modules.
void* moduleNativeHandle(HMODULE module);

// Reference count of a module; 0 for an unknown handle.
int moduleRefCount(HMODULE module);

// The PE bytes a native module exports, if it exports them (kvEmbeddedResources and
// kvEmbeddedResourcesSize, both defined in that module itself). Empty otherwise.
std::vector<std::uint8_t> embeddedResources(void* dlHandle);

}  // namespace sim::pe
