#include "settings/icon_layout.h"

#include "settings/archive.h"

void IconPosition::Serialize(SettingsArchive& ar) {
    ar.Transfer(x);
    ar.Transfer(y);
    ar.Transfer(name);
}

std::uint32_t IconLayout::Hash(std::string_view name) {
    std::uint32_t h = 0;
    for (const char c : StoredTextOf(name).bytes) h = h * 33 + static_cast<std::uint32_t>(static_cast<signed char>(c));
    return h;
}

IconLayout::IconLayout(const IconLayout& other) : buckets_(other.buckets_) { Reindex(); }

IconLayout& IconLayout::operator=(const IconLayout& other) {
    if (this != &other) {
        buckets_ = other.buckets_;
        Reindex();
    }
    return *this;
}

void IconLayout::Reindex() {
    index_.clear();
    for (auto& chain : buckets_) {
        for (auto& position : chain) index_.emplace(position.name, &position);
    }
}

void IconLayout::Insert(const IconPosition& position) {
    if (const auto found = index_.find(position.name); found != index_.end()) {
        found->second->x = position.x;
        found->second->y = position.y;
        return;
    }
    auto& chain = buckets_[Hash(position.name) % kBucketCount];
    chain.push_front(position);
    index_.emplace(chain.front().name, &chain.front());
}

const IconPosition* IconLayout::Find(std::string_view name) const {
    const auto found = index_.find(name);
    return found == index_.end() ? nullptr : found->second;
}

void IconLayout::Clear() {
    index_.clear();
    for (auto& chain : buckets_) chain.clear();
}

bool IconLayout::operator==(const IconLayout& other) const {
    if (Size() != other.Size()) return false;
    for (const auto& [name, position] : index_) {
        const IconPosition* match = other.Find(name);
        if (!match || match->x != position->x || match->y != position->y) return false;
    }
    return true;
}
