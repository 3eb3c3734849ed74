// One wallpaper change on a thread of its own: decode, scale, blend over the
// desktop colour, write the wallpaper bitmap, show it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "display/monitor_layout.h"
#include "wallpaper/bitmap.h"
#include "wallpaper/change_order.h"
#include "wallpaper/compose.h"

class WallpaperChanges;
class WallpaperEntry;

// The worker's private copy of what to show, taken when the change is
// asked for: the worker reads nothing of the settings, which may be gone
// by the time it shows.
struct WallpaperJob {
    std::string path;
    std::int32_t displayMethod = 0;
    std::uint32_t magnification = 100;  // percent, compared as unsigned
    std::int32_t transparency = 0;      // percent, clamped by the blend
    ChangeOrder::Change change = 0;     // its place in the order of changes
    bool transparentLabels = false;     // the icon labels' background after the show
    // Composed ahead (the boss picture): written and shown as it is.
    std::shared_ptr<const Bitmap> composed;
    // With a picture for each monitor: the pictures in the monitors'
    // order, coming again in turn when there are more monitors. More than
    // one monitor makes one bitmap spanning them all, shown tiled (a
    // composed picture then stands for each); on one, the job shows as any
    // other. Empty when the whole screen shows one picture.
    std::vector<MonitorPicture> monitorPictures;
};

WallpaperJob JobFromEntry(const WallpaperEntry& entry);
MonitorPicture MonitorPictureFromEntry(const WallpaperEntry& entry);

// What a change reads of the system when it is composed: the primary
// monitor's size in physical pixels (nothing when it cannot be read), and
// the desktop colour.
std::optional<BitmapSize> PrimaryMonitorSize();
PixelValue DesktopColour();

// Where a worker writes, what it waits for and the order it shows in.
struct WallpaperTarget {
    HANDLE changeEvent;      // held back while the settings dialog commits
    std::string bitmapPath;  // Vistaloom.bmp in the program folder
    std::shared_ptr<WallpaperChanges> changes;
};

// Starts a thread for the job and returns at once; nothing is kept of it.
void StartWallpaperWorker(WallpaperJob job, const WallpaperTarget& target);

// The thread's work. Every failure ends it silently with the current
// wallpaper left as it is; so does a change that has gone stale.
void ComposeWallpaper(const WallpaperJob& job, const WallpaperTarget& target);
