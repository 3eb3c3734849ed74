// The display set-up the system has now.
#pragma once

#include <string>

// The key of the current set-up: every monitor's rectangle and DPI.
std::string CurrentDisplaySetupKey();
