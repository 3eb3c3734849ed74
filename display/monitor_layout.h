// The monitors' places in one wallpaper bitmap that spans them all and is
// shown tiled. The system tiles from the virtual screen's point (0, 0), the
// primary monitor's top-left corner, so the composed bitmap is rolled to
// bring that point to its own top-left: what lies left of or above the
// primary monitor wraps around to the far side. Portable: no Windows
// headers.
#pragma once

#include <cstdint>
#include <vector>

// A rectangle of the virtual screen in physical pixels; the right and
// bottom edges lie outside it.
struct MonitorRect {
    std::int64_t left = 0;
    std::int64_t top = 0;
    std::int64_t right = 0;
    std::int64_t bottom = 0;

    std::int64_t Width() const { return right - left; }
    std::int64_t Height() const { return bottom - top; }
    bool operator==(const MonitorRect&) const = default;
};

// The monitors in the order their pictures come: left to right, and top to
// bottom where left edges line up. Empty rectangles are left out.
std::vector<MonitorRect> MonitorsInOrder(std::vector<MonitorRect> monitors);

struct SpanningLayout {
    // The bitmap: the smallest rectangle around every monitor.
    std::int64_t width = 0;
    std::int64_t height = 0;
    // Each monitor's rectangle in the bitmap as it is composed, in the
    // order of MonitorsInOrder.
    std::vector<MonitorRect> monitors;
    // Where the composed bitmap has the virtual screen's (0, 0): it is
    // rolled left and up by this much, wrapping, before it is shown.
    std::int64_t originX = 0;
    std::int64_t originY = 0;

    bool operator==(const SpanningLayout&) const = default;
};

// The layout of a wallpaper for these monitors; empty (no width) when
// there are none.
SpanningLayout LayOutMonitors(const std::vector<MonitorRect>& monitors);
