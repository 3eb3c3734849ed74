#include "app/tray_icon_win32.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>

#include "framework/dpi_win32.h"
#include "framework/wide_win32.h"
#include "resources/resource_ids.h"
#include "resources/texts.h"
#include "settings/settings_model.h"

namespace {

#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

}  // namespace

void UpdateTrayMenu(HMENU menu, const AppSettings& live) {
    ::CheckMenuItem(menu, ID_TOGGLE_ROTATION, live.rotationEnabled ? MF_UNCHECKED : MF_CHECKED);
    ::EnableMenuItem(menu, ID_NEXT_PICTURE, live.rotationEnabled ? MF_ENABLED : MF_GRAYED);
    ::EnableMenuItem(menu, ID_PREVIOUS_PICTURE, live.rotationEnabled ? MF_ENABLED : MF_GRAYED);
    ::CheckMenuItem(menu, ID_HIDE_ICONS, live.iconsHidden ? MF_CHECKED : MF_UNCHECKED);
}

bool TrayIcon::LoadIcons(UINT dpi) {
    const int size = fw::SmallIconSize(dpi);
    if (size == iconSize_) return false;
    fw::UniqueIcon enabled(fw::LoadIconOfSize(IDI_ROTATION_ENABLED, size));
    fw::UniqueIcon disabled(fw::LoadIconOfSize(IDI_ROTATION_DISABLED, size));
    if (!enabled || !disabled) return false;
    // The window and the record let go of the old icons before they go.
    ::SendMessageW(data_.hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(enabled.Get()));
    data_.hIcon = enabled_ ? enabled.Get() : disabled.Get();
    enabledIcon_ = std::move(enabled);
    disabledIcon_ = std::move(disabled);
    iconSize_ = size;
    return true;
}

void TrayIcon::Add(HWND window, bool enabled, UINT callbackMessage) {
    // The record of the version with a 128-character tip, which every
    // Windows from 2000 on takes.
    data_.cbSize = NOTIFYICONDATAW_V2_SIZE;
    data_.hWnd = window;
    data_.uID = kId;
    data_.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    const std::wstring tip = fw::Wide(texts::kAppName);
    tip.copy(data_.szTip, std::size(data_.szTip) - 1);
    enabled_ = enabled;
    LoadIcons(fw::WindowDpi(window));
    ::Shell_NotifyIconW(NIM_ADD, &data_);
}

void TrayIcon::Show(bool enabled) {
    enabled_ = enabled;
    data_.hIcon = enabled ? enabledIcon_.Get() : disabledIcon_.Get();
    ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::ShowTip(const char* tip) {
    const std::wstring wide = fw::Wide(tip);
    if (!data_.hWnd || wide == data_.szTip) return;
    std::fill(std::begin(data_.szTip), std::end(data_.szTip), L'\0');
    wide.copy(data_.szTip, std::size(data_.szTip) - 1);
    ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::AddAgain() {
    LoadIcons(fw::WindowDpi(data_.hWnd));
    ::Shell_NotifyIconW(NIM_ADD, &data_);
}

void TrayIcon::OnWindowMessage(UINT message, WPARAM wParam) {
    if (!data_.hWnd) return;
    if (message == kTaskbarCreated) {
        AddAgain();
        return;
    }
    // WM_DPICHANGED carries the new DPI; after a display change the window
    // may sit on a monitor of another DPI.
    const bool reloaded = message == WM_DPICHANGED      ? LoadIcons(LOWORD(wParam))
                          : message == WM_DISPLAYCHANGE ? LoadIcons(fw::WindowDpi(data_.hWnd))
                                                        : false;
    if (reloaded) ::Shell_NotifyIconW(NIM_MODIFY, &data_);
}

void TrayIcon::Delete() {
    ::Shell_NotifyIconW(NIM_DELETE, &data_);
    ::SendMessageW(data_.hWnd, WM_SETICON, ICON_SMALL, 0);
    data_.hIcon = nullptr;
    enabledIcon_.Reset();
    disabledIcon_.Reset();
    iconSize_ = 0;
}
