// What the settings dialog and its pages work with.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

class AppSettings;

struct DialogContext {
    const AppSettings& live;   // what Cancel brings back into the working copy
    AppSettings& working;      // the pages edit only this record
    std::string programFolder;
    // Apply and OK hand the working copy to the program, which makes it the
    // live settings and follows it; a message it shows belongs to `owner`.
    std::function<void(HWND owner)> commit;
};

// The registered change notice that pages send up to the dialog.
UINT ChangedParameterMessage();
