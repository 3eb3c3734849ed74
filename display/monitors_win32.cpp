#include "display/monitors_win32.h"

#include <windows.h>

#include <vector>

#include "framework/handles_win32.h"
#include "framework/system_function_win32.h"

namespace {

// A monitor's own DPI came with Windows 8.1; before it every monitor has the
// system's.
UINT MonitorDpi(HMONITOR monitor) {
    static const auto getDpiForMonitor =
        fw::SystemFunction<HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*)>("shcore.dll", "GetDpiForMonitor");
    UINT x = 0, y = 0;
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    if (getDpiForMonitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y))) return y;
    const fw::WindowDc screen(nullptr);
    return static_cast<UINT>(::GetDeviceCaps(screen.Get(), LOGPIXELSY));
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) noexcept {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    try {
        reinterpret_cast<std::vector<MonitorArea>*>(data)->push_back(
            {{r.left, r.top, r.right, r.bottom}, MonitorDpi(monitor)});
    } catch (...) {  // out of memory: the monitors found so far
        return FALSE;
    }
    return TRUE;
}

}  // namespace

std::vector<MonitorArea> CurrentMonitors() {
    std::vector<MonitorArea> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    return monitors;
}

std::vector<MonitorRect> MonitorRects() {
    std::vector<MonitorRect> rects;
    for (const MonitorArea& monitor : CurrentMonitors()) rects.push_back(monitor.rect);
    return rects;
}

std::string CurrentDisplaySetupKey() { return DisplaySetupKey(CurrentMonitors()); }
