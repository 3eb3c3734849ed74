// The picture work of one wallpaper change, after decoding and before the
// file is written. Portable: no Windows headers.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "display/monitor_layout.h"
#include "wallpaper/bitmap.h"
#include "wallpaper/jpeg_picture.h"
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

// One monitor's picture on a wallpaper spanning several, and how it shows.
struct MonitorPicture {
    std::string path;
    std::int32_t displayMethod = 0;
    std::uint32_t magnification = 100;  // percent
    std::int32_t transparency = 0;      // percent, clamped by the blend
    bool operator==(const MonitorPicture&) const = default;
};

// Decodes a picture when its monitor's turn comes, at a reduction the rule
// allows; nothing when it cannot.
using MonitorPictureLoader =
    std::function<std::optional<Picture>(const MonitorPicture& picture, const JpegReductionRule& reductionFor)>;

// The wallpaper of the layout, ready to be tiled: monitor i shows picture
// i modulo their number, placed as PlaceOnMonitor places it and blended over
// the desktop colour by its transparency; the rest is the plain desktop
// colour, and a monitor whose picture cannot be decoded is too. The
// pictures are decoded one at a time, each composed straight into the one
// bitmap and let go before the next, so that no more is held than the
// bitmap and one picture. Nothing when no picture could be decoded, or
// memory runs out.
std::optional<Bitmap> ComposeSpanningBitmap(const SpanningLayout& layout, const std::vector<MonitorPicture>& pictures,
                                            const MonitorPictureLoader& load, PixelValue background);
