#include <windows.h>

#include "app/wallpaper_app_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    WallpaperApp app;
    if (!app.InitInstance()) return 0;
    return app.ExitInstance(app.Run());
}
