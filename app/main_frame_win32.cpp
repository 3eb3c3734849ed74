#include "app/main_frame_win32.h"

#include "app/wallpaper_app_win32.h"
#include "resources/texts.h"

namespace {

constexpr char kFrameClass[] = "VistaloomMainFrame";

}  // namespace

CMainFrame::CMainFrame() : savedWallpaperStyle_(ReadSavedWallpaperStyle()) {}

CMainFrame::~CMainFrame() { RestoreWallpaper(savedWallpaperStyle_); }

void CMainFrame::StartWallpaperWorker(WallpaperJob job) {
    WallpaperApp& app = WallpaperApp::Current();
    ::StartWallpaperWorker(std::move(job), {app.ChangeEvent(), app.WallpaperBitmapPath(), &app.Settings()});
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
    };
    return map;
}

bool CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    return fw::Dispatch(Messages(), this, message, wParam, lParam, result);
}

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
    // A tool window never gets a taskbar button.
    ::SetWindowLongPtrA(Handle(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    return 0;
}

LRESULT CMainFrame::OnDestroy(WPARAM, LPARAM) {
    ::PostQuitMessage(0);
    return 0;
}

LRESULT CMainFrame::OnQueryEndSession(WPARAM, LPARAM) { return TRUE; }

// At log-off only the exit sequence runs: the window is not destroyed, so
// nothing on the desktop is undone.
LRESULT CMainFrame::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) WallpaperApp::Current().ExitInstance(0);
    return 0;
}

void CMainFrame::OnFinalMessage() { WallpaperApp::Current().OnMainFrameDestroyed(); }
