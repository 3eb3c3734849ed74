// The settings file Vistaloom.ini in the program folder: read once at
// start, written once at exit.
#pragma once

#include <windows.h>

#include <string>

#include "settings/settings_model.h"

// What the exit may do with the settings file after the load.
enum class SettingsFileAtExit {
    Replace,  // read, missing, or damaged and kept aside
    Keep,     // there but unreadable, or damaged and not kept aside: the user's only copy
};

// Fills the freshly constructed record from the file. A missing file keeps
// the defaults and says so. A file that is there but cannot be opened or
// read (in use, denied) keeps the defaults, says so and must not be
// replaced. A damaged one is renamed to Vistaloom.ini.bad (or .bad2 to
// .bad9 when those are taken), the defaults stay and the user is told;
// when it cannot be renamed it must not be replaced either.
SettingsFileAtExit LoadSettings(AppSettings& settings, const std::string& programFolder);

enum class SaveFailure { Report, Quiet };

// Writes the record through a temporary file that then replaces the old one
// in one step, so a failed save never destroys the last good file. Returns
// false on failure, after the error message (owned by `messageOwner`)
// unless the failure is to pass quietly.
bool SaveSettings(AppSettings& settings, const std::string& programFolder, HWND messageOwner = nullptr,
                  SaveFailure failure = SaveFailure::Report);
