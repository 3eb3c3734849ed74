#include "wallpaper/jpeg_picture.h"

#include "jpeg/decoder.h"
#include "wallpaper/bitmap_ops.h"

int JpegReductionFor(PixelRect shown, BitmapSize output) {
    for (const int reduction : {8, 4, 2}) {
        const bool aligned = shown.x % reduction == 0 && shown.y % reduction == 0;
        if (aligned && shown.width % (reduction * output.width) == 0 &&
            shown.height % (reduction * output.height) == 0) {
            return reduction;
        }
    }
    return 1;
}

JpegReductionRule JpegReductionAt(std::uint32_t magnification) {
    return [magnification](BitmapSize full) {
        const BitmapSize wallpaper = ScaledSize(full.width, full.height, magnification);
        return JpegReductionFor({0, 0, full.width, full.height}, wallpaper);
    };
}

namespace {

std::optional<Picture> DecodeAt(const std::uint8_t* bytes, std::size_t length, JpegSize full, int reduction) {
    std::optional<Picture> picture;
    const bool decoded = DecodeJpegRows(bytes, length, reduction, [&](int width, int height) -> JpegRows {
        picture = Picture::AllocateRgbInRoom(width, height);
        if (!picture) return {};
        return {picture->RgbTop(), picture->Rows().stride};
    });
    if (!decoded) return std::nullopt;
    picture->MarkReduced({full.width, full.height}, reduction);
    return picture;
}

}  // namespace

std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction) {
    const auto full = ReadJpegSize(bytes, length);
    if (!full) return std::nullopt;
    return DecodeAt(bytes, length, *full, reduction);
}

std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              const JpegReductionRule& reductionFor) {
    const auto full = ReadJpegSize(bytes, length);
    if (!full) return std::nullopt;
    return DecodeAt(bytes, length, *full, reductionFor({full->width, full->height}));
}
