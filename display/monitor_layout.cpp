#include "display/monitor_layout.h"

#include <algorithm>
#include <tuple>

namespace {

// The system's tiles start at (0, 0), which normally lies inside the bounds
// (the primary monitor's corner); wherever it lies, it falls on this column
// or row of the bitmap.
std::int64_t Wrapped(std::int64_t value, std::int64_t side) {
    return (value % side + side) % side;
}

}  // namespace

std::vector<MonitorRect> MonitorsInOrder(std::vector<MonitorRect> monitors) {
    std::erase_if(monitors, [](const MonitorRect& m) { return m.Width() <= 0 || m.Height() <= 0; });
    std::stable_sort(monitors.begin(), monitors.end(), [](const MonitorRect& a, const MonitorRect& b) {
        return std::tie(a.left, a.top) < std::tie(b.left, b.top);
    });
    return monitors;
}

SpanningLayout LayOutMonitors(const std::vector<MonitorRect>& monitors) {
    SpanningLayout layout;
    layout.monitors = MonitorsInOrder(monitors);
    if (layout.monitors.empty())
        return layout;
    MonitorRect bounds = layout.monitors.front();
    for (const MonitorRect& m : layout.monitors) {
        bounds = {std::min(bounds.left, m.left), std::min(bounds.top, m.top), std::max(bounds.right, m.right),
                  std::max(bounds.bottom, m.bottom)};
    }
    for (MonitorRect& m : layout.monitors) {
        m = {m.left - bounds.left, m.top - bounds.top, m.right - bounds.left, m.bottom - bounds.top};
    }
    layout.width = bounds.Width();
    layout.height = bounds.Height();
    layout.originX = Wrapped(-bounds.left, layout.width);
    layout.originY = Wrapped(-bounds.top, layout.height);
    return layout;
}
