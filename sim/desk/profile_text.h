// The text side of initialization files (no file access), for the profile functions and the
// fuzz harness.
#pragma once
#include <optional>
#include <string>

namespace sim::desk {
// The value of key in section, if there is one.
std::optional<std::string> profileValue(const std::string& text, const std::string& section, const std::string& key);
// The text with key in section set to value; every other line kept.
std::string withProfileValue(const std::string& text, const std::string& section, const std::string& key,
                             const std::string& value);
}  // namespace sim::desk
