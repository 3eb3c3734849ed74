// The three paths the program works with, all in the program's own folder.
#pragma once

#include <string>
#include <string_view>

// Folder of the program file: everything before the last backslash of the
// module path, without the backslash; empty when the path has none.
std::string ProgramFolderOf(std::string_view modulePath);

std::string WallpaperBitmapPathIn(std::string_view programFolder);
std::string SettingsFilePathIn(std::string_view programFolder);
