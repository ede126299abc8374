// Monitors in Win32 shape.
#pragma once
#include <functional>
#include "win/types.h"

constexpr DWORD MONITORINFOF_PRIMARY = 0x1;
constexpr DWORD MONITOR_DEFAULTTONEAREST = 0x2;

struct MONITORINFOEX {
    RECT rcMonitor;
    RECT rcWork;
    DWORD dwFlags = 0;
    std::string szDevice;   // "\\\\.\\DISPLAY1"
};

// Calls `visit` for each monitor in enumeration order until it returns false.
BOOL EnumDisplayMonitors(const std::function<bool(HMONITOR)>& visit);
BOOL GetMonitorInfo(HMONITOR monitor, MONITORINFOEX* info);
HMONITOR MonitorFromWindow(HWND wnd, DWORD flags);

struct DEVMODE { DWORD dmBitsPerPel = 0; DWORD dmPelsWidth = 0; DWORD dmPelsHeight = 0; };
constexpr DWORD ENUM_CURRENT_SETTINGS = 0xFFFFFFFF;
BOOL EnumDisplaySettings(const std::string& deviceName, DWORD mode, DEVMODE* devMode);
