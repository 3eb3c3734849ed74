// The settings file Vistaloom.ini in the program folder: read once at
// start, written once at exit.
#pragma once

#include <string>

#include "settings/settings_model.h"

// Fills the freshly constructed record from the file. A missing file keeps
// the defaults and says so; a damaged one is kept as Vistaloom.ini.bad, the
// defaults stay and the user is told.
void LoadSettings(AppSettings& settings, const std::string& programFolder);

// Writes the record through a temporary file that then replaces the old one
// in one step, so a failed save never destroys the last good file. Shows
// the error message and returns false on failure.
bool SaveSettings(AppSettings& settings, const std::string& programFolder);
