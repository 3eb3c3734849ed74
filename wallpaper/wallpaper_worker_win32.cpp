#include "wallpaper/wallpaper_worker_win32.h"

#include "display/monitors_win32.h"
#include "framework/handles_win32.h"
#include "settings/settings_model.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/picture_file_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/desktop_wallpaper_win32.h"
#include "wallpaper/jpeg_picture.h"
#include "wallpaper/screen_placement.h"
#include "wallpaper/wallpaper_changes_win32.h"

namespace {

struct WorkerStart {
    WallpaperJob job;
    WallpaperTarget target;
    fw::UniqueHandle event;  // the worker's own handle: the program may close its handle at exit
};

DWORD WINAPI WorkerThread(LPVOID parameter) noexcept {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    // Nothing may leave the thread: an exception here would end the program.
    try {
        start->target.changeEvent = start->event.Get();
        ComposeWallpaper(start->job, start->target);
    } catch (...) {
    }
    return 0;
}

// The composed picture read in place, as each monitor's picture: the
// composition only reads a picture's pixels.
Picture PictureOf(const std::shared_ptr<const Bitmap>& composed) {
    return Picture(Bitmap(const_cast<std::uint32_t*>(composed->Pixels()), composed->Width(), composed->Height(),
                          [keep = composed] {}));
}

void ComposeAcrossMonitors(const WallpaperJob& job, const std::vector<MonitorRect>& monitors,
                           const WallpaperTarget& target) {
    const ChangeOrder& order = target.changes->Order();
    const MonitorPictureLoader load = [&](const MonitorPicture& picture,
                                          const JpegReductionRule& reductionFor) -> std::optional<Picture> {
        if (order.IsStale(job.change)) return std::nullopt;  // no more decoding for nothing
        if (job.composed) return PictureOf(job.composed);
        return LoadPictureFile(picture.path, reductionFor);
    };
    auto wallpaper = ComposeSpanningBitmap(LayOutMonitors(monitors), job.monitorPictures, load, DesktopColour());
    if (!wallpaper || order.IsStale(job.change)) return;
    // Tiled from the primary monitor's corner, the one call that spans the
    // monitors on every version of the system.
    target.changes->WriteAndShow(
        job.change, [&] { return WriteBitmapFile(target.bitmapPath, &*wallpaper); },
        [&] {
            ApplyWallpaper(target.bitmapPath, static_cast<std::int32_t>(DisplayMethod::Tile), job.transparentLabels);
        });
}

}  // namespace

// The primary monitor in physical pixels, the program being DPI aware per
// monitor. Read for each change, so that one made after the display has
// changed takes the new size.
std::optional<BitmapSize> PrimaryMonitorSize() {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!::GetMonitorInfoW(::MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &info)) return std::nullopt;
    const RECT& monitor = info.rcMonitor;
    const BitmapSize size{monitor.right - monitor.left, monitor.bottom - monitor.top};
    if (!IsBitmapSizeAllowed(size)) return std::nullopt;
    return size;
}

PixelValue DesktopColour() { return PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND)); }

WallpaperJob JobFromEntry(const WallpaperEntry& entry) {
    WallpaperJob job;
    job.path = entry.path;
    job.displayMethod = entry.displayMethod;
    job.magnification = static_cast<std::uint32_t>(entry.magnification);
    job.transparency = entry.transparency;
    return job;
}

MonitorPicture MonitorPictureFromEntry(const WallpaperEntry& entry) {
    return {entry.path, entry.displayMethod, static_cast<std::uint32_t>(entry.magnification), entry.transparency};
}

void StartWallpaperWorker(WallpaperJob job, const WallpaperTarget& target) {
    auto start = std::make_unique<WorkerStart>(WorkerStart{std::move(job), target, {}});
    HANDLE duplicate = nullptr;
    if (target.changeEvent && ::DuplicateHandle(::GetCurrentProcess(), target.changeEvent, ::GetCurrentProcess(),
                                                &duplicate, SYNCHRONIZE, FALSE, 0)) {
        start->event.Reset(duplicate);
    }
    const HANDLE thread = ::CreateThread(nullptr, 0, &WorkerThread, start.get(), 0, nullptr);
    if (!thread) return;
    start.release();  // the thread owns it now
    ::CloseHandle(thread);
}

void ComposeWallpaper(const WallpaperJob& job, const WallpaperTarget& target) {
    // A failed wait (no event) counts as signalled.
    ::WaitForSingleObject(target.changeEvent, INFINITE);
    ChangeOrder& order = target.changes->Order();
    // A change that a newer one has overtaken is dropped as early as that is known.
    if (order.IsStale(job.change)) return;
    if (!job.monitorPictures.empty()) {
        const std::vector<MonitorRect> monitors = MonitorRects();
        if (monitors.size() > 1) return ComposeAcrossMonitors(job, monitors, target);
    }
    if (job.composed) {
        target.changes->WriteAndShow(
            job.change, [&] { return WriteBitmapFile(target.bitmapPath, job.composed.get()); },
            [&] { ApplyWallpaper(target.bitmapPath, job.displayMethod, job.transparentLabels); });
        return;
    }
    // Fill and Fit are composed at the screen's size, the others at the picture's.
    std::optional<BitmapSize> screen;
    if (IsShownAtScreenSize(job.displayMethod)) {
        screen = PrimaryMonitorSize();
        if (!screen) return;
    }
    const auto placementFor = [&](BitmapSize full) {
        return PlaceOnScreen(static_cast<DisplayMethod>(job.displayMethod), full, *screen);
    };
    JpegReductionRule reductionFor = JpegReductionAt(job.magnification);
    if (screen) {
        reductionFor = [&](BitmapSize full) {
            const ScreenPlacement placement = placementFor(full);
            return JpegReductionFor(placement.source, placement.target.Size());
        };
    }
    auto picture = LoadPictureFile(job.path, reductionFor);
    if (!picture || order.IsStale(job.change)) return;
    const PixelValue background = DesktopColour();
    std::optional<Bitmap> wallpaper;
    if (screen) {
        const ScreenPlacement placement = placementFor(picture->FullSize());
        wallpaper = ComposeScreenBitmap(std::move(*picture), placement, job.transparency, background);
    } else {
        wallpaper = ComposeWallpaperBitmap(std::move(*picture), job.magnification, job.transparency, background);
    }
    if (!wallpaper) return;
    target.changes->WriteAndShow(
        job.change, [&] { return WriteBitmapFile(target.bitmapPath, &*wallpaper); },
        [&] { ApplyWallpaper(target.bitmapPath, job.displayMethod, job.transparentLabels); });
}
