// Showing the program's wallpaper bitmap without taking over the user's own
// wallpaper setting, and putting the user's wallpaper back.
#pragma once

#include <cstdint>
#include <string>

#include "wallpaper/saved_wallpaper_style.h"

// The two style values exactly as the user's desktop key holds them, of
// any length and type; a value that is not there reads as absent.
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
// Puts the saved values back exactly (deleting one that was absent) and
// reloads the user's wallpaper; false when a value could not be put back.
bool RestoreWallpaper(const SavedWallpaperStyle& saved);
