// Code page 932, the encoding the settings file keeps its texts in
// wherever it can hold them. The conversion is the platform's own
// (cp932_win32.cpp on Windows, cp932_iconv.cpp natively), so that the file
// holds exactly the bytes Windows gives.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cp932 {

// The text in code page 932, or nothing when it holds a character the code
// page has not: no stand-in replaces it.
std::optional<std::string> Encode(std::u16string_view text);
// Code page 932 bytes as UTF-16; what is not code page 932 becomes U+FFFD.
std::u16string Decode(std::string_view bytes);

}  // namespace cp932
