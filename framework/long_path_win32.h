// Paths the file functions take at any length: beyond MAX_PATH a full path
// goes with the "\\?\" prefix, which lifts the limit of the W functions.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "framework/wide_win32.h"

namespace fw {

inline std::wstring LongPath(std::string_view path) {
    std::wstring wide = Wide(path);
    // Room for the longest name a search or a temporary file adds.
    if (wide.size() < MAX_PATH - 16 || wide.starts_with(L"\\\\?\\")) return wide;
    if (wide.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + wide.substr(2);
    if (wide.size() >= 3 && wide[1] == L':' && wide[2] == L'\\') return L"\\\\?\\" + wide;
    return wide;  // a relative path cannot take the prefix
}

}  // namespace fw
