#include "wallpaper/compose.h"

#include <algorithm>
#include <cstring>

#include "wallpaper/bitmap_ops.h"
#include "framework/parallel_rows.h"
#include "wallpaper/scale.h"

namespace {

// Blending over a solid bitmap of the picture's size at (0, 0) with the
// background colour as key equals blending over the colour itself, in
// place: no second bitmap of that size is needed.
bool BlendOverColour(Bitmap& bitmap, std::int32_t transparency, PixelValue background) {
    const std::uint32_t weight = BlendWeight(transparency);
    return ParallelRows(bitmap.Height(), [&](int begin, int end) {
        std::uint32_t* rows = bitmap.Pixels() + static_cast<std::size_t>(begin) * bitmap.Width();
        const std::size_t count = static_cast<std::size_t>(end - begin) * bitmap.Width();
        BlendRowOverColour(rows, background, rows, count, weight, background);
    });
}

// The picture at its own size in a bitmap of its own, blended: in place when
// it is a bitmap already, else each row widened and blended while it is
// still in the cache.
std::optional<Bitmap> BlendAtOwnSize(Picture& picture, std::int32_t transparency, PixelValue background) {
    if (auto& bitmap = picture.AsBitmap()) {
        if (!BlendOverColour(*bitmap, transparency, background)) return std::nullopt;
        return std::move(*bitmap);
    }
    const PixelRows& rows = picture.Rows();
    auto bitmap = Bitmap::Allocate({rows.width, rows.height});
    if (!bitmap) return std::nullopt;
    const std::uint32_t weight = BlendWeight(transparency);
    const bool done = ParallelRows(rows.height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            std::uint32_t* out = bitmap->RowFromTop(y);
            WidenRow(rows.Row(y), out, static_cast<std::size_t>(rows.width));
            BlendRowOverColour(out, background, out, static_cast<std::size_t>(rows.width), weight, background);
        }
    });
    if (!done) return std::nullopt;
    return bitmap;
}

// The rows of the part of a picture, which may be decoded at a reduced
// size: the reduced pixels from the one the part starts in.
PixelRows ShownRows(const Picture& picture, const PixelRect& shown) {
    const int reduction = picture.Reduction();
    PixelRows rows = picture.Rows();
    const auto x = static_cast<int>(shown.x / reduction), y = static_cast<int>(shown.y / reduction);
    rows.top = rows.Row(y) + static_cast<std::ptrdiff_t>(x) * rows.bytesPerPixel;
    rows.width = std::min(rows.width - x, static_cast<int>((shown.width + reduction - 1) / reduction));
    rows.height = std::min(rows.height - y, static_cast<int>((shown.height + reduction - 1) / reduction));
    return rows;
}

// The placement's part of the picture on its target, blended. The picture
// ends with the call, before the screen's bitmap is made, so that no more
// than two large bitmaps are held at a time.
std::optional<Bitmap> PlacedPart(Picture picture, const ScreenPlacement& placement, std::int32_t transparency,
                                 PixelValue background) {
    auto placed = ScaleReducedRows(ShownRows(picture, placement.source), picture.Reduction(),
                                   placement.source.Size(), placement.target.Size());
    if (!placed || !BlendOverColour(*placed, transparency, background)) return std::nullopt;
    return placed;
}

}  // namespace

std::optional<Bitmap> ComposeWallpaperBitmap(Picture picture, std::uint32_t magnification,
                                             std::int32_t transparency, PixelValue background) {
    const BitmapSize full = picture.FullSize();
    if (magnification < 100) {
        auto scaled = ScaleReducedRows(picture.Rows(), picture.Reduction(), full,
                                       ScaledSize(full.width, full.height, magnification));
        if (!scaled || !BlendOverColour(*scaled, transparency, background)) return std::nullopt;
        return scaled;
    }
    auto blended = BlendAtOwnSize(picture, transparency, background);
    if (!blended || magnification == 100) return blended;
    return ScaleBitmap(*blended, magnification);
}

std::optional<Bitmap> ComposeScreenBitmap(Picture picture, const ScreenPlacement& placement,
                                          std::int32_t transparency, PixelValue background) {
    auto placed = PlacedPart(std::move(picture), placement, transparency, background);
    if (!placed || placement.target.Size() == placement.screen) return placed;
    auto screen = CreateSolidBitmap(placement.screen, background);
    if (!screen) return std::nullopt;
    const PixelRect& target = placement.target;
    for (int y = 0; y < placed->Height(); ++y) {
        std::memcpy(screen->RowFromTop(static_cast<int>(target.y) + y) + target.x, placed->RowFromTop(y),
                    placed->Stride());
    }
    return screen;
}
