// Text conversions shared by the simulator's readers (PE resources, .reg files).
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace sim {
void appendUtf8(std::string& out, char32_t codePoint);
// UTF-16LE code units to UTF-8; a broken surrogate becomes U+FFFD, an odd last byte is dropped.
std::string utf16leToUtf8(std::span<const std::uint8_t> bytes);
}  // namespace sim
