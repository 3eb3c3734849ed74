// The settings records: everything the user can set, the registered
// pictures and the saved desktop icon layout. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/icon_layout.h"
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

// Whether a change of the display set-up restores the icon layout saved for
// the new one: the user's own choice, else what the restore at start says.
bool RestoresLayoutOnDisplayChange(const AppSettings& settings);
