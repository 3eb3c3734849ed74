#include "settings/interval_units.h"

#include <gtest/gtest.h>

namespace {

TEST(IntervalUnits, HoldTheValueToTheUnitsRange) {
    const struct {
        std::int32_t unit, value, held;
    } cases[] = {{0, 30, 24}, {1, 5, 5}, {2, 5, 10}, {0, 45, 24}, {1, 24, 24}, {2, 99, 60}, {0, 0, 1}, {9, 5, 0}};
    for (const auto& c : cases) EXPECT_EQ(HoldToUnit(c.unit, c.value), c.held) << c.unit << " " << c.value;
}

}  // namespace
