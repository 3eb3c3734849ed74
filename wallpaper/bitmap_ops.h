// The bitmap operations wallpapers are composed from. Every operation that
// makes a bitmap returns a new one, or nothing on failure, and leaves its
// inputs alone. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "wallpaper/bitmap.h"

// A colour reference (red in bits 0-7, blue in 16-23) as a pixel.
constexpr PixelValue PixelValueFromColorRef(std::uint32_t c) {
    return (c & 0xFF) << 16 | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Each side times percentage / 100, truncated, at least 1. The percentage
// is unsigned and the product is computed in 64 bits, so it never wraps.
BitmapSize ScaledSize(std::int64_t width, std::int64_t height, std::uint32_t percentage);

// Every pixel `value`; nothing when the size is refused or memory runs out.
std::optional<Bitmap> CreateSolidBitmap(BitmapSize size, PixelValue value);

// The blend weight of a transparency: clamped to 0..100, then * 256 / 100.
std::uint32_t BlendWeight(std::int32_t transparency);

// One row: out = (picture * (256 - o) + background * o) / 256 per channel
// with a fourth byte of 0, except where the picture pixel equals the key,
// which keeps the background pixel. `out` may be `picture`.
void BlendRow(const std::uint32_t* picture, const std::uint32_t* background, std::uint32_t* out, std::size_t count,
              std::uint32_t weight, PixelValue key);
// The same over one background colour.
void BlendRowOverColour(const std::uint32_t* picture, PixelValue background, std::uint32_t* out, std::size_t count,
                        std::uint32_t weight, PixelValue key);

// Packed 3-byte pixels (blue, green, red) as 32-bit ones with a fourth byte
// of 0xFF.
void WidenRow(const std::uint8_t* in, std::uint32_t* out, std::size_t count);

