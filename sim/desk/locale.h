// The simulated user locale behind GetLocaleInfo and GetNumberFormat.
#pragma once
#include <string>

namespace sim::desk {
struct UserLocale {
    std::string decimal = ".";
    std::string thousand = ",";
};
UserLocale& userLocale();
}  // namespace sim::desk
