// Bitmaps GDI can draw into (DIB sections), and the wallpaper bitmap file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wallpaper/bitmap.h"

// A 32-bit bottom-up DIB section (header size 40, one plane, BI_RGB). Its
// pixels are the bitmap's, which deletes the section; the handle can be
// selected into a device context for as long as the bitmap lives.
struct BitmapImage {
    Bitmap bitmap;
    HBITMAP handle;
};

// Every byte 0xFF; nothing when the size is refused or GDI fails.
std::optional<BitmapImage> CreateBitmapImage(BitmapSize size);

// Writes the 54-byte header and the rows; true only when all was written.
bool WriteBitmapFile(const std::string& path, const Bitmap* bitmap);
