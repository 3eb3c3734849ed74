// The monitors the system has now.
#pragma once

#include <string>
#include <vector>

#include "display/display_setup.h"
#include "display/monitor_layout.h"

// Every monitor's rectangle in physical pixels and its DPI, in the order the
// system lists them.
std::vector<MonitorArea> CurrentMonitors();
// Their rectangles alone.
std::vector<MonitorRect> MonitorRects();
// The key of the current set-up: every monitor's rectangle and DPI.
std::string CurrentDisplaySetupKey();
