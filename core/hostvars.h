// Reading the host's system variables as numbers or text, whatever type the host hands back.
#pragma once
#include <string>

// RTNORM with the value, or the host's error code (value untouched).
int KvGetVarInt(const char* name, int* value);
// The value as text ("" when the variable cannot be read).
std::string KvGetVarText(const char* name);
