// Apply and OK of the settings dialog, as the program carries them out: the
// working copy becomes the live settings and the running program follows.
#pragma once

#include <windows.h>

#include <functional>

class SettingsRecords;

struct SettingsCommit {
    SettingsRecords& settings;
    HANDLE changeEvent;              // holds wallpaper workers back while the live settings change
    HWND mainWindow;                 // owns the boss hotkey
    std::function<void()> rotateNow; // a rotation tick at once
    // Writes the live settings to the file, so that a run that does not end
    // cleanly keeps what the user set up; a failure is reported to `owner`.
    std::function<void(HWND owner)> save;
};

// Copies the working copy into the live settings, registers the boss hotkey
// again (a taken one is reported in a message owned by `messageOwner`),
// applies the desktop-icon options, ticks the rotation when the interval
// changed or the list was empty, and writes the settings file.
void CommitSettings(const SettingsCommit& commit, HWND messageOwner);
