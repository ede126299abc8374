#pragma once
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "res/embedded_resources.h"

namespace pe_test {

inline std::vector<std::uint8_t> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<std::uint8_t> pluginBytes() {
    return std::vector<std::uint8_t>(kvEmbeddedResources, kvEmbeddedResources + kvEmbeddedResourcesSize);
}

inline std::vector<std::uint8_t> packBytes() { return readBytes(KV_PE_PACK); }

}  // namespace pe_test
