// UTF-8, the text of the portable core, and UTF-16, the text of the Win32
// functions. Portable: no Windows headers.
#pragma once

#include <string>
#include <string_view>

namespace utf {

// A file name may hold a UTF-16 surrogate without its partner: such a unit
// becomes the three bytes it would have as a code point, and comes back
// from them, so that every name survives the round trip.
std::string ToUtf8(std::u16string_view text);
// Bytes that are not UTF-8 each become U+FFFD.
std::u16string ToUtf16(std::string_view text);

}  // namespace utf
