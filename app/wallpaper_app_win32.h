// The application object: start-up, single instance, the two settings
// records, the change event and the main window.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/handles_win32.h"
#include "settings/settings_file_win32.h"
#include "settings/settings_records.h"

class CMainFrame;

class WallpaperApp {
public:
    WallpaperApp();
    ~WallpaperApp();
    WallpaperApp(const WallpaperApp&) = delete;
    WallpaperApp& operator=(const WallpaperApp&) = delete;

    // The start-up sequence; false when the process must end at once
    // (another instance runs, or the main window cannot be created).
    bool InitInstance();
    // The message loop; returns the exit code of WM_QUIT. The main window
    // object goes with the loop's end, putting the user's wallpaper back.
    int Run();
    // The exit sequence: closes the change event and writes the live
    // settings, unless the load found a file it may not replace. Runs once,
    // whether from the end of the loop or at log-off.
    int ExitInstance(int exitCode);

private:
    // Writes the live settings now, unless the load found a file it may not
    // replace.
    void SaveLiveSettings(HWND messageOwner, SaveFailure failure);

    std::string instanceName_;
    HANDLE instanceMutex_ = nullptr;  // held until the process ends, never closed
    SettingsRecords settings_;
    std::string programFolder_;
    std::string wallpaperBitmapPath_;
    fw::UniqueHandle changeEvent_;
    SettingsFileAtExit settingsFileAtExit_ = SettingsFileAtExit::Replace;
    std::unique_ptr<CMainFrame> mainFrame_;
    bool exited_ = false;
};
