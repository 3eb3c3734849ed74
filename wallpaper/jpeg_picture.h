// JPEG pictures for wallpapers: the reduction a wallpaper lets the decoder
// use, and the decoded picture as the composition takes it.
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

// The picture at 1/reduction (1, 2, 4 or 8) of its size, as DecodeJpegRows
// gives it; the picture records its full size and the reduction. Nothing
// when the decoder does not take the file or memory runs out.
std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction);

// For a wallpaper: the picture decoded at the reduction the rule gives for
// its size, as DecodeJpeg does.
std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              const JpegReductionRule& reductionFor);
