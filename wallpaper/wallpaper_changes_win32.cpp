#include "wallpaper/wallpaper_changes_win32.h"

// Held while one change shows. A worker's show broadcasts the setting
// change to every top-level window, the main window among them, so the main
// thread goes on answering sent messages while it waits: otherwise the two
// would wait for each other.
class WallpaperChanges::ShowLock {
public:
    enum class Waiter { Worker, MainThread };

    ShowLock(HANDLE mutex, Waiter waiter) : mutex_(mutex) {
        DWORD result;
        if (waiter == Waiter::Worker) {
            result = ::WaitForSingleObject(mutex_, INFINITE);
        } else {
            while ((result = ::MsgWaitForMultipleObjects(1, &mutex_, FALSE, INFINITE, QS_SENDMESSAGE)) ==
                   WAIT_OBJECT_0 + 1) {
                MSG msg;
                ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
            }
        }
        owned_ = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
    }
    ~ShowLock() {
        if (owned_) ::ReleaseMutex(mutex_);
    }
    ShowLock(const ShowLock&) = delete;
    ShowLock& operator=(const ShowLock&) = delete;

private:
    HANDLE mutex_;
    bool owned_ = false;
};

WallpaperChanges::WallpaperChanges() : showLock_(::CreateMutexW(nullptr, FALSE, nullptr)) {}

bool WallpaperChanges::WriteAndShow(ChangeOrder::Change change, const std::function<bool()>& write,
                                    const std::function<void()>& show) {
    const std::lock_guard<std::mutex> file(fileLock_);
    if (order_.IsStale(change) || !write()) return false;
    // The system reads the bitmap while it shows it: the file stays ours
    // until then, so no other worker can rewrite it under the system.
    const ShowLock lock(showLock_.Get(), ShowLock::Waiter::Worker);
    if (order_.IsStale(change)) return false;
    show();
    order_.Shown(change);
    return true;
}

void WallpaperChanges::ShowNow(ChangeOrder::Change change, const std::function<void()>& show) {
    const ShowLock lock(showLock_.Get(), ShowLock::Waiter::MainThread);
    if (order_.IsStale(change)) return;
    show();
    order_.Shown(change);
}

void WallpaperChanges::Finish(const std::function<void()>& restore) {
    const ShowLock lock(showLock_.Get(), ShowLock::Waiter::MainThread);
    if (order_.Closed()) return;
    restore();
    order_.Close();
}
