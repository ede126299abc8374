// Initialization files: any text reads without harm, and a value set in it reads back as set,
// with every other key's value unchanged.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "sim/desk/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const char* keys[] = {"VERSION", "WIDTH", "MSG", "DESC1"};
    for (const char* key : keys) {
        const auto before = sim::desk::profileValue(text, "TITLE", key);
        const std::string after = sim::desk::withProfileValue(text, "BANNER", key, "42,7");
        if (sim::desk::profileValue(after, "BANNER", key) != std::optional<std::string>("42,7")) std::abort();
        // Setting a key of one section leaves the other section alone.
        if (sim::desk::profileValue(after, "TITLE", key) != before) std::abort();
    }
    return 0;
}
