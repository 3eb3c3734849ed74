#include "app/wallpaper_app_win32.h"

#include "app/main_frame_win32.h"
#include "app/program_paths.h"
#include "framework/module_path_win32.h"
#include "framework/wide_win32.h"
#include "resources/texts.h"
#include "settings/settings_file_win32.h"

namespace {

// WM_KEYDOWN to 0x108, the end of the key range before WM_UNICHAR.
constexpr UINT kLastKeyMessage = 0x108;

}  // namespace

WallpaperApp::WallpaperApp() : instanceName_(texts::kAppName) {}

WallpaperApp::~WallpaperApp() = default;

bool WallpaperApp::InitInstance() {
    // Single instance: a running instance is left alone, without a word.
    // Only the creation tells two starts at the same moment apart; a mutex we
    // may not even open belongs to an instance of another account or level.
    ::SetLastError(ERROR_SUCCESS);
    instanceMutex_ = ::CreateMutexW(nullptr, FALSE, fw::Wide(instanceName_).c_str());
    if (!instanceMutex_ || ::GetLastError() == ERROR_ALREADY_EXISTS) {
        if (instanceMutex_) ::CloseHandle(instanceMutex_);
        instanceMutex_ = nullptr;
        return false;
    }

    // No per-user registry key: the settings file is the only configuration.
    // The paths come from the program file, whatever the current directory.
    programFolder_ = ProgramFolderOf(ModulePath());
    wallpaperBitmapPath_ = WallpaperBitmapPathIn(programFolder_);

    settingsFileAtExit_ = LoadSettings(settings_.Live(), programFolder_);
    settings_.Revert();

    // Workers inherit nothing; the event is inheritable all the same, as
    // other programs that open it by name may expect.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    changeEvent_.Reset(::CreateEventW(&inheritable, TRUE, TRUE, fw::Wide(texts::kChangeEventName).c_str()));

    // The hidden main window.
    mainFrame_ = std::make_unique<CMainFrame>(MainFrameContext{
        settings_, changeEvent_.Get(), programFolder_, wallpaperBitmapPath_, [this] { ExitInstance(0); },
        [this](HWND owner, SaveFailure failure) { SaveLiveSettings(owner, failure); }});
    if (!mainFrame_->Create()) {
        mainFrame_.reset();
        return false;
    }
    ::ShowWindow(mainFrame_->Handle(), SW_HIDE);
    ::UpdateWindow(mainFrame_->Handle());
    return true;
}

int WallpaperApp::Run() {
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // No key press may act on the main window; every other window of the
        // thread (the help viewer) gets its typing.
        if (mainFrame_ && msg.hwnd == mainFrame_->Handle() && msg.message >= WM_KEYFIRST &&
            msg.message <= kLastKeyMessage) {
            msg.message = WM_NULL;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    mainFrame_.reset();
    return static_cast<int>(msg.wParam);
}

int WallpaperApp::ExitInstance(int exitCode) {
    if (exited_) return exitCode;
    exited_ = true;
    changeEvent_.Reset();
    SaveLiveSettings(nullptr, SaveFailure::Report);
    return exitCode;
}

void WallpaperApp::SaveLiveSettings(HWND messageOwner, SaveFailure failure) {
    if (settingsFileAtExit_ == SettingsFileAtExit::Replace) SaveSettings(settings_.Live(), programFolder_, messageOwner, failure);
}
