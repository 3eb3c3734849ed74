// Conversions between the ANSI code page (932 on a Japanese system) and UTF-16.
#pragma once

#include <string>
#include <string_view>

namespace fw {

std::string Utf16ToAnsi(std::u16string_view text);
std::wstring AnsiToUtf16(std::string_view text);

}  // namespace fw
