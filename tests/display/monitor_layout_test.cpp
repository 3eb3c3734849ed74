#include "display/monitor_layout.h"

#include <gtest/gtest.h>

namespace {

// Each layout as the system gives it (the primary monitor at (0, 0), in no
// particular order), and where the monitors go in the bitmap, in the order
// their pictures come, with the point the tiles start from.
TEST(MonitorLayout, PlacesEachMonitorInTheBitmapAndFindsTheTilingOrigin) {
    const struct {
        const char* name;
        std::vector<MonitorRect> monitors;
        std::int64_t width, height;
        std::vector<MonitorRect> placed;
        std::int64_t originX, originY;
    } cases[] = {
        {"one monitor", {{0, 0, 1920, 1080}}, 1920, 1080, {{0, 0, 1920, 1080}}, 0, 0},
        {"two side by side", {{1920, 0, 3840, 1080}, {0, 0, 1920, 1080}},
         3840, 1080, {{0, 0, 1920, 1080}, {1920, 0, 3840, 1080}}, 0, 0},
        {"one left of the primary, bottoms aligned", {{0, 0, 1920, 1080}, {-1280, 56, 0, 1080}},
         3200, 1080, {{0, 56, 1280, 1080}, {1280, 0, 3200, 1080}}, 1280, 0},
        {"one above the primary, reaching past both its sides", {{0, 0, 1920, 1080}, {-320, -1440, 2240, 0}},
         2560, 2520, {{0, 0, 2560, 1440}, {320, 1440, 2240, 2520}}, 320, 1440},
        {"left of and above the primary", {{0, 0, 1600, 900}, {-1600, -900, 0, 0}},
         3200, 1800, {{0, 0, 1600, 900}, {1600, 900, 3200, 1800}}, 1600, 900},
        {"a vertical monitor right of the primary, higher and lower", {{0, 0, 2560, 1440}, {2560, -240, 3640, 1680}},
         3640, 1920, {{0, 240, 2560, 1680}, {2560, 0, 3640, 1920}}, 0, 240},
        {"mixed sizes: a 4K primary between two smaller ones",
         {{3840, 0, 5120, 1024}, {0, 0, 3840, 2160}, {-1920, 1080, 0, 2160}},
         7040, 2160, {{0, 1080, 1920, 2160}, {1920, 0, 5760, 2160}, {5760, 0, 7040, 1024}}, 1920, 0},
        {"stacked: the upper one first", {{0, 1080, 1920, 2160}, {0, 0, 1920, 1080}},
         1920, 2160, {{0, 0, 1920, 1080}, {0, 1080, 1920, 2160}}, 0, 0},
        {"an empty rectangle is no monitor", {{0, 0, 1024, 768}, {5, 5, 5, 9}}, 1024, 768, {{0, 0, 1024, 768}}, 0, 0},
        {"no monitors at all", {{0, 0, 0, 0}}, 0, 0, {}, 0, 0},
    };
    for (const auto& c : cases) {
        const SpanningLayout layout = LayOutMonitors(c.monitors);
        EXPECT_EQ(layout.width, c.width) << c.name;
        EXPECT_EQ(layout.height, c.height) << c.name;
        EXPECT_EQ(layout.monitors, c.placed) << c.name;
        EXPECT_EQ(layout.originX, c.originX) << c.name;
        EXPECT_EQ(layout.originY, c.originY) << c.name;
    }
}

}  // namespace
