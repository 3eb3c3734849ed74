// The registry's wallpaper style values for each display method.
// Portable: no Windows headers.
#pragma once

#include <cstdint>

#include "settings/settings_model.h"

struct WallpaperStyleValues {
    const char* tileWallpaper;
    const char* wallpaperStyle;
};

// None (and any unknown value) centred, Tile tiled, Enlarge stretched.
// Fill and Fit are centred too: their bitmap is the screen's size already.
constexpr WallpaperStyleValues StyleValuesFor(std::int32_t displayMethod) {
    switch (static_cast<DisplayMethod>(displayMethod)) {
    case DisplayMethod::Tile: return {"1", "0"};
    case DisplayMethod::Enlarge: return {"0", "2"};
    case DisplayMethod::Fill:
    case DisplayMethod::Fit: return {"0", "0"};
    default: return {"0", "0"};
    }
}
