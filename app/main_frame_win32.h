// The hidden main window: it owns the tray icon and its menu, and receives
// the rotation timer, the boss hotkey and the shell's taskbar notices.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "app/rotation.h"
#include "app/tray_icon_win32.h"
#include "desktop/display_layouts_win32.h"
#include "framework/handles_win32.h"
#include "framework/window_win32.h"
#include "settings/settings_file_win32.h"
#include "wallpaper/desktop_wallpaper_win32.h"
#include "wallpaper/prepared_picture_win32.h"
#include "wallpaper/wallpaper_changes_win32.h"
#include "wallpaper/wallpaper_worker_win32.h"

class AppSettings;
class SettingsRecords;

// What the main window works with, handed over when it is made; it owns
// none of it.
struct MainFrameContext {
    SettingsRecords& settings;
    HANDLE changeEvent;          // holds wallpaper workers back while the settings dialog commits
    std::string programFolder;
    std::string wallpaperBitmapPath;
    std::function<void()> endOfSession;  // the exit sequence, run at log-off
    // Writes the live settings to the settings file at once.
    std::function<void(HWND messageOwner, SaveFailure failure)> saveSettings;
};

class CMainFrame : public fw::Window {
public:
    explicit CMainFrame(MainFrameContext context);
    ~CMainFrame() override;

    bool Create();

protected:
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // The rotation timer is window timer 1 of this window.
    class WindowTimer : public RotationTimer {
    public:
        explicit WindowTimer(const CMainFrame& frame) : frame_(frame) {}
        void Arm(std::uint32_t periodMs) override;
        void Stop() override;

    private:
        const CMainFrame& frame_;
    };

    static std::span<const fw::MessageEntry<CMainFrame>> Messages();

    // While a modal loop of this thread runs (a dialog, a message box), the
    // window stays: the loop works on objects its destruction would take
    // away. A close asked for meanwhile follows when the last loop ends.
    class ModalScope {
    public:
        explicit ModalScope(CMainFrame& frame);
        ~ModalScope();
        ModalScope(const ModalScope&) = delete;
        ModalScope& operator=(const ModalScope&) = delete;

    private:
        CMainFrame& frame_;
    };

    LRESULT OnCreate(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);
    LRESULT OnDestroy(WPARAM, LPARAM);
    LRESULT OnQueryEndSession(WPARAM, LPARAM);
    LRESULT OnEndSession(WPARAM ending, LPARAM);
    LRESULT OnTrayNotify(WPARAM id, LPARAM mouseMessage);
    LRESULT OnTaskbarCreated(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);
    LRESULT OnBossKey(WPARAM, LPARAM);
    LRESULT OnDisplayChange(WPARAM, LPARAM size);
    LRESULT OnSysColorChange(WPARAM, LPARAM);

    void OnShowSettings();
    void OnEraseWallpaper();
    void OnRestoreWallpaper();
    void OnNextPicture();
    void OnPreviousPicture();
    void OnSaveIconLayout();
    void OnRestoreIconLayout();
    void OnSortByName();
    void OnSortByType();
    void OnSortBySize();
    void OnSortByDate();
    void OnStandardIcons();
    void OnSmallIcons();
    void OnHideIcons();
    void OnShowHelp();
    void OnShowAbout();
    void OnAppExit();
    void OnToggleRotation() { ToggleRotation(); }

    // One wallpaper change on a worker thread of its own, in its place
    // among the changes asked for.
    void StartWallpaperWorker(WallpaperJob job, ChangeOrder::Change change);
    // Erase or restore at once: nothing composed is on the screen after it.
    void ShowNow(ChangeOrder::Change change, std::function<void()> show);
    void ToggleRotation();
    // Shows the enabled or the disabled icon in the tray.
    void ShowRotationState(bool enabled);
    void RotationTick();
    void ShowTrayMenu();
    // The user's wallpaper style and wallpaper back, for good. Once they are
    // back, the settings file no longer needs to remember them.
    void RestoreWallpaperForGood();
    // Before the program first writes its own style values in a run, the
    // user's go into the settings file: a run that never ends cleanly would
    // otherwise leave the program's values to pass for the user's.
    void KeepUserStyleInFile();
    // Composes the boss picture ahead of its key: at start, and whenever the
    // picture, the desktop colour or the screen changes.
    void PrepareBossPicture();

    MainFrameContext context_;
    TrayIcon tray_;
    fw::UniqueMenu popupMenu_;
    // The user's wallpaper style, read before anything is changed (or kept
    // in the settings file by a run that did not end) and put back when this
    // object goes.
    SavedWallpaperStyle savedWallpaperStyle_;
    // Shared with the workers, which may outlive this window.
    std::shared_ptr<WallpaperChanges> wallpaperChanges_ = std::make_shared<WallpaperChanges>();
    // The last picture asked for when its method is Fill or Fit, and the
    // screen's size then: a new size needs it composed again.
    struct ScreenSizedShow {
        WallpaperJob job;
        BitmapSize screen;
    };
    std::optional<ScreenSizedShow> screenSized_;
    // The last pictures asked for one on each monitor, and the monitors
    // then: a new set-up needs them composed again.
    struct SpannedShow {
        WallpaperJob job;
        std::vector<MonitorRect> monitors;
    };
    std::optional<SpannedShow> spanned_;
    // Shared with the thread that composes it, which may outlive the window.
    std::shared_ptr<PreparedPicture> bossPicture_ = std::make_shared<PreparedPicture>();
    WindowTimer timer_{*this};
    LayoutFollower layoutFollower_;
    RotationScheduler rotation_{timer_};
    int modalLoops_ = 0;
    bool closeWaiting_ = false;
};
