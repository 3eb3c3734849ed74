// One wallpaper change on a thread of its own: decode, scale, blend over the
// desktop colour, write the wallpaper bitmap, show it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class AppSettings;
class WallpaperEntry;

// The worker's private copy of what to show.
struct WallpaperJob {
    std::string path;
    std::int32_t displayMethod = 0;
    std::uint32_t magnification = 100;  // percent, compared as unsigned
    std::int32_t transparency = 0;      // percent, clamped by the blend
};

WallpaperJob JobFromEntry(const WallpaperEntry& entry);

// Where a worker writes and what it waits for.
struct WallpaperTarget {
    HANDLE changeEvent;      // held back while the settings dialog commits
    std::string bitmapPath;  // Vistaloom.bmp in the program folder
    const AppSettings* live; // read for the icon labels' background only
};

// Starts a thread for the job and returns at once; nothing is kept of it.
void StartWallpaperWorker(WallpaperJob job, const WallpaperTarget& target);

// The thread's work. Every failure ends it silently with the current
// wallpaper left as it is.
void ComposeWallpaper(const WallpaperJob& job, const WallpaperTarget& target);
