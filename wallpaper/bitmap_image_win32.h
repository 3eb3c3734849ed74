// Bitmaps GDI can draw into (DIB sections), picture decoding and the
// wallpaper bitmap file.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wallpaper/bitmap.h"
#include "wallpaper/jpeg_picture.h"

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

// The picture in the file, at its own pixel size, or at the reduced size
// the rule allows for the wallpaper in hand (Picture::Reduction); nothing
// on any failure.
std::optional<Picture> LoadPictureFile(const std::string& path, const JpegReductionRule& reductionFor = {});
// Decodes a whole image file held in a global memory block of `length`
// bytes, which it takes over in every case. A JPEG whose rule allows a
// reduction goes first to the program's own decoder, which decodes it at
// that reduced size (jpeg_decoder.h). Otherwise, or when that decoder does
// not handle the file, a JPEG goes to the Windows Imaging Component's decoder,
// whose 3-byte rows are kept as they are; the other formats of the OLE
// picture loader (GIF, BMP, icons, metafiles), and a JPEG that decoder
// refuses, go to the OLE loader and are rendered into a 32-bit bitmap; the
// Imaging Component takes what the OLE loader rejects.
std::optional<Picture> DecodePicture(HGLOBAL block, SIZE_T length,
                                     const JpegReductionRule& reductionFor = {});

// The whole OLE picture, upright, at its size in screen pixels; nothing when
// it does not render.
std::optional<Bitmap> RenderOlePicture(IPicture* picture);

// Writes the 54-byte header and the rows; true only when all was written.
bool WriteBitmapFile(const std::string& path, const Bitmap* bitmap);
