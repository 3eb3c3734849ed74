#include "wallpaper/compose.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "wallpaper/bitmap_ops.h"
#include "framework/parallel_rows.h"
#include "wallpaper/scale.h"

namespace {

// Blending over a solid bitmap of the picture's size at (0, 0) with the
// background colour as key equals blending over the colour itself, in
// place: no second bitmap of that size is needed. The pixels of the target
// are blended.
bool BlendTargetOverColour(const PixelTarget& target, std::int32_t transparency, PixelValue background) {
    const std::uint32_t weight = BlendWeight(transparency);
    return ParallelRows(target.height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            BlendRowOverColour(target.Row(y), background, target.Row(y), static_cast<std::size_t>(target.width),
                               weight, background);
        }
    });
}

bool BlendOverColour(Bitmap& bitmap, std::int32_t transparency, PixelValue background) {
    return BlendTargetOverColour(TargetIn(bitmap, {0, 0, bitmap.Width(), bitmap.Height()}), transparency,
                                 background);
}

// A picture decoded into room for its 32-bit bitmap, widened where it
// lies: from the last row in memory to the first, each copied aside before
// its wider form overwrites it and the start of the row after it, which is
// done by then.
std::optional<Bitmap> WidenInRoom(Picture& picture) {
    const int width = picture.Width(), height = picture.Height();
    std::unique_ptr<std::uint32_t[]> room = picture.TakeRoom();
    const auto rowBytes = static_cast<std::size_t>(width) * 3;
    const std::unique_ptr<std::uint8_t[]> aside(new (std::nothrow) std::uint8_t[rowBytes]);
    if (!aside) return std::nullopt;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(room.get());
    for (int r = height - 1; r >= 0; --r) {
        std::memcpy(aside.get(), bytes + static_cast<std::size_t>(r) * rowBytes, rowBytes);
        WidenRow(aside.get(), room.get() + static_cast<std::size_t>(r) * width,
                 static_cast<std::size_t>(width));
    }
    std::uint32_t* const pixels = room.release();
    return Bitmap(pixels, width, height, [pixels] { delete[] pixels; });
}

// The picture at its own size in a bitmap of its own, blended: in place when
// it is a bitmap already, else each row widened and blended while it is
// still in the cache.
std::optional<Bitmap> BlendAtOwnSize(Picture& picture, std::int32_t transparency, PixelValue background) {
    if (auto& bitmap = picture.AsBitmap()) {
        if (!BlendOverColour(*bitmap, transparency, background)) return std::nullopt;
        return std::move(*bitmap);
    }
    if (picture.HasRoom()) {
        auto widened = WidenInRoom(picture);
        if (!widened || !BlendOverColour(*widened, transparency, background)) return std::nullopt;
        return widened;
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

// The tile in the monitor's top-left corner repeated over the rest of it,
// cut at its edges.
void RepeatTile(const PixelTarget& monitor, const PixelRect& tile) {
    const auto tileWidth = static_cast<int>(tile.width), tileHeight = static_cast<int>(tile.height);
    for (int y = 0; y < monitor.height; ++y) {
        std::uint32_t* row = monitor.Row(y);
        if (y >= tileHeight) {
            std::memcpy(row, monitor.Row(y % tileHeight), static_cast<std::size_t>(monitor.width) * 4);
            continue;
        }
        for (int x = tileWidth; x < monitor.width; x += tileWidth) {
            std::memcpy(row + x, row, static_cast<std::size_t>(std::min(tileWidth, monitor.width - x)) * 4);
        }
    }
}

// One monitor's picture, composed into its rectangle of the bitmap. False
// when memory runs out.
bool ComposeOnMonitor(Picture picture, const MonitorPicture& how, const MonitorRect& monitor, PixelValue background,
                      Bitmap& bitmap) {
    const MonitorPlacement placement =
        PlaceOnMonitor(how.displayMethod, how.magnification, picture.FullSize(), {monitor.Width(), monitor.Height()});
    const PixelRect& at = placement.target;
    const PixelTarget target = TargetIn(bitmap, {monitor.left + at.x, monitor.top + at.y, at.width, at.height});
    if (!ScaleReducedRowsInto(ShownRows(picture, placement.source), picture.Reduction(), placement.source.Size(),
                              placement.scaled, placement.shown, target) ||
        !BlendTargetOverColour(target, how.transparency, background)) {
        return false;
    }
    if (placement.tiled) {
        RepeatTile(TargetIn(bitmap, {monitor.left, monitor.top, monitor.Width(), monitor.Height()}), at);
    }
    return true;
}

// The composed bitmap moved so that its column x and row y become its
// first ones, what lay before them wrapping around to the far side.
void Roll(Bitmap& bitmap, std::int64_t x, std::int64_t y) {
    std::uint32_t* pixels = bitmap.Pixels();
    // The rows lie bottom-up: moving them up by y rotates memory by y rows the other way.
    if (y != 0) std::rotate(pixels, pixels + (bitmap.Height() - y) * bitmap.Width(), pixels + bitmap.PixelCount());
    if (x == 0) return;
    ParallelRows(bitmap.Height(), [&](int begin, int end) {
        for (int row = begin; row < end; ++row) {
            std::uint32_t* first = pixels + static_cast<std::size_t>(row) * bitmap.Width();
            std::rotate(first, first + x, first + bitmap.Width());
        }
    });
}

}  // namespace

std::optional<Bitmap> ComposeWallpaperBitmap(Picture picture, std::uint32_t magnification,
                                             std::int32_t transparency, PixelValue background) {
    const BitmapSize full = picture.FullSize();
    const BitmapSize size = ScaledSize(full.width, full.height, magnification);
    // A reduction that makes the wallpaper's size exactly leaves nothing to
    // resample: each reduced pixel is one of the wallpaper's.
    const int reduction = picture.Reduction();
    const bool reducedToSize = reduction > 1 && size.width * reduction == full.width &&
                               size.height * reduction == full.height;
    if (magnification < 100 && !reducedToSize) {
        auto scaled = ScaleReducedRows(picture.Rows(), reduction, full, size);
        if (!scaled || !BlendOverColour(*scaled, transparency, background)) return std::nullopt;
        return scaled;
    }
    auto blended = BlendAtOwnSize(picture, transparency, background);
    if (!blended || magnification <= 100) return blended;
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

std::optional<Bitmap> ComposeSpanningBitmap(const SpanningLayout& layout, const std::vector<MonitorPicture>& pictures,
                                            const MonitorPictureLoader& load, PixelValue background) {
    if (layout.monitors.empty() || pictures.empty()) return std::nullopt;
    auto bitmap = CreateSolidBitmap({layout.width, layout.height}, background);
    if (!bitmap) return std::nullopt;
    bool shown = false;
    for (std::size_t i = 0; i < layout.monitors.size(); ++i) {
        const MonitorRect& monitor = layout.monitors[i];
        const MonitorPicture& how = pictures[i % pictures.size()];
        const BitmapSize size{monitor.Width(), monitor.Height()};
        const JpegReductionRule reductionFor = [&](BitmapSize full) {
            const MonitorPlacement placement = PlaceOnMonitor(how.displayMethod, how.magnification, full, size);
            return JpegReductionFor(placement.source, placement.scaled);
        };
        auto picture = load(how, reductionFor);
        if (!picture) continue;
        if (!ComposeOnMonitor(std::move(*picture), how, monitor, background, *bitmap)) return std::nullopt;
        shown = true;
    }
    if (!shown) return std::nullopt;
    Roll(*bitmap, layout.originX, layout.originY);
    return bitmap;
}
