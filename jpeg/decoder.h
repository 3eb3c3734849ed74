// The program's own JPEG decoder: bytes in, rows of pixels out, at the
// picture's size or 1/2, 1/4 or 1/8 of it, so that a wallpaper shown
// smaller than its picture need not decode every pixel of it. What it does
// not take is left to the system's decoders. Portable: no Windows headers,
// and nothing of wallpapers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

struct JpegSize {
    int width = 0;
    int height = 0;
};

// The picture's full size; nothing when the file is not one the decoder
// takes (see DecodeJpegRows).
std::optional<JpegSize> ReadJpegSize(const std::uint8_t* bytes, std::size_t length);

// Where the decoded picture goes: rowsFor(width, height) gives room for
// `height` rows of `width` 3-byte pixels (blue, green, red), as the top
// row's first byte and the distance from one row to the one below it
// (negative for rows kept bottom-up), or a null top to give up.
struct JpegRows {
    std::uint8_t* top = nullptr;
    std::ptrdiff_t stride = 0;
};
using JpegRowsFor = std::function<JpegRows(int width, int height)>;

// The picture at 1/reduction (1, 2, 4 or 8) of its size, each side rounded
// up: pixel (i, j) covers pixels [i * reduction, (i + 1) * reduction) x
// [j * reduction, (j + 1) * reduction) of the picture, cut at its edges,
// and is the area average of them as the system's decoder gives them.
// False when the file is not a sequential or progressive Huffman-coded
// 8-bit JPEG of 1, 3 or 4 components (CMYK or YCCK only where Adobe's
// marker and the component ids agree) with sampling factors of 1 to 4
// that divide the largest, when it is damaged, when rowsFor gives up or
// memory runs out.
bool DecodeJpegRows(const std::uint8_t* bytes, std::size_t length, int reduction, const JpegRowsFor& rowsFor);
