// The program's own JPEG decoder, which can decode at a reduced size: a
// wallpaper shown smaller than its picture need not decode every pixel of
// it. What it does not handle is left to the system's decoder.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

#include "wallpaper/bitmap.h"

// The reduction a JPEG is decoded at for a wallpaper that shows the part
// `shown` of it, in its own pixels, at `output` size: the largest of 8, 4
// and 2 at which every pixel of the wallpaper covers whole pixels of the
// reduced picture, that is the part starts on a multiple of the reduction
// and each of its sides is a multiple of the output's side times the
// reduction; 1 when none is. A reduced pixel that an output pixel covered
// only in part would count there with its average over the rest of it too,
// which at the edges of detail is several levels off.
int JpegReductionFor(PixelRect shown, BitmapSize output);

// Which reduction a JPEG of the given full size may be decoded at for the
// wallpaper in hand.
using JpegReductionRule = std::function<int(BitmapSize full)>;
// The rule of a wallpaper of the whole picture at `magnification` percent.
JpegReductionRule JpegReductionAt(std::uint32_t magnification);

// The picture at 1/reduction (1, 2, 4 or 8) of its size, each side rounded
// up, each pixel the area average of the pixels it covers as the system's
// decoder gives them; the picture records its full size and the reduction.
// Nothing when the file is not a baseline or extended sequential
// Huffman-coded 8-bit JPEG of 1 or 3 components in one scan with sampling
// factors of 1 or 2, when it is damaged, or when memory runs out.
std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction);

// For a wallpaper: the picture decoded at the reduction the rule gives for
// its size, as DecodeJpeg does. Nothing when the rule gives 1 (the
// system's decoder then gives the full size) or the file is not handled.
std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              const JpegReductionRule& reductionFor);
