#include "display/display_setup.h"

#include <algorithm>
#include <set>
#include <tuple>

std::string DisplaySetupKey(std::vector<MonitorArea> monitors) {
    const auto fields = [](const MonitorArea& m) {
        return std::tie(m.rect.top, m.rect.left, m.rect.bottom, m.rect.right, m.dpi);
    };
    std::sort(monitors.begin(), monitors.end(),
              [&](const MonitorArea& a, const MonitorArea& b) { return fields(a) < fields(b); });
    std::string key;
    for (const MonitorArea& m : monitors) {
        if (!key.empty()) key += ';';
        key += std::to_string(m.rect.left) + ',' + std::to_string(m.rect.top) + ',' + std::to_string(m.rect.right) +
               ',' + std::to_string(m.rect.bottom) + '@' + std::to_string(m.dpi);
    }
    return key;
}

std::optional<SetupLayouts> SetupLayouts::FromEntries(std::vector<Entry> entries) {
    if (entries.size() > kMostSetups) return std::nullopt;
    std::set<std::string> setups;
    int classic = 0;
    for (const Entry& entry : entries) {
        if (entry.setup.empty() || !setups.insert(entry.setup).second) return std::nullopt;
        if (!entry.layout) ++classic;
    }
    if (classic > 1) return std::nullopt;
    SetupLayouts layouts;
    layouts.entries_ = std::move(entries);
    return layouts;
}

void SetupLayouts::Save(const std::string& setup, IconLayout fresh, IconLayout& classic) {
    for (Entry& entry : entries_) {
        if (!entry.layout) entry.layout = std::move(classic);
    }
    classic = std::move(fresh);
    std::erase_if(entries_, [&](const Entry& entry) { return entry.setup == setup; });
    entries_.insert(entries_.begin(), Entry{setup, std::nullopt});
    if (entries_.size() > kMostSetups) entries_.pop_back();
}

const IconLayout& SetupLayouts::Choose(const std::string& setup, const IconLayout& classic) {
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& entry) { return entry.setup == setup; });
    if (found == entries_.end()) return classic;
    std::rotate(entries_.begin(), found, found + 1);
    return entries_.front().layout ? *entries_.front().layout : classic;
}

bool SetupLayouts::Has(const std::string& setup) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const Entry& entry) { return entry.setup == setup; });
}

bool SettleWatch::Look(std::optional<std::vector<std::int32_t>> desktop) {
    ++looks_;
    // A desktop that cannot be seen (no shell yet) has not settled.
    alike_ = !desktop ? 0 : desktop == last_ ? alike_ + 1 : 1;
    last_ = std::move(desktop);
    return alike_ >= kQuietLooks || looks_ >= kMostLooks;
}
