// Bitmaps GDI can draw into (DIB sections), picture decoding and the
// wallpaper bitmap file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wallpaper/bitmap.h"

struct IPicture;

// A 32-bit bottom-up DIB section (header size 40, one plane, BI_RGB). Its
// pixels are the bitmap's, which deletes the section; the handle can be
// selected into a device context for as long as the bitmap lives.
struct BitmapImage {
    Bitmap bitmap;
    HBITMAP handle;
};

// Every byte 0xFF; nothing when the size is refused or GDI fails.
std::optional<BitmapImage> CreateBitmapImage(BitmapSize size);

// The picture in the file, at its own pixel size; nothing on any failure.
std::optional<Bitmap> LoadPictureFile(const std::string& path);
// Decodes a whole image file held in a global memory block of `length`
// bytes, which it takes over in every case: the OLE picture loader first
// (JPEG, GIF, BMP), then the Windows Imaging Component for what it rejects.
std::optional<Bitmap> DecodePicture(HGLOBAL block, SIZE_T length);

// The whole OLE picture, upright, at its size in screen pixels; nothing when
// it does not render.
std::optional<Bitmap> RenderOlePicture(IPicture* picture);

// Writes the 54-byte header and the rows; true only when all was written.
bool WriteBitmapFile(const std::string& path, const Bitmap* bitmap);
