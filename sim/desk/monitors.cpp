#include "sim/desk/windows.h"
#include "win/monitor.h"

namespace sim::desk {
namespace {
std::vector<MonitorSpec>& list() {
    static std::vector<MonitorSpec> m = [] {
        std::vector<MonitorSpec> v;
        v.push_back({"\\\\.\\DISPLAY1", {0, 0, 1920, 1080}, 32});
        return v;
    }();
    return m;
}
HMONITOR handleOf(size_t i) { return reinterpret_cast<HMONITOR>(std::uintptr_t(0x30000 + 4 * (i + 1))); }
long indexOf(HMONITOR h) {
    auto v = reinterpret_cast<std::uintptr_t>(h);
    if (v <= 0x30000 || (v - 0x30000) % 4) return -1;
    size_t i = (v - 0x30000) / 4 - 1;
    return i < list().size() ? long(i) : -1;
}
}  // namespace

void setMonitors(const std::vector<MonitorSpec>& monitors) { list() = monitors; }

void setMonitorCount(int count) {
    std::vector<MonitorSpec> v;
    for (int i = 0; i < std::max(1, count); ++i)
        v.push_back({"\\\\.\\DISPLAY" + std::to_string(i + 1), {1920 * i, 0, 1920 * (i + 1), 1080}, 32});
    list() = v;
}

const std::vector<MonitorSpec>& monitors() { return list(); }

}  // namespace sim::desk

using namespace sim::desk;

BOOL EnumDisplayMonitors(const std::function<bool(HMONITOR)>& visit) {
    for (size_t i = 0; i < list().size(); ++i)
        if (!visit(handleOf(i))) break;
    return TRUE;
}

BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFOEX* info) {
    long i = indexOf(monitor);
    if (i < 0 || !info) return FALSE;
    const auto& m = list()[size_t(i)];
    info->rcMonitor = m.rect;
    info->rcWork = m.rect;
    info->rcWork.bottom -= 40;
    info->dwFlags = i == 0 ? MONITORINFOF_PRIMARY : 0;
    info->szDevice = m.device;
    return TRUE;
}

HMONITOR MonitorFromWindow(HWND wnd, DWORD) {
    RECT r;
    if (!GetWindowRect(wnd, &r)) return handleOf(0);
    const LONG cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
    size_t best = 0;
    for (size_t i = 0; i < list().size(); ++i) {
        const auto& m = list()[i].rect;
        if (cx >= m.left && cx < m.right && cy >= m.top && cy < m.bottom) return handleOf(i);
        if (cx >= m.left) best = i;
    }
    return handleOf(best);
}

BOOL EnumDisplaySettings(const std::string& device, DWORD, DEVMODE* mode) {
    for (const auto& m : list()) {
        if (m.device == device) {
            if (mode) {
                mode->dmBitsPerPel = m.bitsPerPixel;
                mode->dmPelsWidth = DWORD(m.rect.Width());
                mode->dmPelsHeight = DWORD(m.rect.Height());
            }
            return TRUE;
        }
    }
    return FALSE;
}
