#include "dialogs/open_file_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "framework/cp932.h"
#include "resources/texts.h"

std::vector<std::string> ChooseFiles(HWND owner, DWORD flags) {
    std::string filter = texts::kPictureFilter;
    std::replace(filter.begin(), filter.end(), '|', '\0');
    std::vector<char> names(66560, '\0');
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.Flags = flags;
    if (!::GetOpenFileNameA(&dialog)) return {};
    // One path, or the folder followed by the names, each ended by a zero.
    std::vector<std::string> parts;
    for (const char* part = names.data(); *part; part += std::strlen(part) + 1) parts.emplace_back(part);
    if (parts.size() <= 1) return parts;
    std::vector<std::string> paths;
    const std::string& first = parts.front();  // a drive root already ends with its backslash
    const std::string folder = cp932::FindLastBackslash(first) + 1 == first.size() ? first : first + "\\";
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
    return paths;
}
