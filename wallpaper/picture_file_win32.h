// Picture files decoded: the program's own JPEG decoder first, the system's
// decoders for the rest.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "wallpaper/bitmap.h"
#include "wallpaper/jpeg_picture.h"

// The picture in the file, at its own pixel size, or at the reduced size
// the rule allows for the wallpaper in hand (Picture::Reduction); nothing
// on any failure. With a rule, a JPEG goes first to the program's own
// decoder, at the reduction the rule gives (1 for the full size). A JPEG
// without a rule, or one that decoder does not take, goes to the Windows
// Imaging Component, whose 3-byte rows are kept as they are; the other
// formats of the OLE picture loader (GIF, BMP, icons, metafiles), and a JPEG
// the Imaging Component refuses, go to the OLE loader and are rendered into
// a 32-bit bitmap; the Imaging Component takes what the OLE loader rejects.
std::optional<Picture> LoadPictureFile(const std::string& path, const JpegReductionRule& reductionFor = {});
