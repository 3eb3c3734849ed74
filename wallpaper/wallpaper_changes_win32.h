// The one way onto the screen: the workers' composed pictures, erasing and
// restoring all show through here, one at a time and in request order.
// Shared by the main window and every worker, which may outlive it.
#pragma once

#include <windows.h>

#include <functional>
#include <mutex>

#include "framework/handles_win32.h"
#include "wallpaper/change_order.h"

class WallpaperChanges {
public:
    WallpaperChanges();

    ChangeOrder& Order() { return order_; }

    // A worker's picture: `write` writes the wallpaper bitmap, then `show`
    // shows it, each only while the change is not stale. True when shown.
    bool WriteAndShow(ChangeOrder::Change change, const std::function<bool()>& write,
                      const std::function<void()>& show);
    // The main thread's erase or restore, at once unless the change is stale.
    void ShowNow(ChangeOrder::Change change, const std::function<void()>& show);
    // The main thread, last of all: `restore`, and no change after it.
    void Finish(const std::function<void()>& restore);

private:
    class ShowLock;

    std::mutex fileLock_;          // one writer of the wallpaper bitmap at a time
    fw::UniqueHandle showLock_;    // a kernel mutex, so that the main thread can wait for it and answer messages
    ChangeOrder order_;
};
