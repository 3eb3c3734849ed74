// Resampling: the area average of the covered source pixels when a side
// shrinks, bilinear interpolation when it grows, a plain copy when it stays.
// The weights are exact fractions and only the final value is rounded, so
// every source pixel counts exactly as much as it is covered and every
// platform gives the same pixels. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "wallpaper/bitmap.h"

// A new bitmap of ScaledSize of the source; nothing when that size is
// refused or memory runs out. The source is left to the caller.
std::optional<Bitmap> ScaleBitmap(const Bitmap& source, std::uint32_t percentage);

// The whole of the rows resampled onto a new bitmap of `size`; 3-byte
// pixels come out with a fourth byte of 0xFF. Nothing when the size is
// refused or memory runs out.
std::optional<Bitmap> ScaleRows(const PixelRows& source, BitmapSize size);

// The same for rows decoded at 1/reduction of `full`, no smaller than
// `size` on either side: pixel i of a side stands for full pixels
// [reduction * i, reduction * (i + 1)), cut at the side's end, and each
// output pixel is the average over the full pixels it covers.
std::optional<Bitmap> ScaleReducedRows(const PixelRows& source, int reduction, BitmapSize full, BitmapSize size);

// Pixels written in place: a rectangle of a larger bitmap.
struct PixelTarget {
    std::uint32_t* top = nullptr;  // the top row's first pixel
    std::ptrdiff_t stride = 0;     // pixels from one row to the one below it: negative in a bottom-up bitmap
    int width = 0;
    int height = 0;

    std::uint32_t* Row(int y) const { return top + y * stride; }
};

// The part of the bitmap, which must lie inside it.
PixelTarget TargetIn(Bitmap& bitmap, const PixelRect& part);

// The part `shown` of what ScaleReducedRows makes of the rows at `size`,
// pixel for pixel, written to the target, which has the part's size; a
// picture larger than what shows of it is never made whole. False when
// memory runs out.
bool ScaleReducedRowsInto(const PixelRows& source, int reduction, BitmapSize full, BitmapSize size,
                          const PixelRect& shown, const PixelTarget& target);

