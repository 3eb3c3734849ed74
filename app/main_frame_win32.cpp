#include "app/main_frame_win32.h"

#include <algorithm>
#include <iterator>

#include "app/boss_key_win32.h"
#include "app/busy_state.h"
#include "app/settings_commit_win32.h"
#include "desktop/desktop_icons_win32.h"
#include "desktop/display_layouts_win32.h"
#include "dialogs/about_box_win32.h"
#include "dialogs/settings_dialog_win32.h"
#include "display/monitors_win32.h"
#include "framework/system_function_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"
#include "settings/settings_records.h"
#include "wallpaper/screen_placement.h"

namespace {

constexpr wchar_t kFrameClass[] = L"VistaloomMainFrame";
constexpr UINT_PTR kRotationTimerId = 1;
// Once, a second after a new taskbar: the shell's new desktop needs that
// long before it answers, and the program must not wait for it meanwhile.
constexpr UINT_PTR kNewShellTimerId = 2;
constexpr UINT kNewShellDelayMs = 1000;
// The looks at a settling desktop before its set-up's icon layout comes back.
constexpr UINT_PTR kLayoutFollowerTimerId = 3;

// A record in the settings file means the run that wrote it did not end
// cleanly: the registry holds that run's values, not the user's.
SavedWallpaperStyle UserWallpaperStyle(const AppSettings& live) {
    const auto& kept = live.extension.userWallpaperStyle;
    return kept ? *kept : ReadSavedWallpaperStyle();
}


// The shell's word is looked up when first needed: a system without it
// still has the foreground window to go by.
bool UserBusyNow() {
    static const auto queryState =
        fw::SystemFunction<HRESULT(WINAPI*)(int*)>("shell32.dll", "SHQueryUserNotificationState");
    std::optional<ShellNotificationState> shell;
    int state = 0;
    if (queryState && SUCCEEDED(queryState(&state))) shell = static_cast<ShellNotificationState>(state);

    const HWND window = ::GetForegroundWindow();
    wchar_t className[64] = {};
    RECT rect{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!window || !::GetClassNameW(window, className, std::size(className)) || !::GetWindowRect(window, &rect) ||
        !::GetMonitorInfoW(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor)) {
        return UserBusyInFullScreen(shell, std::nullopt);
    }
    const std::string name = fw::Narrow(className);
    const RECT& m = monitor.rcMonitor;
    return UserBusyInFullScreen(shell, ForegroundWindow{name,
                                                        {rect.left, rect.top, rect.right, rect.bottom},
                                                        {m.left, m.top, m.right, m.bottom}});
}

// With the option, a change shows a picture on each monitor.
std::size_t PicturesPerChange(const AppSettings& live) {
    if (!live.extension.userOptions.perMonitorPictures) return 1;
    return std::max<std::size_t>(1, MonitorRects().size());
}

}  // namespace

void CMainFrame::WindowTimer::Arm(std::uint32_t periodMs) {
    ::SetTimer(frame_.Handle(), kRotationTimerId, periodMs, nullptr);
}

void CMainFrame::WindowTimer::Stop() { ::KillTimer(frame_.Handle(), kRotationTimerId); }

CMainFrame::CMainFrame(MainFrameContext context)
    : context_(std::move(context)),
      popupMenu_(::LoadMenuW(fw::ModuleInstance(), MAKEINTRESOURCEW(IDR_TRAY_MENU))),
      savedWallpaperStyle_(UserWallpaperStyle(context_.settings.Live())),
      layoutFollower_(context_.settings.Live(), kLayoutFollowerTimerId) {}

CMainFrame::~CMainFrame() {
    popupMenu_.Reset();
    RestoreWallpaperForGood();
}

void CMainFrame::RestoreWallpaperForGood() {
    wallpaperChanges_->Finish([this] {
        if (RestoreWallpaper(savedWallpaperStyle_)) context_.settings.Live().extension.userWallpaperStyle.reset();
    });
}

void CMainFrame::KeepUserStyleInFile() {
    auto& kept = context_.settings.Live().extension.userWallpaperStyle;
    if (kept) return;
    kept = savedWallpaperStyle_;
    // A file that cannot be written must not stop the wallpaper: the
    // message would come with every change.
    context_.saveSettings(nullptr, SaveFailure::Quiet);
}

bool CMainFrame::Create() {
    return fw::Window::Create(kFrameClass, texts::kAppName, WS_OVERLAPPEDWINDOW | WS_MINIMIZE, 0, 0, 0, 100,
                              100);
}

std::span<const fw::MessageEntry<CMainFrame>> CMainFrame::Messages() {
    static const fw::MessageEntry<CMainFrame> map[] = {
        fw::OnMessage(WM_CREATE, &CMainFrame::OnCreate),
        fw::OnMessage(WM_CLOSE, &CMainFrame::OnClose),
        fw::OnMessage(WM_DESTROY, &CMainFrame::OnDestroy),
        fw::OnMessage(WM_QUERYENDSESSION, &CMainFrame::OnQueryEndSession),
        fw::OnMessage(WM_ENDSESSION, &CMainFrame::OnEndSession),
        fw::OnMessage(kTrayCallback, &CMainFrame::OnTrayNotify),
        fw::OnMessage(kTaskbarCreated, &CMainFrame::OnTaskbarCreated),
        fw::OnMessage(WM_TIMER, &CMainFrame::OnTimer),
        fw::OnMessage(WM_HOTKEY, &CMainFrame::OnBossKey),
        fw::OnMessage(WM_DISPLAYCHANGE, &CMainFrame::OnDisplayChange),
        fw::OnMessage(WM_SYSCOLORCHANGE, &CMainFrame::OnSysColorChange),
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
    const AppSettings& live = context_.settings.Live();
    tray_.Add(Handle(), live.rotationEnabled);
    // A tool window never gets a taskbar button.
    ::SetWindowLongPtrW(Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    {
        const ModalScope message(*this);  // a taken hotkey is reported in a message box
        RegisterBossHotkey(Handle(), live.bossHotkey, Handle());
    }
    ApplyLabelBackgroundSetting(live.transparentLabelBackground != 0);
    UseDesktopIconSize(live.smallIcons != 0);
    if (live.restoreIconLayoutAtStart) RestoreIconLayoutForDisplay(context_.settings.Live());
    if (live.rotationEnabled) RotationTick();
    PrepareBossPicture();
    return 0;
}

CMainFrame::ModalScope::ModalScope(CMainFrame& frame) : frame_(frame) { ++frame_.modalLoops_; }

CMainFrame::ModalScope::~ModalScope() {
    if (--frame_.modalLoops_ == 0 && frame_.closeWaiting_) {
        frame_.closeWaiting_ = false;
        ::PostMessageW(frame_.Handle(), WM_CLOSE, 0, 0);
    }
}

LRESULT CMainFrame::OnClose(WPARAM wParam, LPARAM lParam) {
    if (modalLoops_ > 0) {
        closeWaiting_ = true;
        return 0;
    }
    return DefaultProc(WM_CLOSE, wParam, lParam);
}

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
    if (context_.settings.Live().saveIconLayoutAtExit) OnSaveIconLayout();
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
    context_.endOfSession();
    return 0;
}

void CMainFrame::StartWallpaperWorker(WallpaperJob job, ChangeOrder::Change change) {
    KeepUserStyleInFile();
    job.change = change;
    job.transparentLabels = context_.settings.Live().transparentLabelBackground != 0;
    screenSized_.reset();
    if (IsShownAtScreenSize(job.displayMethod)) screenSized_ = {job, PrimaryMonitorSize().value_or(BitmapSize{})};
    spanned_.reset();
    if (!job.monitorPictures.empty()) spanned_ = {job, MonitorRects()};
    ::StartWallpaperWorker(std::move(job), {context_.changeEvent, context_.wallpaperBitmapPath, wallpaperChanges_});
}

void CMainFrame::ShowRotationState(bool enabled) {
    tray_.Show(enabled);
    if (!enabled) tray_.ShowTip(texts::kAppName);  // a stopped rotation holds nothing back
}

void CMainFrame::ToggleRotation() {
    const bool enable = !context_.settings.Live().rotationEnabled;
    context_.settings.SetRotation(enable);
    ShowRotationState(enable);
    if (enable) {
        RotationTick();
    } else {
        timer_.Stop();
    }
}

void CMainFrame::RotationTick() {
    AppSettings& live = context_.settings.Live();
    const auto shown = rotation_.Tick(live, UserBusyNow(), PicturesPerChange(live));
    tray_.ShowTip(rotation_.HeldBack() ? texts::kTrayTipPaused : texts::kAppName);
    if (shown.empty()) return;
    WallpaperJob job = JobFromEntry(live.imageList[shown.front()]);
    if (live.extension.userOptions.perMonitorPictures) {
        for (const std::size_t index : shown) {
            job.monitorPictures.push_back(MonitorPictureFromEntry(live.imageList[index]));
        }
    }
    StartWallpaperWorker(std::move(job), wallpaperChanges_->Order().Request());
}

LRESULT CMainFrame::OnTimer(WPARAM id, LPARAM) {
    switch (id) {
        case kRotationTimerId:
            RotationTick();
            break;
        case kNewShellTimerId:
            ::KillTimer(Handle(), kNewShellTimerId);
            UseDesktopIconSize(context_.settings.Live().smallIcons != 0);
            ShowDesktopIcons(context_.settings.Live().iconsHidden ? SW_HIDE : SW_SHOWNORMAL);
            layoutFollower_.OnNewShell(Handle());
            break;
        case kLayoutFollowerTimerId:
            layoutFollower_.OnTimer(Handle());
            break;
        default:  // a timer of the system's own, such as a tooltip's
            break;
    }
    return 0;
}

// A new desktop colour is a new boss wallpaper.
LRESULT CMainFrame::OnSysColorChange(WPARAM, LPARAM) {
    PrepareBossPicture();
    return 0;
}

void CMainFrame::PrepareBossPicture() {
    PreparedPicture::Prepare(bossPicture_, context_.settings.Live().bossPicturePath, DesktopColour());
}

void CMainFrame::ShowNow(ChangeOrder::Change change, std::function<void()> show) {
    screenSized_.reset();
    spanned_.reset();
    wallpaperChanges_->ShowNow(change, show);
}

// The worker reads the primary monitor's size when it composes, so the same
// job again gives the picture at the new size.
LRESULT CMainFrame::OnDisplayChange(WPARAM, LPARAM size) {
    layoutFollower_.OnDisplayChange(Handle());
    PrepareBossPicture();
    if (spanned_) {
        // The same pictures over the monitors there are now.
        if (MonitorRects() != spanned_->monitors) {
            StartWallpaperWorker(spanned_->job, wallpaperChanges_->Order().Request());
        }
        return 0;
    }
    if (!screenSized_) return 0;
    const BitmapSize now{LOWORD(size), HIWORD(size)};
    if (now == screenSized_->screen) return 0;
    StartWallpaperWorker(screenSized_->job, wallpaperChanges_->Order().Request());
    screenSized_->screen = now;  // the size the message gave, whatever the metrics say yet
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
    UpdateTrayMenu(menu, context_.settings.Live());
    POINT cursor{};
    ::GetCursorPos(&cursor);
    // The foreground window and the WM_NULL after the menu make it close
    // when the user clicks elsewhere.
    ::SetForegroundWindow(Handle());
    ::TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, Handle(), nullptr);
    ::PostMessageW(Handle(), WM_NULL, 0, 0);
}

// The tray icon adds itself again; the desktop options follow when the
// shell's new desktop answers.
LRESULT CMainFrame::OnTaskbarCreated(WPARAM, LPARAM) {
    ::SetTimer(Handle(), kNewShellTimerId, kNewShellDelayMs, nullptr);
    return 0;
}

LRESULT CMainFrame::OnBossKey(WPARAM, LPARAM) {
    const std::string path = context_.settings.Live().bossPicturePath;
    WIN32_FIND_DATAW found;
    const fw::UniqueFind exists(path.empty() ? INVALID_HANDLE_VALUE : ::FindFirstFileW(fw::Wide(path).c_str(), &found));
    // Whatever was asked for before the boss key must not replace its picture.
    const ChangeOrder::Change change = wallpaperChanges_->Order().RequestOverriding();
    if (exists) {
        WallpaperJob job;  // centred, at its own size, unblended
        job.path = path;
        job.composed = bossPicture_->Take(path, found, DesktopColour());
        if (context_.settings.Live().extension.userOptions.perMonitorPictures) job.monitorPictures = {{path}};
        StartWallpaperWorker(std::move(job), change);
    } else {
        ShowNow(change, [] { EraseWallpaper(); });
    }
    // The timer runs on: paused, its next tick finds rotation disabled and stops.
    const bool enable = !context_.settings.Live().pauseAfterBossKey;
    context_.settings.SetRotation(enable);
    ShowRotationState(enable);
    return 0;
}

// One process-wide flag per dialog: a second request while one is open is dropped.
void CMainFrame::OnShowSettings() {
    static bool open = false;
    if (open) return;
    open = true;
    const SettingsCommit commit{context_.settings, context_.changeEvent, Handle(),
                                [this] { RotationTick(); },
                                [this](HWND owner) { context_.saveSettings(owner, SaveFailure::Report); }};
    DialogContext context{context_.settings, context_.programFolder, [this, &commit](HWND owner) {
                              CommitSettings(commit, owner);
                              PrepareBossPicture();
                          }};
    {
        const ModalScope modal(*this);
        SettingsDialog dialog(context);
        dialog.RunModal(Handle());
    }
    open = false;
}

void CMainFrame::OnShowAbout() {
    static bool open = false;
    if (open) return;
    open = true;
    {
        const ModalScope modal(*this);
        AboutBox box;
        box.RunModal(Handle());
    }
    open = false;
}

void CMainFrame::OnEraseWallpaper() {
    ShowNow(wallpaperChanges_->Order().Request(), [] { EraseWallpaper(); });
}

void CMainFrame::OnRestoreWallpaper() {
    ShowNow(wallpaperChanges_->Order().Request(), [this] { RestoreWallpaper(savedWallpaperStyle_); });
}

void CMainFrame::OnNextPicture() { rotation_.Next(); }

void CMainFrame::OnPreviousPicture() { rotation_.Previous(context_.settings.Live(), PicturesPerChange(context_.settings.Live())); }

// Only the layout goes into the working copy: the settings dialog may be
// open with edits not yet applied, which a whole copy would throw away.
void CMainFrame::OnSaveIconLayout() {
    SaveIconLayoutForDisplay(context_.settings.Live());
    context_.settings.CopyLayoutToWorking();
}

void CMainFrame::OnRestoreIconLayout() { RestoreIconLayoutForDisplay(context_.settings.Live()); }

void CMainFrame::OnSortByName() { SortDesktopIcons(IconSortKind::Name); }

void CMainFrame::OnSortByType() { SortDesktopIcons(IconSortKind::Type); }

void CMainFrame::OnSortBySize() { SortDesktopIcons(IconSortKind::Size); }

void CMainFrame::OnSortByDate() { SortDesktopIcons(IconSortKind::Date); }

// The icon-size commands write only the live settings.
void CMainFrame::OnStandardIcons() {
    context_.settings.Live().smallIcons = 0;
    UseStandardDesktopIcons();
}

void CMainFrame::OnSmallIcons() {
    context_.settings.Live().smallIcons = 1;
    UseSmallDesktopIcons();
}

void CMainFrame::OnHideIcons() {
    AppSettings& live = context_.settings.Live();
    ShowDesktopIcons(live.iconsHidden ? SW_SHOWNORMAL : SW_HIDE);
    live.iconsHidden = !live.iconsHidden;
}

void CMainFrame::OnShowHelp() {
    // HTML help is loaded when first asked for: a system without it still
    // runs the program, and a missing help file is not reported.
    static const auto htmlHelp =
        fw::SystemFunction<HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR)>("hhctrl.ocx", "HtmlHelpW");
    if (!htmlHelp) return;
    const std::wstring path = fw::Wide(context_.programFolder + "\\" + texts::kHelpFile);
    htmlHelp(nullptr, path.c_str(), 0 /* HH_DISPLAY_TOPIC */, 0);
}

void CMainFrame::OnAppExit() { ::PostMessageW(Handle(), WM_CLOSE, 0, 0); }
