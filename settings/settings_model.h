// The settings records: everything the user can set, the registered
// pictures and the saved desktop icon layout. Portable: no Windows headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "settings/settings_extension.h"

class SettingsArchive;

// Fill and Fit are shown at the primary monitor's size; a reader that knows
// only the first three shows them centred.
enum class DisplayMethod : std::int32_t { None = 0, Tile = 1, Enlarge = 2, Fill = 3, Fit = 4 };

class WallpaperEntry {
public:
    // Bytes of the smallest stored record (five int32 and an empty string).
    static constexpr std::size_t kMinStoredBytes = 21;

    WallpaperEntry() = default;
    // Copies carry the path and the three display fields; the reserved
    // fields of a copy are 0, whatever the source held.
    WallpaperEntry(const WallpaperEntry& other);
    WallpaperEntry& operator=(const WallpaperEntry& other);
    WallpaperEntry(WallpaperEntry&&) noexcept = default;
    WallpaperEntry& operator=(WallpaperEntry&&) noexcept = default;
    virtual ~WallpaperEntry() = default;
    virtual void Serialize(SettingsArchive& ar);

    std::string path;
    std::int32_t displayMethod = static_cast<std::int32_t>(DisplayMethod::None);
    std::int32_t magnification = 100;
    std::int32_t transparency = 0;
    std::int32_t reserved1 = 0;
    std::int32_t reserved2 = 0;
};

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

class AppSettings {
public:
    AppSettings() = default;
    // Records are copied only with CopyFrom, which leaves out the run state.
    AppSettings(const AppSettings&) = delete;
    AppSettings& operator=(const AppSettings&) = delete;
    AppSettings(AppSettings&&) noexcept = default;
    AppSettings& operator=(AppSettings&&) noexcept = default;
    virtual ~AppSettings() = default;
    virtual void Serialize(SettingsArchive& ar);

    // Makes this record equal to the source except for rotationPosition,
    // iconsHidden and the extension's run state (all of it but the user's
    // options), which keep their values. The icon layout is rebuilt by
    // inserting the source's records in its iteration order.
    void CopyFrom(const AppSettings& source);
    // The icon layout alone, rebuilt as CopyFrom rebuilds it.
    void CopyIconLayoutFrom(const AppSettings& source);

    std::int32_t intervalUnit = 1;  // 0 hours, 1 minutes, 2 seconds
    std::int32_t intervalValue = 10;
    std::int32_t randomOrder = 0;
    std::int32_t rotationPosition = 0;
    std::int32_t pauseAfterBossKey = 1;
    std::int32_t rotationEnabled = 1;
    std::string bossPicturePath;
    std::uint16_t bossHotkey = 0;  // low byte virtual key, high byte MOD_* flags
    std::int32_t transparentLabelBackground = 0;
    std::int32_t smallIcons = 0;
    std::int32_t restoreIconLayoutAtStart = 0;
    std::int32_t saveIconLayoutAtExit = 0;
    std::int32_t iconsHidden = 0;  // run state only: never stored, never copied
    std::vector<WallpaperEntry> imageList;
    IconLayout iconLayout;
    // Stored after the classic layout. Its user's options are settings; the
    // rest is run state, which CopyFrom leaves alone.
    SettingsExtension extension;
};
