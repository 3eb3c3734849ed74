// The order in which wallpaper changes may reach the screen. Every change
// (a composed picture, an erase, a restore) takes a number when it is asked
// for; one that is older than the newest change shown, or than the newest
// boss-key change, is stale: it neither writes nor shows anything. So the
// screen always ends on the last request, whichever worker finishes first,
// and nothing asked for before the boss key can replace the boss picture.
// Portable: no Windows headers.
#pragma once

#include <atomic>
#include <cstdint>

class ChangeOrder {
public:
    using Change = std::uint64_t;

    // The number of a new change.
    Change Request();
    // The number of a change that makes every change asked for before it
    // stale at once, before it is shown itself: the boss key's.
    Change RequestOverriding();

    bool IsStale(Change change) const;
    // The change has reached the screen. Called by whoever shows it, one at
    // a time.
    void Shown(Change change);
    // No change may reach the screen any more: the user's wallpaper is back
    // for the rest of the run.
    void Close();
    bool Closed() const { return closed_; }

private:
    std::atomic<Change> requested_{0};
    std::atomic<Change> shown_{0};
    std::atomic<Change> overriding_{0};
    std::atomic<bool> closed_{false};
};
