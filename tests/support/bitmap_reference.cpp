#include "tests/support/bitmap_reference.h"

#include <algorithm>
#include <cstring>

#include "wallpaper/bitmap_file.h"
#include "wallpaper/bitmap_ops.h"

std::optional<Bitmap> CreateBlankBitmap(BitmapSize size) { return CreateSolidBitmap(size, 0xFFFFFFFF); }

std::optional<Bitmap> CopyBitmapRegion(const Bitmap& source, int left, int top, int right, int bottom,
                                       PixelValue fill) {
    auto region = CreateSolidBitmap({std::int64_t{right} - left, std::int64_t{bottom} - top}, fill);
    if (!region) return region;
    const int fromX = std::max(left, 0);
    const int toX = std::min(right, source.Width());
    for (int y = std::max(top, 0); y < std::min(bottom, source.Height()) && fromX < toX; ++y) {
        std::memcpy(region->RowFromTop(y - top) + (fromX - left), source.RowFromTop(y) + fromX,
                    static_cast<std::size_t>(toX - fromX) * 4);
    }
    return region;
}

std::optional<Bitmap> BlendBitmap(const Bitmap& picture, const Bitmap& background, int x, int y,
                                  std::int32_t transparency, PixelValue key) {
    const std::uint32_t weight = BlendWeight(transparency);
    auto output = Bitmap::Allocate({picture.Width(), picture.Height()});
    if (!output) return output;
    const auto region = CopyBitmapRegion(background, x, y, x + picture.Width(), y + picture.Height(), key);
    if (!region) return std::nullopt;
    // Rows in memory order; every pixel of the output is written by the blend.
    for (int row = 0; row < picture.Height(); ++row) {
        const std::size_t offset = static_cast<std::size_t>(row) * picture.Width();
        BlendRow(picture.Pixels() + offset, region->Pixels() + offset, output->Pixels() + offset,
                 static_cast<std::size_t>(picture.Width()), weight, key);
    }
    return output;
}

std::string BitmapFileImage(const Bitmap& bitmap) {
    const auto header = BitmapFileHeader(bitmap);
    std::string image(header.begin(), header.end());
    image.append(reinterpret_cast<const char*>(bitmap.Pixels()), bitmap.Stride() * static_cast<std::size_t>(bitmap.Height()));
    return image;
}
