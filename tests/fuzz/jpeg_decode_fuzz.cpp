// Feeds arbitrary bytes to the JPEG decoder, at a reduction chosen by the
// input's length. Whatever it is given, it must not crash, read out of
// bounds or allocate beyond what the data can fill (-malloc_limit_mb catches
// the last one), and a picture it gives has the size its frame and the
// reduction say, every pixel written.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "wallpaper/jpeg_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int reduction = 1 << (size % 4);
    const auto picture = DecodeJpeg(data, size, reduction);
    if (!picture) return 0;
    const BitmapSize full = picture->FullSize();
    if (picture->Reduction() != reduction || picture->Width() != (full.width + reduction - 1) / reduction ||
        picture->Height() != (full.height + reduction - 1) / reduction) {
        std::abort();
    }
    // Reading every pixel lets the sanitizers see any left unwritten.
    unsigned sum = 0;
    for (int y = 0; y < picture->Height(); ++y) {
        for (int x = 0; x < picture->Width(); ++x) sum += picture->Rows().At(x, y);
    }
    if (sum == 0xDEADBEEF) std::abort();
    return 0;
}
