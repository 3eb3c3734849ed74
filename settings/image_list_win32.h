// Image list operations that read the file system.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_model.h"

// Appends every picture found below the folder (which ends with "\"),
// depth first in the order the file system enumerates, with no depth limit.
void ScanFolder(std::vector<WallpaperEntry>& list, const std::string& folder);

// A picture name is appended as it is; anything else is scanned as a folder.
void AddDroppedPath(std::vector<WallpaperEntry>& list, const std::string& path);
