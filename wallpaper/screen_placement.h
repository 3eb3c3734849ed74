// Where a picture goes on a wallpaper of the screen's size, for the display
// methods that fill the screen or fit into it. Portable: no Windows headers.
#pragma once

#include <cstdint>

#include "settings/settings_model.h"
#include "wallpaper/bitmap.h"

// The part of the picture shown, in its own pixels, and where it lies on
// the screen's bitmap; each side at least 1 pixel.
struct ScreenPlacement {
    PixelRect source;
    PixelRect target;
    BitmapSize screen;
    bool operator==(const ScreenPlacement&) const = default;
};

// Fill and Fit make a wallpaper of the screen's size; the other methods one
// of the picture's own size scaled by the magnification.
constexpr bool IsShownAtScreenSize(std::int32_t displayMethod) {
    return displayMethod == static_cast<std::int32_t>(DisplayMethod::Fill) ||
           displayMethod == static_cast<std::int32_t>(DisplayMethod::Fit);
}

// Fill scales the picture to cover the screen and shows its centre, cut to
// whole pixels; Fit (any other method) scales the whole picture to fit
// inside, centred. Either way the shown part's shape is the target's to
// within one pixel of rounding. Both sizes are at least 1 pixel a side.
ScreenPlacement PlaceOnScreen(DisplayMethod method, BitmapSize picture, BitmapSize screen);

// Where a picture goes on one monitor of a wallpaper spanning several, in
// the monitor's own pixels: the part `source` of the picture is scaled to
// `scaled`, of which the part `shown` lies at `target` on the monitor (the
// same size). Tiles repeat that part from the monitor's corner.
struct MonitorPlacement {
    PixelRect source;
    BitmapSize scaled;
    PixelRect shown;
    PixelRect target;
    bool tiled = false;
    bool operator==(const MonitorPlacement&) const = default;
};

// Each method as it shows on a screen of the monitor's size: Fill and Fit
// as PlaceOnScreen places them, Enlarge stretched over the monitor, None
// (and any unknown value) centred and Tile tiled at the picture's size
// scaled by the magnification, cut at the monitor's edges.
MonitorPlacement PlaceOnMonitor(std::int32_t displayMethod, std::uint32_t magnification, BitmapSize picture,
                                BitmapSize monitor);
