#include "app/rotation.h"

#include <algorithm>
#include <numeric>
#include <utility>

#include "settings/interval_units.h"
#include "settings/settings_model.h"

std::uint32_t RotationPeriodMs(std::int32_t unit, std::int32_t value) {
    const IntervalRange* range = RangeOfUnit(unit);
    if (!range) range = RangeOfUnit(static_cast<std::int32_t>(IntervalUnit::Seconds));  // any other unit counts seconds
    return static_cast<std::uint32_t>(std::clamp(value, range->minimum, range->maximum)) * range->secondsPerUnit * 1000u;
}

bool CommitRestartsRotation(const AppSettings& live, const AppSettings& working) {
    return !(live.intervalValue == working.intervalValue && live.intervalUnit == working.intervalUnit &&
             !live.imageList.empty());
}

std::vector<std::size_t> RotationScheduler::Tick(AppSettings& live, bool userBusy, std::size_t count) {
    timer_.Stop();
    const bool asked = std::exchange(asked_, false);
    heldBack_ = false;
    if (!live.rotationEnabled) return {};
    const std::uint32_t period = RotationPeriodMs(live.intervalUnit, live.intervalValue);
    if (live.imageList.empty()) {
        timer_.Arm(period);
        return {};
    }
    if (userBusy && live.extension.userOptions.pauseInFullScreen && !asked) {
        heldBack_ = true;
        timer_.Arm(kHeldBackRecheckMs);
        return {};
    }
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < std::max<std::size_t>(count, 1); ++i) shown.push_back(Take(live));
    timer_.Arm(period);
    return shown;
}

std::size_t RotationScheduler::Take(AppSettings& live) {
    // The position is compared unsigned: a negative one from a damaged file
    // is past the end like any other, not an index before the start.
    if (order_.empty() || static_cast<std::uint32_t>(live.rotationPosition) >= order_.size() ||
        order_.size() != live.imageList.size()) {
        Rebuild(live);
    }
    const auto position = static_cast<std::size_t>(live.rotationPosition);
    live.rotationPosition = static_cast<std::int32_t>(position + 1);
    return order_[position];
}

void RotationScheduler::Rebuild(AppSettings& live) {
    const auto n = static_cast<std::uint32_t>(live.imageList.size());
    std::vector<std::uint32_t> order(n);
    std::iota(order.begin(), order.end(), 0u);
    if (live.randomOrder) {
        for (std::uint32_t i = 0; i < n; ++i) std::swap(order[i], order[random_.Next() % n]);
    }
    order_ = std::move(order);
    live.rotationPosition = 0;
}

void RotationScheduler::Next() {
    timer_.Stop();
    asked_ = true;
    timer_.Arm(0);
}

void RotationScheduler::Previous(AppSettings& live, std::size_t count) {
    timer_.Stop();
    asked_ = true;
    const auto back = static_cast<std::int64_t>(2 * std::max<std::size_t>(count, 1));
    live.rotationPosition =
        static_cast<std::int32_t>(std::max<std::int64_t>(0, std::int64_t{live.rotationPosition} - back));
    timer_.Arm(0);
}
