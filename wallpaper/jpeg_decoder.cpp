#include "wallpaper/jpeg_decoder.h"

#include "wallpaper/bitmap_ops.h"
#include "wallpaper/jpeg_entropy.h"
#include "wallpaper/jpeg_frame.h"
#include "wallpaper/jpeg_render.h"

namespace {

std::optional<Picture> DecodeFrame(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                                   int reduction) {
    JpegCoefficients coefficients;
    JpegRowProgress progress;
    auto picture = RenderJpeg(frame, coefficients, reduction, progress,
                              [&] { return DecodeJpegScan(frame, bytes, length, coefficients, progress); });
    if (picture) picture->MarkReduced({frame.width, frame.height}, reduction);
    return picture;
}

}  // namespace

int JpegReductionFor(BitmapSize full, std::uint32_t magnification) {
    const BitmapSize target = ScaledSize(full.width, full.height, magnification);
    for (const int reduction : {8, 4, 2}) {
        if (full.width % (reduction * target.width) == 0 && full.height % (reduction * target.height) == 0) {
            return reduction;
        }
    }
    return 1;
}

std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return std::nullopt;
    return DecodeFrame(*frame, bytes, length, reduction);
}

std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              std::uint32_t magnification) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return std::nullopt;
    const int reduction = JpegReductionFor({frame->width, frame->height}, magnification);
    if (reduction == 1) return std::nullopt;
    return DecodeFrame(*frame, bytes, length, reduction);
}
