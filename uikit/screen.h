// The screen as the plug-in's windows see it: the monitors, and the point a mouse message carries.
#pragma once
#include <cstdint>
#include <vector>
#include "win/monitor.h"
#include "win/types.h"

// The monitors in enumeration order.
std::vector<HMONITOR> KvMonitors();

// The point of a mouse message: two signed 16-bit coordinates, negative left of or above the
// window on a second monitor.
inline POINT KvPointFromLParam(LPARAM lp) {
    return POINT{LONG(std::int16_t(LOWORD(LPARAM(lp)))), LONG(std::int16_t(HIWORD(LPARAM(lp))))};
}
