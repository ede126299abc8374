// The plug-in's own resource module (a PE file), linked into the plug-in by the build.
#pragma once
#include <cstddef>

extern "C" {
extern const unsigned char kvEmbeddedResources[];
extern const std::size_t kvEmbeddedResourcesSize;
}
