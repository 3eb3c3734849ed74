#include "app/main_frame_win32.h"

#include "app/boss_key_win32.h"
#include "app/program_paths.h"
#include "app/wallpaper_app_win32.h"
#include "desktop/desktop_icons_win32.h"
#include "dialogs/about_box_win32.h"
#include "dialogs/settings_dialog_win32.h"
#include "desktop/icon_layout_win32.h"
#include "framework/module_path_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"

namespace {

constexpr char kFrameClass[] = "VistaloomMainFrame";
constexpr UINT_PTR kRotationTimerId = 1;

UINT TrayMessage() {
    static const UINT message = ::RegisterWindowMessageA(texts::kTrayMessage);
    return message;
}

UINT TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageA(texts::kTaskbarCreated);
    return message;
}

void ApplyIconSize(const AppSettings& live) {
    if (live.smallIcons) {
        UseSmallDesktopIcons();
    } else {
        UseStandardDesktopIcons();
    }
}

}  // namespace

void CMainFrame::WindowTimer::Arm(std::uint32_t periodMs) {
    ::SetTimer(frame_.Handle(), kRotationTimerId, periodMs, nullptr);
}

void CMainFrame::WindowTimer::Stop() { ::KillTimer(frame_.Handle(), kRotationTimerId); }

CMainFrame::CMainFrame()
    : popupMenu_(::LoadMenuA(fw::ModuleInstance(), MAKEINTRESOURCEA(IDR_TRAY_MENU))),
      savedWallpaperStyle_(ReadSavedWallpaperStyle()) {}

CMainFrame::~CMainFrame() {
    popupMenu_.Reset();
    RestoreWallpaperForGood();
}

void CMainFrame::RestoreWallpaperForGood() {
    wallpaperChanges_->Finish([this] { RestoreWallpaper(savedWallpaperStyle_); });
}

bool CMainFrame::Create() {
    return fw::Window::Create(kFrameClass, texts::kAppName, WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, 0, 0, 100,
                              100);
}

std::span<const fw::MessageEntry<CMainFrame>> CMainFrame::Messages() {
    static const fw::MessageEntry<CMainFrame> map[] = {
        fw::OnMessage(WM_CREATE, &CMainFrame::OnCreate),
        fw::OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
        fw::OnMessage(WM_QUERYENDSESSION, &CMainFrame::OnQueryEndSession),
        fw::OnMessage(WM_ENDSESSION, &CMainFrame::OnEndSession),
        fw::OnMessage(TrayMessage(), &CMainFrame::OnTrayNotify),
        fw::OnMessage(TaskbarCreatedMessage(), &CMainFrame::OnTaskbarCreated),
        fw::OnMessage(WM_TIMER, &CMainFrame::OnTimer),
        fw::OnMessage(WM_HOTKEY, &CMainFrame::OnBossKey),
        fw::OnCommand(ID_SHOW_SETTINGS, &CMainFrame::OnShowSettings),
        fw::OnCommand(ID_ERASE_WALLPAPER, &CMainFrame::OnEraseWallpaper),
        fw::OnCommand(ID_RESTORE_WALLPAPER, &CMainFrame::OnRestoreWallpaper),
        fw::OnCommand(ID_TOGGLE_ROTATION, &CMainFrame::OnToggleRotation),
        fw::OnCommand(ID_NEXT_PICTURE, &CMainFrame::OnNextPicture),
        fw::OnCommand(ID_PREVIOUS_PICTURE, &CMainFrame::OnPreviousPicture),
        fw::OnCommand(ID_SAVE_ICON_LAYOUT, &CMainFrame::OnSaveIconLayout),
        fw::OnCommand(ID_RESTORE_ICON_LAYOUT, &CMainFrame::OnRestoreIconLayout),
        fw::OnCommand(ID_SORT_BY_NAME, &CMainFrame::OnSortByName),
        fw::OnCommand(ID_SORT_BY_TYPE, &CMainFrame::OnSortByType),
        fw::OnCommand(ID_SORT_BY_SIZE, &CMainFrame::OnSortBySize),
        fw::OnCommand(ID_SORT_BY_DATE, &CMainFrame::OnSortByDate),
        fw::OnCommand(ID_STANDARD_ICONS, &CMainFrame::OnStandardIcons),
        fw::OnCommand(ID_SMALL_ICONS, &CMainFrame::OnSmallIcons),
        fw::OnCommand(ID_HIDE_ICONS, &CMainFrame::OnHideIcons),
        fw::OnCommand(ID_SHOW_HELP, &CMainFrame::OnShowHelp),
        fw::OnCommand(ID_SHOW_ABOUT, &CMainFrame::OnShowAbout),
        fw::OnCommand(ID_APP_EXIT, &CMainFrame::OnAppExit),
    };
    return map;
}

bool CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    tray_.OnWindowMessage(message, wParam);
    return fw::Dispatch(Messages(), this, message, wParam, lParam, result);
}

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
    AppSettings& live = WallpaperApp::Current().Settings();
    tray_.Add(Handle(), TrayMessage(), live.rotationEnabled);
    // A tool window never gets a taskbar button.
    ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    RegisterBossHotkey(Handle(), live.bossHotkey, Handle());
    ApplyLabelBackgroundSetting(live.transparentLabelBackground != 0);
    ApplyIconSize(live);
    if (live.restoreIconLayoutAtStart) RestoreIconLayout(live.iconLayout);
    if (live.rotationEnabled) RotationTick();
    return 0;
}

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
    if (WallpaperApp::Current().Settings().saveIconLayoutAtExit) OnSaveIconLayout();
    tray_.Delete();
    // Whatever the menu left them as, the icons are shown at exit.
    ShowDesktopIcons(SW_SHOW);
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CMainFrame::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// At log-off the window is not destroyed, so the desktop icons and the tray
// are left as they are. The user's wallpaper style is put back all the
// same: left in the registry, the program's values would tile or stretch
// the user's own wallpaper at the next logon, and be read back as the
// user's own at the next start.
LRESULT CMainFrame::OnEndSession(WPARAM ending, LPARAM) {
    if (!ending) return 0;
    RestoreWallpaperForGood();
    WallpaperApp::Current().ExitInstance(0);
    return 0;
}

void CMainFrame::OnFinalMessage() { WallpaperApp::Current().OnMainFrameDestroyed(); }

void CMainFrame::StartWallpaperWorker(WallpaperJob job, ChangeOrder::Change change) {
    WallpaperApp& app = WallpaperApp::Current();
    job.change = change;
    job.transparentLabels = app.Settings().transparentLabelBackground != 0;
    ::StartWallpaperWorker(std::move(job), {app.ChangeEvent(), app.WallpaperBitmapPath(), wallpaperChanges_});
}

void CMainFrame::ShowRotationState(bool enabled) {
    tray_.Show(enabled);
}

void CMainFrame::ToggleRotation() {
    WallpaperApp& app = WallpaperApp::Current();
    const bool enable = !app.Settings().rotationEnabled;
    app.Settings().rotationEnabled = enable;
    app.WorkingCopy().rotationEnabled = enable;
    ShowRotationState(enable);
    if (enable) {
        RotationTick();
    } else {
        timer_.Stop();
    }
}

void CMainFrame::RotationTick() {
    AppSettings& live = WallpaperApp::Current().Settings();
    if (const auto index = rotation_.Tick(live)) {
        StartWallpaperWorker(JobFromEntry(live.imageList[*index]), wallpaperChanges_->Order().Request());
    }
}

LRESULT CMainFrame::OnTimer(WPARAM, LPARAM) {
    RotationTick();
    return 0;
}

LRESULT CMainFrame::OnTrayNotify(WPARAM id, LPARAM mouseMessage) {
    if (id != TrayIcon::kId) return 0;
    if (mouseMessage == WM_LBUTTONDOWN) {
        ToggleRotation();
    } else if (mouseMessage == WM_RBUTTONDOWN) {
        ShowTrayMenu();
    }
    return 0;
}

void CMainFrame::ShowTrayMenu() {
    const HMENU menu = ::GetSubMenu(popupMenu_.Get(), 0);
    UpdateTrayMenu(menu, WallpaperApp::Current().Settings());
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The foreground window and the WM_NULL after the menu make it close
    // when the user clicks elsewhere.
    ::SetForegroundWindow(Handle());
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    ::PostMessageA(Handle(), WM_NULL, 0, 0);
}

LRESULT CMainFrame::OnTaskbarCreated(WPARAM, LPARAM) {
    const AppSettings& live = WallpaperApp::Current().Settings();
    tray_.AddAgain();
    ::Sleep(1000);  // the new shell's desktop needs a moment before it answers
    ApplyIconSize(live);
    ShowDesktopIcons(live.iconsHidden ? SW_HIDE : SW_SHOWNORMAL);
    return 0;
}

LRESULT CMainFrame::OnBossKey(WPARAM, LPARAM) {
    WallpaperApp& app = WallpaperApp::Current();
    const std::string path = app.Settings().bossPicturePath;
    WIN32_FIND_DATAA found;
    const fw::UniqueFind exists(path.empty() ? INVALID_HANDLE_VALUE : ::FindFirstFileA(path.c_str(), &found));
    // Whatever was asked for before the boss key must not replace its picture.
    const ChangeOrder::Change change = wallpaperChanges_->Order().RequestOverriding();
    if (exists) {
        WallpaperJob job;  // centred, at its own size, unblended
        job.path = path;
        StartWallpaperWorker(std::move(job), change);
    } else {
        wallpaperChanges_->ShowNow(change, [] { EraseWallpaper(); });
    }
    // The timer runs on: paused, its next tick finds rotation disabled and stops.
    const bool enable = !app.Settings().pauseAfterBossKey;
    app.Settings().rotationEnabled = enable;
    app.WorkingCopy().rotationEnabled = enable;
    ShowRotationState(enable);
    return 0;
}

// One process-wide flag per dialog: a second request while one is open is dropped.
void CMainFrame::OnShowSettings() {
    static bool open = false;
    if (open) return;
    open = true;
    WallpaperApp& app = WallpaperApp::Current();
    DialogContext context{app.Settings(), app.WorkingCopy(), app.ChangeEvent(), Handle(), app.ProgramFolder()};
    SettingsDialog dialog(context);
    dialog.Run();
    open = false;
}

void CMainFrame::OnShowAbout() {
    static bool open = false;
    if (open) return;
    open = true;
    AboutBox box;
    box.RunModal(Handle());
    open = false;
}

void CMainFrame::OnEraseWallpaper() {
    wallpaperChanges_->ShowNow(wallpaperChanges_->Order().Request(), [] { EraseWallpaper(); });
}

void CMainFrame::OnRestoreWallpaper() {
    wallpaperChanges_->ShowNow(wallpaperChanges_->Order().Request(),
                               [this] { RestoreWallpaper(savedWallpaperStyle_); });
}

void CMainFrame::OnNextPicture() { rotation_.Next(); }

void CMainFrame::OnPreviousPicture() { rotation_.Previous(WallpaperApp::Current().Settings()); }

void CMainFrame::OnSaveIconLayout() {
    WallpaperApp& app = WallpaperApp::Current();
    SaveIconLayout(app.Settings().iconLayout);
    app.WorkingCopy().CopyFrom(app.Settings());
}

void CMainFrame::OnRestoreIconLayout() { RestoreIconLayout(WallpaperApp::Current().Settings().iconLayout); }

void CMainFrame::OnSortByName() { SortDesktopIcons(IconSortKind::Name); }

void CMainFrame::OnSortByType() { SortDesktopIcons(IconSortKind::Type); }

void CMainFrame::OnSortBySize() { SortDesktopIcons(IconSortKind::Size); }

void CMainFrame::OnSortByDate() { SortDesktopIcons(IconSortKind::Date); }

// The icon-size commands write only the live settings.
void CMainFrame::OnStandardIcons() {
    WallpaperApp::Current().Settings().smallIcons = 0;
    UseStandardDesktopIcons();
}

void CMainFrame::OnSmallIcons() {
    WallpaperApp::Current().Settings().smallIcons = 1;
    UseSmallDesktopIcons();
}

void CMainFrame::OnHideIcons() {
    AppSettings& live = WallpaperApp::Current().Settings();
    ShowDesktopIcons(live.iconsHidden ? SW_SHOWNORMAL : SW_HIDE);
    live.iconsHidden = !live.iconsHidden;
}

void CMainFrame::OnShowHelp() {
    // HTML help is loaded when first asked for: a system without it still
    // runs the program, and a missing help file is not reported.
    using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    static const HMODULE library = ::LoadLibraryA("hhctrl.ocx");
    const auto htmlHelp =
        library ? reinterpret_cast<HtmlHelpFunction>(reinterpret_cast<void (*)()>(::GetProcAddress(library, "HtmlHelpA")))
                : nullptr;
    if (!htmlHelp) return;
    const std::string path = ProgramFolderOf(ModulePath()) + "\\" + texts::kHelpFile;
    htmlHelp(nullptr, path.c_str(), 0 /* HH_DISPLAY_TOPIC */, 0);
}

void CMainFrame::OnAppExit() { ::PostMessageA(Handle(), WM_CLOSE, 0, 0); }
