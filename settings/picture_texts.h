// The texts the image list shows for an entry. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "なし", "タイル表示", "拡大表示", "画面いっぱい" or "画面に合わせる"; any
// unknown method reads as none.
const char* DisplayMethodText(std::int32_t method);
// What a row the properties dialog has just changed shows until the list is
// filled again: the short tile text, and nothing for an unknown method.
const char* ChangedRowMethodText(std::int32_t method);
// The part after the last backslash, and the part before it.
std::string FileNameOf(std::string_view path);
std::string FolderOf(std::string_view path);
// "150%".
std::string PercentText(std::int32_t value);
