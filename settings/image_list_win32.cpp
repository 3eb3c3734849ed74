#include "settings/image_list_win32.h"

#include <windows.h>

#include "framework/handles_win32.h"
#include "framework/long_path_win32.h"
#include "settings/image_list.h"

void ScanFolder(std::vector<WallpaperEntry>& list, const std::string& folder) {
    WIN32_FIND_DATAW found;
    const fw::UniqueFind search(::FindFirstFileW(fw::LongPath(folder + "*").c_str(), &found));
    if (!search) return;
    do {
        const std::string name = fw::Narrow(found.cFileName);
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            ScanFolder(list, folder + name + "\\");
        } else if (IsPictureName(name)) {
            AppendPicture(list, folder + name);
        }
    } while (::FindNextFileW(search.Get(), &found));
}

void AddDroppedPath(std::vector<WallpaperEntry>& list, const std::string& path) {
    if (IsPictureName(path)) {
        AppendPicture(list, path);
    } else {
        ScanFolder(list, path + "\\");
    }
}
