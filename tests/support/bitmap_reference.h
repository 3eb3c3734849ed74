// Plain bitmap operations the tests build their expectations from, the
// slow and obvious way. Portable: no Windows headers.
#pragma once

#include <optional>
#include <string>

#include "wallpaper/bitmap.h"

// Every byte 0xFF.
std::optional<Bitmap> CreateBlankBitmap(BitmapSize size);

// The region (left, top)-(right, bottom) of the source, counted from the
// top as GDI counts; what lies outside the source is the fill colour.
std::optional<Bitmap> CopyBitmapRegion(const Bitmap& source, int left, int top, int right, int bottom,
                                       PixelValue fill);

// The picture blended over the background region at (x, y) of its own size.
std::optional<Bitmap> BlendBitmap(const Bitmap& picture, const Bitmap& background, int x, int y,
                                  std::int32_t transparency, PixelValue key);

// Header and rows in one string: what the file holds, byte for byte.
std::string BitmapFileImage(const Bitmap& bitmap);
