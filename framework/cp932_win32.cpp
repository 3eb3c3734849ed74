#include "framework/cp932.h"

#include <windows.h>

namespace cp932 {

namespace {

constexpr UINT kCodePage = 932;

}  // namespace

std::optional<std::string> Encode(std::u16string_view text) {
    if (text.empty()) return std::string();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
    const int length = static_cast<int>(text.size());
    BOOL stoodIn = FALSE;
    const int bytes = ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, nullptr, 0, nullptr, &stoodIn);
    if (bytes <= 0 || stoodIn) return std::nullopt;
    std::string out(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, length, out.data(), bytes, nullptr, &stoodIn);
    // A character the code page holds twice comes back as its other form:
    // only a text that comes back whole counts as held.
    if (stoodIn || Decode(out) != text) return std::nullopt;
    return out;
}

std::u16string Decode(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int length = static_cast<int>(bytes.size());
    const int units = ::MultiByteToWideChar(kCodePage, 0, bytes.data(), length, nullptr, 0);
    std::u16string out(static_cast<std::size_t>(units > 0 ? units : 0), u'\0');
    if (units > 0) {
        ::MultiByteToWideChar(kCodePage, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(out.data()), units);
    }
    return out;
}

}  // namespace cp932
