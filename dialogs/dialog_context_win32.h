// What the settings dialog and its pages work with.
#pragma once

#include <windows.h>

#include <string>

class AppSettings;

struct DialogContext {
    AppSettings& live;
    AppSettings& working;      // the pages edit only this record
    HANDLE changeEvent;        // holds wallpaper workers back while a commit runs
    HWND mainWindow;           // owns the hotkey and the rotation timer
    std::string programFolder;
};

// The registered change notice that pages send up to the dialog.
UINT ChangedParameterMessage();
