// Feeds arbitrary bytes to the JPEG decoder, at a reduction chosen by the
// input's length. Whatever it is given, it must not crash, read out of
// bounds or allocate beyond what the data can fill (-malloc_limit_mb catches
// the last one), and a picture it gives has the size its frame and the
// reduction say, every pixel written: decoded into rows filled with 0x00
// and into rows filled with 0xFF kept bottom-up, it comes out the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "jpeg/decoder.h"

namespace {

struct Decoded {
    bool ok = false;
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;
};

// The rows top first, whichever way the decoder was given them.
Decoded Decode(const std::uint8_t* data, std::size_t size, int reduction, std::uint8_t fill, bool bottomUp) {
    Decoded out;
    out.ok = DecodeJpegRows(data, size, reduction, [&](int width, int height) {
        out.width = width;
        out.height = height;
        out.rows.assign(static_cast<std::size_t>(width) * height * 3, fill);
        const auto stride = static_cast<std::ptrdiff_t>(width) * 3;
        if (!bottomUp) return JpegRows{out.rows.data(), stride};
        return JpegRows{out.rows.data() + (height - 1) * stride, -stride};
    });
    if (bottomUp) {
        const auto stride = static_cast<std::size_t>(out.width) * 3;
        for (int y = 0; y < out.height / 2; ++y) {
            std::swap_ranges(out.rows.begin() + static_cast<std::ptrdiff_t>(y * stride),
                             out.rows.begin() + static_cast<std::ptrdiff_t>((y + 1) * stride),
                             out.rows.begin() + static_cast<std::ptrdiff_t>((out.height - 1 - y) * stride));
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int reduction = 1 << (size % 4);
    const Decoded zeros = Decode(data, size, reduction, 0x00, false);
    if (!zeros.ok) return 0;
    const auto full = ReadJpegSize(data, size);
    if (!full || zeros.width != (full->width + reduction - 1) / reduction ||
        zeros.height != (full->height + reduction - 1) / reduction) {
        std::abort();
    }
    // Every pixel written, and rows kept bottom-up the same.
    const Decoded ones = Decode(data, size, reduction, 0xFF, true);
    if (!ones.ok || ones.rows != zeros.rows) std::abort();
    return 0;
}
