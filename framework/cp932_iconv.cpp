#include <errno.h>
#include <iconv.h>

#include <algorithm>

#include "framework/cp932.h"

namespace cp932 {

namespace {

// One converter per thread and direction: opening one costs more than most
// conversions.
class Converter {
public:
    Converter(const char* to, const char* from) : handle_(::iconv_open(to, from)) {}
    ~Converter() {
        if (handle_ != reinterpret_cast<iconv_t>(-1)) ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts all it can; `skip` says how many input bytes to pass over
    // (and what to put out instead) where the input does not convert, or
    // that the conversion fails there.
    template <class Out>
    bool Run(std::string_view in, Out& out, std::size_t skip, std::string_view standIn) {
        if (handle_ == reinterpret_cast<iconv_t>(-1)) return false;
        ::iconv(handle_, nullptr, nullptr, nullptr, nullptr);
        auto* input = const_cast<char*>(in.data());
        std::size_t left = in.size();
        std::string buffer(in.size() * 4 + 16, '\0');
        while (left > 0) {
            char* output = buffer.data();
            std::size_t room = buffer.size();
            const std::size_t result = ::iconv(handle_, &input, &left, &output, &room);
            out.append(reinterpret_cast<const typename Out::value_type*>(buffer.data()),
                       (buffer.size() - room) / sizeof(typename Out::value_type));
            if (result != static_cast<std::size_t>(-1)) break;
            if (errno == E2BIG) continue;
            if (skip == 0) return false;
            const std::size_t step = std::min(skip, left);
            input += step;
            left -= step;
            out.append(reinterpret_cast<const typename Out::value_type*>(standIn.data()),
                       standIn.size() / sizeof(typename Out::value_type));
        }
        return true;
    }

private:
    iconv_t handle_;
};

}  // namespace

std::optional<std::string> Encode(std::u16string_view text) {
    thread_local Converter converter("CP932", "UTF-16LE");
    std::string out;
    const std::string_view bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    // A character the code page holds twice comes back as its other form:
    // only a text that comes back whole counts as held.
    if (!converter.Run(bytes, out, 0, {}) || Decode(out) != text) return std::nullopt;
    return out;
}

std::u16string Decode(std::string_view bytes) {
    thread_local Converter converter("UTF-16LE", "CP932");
    static constexpr char16_t kReplacement[] = u"\uFFFD";
    std::u16string out;
    converter.Run(bytes, out, 1, std::string_view(reinterpret_cast<const char*>(kReplacement), 2));
    return out;
}

}  // namespace cp932
