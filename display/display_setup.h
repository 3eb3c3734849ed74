// Display set-ups (the monitors' rectangles and DPI) and the icon layout the
// user saved on each. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "display/monitor_layout.h"
#include "settings/icon_layout.h"

// A monitor as a set-up counts it.
struct MonitorArea {
    MonitorRect rect;
    std::uint32_t dpi = 96;
};

// The set-up's key: its monitors' rectangles and DPI in an order of their
// own, so the order the system lists them in does not matter.
std::string DisplaySetupKey(std::vector<MonitorArea> monitors);

// The icon layouts saved on each set-up, the most recently used first. The
// layout saved last is the settings' classic one, which a reader of the
// classic file finds; its set-up's entry refers to it instead of holding a
// copy.
class SetupLayouts {
public:
    static constexpr std::size_t kMostSetups = 16;

    struct Entry {
        std::string setup;
        // Nothing for the set-up saved on last: its layout is the classic one.
        std::optional<IconLayout> layout;

        bool operator==(const Entry&) const = default;
    };

    SetupLayouts() = default;
    // Nothing when the entries break the store's rules: more than 16, an
    // empty or repeated set-up, more than one referring to the classic layout.
    static std::optional<SetupLayouts> FromEntries(std::vector<Entry> entries);

    // `fresh` was saved on `setup`: it becomes the classic layout, while the
    // layout the classic one held stays with the set-up it was saved on.
    void Save(const std::string& setup, IconLayout fresh, IconLayout& classic);
    // The layout to restore on `setup`: the one saved on it, which becomes
    // the most recently used, else the classic one, saved last.
    const IconLayout& Choose(const std::string& setup, const IconLayout& classic);
    bool Has(const std::string& setup) const;
    const std::vector<Entry>& Entries() const { return entries_; }
    bool Empty() const { return entries_.empty(); }

    bool operator==(const SetupLayouts&) const = default;

private:
    std::vector<Entry> entries_;
};

// When the desktop has settled after a change of the display set-up or a
// new shell, which rearranges the icons in its own time: the desktop looked
// the same several times in a row, or the looks ran out.
class SettleWatch {
public:
    static constexpr int kQuietLooks = 3;
    static constexpr int kMostLooks = 25;

    // One look at the desktop (nothing when it could not be seen); true once
    // it has settled.
    bool Look(std::optional<std::vector<std::int32_t>> desktop);

private:
    std::optional<std::vector<std::int32_t>> last_;
    int alike_ = 0;
    int looks_ = 0;
};
