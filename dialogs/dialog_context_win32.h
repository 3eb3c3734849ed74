// What the settings dialog and its pages work with.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "framework/registered_message_win32.h"

class SettingsRecords;

struct DialogContext {
    // The pages edit only the working copy; Cancel reverts it.
    SettingsRecords& settings;
    std::string programFolder;
    // Apply and OK hand the working copy to the program, which makes it the
    // live settings and follows it; a message it shows belongs to `owner`.
    std::function<void(HWND owner)> commit;
};

// The change notice a page sends its parent, the tab control, after it has
// changed the working copy, and the tab control the dialog; both parameters 0.
inline const fw::RegisteredMessage kChangedParameter{"WM_CHANGED_PARAMETER"};
