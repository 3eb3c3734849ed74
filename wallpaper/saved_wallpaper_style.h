// The user's own wallpaper style values, kept exactly as the registry held
// them so that they can be put back byte for byte. Portable: no Windows
// headers.
#pragma once

#include <cstdint>
#include <string>

struct SavedRegistryValue {
    enum class State : std::uint8_t {
        Unknown = 0,  // could not be read: a restore leaves the value alone
        Absent = 1,   // was not there: a restore deletes it
        Present = 2,  // a restore writes back `type` and `data`
    };
    State state = State::Unknown;
    std::uint32_t type = 0;  // the registry's value type (REG_SZ is 1)
    std::string data;        // the value's bytes as stored, terminator included

    bool operator==(const SavedRegistryValue&) const = default;
};

// "TileWallpaper" and "WallpaperStyle" of the user's desktop key.
struct SavedWallpaperStyle {
    SavedRegistryValue tileWallpaper;
    SavedRegistryValue wallpaperStyle;

    bool operator==(const SavedWallpaperStyle&) const = default;
};
