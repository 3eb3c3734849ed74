#include "framework/cp932.h"

namespace cp932 {

std::size_t FindLastBackslash(std::string_view text) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsLeadByte(c)) {
            ++i;  // the trail byte is part of this character
        } else if (c == '\\') {
            found = i;
        }
    }
    return found;
}

}  // namespace cp932
