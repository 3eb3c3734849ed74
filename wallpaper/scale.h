// Resampling: the area average of the covered source pixels when a side
// shrinks, bilinear interpolation when it grows, a plain copy when it stays.
// Integer arithmetic only, so every platform gives the same pixels.
// Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>

#include "wallpaper/bitmap.h"

// A new bitmap of ScaledSize of the source; nothing when that size is
// refused or memory runs out. The source is left to the caller.
std::optional<Bitmap> ScaleBitmap(const Bitmap& source, std::uint32_t percentage);
