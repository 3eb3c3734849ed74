#include "app/tray_icon_win32.h"

#include <cstring>

#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"

void UpdateTrayMenu(HMENU menu, const AppSettings& live) {
    ::CheckMenuItem(menu, ID_TOGGLE_ROTATION, live.rotationEnabled ? MF_UNCHECKED : MF_CHECKED);
    ::EnableMenuItem(menu, ID_NEXT_PICTURE, live.rotationEnabled ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(menu, ID_PREVIOUS_PICTURE, live.rotationEnabled ? MF_ENABLED : MF_GRAYED);
    ::CheckMenuItem(menu, ID_HIDE_ICONS, live.iconsHidden ? MF_CHECKED : MF_UNCHECKED);
}

void TrayIcon::Add(HWND window, UINT callbackMessage, HICON icon) {
    // The record of the version with a 128-byte tip; in a 64-bit program its
    // size is 504 bytes (488 is the same record's size in a 32-bit one).
    data_.cbSize = NOTIFYICONDATAA_V2_SIZE;
    data_.hWnd = window;
    data_.uID = kId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    std::strncpy(data_.szTip, texts::kAppName, sizeof(data_.szTip) - 1);
    ::Shell_NotifyIconA(NIM_ADD, &data_);
}

void TrayIcon::Show(HICON icon) {
    data_.hIcon = icon;
    ::Shell_NotifyIconA(NIM_MODIFY, &data_);
}

void TrayIcon::AddAgain() { ::Shell_NotifyIconA(NIM_ADD, &data_); }

void TrayIcon::Delete() { ::Shell_NotifyIconA(NIM_DELETE, &data_); }
