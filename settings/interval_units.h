// The units of the rotation interval and the range each allows, in one
// table for the interval page, which holds a typed value to its unit, and
// for the scheduler, which holds a value from a damaged or hand-edited file
// to it. Portable: no Windows headers.
#pragma once

#include <cstdint>

enum class IntervalUnit : std::int32_t { Hours = 0, Minutes = 1, Seconds = 2 };

struct IntervalRange {
    IntervalUnit unit;
    std::int32_t minimum;
    std::int32_t maximum;
    std::uint32_t secondsPerUnit;
    const char* label;  // "時間", "分", "秒"
};

// The range of a stored unit; nothing for a value outside 0..2.
const IntervalRange* RangeOfUnit(std::int32_t unit);

// The value raised to the unit's minimum, then lowered to its maximum; 0
// for a unit outside 0..2, which allows no value at all.
std::int32_t HoldToUnit(std::int32_t unit, std::int32_t value);
