// The hidden main window: it is never shown and exists to receive the
// program's messages.
#pragma once

#include <windows.h>

#include <span>

#include "framework/window_win32.h"
#include "wallpaper/desktop_wallpaper_win32.h"
#include "wallpaper/wallpaper_worker_win32.h"

class CMainFrame : public fw::Window {
public:
    CMainFrame();
    ~CMainFrame() override;

    bool Create();

    // One wallpaper change on a worker thread of its own.
    void StartWallpaperWorker(WallpaperJob job);

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void OnFinalMessage() override;

private:
    static std::span<const fw::MessageEntry<CMainFrame>> Messages();

    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);

    // The user's wallpaper style, read before anything is changed and put
    // back when this object goes.
    SavedWallpaperStyle savedWallpaperStyle_;
};
