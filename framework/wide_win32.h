// The program keeps its texts in UTF-8 and the Win32 functions take
// UTF-16: these two carry a text across.
#pragma once

#include <string>
#include <string_view>

#include "framework/utf.h"

namespace fw {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::string_view text) {
    const std::u16string wide = utf::ToUtf16(text);
    return std::wstring(wide.begin(), wide.end());
}

inline std::string Narrow(std::wstring_view text) {
    return utf::ToUtf8(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

}  // namespace fw
