#include "uikit/screen.h"

std::vector<HMONITOR> KvMonitors() {
    std::vector<HMONITOR> monitors;
    EnumDisplayMonitors([&](HMONITOR m) {
        monitors.push_back(m);
        return true;
    });
    return monitors;
}
