// The machine's memory status: the real machine's, unless the script or a test set one.
#include <sys/sysinfo.h>
#include <fstream>
#include <sstream>
#include <string>
#include "sim/desk/desktop.h"
#include "win/system.h"

namespace {

// A value of /proc/meminfo in bytes; 0 when it cannot be read.
ULONGLONG meminfo(const std::string& key) {
    std::ifstream in("/proc/meminfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(key + ":", 0) != 0) continue;
        std::istringstream fields(line.substr(key.size() + 1));
        ULONGLONG kb = 0;
        fields >> kb;
        return kb * 1024;
    }
    return 0;
}

// Bytes of address space the process uses (its virtual size).
ULONGLONG processVirtualSize() {
    std::ifstream in("/proc/self/statm");
    ULONGLONG pages = 0;
    in >> pages;
    return pages * 4096;
}

}  // namespace

BOOL GlobalMemoryStatusEx(MEMORYSTATUSEX* status) {
    if (!status) return FALSE;
    if (const auto& set = sim::Desktop::get().memoryStatus) {
        *status = *set;
        return TRUE;
    }
    MEMORYSTATUSEX m;
    struct sysinfo info {};
    if (sysinfo(&info) == 0) {
        m.ullTotalPhys = ULONGLONG(info.totalram) * info.mem_unit;
        m.ullAvailPhys = ULONGLONG(info.freeram) * info.mem_unit;
        m.ullTotalPageFile = m.ullTotalPhys + ULONGLONG(info.totalswap) * info.mem_unit;
        m.ullAvailPageFile = m.ullAvailPhys + ULONGLONG(info.freeswap) * info.mem_unit;
    }
    if (const ULONGLONG available = meminfo("MemAvailable"); available && available <= m.ullTotalPhys)
        m.ullAvailPhys = available;
    if (m.ullTotalPhys) m.dwMemoryLoad = DWORD((m.ullTotalPhys - m.ullAvailPhys) * 100 / m.ullTotalPhys);
    // A 64-bit process on the host's system has 128 TB of user address space.
    m.ullTotalVirtual = ULONGLONG(1) << 47;
    const ULONGLONG used = processVirtualSize();
    m.ullAvailVirtual = used < m.ullTotalVirtual ? m.ullTotalVirtual - used : 0;
    *status = m;
    return TRUE;
}
