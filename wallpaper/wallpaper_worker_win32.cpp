#include "wallpaper/wallpaper_worker_win32.h"

#include <memory>
#include <mutex>

#include "framework/handles_win32.h"
#include "settings/settings_model.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/desktop_wallpaper_win32.h"

namespace {

// Held from the start of the file write to the end of ApplyWallpaper: two
// workers that both got this far can otherwise rewrite the bitmap while the
// system reads it for the other's apply, and show a torn picture.
std::mutex wallpaperFileLock;

struct WorkerStart {
    WallpaperJob job;
    WallpaperTarget target;
    fw::UniqueHandle event;  // the worker's own handle: the program may close its handle at exit
};

DWORD WINAPI WorkerThread(LPVOID parameter) {
    const std::unique_ptr<WorkerStart> start(static_cast<WorkerStart*>(parameter));
    start->target.changeEvent = start->event.Get();
    ComposeWallpaper(start->job, start->target);
    return 0;
}

}  // namespace

WallpaperJob JobFromEntry(const WallpaperEntry& entry) {
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
    auto picture = LoadPictureFile(job.path);
    if (!picture) return;
    const PixelValue background = PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND));
    const auto wallpaper = ComposeWallpaperBitmap(std::move(*picture), job.magnification, job.transparency, background);
    if (!wallpaper) return;
    const std::lock_guard<std::mutex> lock(wallpaperFileLock);
    if (WriteBitmapFile(target.bitmapPath, &*wallpaper)) ApplyWallpaper(target.bitmapPath, job.displayMethod, *target.live);
}
