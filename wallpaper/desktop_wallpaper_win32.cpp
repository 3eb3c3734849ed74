#include "wallpaper/desktop_wallpaper_win32.h"

#include <windows.h>

#include <cstring>

#include "desktop/desktop_icons_win32.h"
#include "framework/handles_win32.h"
#include "wallpaper/wallpaper_style.h"

namespace {

constexpr char kDesktopKey[] = "Control Panel\\desktop\\";
constexpr char kTileValue[] = "TileWallpaper";
constexpr char kStyleValue[] = "WallpaperStyle";

fw::UniqueRegKey OpenDesktopKey(REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, access, &key) != ERROR_SUCCESS) return {};
    return fw::UniqueRegKey(key);
}

bool WriteValue(HKEY key, const char* name, const char* text) {
    return ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                            static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

// True when the value fits two bytes (one character and its zero) and does
// not begin with "0".
bool ReadFlag(HKEY key, const char* name) {
    char text[2] = {};
    DWORD size = sizeof(text);
    return ::RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
           text[0] != '0';
}

void SetDeskWallpaper(const char* path) {
    // Without SPIF_UPDATEINIFILE: shown and announced, but not stored.
    ::SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(path), SPIF_SENDWININICHANGE);
}

}  // namespace

SavedWallpaperStyle ReadSavedWallpaperStyle() {
    SavedWallpaperStyle saved;
    const fw::UniqueRegKey key = OpenDesktopKey(KEY_READ);
    if (key) {
        saved.tile = ReadFlag(key.Get(), kTileValue);
        saved.stretch = ReadFlag(key.Get(), kStyleValue);
    }
    return saved;
}

bool ApplyWallpaper(const std::string& bitmapPath, std::int32_t displayMethod, bool transparentLabels) {
    char buffer[MAX_PATH] = {};
    if (bitmapPath.size() >= sizeof(buffer)) return false;
    {
        const fw::UniqueRegKey key = OpenDesktopKey(KEY_ALL_ACCESS);
        if (!key) return false;
        const WallpaperStyleValues values = StyleValuesFor(displayMethod);
        if (!WriteValue(key.Get(), kTileValue, values.tileWallpaper) ||
            !WriteValue(key.Get(), kStyleValue, values.wallpaperStyle)) {
            return false;
        }
    }
    std::memcpy(buffer, bitmapPath.data(), bitmapPath.size());
    SetDeskWallpaper(buffer);
    ApplyLabelBackgroundSetting(transparentLabels);
    return true;
}

void EraseWallpaper() { SetDeskWallpaper(""); }

void ReloadRegistryWallpaper() { SetDeskWallpaper(nullptr); }

void RestoreWallpaper(const SavedWallpaperStyle& saved) {
    if (const fw::UniqueRegKey key = OpenDesktopKey(KEY_ALL_ACCESS)) {
        WriteValue(key.Get(), kTileValue, saved.tile ? "1" : "0");
        WriteValue(key.Get(), kStyleValue, saved.stretch ? "2" : "0");
    }
    ReloadRegistryWallpaper();
}
