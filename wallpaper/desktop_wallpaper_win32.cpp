#include "wallpaper/desktop_wallpaper_win32.h"

#include <windows.h>

#include <iterator>

#include "desktop/desktop_icons_win32.h"
#include "framework/handles_win32.h"
#include "framework/wide_win32.h"
#include "wallpaper/wallpaper_style.h"

namespace {

constexpr wchar_t kDesktopKey[] = L"Control Panel\\desktop\\";
constexpr wchar_t kTileValue[] = L"TileWallpaper";
constexpr wchar_t kStyleValue[] = L"WallpaperStyle";

fw::UniqueRegKey OpenDesktopKey(REGSAM access) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_CURRENT_USER, kDesktopKey, 0, access, &key) != ERROR_SUCCESS) return {};
    return fw::UniqueRegKey(key);
}

bool WriteValue(HKEY key, const wchar_t* name, const char* text) {
    const std::wstring wide = fw::Wide(text);
    return ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                            static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The wide call, so that the bytes come back as stored, not converted to
// the ANSI code page.
SavedRegistryValue ReadExactly(HKEY key, const wchar_t* name) {
    SavedRegistryValue value;
    DWORD type = 0, size = 0;
    LSTATUS status = ::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size);
    // Another program may make the value longer between asking its size and
    // reading it; `size` then holds the new length.
    for (int attempt = 0; status == ERROR_SUCCESS && attempt < 4; ++attempt) {
        value.data.assign(size, '\0');
        status = ::RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data.data()), &size);
        if (status == ERROR_SUCCESS) {
            value.data.resize(size);
            value.type = type;
            value.state = SavedRegistryValue::State::Present;
            return value;
        }
        if (status == ERROR_MORE_DATA) status = ERROR_SUCCESS;
    }
    value.data.clear();
    if (status == ERROR_FILE_NOT_FOUND) value.state = SavedRegistryValue::State::Absent;
    return value;
}

bool PutBack(HKEY key, const wchar_t* name, const SavedRegistryValue& value) {
    switch (value.state) {
    case SavedRegistryValue::State::Present:
        return ::RegSetValueExW(key, name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                                static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
    case SavedRegistryValue::State::Absent: {
        const LSTATUS status = ::RegDeleteValueW(key, name);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    case SavedRegistryValue::State::Unknown: break;
    }
    return true;
}

void SetDeskWallpaper(const wchar_t* path) {
    // Without SPIF_UPDATEINIFILE: shown and announced, but not stored.
    ::SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, const_cast<wchar_t*>(path), SPIF_SENDWININICHANGE);
}

}  // namespace

SavedWallpaperStyle ReadSavedWallpaperStyle() {
    SavedWallpaperStyle saved;
    if (const fw::UniqueRegKey key = OpenDesktopKey(KEY_READ)) {
        saved.tileWallpaper = ReadExactly(key.Get(), kTileValue);
        saved.wallpaperStyle = ReadExactly(key.Get(), kStyleValue);
    }
    return saved;
}

bool ApplyWallpaper(const std::string& bitmapPath, std::int32_t displayMethod, bool transparentLabels) {
    // The system keeps the wallpaper's path in a buffer of MAX_PATH characters.
    wchar_t buffer[MAX_PATH] = {};
    const std::wstring path = fw::Wide(bitmapPath);
    if (path.size() >= std::size(buffer)) return false;
    {
        const fw::UniqueRegKey key = OpenDesktopKey(KEY_ALL_ACCESS);
        if (!key) return false;
        const WallpaperStyleValues values = StyleValuesFor(displayMethod);
        if (!WriteValue(key.Get(), kTileValue, values.tileWallpaper) ||
            !WriteValue(key.Get(), kStyleValue, values.wallpaperStyle)) {
            return false;
        }
    }
    path.copy(buffer, path.size());
    SetDeskWallpaper(buffer);
    ApplyLabelBackgroundSetting(transparentLabels);
    return true;
}

void EraseWallpaper() { SetDeskWallpaper(L""); }

void ReloadRegistryWallpaper() { SetDeskWallpaper(nullptr); }

bool RestoreWallpaper(const SavedWallpaperStyle& saved) {
    bool restored = false;
    if (const fw::UniqueRegKey key = OpenDesktopKey(KEY_ALL_ACCESS)) {
        const bool tile = PutBack(key.Get(), kTileValue, saved.tileWallpaper);
        restored = PutBack(key.Get(), kStyleValue, saved.wallpaperStyle) && tile;
    }
    ReloadRegistryWallpaper();
    return restored;
}
