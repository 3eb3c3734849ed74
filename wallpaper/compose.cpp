#include "wallpaper/compose.h"

#include "wallpaper/bitmap_ops.h"
#include "wallpaper/scale.h"

std::optional<Bitmap> ComposeWallpaperBitmap(Bitmap picture, std::uint32_t magnification,
                                             std::int32_t transparency, PixelValue background) {
    if (magnification <= 100) {
        auto scaled = ScaleBitmap(picture, magnification);
        if (!scaled) return std::nullopt;
        picture = std::move(*scaled);
    }
    // Blending over a solid bitmap of the picture's size at (0, 0) with the
    // background colour as key equals blending over the colour itself, in
    // place: no second bitmap of that size is needed.
    const std::uint32_t weight = BlendWeight(transparency);
    BlendRowOverColour(picture.Pixels(), background, picture.Pixels(), picture.PixelCount(), weight, background);
    if (magnification > 100) return ScaleBitmap(picture, magnification);
    return picture;
}
