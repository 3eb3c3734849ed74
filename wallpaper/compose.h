// The picture work of one wallpaper change, after decoding and before the
// file is written. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <optional>

#include "wallpaper/bitmap.h"
#include "wallpaper/screen_placement.h"

// Scales the picture by the magnification and blends it over the desktop
// colour by the transparency. A picture that shrinks is scaled before the
// blend and one that grows after it, so the blend always runs at the
// smaller size; at the picture's own size its pixels go straight into the
// wallpaper's. The result has the picture's full size scaled by the
// magnification, also for a picture decoded at a reduced size, which is
// area-averaged the rest of the way; nothing on failure.
std::optional<Bitmap> ComposeWallpaperBitmap(Picture picture, std::uint32_t magnification,
                                             std::int32_t transparency, PixelValue background);

// The wallpaper of the screen's size for Fill and Fit: the placement's part
// of the picture scaled onto its target and blended over the desktop colour
// by the transparency, the rest of the screen the plain desktop colour. A
// picture decoded at a reduced size needs a placement whose part starts on
// a multiple of the reduction. Nothing on failure.
std::optional<Bitmap> ComposeScreenBitmap(Picture picture, const ScreenPlacement& placement,
                                          std::int32_t transparency, PixelValue background);
