// Showing the program's wallpaper bitmap without taking over the user's own
// wallpaper setting, and putting the user's wallpaper back.
#pragma once

#include <cstdint>
#include <string>

// Whether the user's wallpaper was tiled or stretched, as read when the
// main window object is made.
struct SavedWallpaperStyle {
    bool tile = false;
    bool stretch = false;
};

// A value that cannot be read into its two bytes (longer than one
// character) leaves its flag false.
SavedWallpaperStyle ReadSavedWallpaperStyle();

// Writes the style values of the display method and shows the bitmap
// without storing it as the user's wallpaper, then resets the icon labels'
// background (none when `transparentLabels`). False when the desktop key
// cannot be written, or when the path does not fit the system's 260-byte
// buffer.
bool ApplyWallpaper(const std::string& bitmapPath, std::int32_t displayMethod, bool transparentLabels);
// The desktop shows its background colour only.
void EraseWallpaper();
// The system shows the wallpaper stored in its own settings again.
void ReloadRegistryWallpaper();
// Writes the saved style back and reloads the user's wallpaper.
void RestoreWallpaper(const SavedWallpaperStyle& saved);
