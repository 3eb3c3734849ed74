// The rotation scheduler's decisions: the timer period, the order in which
// the pictures come, and which one the next tick shows. The window timer is
// behind an interface, so the decisions run natively against a fake one.
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <vector>

class AppSettings;

// The C runtime's classic generator, written out so that every platform
// draws the same sequence: state 1 at start, never reseeded.
class ClassicRandom {
public:
    std::uint32_t Next() {
        state_ = state_ * 214013u + 2531011u;
        return (state_ >> 16) & 0x7FFF;
    }

private:
    std::uint32_t state_ = 1;
};

// Seconds per unit: 3600 for hours (0), 60 for minutes (1), 1 otherwise.
// A value outside its unit's range (1-24 hours, 1-60 minutes, 10-60
// seconds), as a damaged or hand-edited file can hold, is held to that
// range as the interval page does, so the wallpaper is never rewritten
// continuously nor the period wrapped around.
std::uint32_t RotationPeriodMs(std::int32_t unit, std::int32_t value);

// A commit of the settings dialog ticks the rotation at once unless the
// interval is unchanged and the live list was not empty before it.
bool CommitRestartsRotation(const AppSettings& live, const AppSettings& working);

// While a change is held back, the timer looks again this often rather than
// after a whole period, so the change follows soon after the user is free.
inline constexpr std::uint32_t kHeldBackRecheckMs = 30000;

class RotationTimer {
public:
    virtual ~RotationTimer() = default;
    virtual void Arm(std::uint32_t periodMs) = 0;
    virtual void Stop() = 0;
};

class RotationScheduler {
public:
    explicit RotationScheduler(RotationTimer& timer) : timer_(timer) {}

    // A tick: stops the timer; when rotation is enabled, re-arms it and
    // returns the image list indexes to show next, if the list has any:
    // `count` of them for a change that shows one picture on each monitor,
    // the next of the order in turn, the order rebuilt whenever it runs out
    // on the way. While the user is busy in full screen and the user's
    // options ask for it, it shows nothing and looks again after
    // kHeldBackRecheckMs; the tick that Next or Previous asked for shows its
    // pictures all the same. Empty when the tick shows nothing.
    std::vector<std::size_t> Tick(AppSettings& live, bool userBusy = false, std::size_t count = 1);
    // A tick as soon as possible, showing the picture at the position.
    void Next();
    // Steps back so that the next tick shows the change before the current
    // one, of `count` pictures each.
    void Previous(AppSettings& live, std::size_t count = 1);

    const std::vector<std::uint32_t>& Order() const { return order_; }
    // Whether the last tick held its change back.
    bool HeldBack() const { return heldBack_; }

private:
    void Rebuild(AppSettings& live);
    // The index at the position, moving it on.
    std::size_t Take(AppSettings& live);

    RotationTimer& timer_;
    ClassicRandom random_;
    std::vector<std::uint32_t> order_;
    bool asked_ = false;  // the coming tick is the user's own
    bool heldBack_ = false;
};
