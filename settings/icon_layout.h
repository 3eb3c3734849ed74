// The saved desktop icon layout: where each icon stood, by its text.
// Portable: no Windows headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

class SettingsArchive;

class IconPosition {
public:
    static constexpr std::size_t kMinStoredBytes = 9;

    IconPosition() = default;
    IconPosition(std::int32_t x, std::int32_t y, std::string name) : x(x), y(y), name(std::move(name)) {}
    IconPosition(const IconPosition&) = default;
    IconPosition& operator=(const IconPosition&) = default;
    IconPosition(IconPosition&&) noexcept = default;
    IconPosition& operator=(IconPosition&&) noexcept = default;
    virtual ~IconPosition() = default;
    virtual void Serialize(SettingsArchive& ar);

    std::int32_t x = 0;
    std::int32_t y = 0;
    std::string name;
};

// Map from icon name to its saved position: 17 buckets of singly linked
// chains, newest first. Its iteration order is the order of the records in
// the settings file, so the structure is part of the file format.
class IconLayout {
public:
    static constexpr std::size_t kBucketCount = 17;

    IconLayout() = default;
    IconLayout(const IconLayout& other);
    IconLayout& operator=(const IconLayout& other);
    IconLayout(IconLayout&&) noexcept = default;
    IconLayout& operator=(IconLayout&&) noexcept = default;

    // h = h * 33 + c over the bytes the file keeps for the name (code page
    // 932, or its UTF-16 form), taken as signed chars, modulo 2^32.
    static std::uint32_t Hash(std::string_view name);

    // Replaces the values of the record of that name in place, or puts a
    // new record at the head of its bucket's chain.
    void Insert(const IconPosition& position);
    const IconPosition* Find(std::string_view name) const;
    void Clear();
    std::size_t Size() const { return index_.size(); }
    // The same records, in whatever order their chains hold them.
    bool operator==(const IconLayout& other) const;

    // Buckets 0 to 16, each from the head of its chain.
    template <class Visit>
    void ForEach(Visit&& visit) const {
        for (const auto& chain : buckets_) {
            for (const auto& position : chain) visit(position);
        }
    }

private:
    void Reindex();

    std::array<std::forward_list<IconPosition>, kBucketCount> buckets_;
    // Finds a name without walking a chain: a chain of 17 buckets holds
    // hundreds of records in a large layout. The keys view the names held by
    // the chain nodes, which never move and whose names never change.
    std::unordered_map<std::string_view, IconPosition*> index_;
};
