#include "app/wallpaper_app_win32.h"

#include "app/main_frame_win32.h"
#include "app/program_paths.h"
#include "framework/module_path_win32.h"
#include "resources/texts.h"
#include "settings/settings_file_win32.h"

namespace {

WallpaperApp* current = nullptr;

}  // namespace

WallpaperApp::WallpaperApp() : instanceName_(texts::kAppName) { current = this; }

WallpaperApp::~WallpaperApp() { current = nullptr; }

WallpaperApp& WallpaperApp::Current() { return *current; }

bool WallpaperApp::InitInstance() {
    // 1-2. Single instance: a running instance is left alone, without a word.
    if (HANDLE running = ::OpenMutexA(MUTEX_ALL_ACCESS, FALSE, instanceName_.c_str())) {
        ::CloseHandle(running);
        return false;
    }
    instanceMutex_ = ::CreateMutexA(nullptr, FALSE, instanceName_.c_str());

    // 3. No per-user registry key: the settings file is the only configuration.
    // 4. Paths, from the program file whatever the current directory.
    programFolder_ = ProgramFolderOf(ModulePath());
    wallpaperBitmapPath_ = WallpaperBitmapPathIn(programFolder_);

    // 5-6. The live settings, and the working copy the dialog edits.
    LoadSettings(settings_, programFolder_);
    workingCopy_.CopyFrom(settings_);

    // 7. Workers inherit nothing, but the event is inheritable as it always was.
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    changeEvent_.Reset(::CreateEventA(&inheritable, TRUE, TRUE, texts::kChangeEventName));

    // 8-9. The hidden main window.
    mainFrame_ = std::make_unique<CMainFrame>();
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
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
        // No key press may act on the main window.
        if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) msg.message = WM_NULL;
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int WallpaperApp::ExitInstance(int exitCode) {
    if (exited_) return exitCode;
    exited_ = true;
    changeEvent_.Reset();
    SaveSettings(settings_, programFolder_);
    return exitCode;
}

void WallpaperApp::OnMainFrameDestroyed() { mainFrame_.reset(); }
