// The notification-area icon: one icon with a tip and a callback message,
// kept in one record for every later modify, re-add and delete. It owns the
// enabled and the disabled icon, loaded at the small-icon size of its
// window's DPI and loaded again when that DPI changes, and it adds itself
// again when the shell makes its taskbar anew.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "framework/handles_win32.h"
#include "framework/registered_message_win32.h"

class AppSettings;

// Brings the check marks and greyed items of the tray menu up to date.
void UpdateTrayMenu(HMENU menu, const AppSettings& live);

// The icon's callback to its window: wParam the icon's id, lParam the mouse message.
inline const fw::RegisteredMessage kTrayCallback{"WM_NOTIFY_TRAYICON"};
// Sent by the shell to every top-level window when its taskbar is made anew.
inline const fw::RegisteredMessage kTaskbarCreated{"TaskbarCreated"};

class TrayIcon {
public:
    static constexpr UINT kId = 1;

    // Loads both icons, makes the enabled one the window's small icon and
    // adds the tray icon showing the one of the rotation state; its callback
    // is kTrayCallback, or `callbackMessage` when given.
    void Add(HWND window, bool enabled, UINT callbackMessage = kTrayCallback);
    // Shows the enabled or the disabled icon.
    void Show(bool enabled);
    // Shows the tip, unless the icon shows it already.
    void ShowTip(const char* tip);
    // Adds the icon again from the record, as it stands, after the shell
    // has made its taskbar anew; a new taskbar may come with a new DPI.
    void AddAgain();
    // Follows the window's messages: a change of its DPI or of the display
    // loads the icons again at the new size, a new taskbar gets the icon
    // again. Never handles the message: the window may act on it too.
    void OnWindowMessage(UINT message, WPARAM wParam);
    // Removes the icon from the tray and destroys both icons.
    void Delete();

private:
    // Loads the icons for the DPI unless they have its size already; true
    // when they were loaded anew.
    bool LoadIcons(UINT dpi);

    NOTIFYICONDATAW data_{};
    bool enabled_ = true;
    int iconSize_ = 0;
    fw::UniqueIcon enabledIcon_;
    fw::UniqueIcon disabledIcon_;
};
