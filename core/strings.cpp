#include "core/strings.h"

// Stands in until the string table is loaded from the resources; every id reads as missing.
std::string KvResourceText(unsigned) { return "Empty"; }
