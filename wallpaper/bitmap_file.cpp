#include "wallpaper/bitmap_file.h"

namespace {

void Put(std::array<std::uint8_t, kBitmapFileHeaderBytes>& header, std::size_t at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) header[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

std::array<std::uint8_t, kBitmapFileHeaderBytes> BitmapFileHeader(const Bitmap& bitmap) {
    const auto imageSize = static_cast<std::uint32_t>(bitmap.Stride() * static_cast<std::size_t>(bitmap.Height()));
    std::array<std::uint8_t, kBitmapFileHeaderBytes> header{};
    header[0] = 'B';
    header[1] = 'M';
    Put(header, 2, static_cast<std::uint32_t>(kBitmapFileHeaderBytes) + imageSize, 4);
    Put(header, 10, static_cast<std::uint32_t>(kBitmapFileHeaderBytes), 4);
    Put(header, 14, 40, 4);
    Put(header, 18, static_cast<std::uint32_t>(bitmap.Width()), 4);
    Put(header, 22, static_cast<std::uint32_t>(bitmap.Height()), 4);  // positive: bottom row first
    Put(header, 26, 1, 2);                                             // planes
    Put(header, 28, 32, 2);                                            // bits per pixel
    // Compression, image size, resolutions and colour counts stay 0.
    return header;
}
