// Byte rules of code page 932, the encoding of every stored text and path.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <string_view>

namespace cp932 {

// True for a byte that opens a double-byte character.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Offset of the last backslash that stands as a character of its own, or npos.
// A trail byte may be 0x5C (as in 表 = 95 5C), so a plain byte search would cut
// such a path in the middle of a character.
std::size_t FindLastBackslash(std::string_view text);

}  // namespace cp932
