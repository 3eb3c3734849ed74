// The notification-area icon: one icon with a tip and a callback message,
// kept in one record for every later modify, re-add and delete.
#pragma once

#include <windows.h>
#include <shellapi.h>

class AppSettings;

// Brings the check marks and greyed items of the tray menu up to date.
void UpdateTrayMenu(HMENU menu, const AppSettings& live);

class TrayIcon {
public:
    static constexpr UINT kId = 1;

    // Fills the record and adds the icon.
    void Add(HWND window, UINT callbackMessage, HICON icon);
    // Shows another icon.
    void Show(HICON icon);
    // Adds the icon again from the record, as it stands, after the shell
    // has made its taskbar anew.
    void AddAgain();
    void Delete();

private:
    NOTIFYICONDATAA data_{};
};
