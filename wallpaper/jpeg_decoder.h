// The program's own JPEG decoder, which can decode at a reduced size: a
// wallpaper shown smaller than its picture need not decode every pixel of
// it. What it does not handle is left to the system's decoder.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "wallpaper/bitmap.h"

// The reduction a JPEG of `full` size is decoded at for a wallpaper at
// `magnification` percent: the largest of 8, 4 and 2 at which every pixel
// of the wallpaper covers whole pixels of the reduced picture, that is
// each side of the full size is a multiple of the wallpaper's side times
// the reduction; 1 when none is. A reduced pixel that an output pixel
// covered only in part would count there with its average over the rest
// of it too, which at the edges of detail is several levels off.
int JpegReductionFor(BitmapSize full, std::uint32_t magnification);

// The picture at 1/reduction (1, 2, 4 or 8) of its size, each side rounded
// up, each pixel the area average of the pixels it covers as the system's
// decoder gives them; the picture records its full size and the reduction.
// Nothing when the file is not a baseline or extended sequential
// Huffman-coded 8-bit JPEG of 1 or 3 components in one scan with sampling
// factors of 1 or 2, when it is damaged, or when memory runs out.
std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction);

// For a wallpaper at `magnification` percent: the picture decoded at
// JpegReductionFor its size, as DecodeJpeg does. Nothing when no reduction
// applies (the system's decoder then gives the full size as it always has)
// or the file is not handled.
std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              std::uint32_t magnification);
