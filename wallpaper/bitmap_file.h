// The .bmp file of a bitmap: a 54-byte header, then the pixel rows as they
// lie in memory, bottom row first. Portable: no Windows headers.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "wallpaper/bitmap.h"

inline constexpr std::size_t kBitmapFileHeaderBytes = 54;

std::array<std::uint8_t, kBitmapFileHeaderBytes> BitmapFileHeader(const Bitmap& bitmap);

