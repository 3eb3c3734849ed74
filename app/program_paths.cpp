#include "app/program_paths.h"


std::string ProgramFolderOf(std::string_view modulePath) {
    const std::size_t slash = modulePath.rfind('\\');
    return std::string(slash == std::string_view::npos ? std::string_view() : modulePath.substr(0, slash));
}

std::string WallpaperBitmapPathIn(std::string_view programFolder) {
    return std::string(programFolder) + "\\Vistaloom.bmp";
}

std::string SettingsFilePathIn(std::string_view programFolder) {
    return std::string(programFolder) + "\\Vistaloom.ini";
}
