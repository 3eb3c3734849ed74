#include "dialogs/open_file_win32.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "framework/wide_win32.h"
#include "resources/texts.h"

std::vector<std::string> ChooseFiles(HWND owner, DWORD flags) {
    std::wstring filter = fw::Wide(texts::kPictureFilter);
    std::replace(filter.begin(), filter.end(), L'|', L'\0');
    std::vector<wchar_t> names(66560, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = names.data();
    dialog.nMaxFile = static_cast<DWORD>(names.size());
    dialog.Flags = flags;
    if (!::GetOpenFileNameW(&dialog)) return {};
    // One path, or the folder followed by the names, each ended by a zero.
    std::vector<std::string> parts;
    for (const wchar_t* part = names.data(); *part; part += std::wcslen(part) + 1) parts.push_back(fw::Narrow(part));
    if (parts.size() <= 1) return parts;
    std::vector<std::string> paths;
    const std::string& first = parts.front();  // a drive root already ends with its backslash
    const std::string folder = first.ends_with('\\') ? first : first + "\\";
    for (std::size_t i = 1; i < parts.size(); ++i) paths.push_back(folder + parts[i]);
    return paths;
}
