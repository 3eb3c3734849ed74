// The notification-area icon: one icon with a tip and a callback message,
// kept in one record for every later modify, re-add and delete. It owns the
// enabled and the disabled icon, loaded at the small-icon size of its
// window's DPI and loaded again when that DPI changes.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "framework/handles_win32.h"

class AppSettings;

// Brings the check marks and greyed items of the tray menu up to date.
void UpdateTrayMenu(HMENU menu, const AppSettings& live);

class TrayIcon {
public:
    static constexpr UINT kId = 1;

    // Loads both icons, makes the enabled one the window's small icon and
    // adds the tray icon showing the one of the rotation state.
    void Add(HWND window, UINT callbackMessage, bool enabled);
    // Shows the enabled or the disabled icon.
    void Show(bool enabled);
    // Adds the icon again from the record, as it stands, after the shell
    // has made its taskbar anew; a new taskbar may come with a new DPI.
    void AddAgain();
    // Follows the window's messages: a change of its DPI or of the display
    // loads the icons again at the new size. Never handles the message.
    void OnWindowMessage(UINT message, WPARAM wParam);
    // Removes the icon from the tray and destroys both icons.
    void Delete();

private:
    // Loads the icons for the DPI unless they have its size already; true
    // when they were loaded anew.
    bool LoadIcons(UINT dpi);

    NOTIFYICONDATAA data_{};
    bool enabled_ = true;
    int iconSize_ = 0;
    fw::UniqueIcon enabledIcon_;
    fw::UniqueIcon disabledIcon_;
};
