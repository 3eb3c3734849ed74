#include "settings/interval_units.h"

#include <algorithm>

#include "resources/texts.h"

namespace {

constexpr IntervalRange kRanges[] = {
    {IntervalUnit::Hours, 1, 24, 3600, texts::kUnitHours},
    {IntervalUnit::Minutes, 1, 60, 60, texts::kUnitMinutes},
    {IntervalUnit::Seconds, 10, 60, 1, texts::kUnitSeconds},
};

}  // namespace

const IntervalRange* RangeOfUnit(std::int32_t unit) {
    for (const IntervalRange& range : kRanges) {
        if (static_cast<std::int32_t>(range.unit) == unit) return &range;
    }
    return nullptr;
}

std::int32_t HoldToUnit(std::int32_t unit, std::int32_t value) {
    const IntervalRange* range = RangeOfUnit(unit);
    return range ? std::min(std::max(value, range->minimum), range->maximum) : 0;
}
