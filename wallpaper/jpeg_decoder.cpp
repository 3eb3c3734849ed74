#include "wallpaper/jpeg_decoder.h"

#include "wallpaper/bitmap_ops.h"
#include "wallpaper/jpeg_entropy.h"
#include "wallpaper/jpeg_frame.h"
#include "wallpaper/jpeg_render.h"

namespace {

// Rows of MCUs decoded ahead of the rendering: enough that neither side
// waits for the other often, few enough to stay in the processor's caches.
constexpr int kBands = 8;

std::optional<Picture> DecodeFrame(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                                   int reduction) {
    JpegCoefficients coefficients;
    JpegRowProgress progress;
    auto picture = RenderJpeg(frame, coefficients, reduction, progress, [&] {
        return DecodeJpegScan(frame, bytes, length, coefficients, progress, kBands);
    });
    if (picture) picture->MarkReduced({frame.width, frame.height}, reduction);
    return picture;
}

}  // namespace

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

std::optional<Picture> DecodeJpeg(const std::uint8_t* bytes, std::size_t length, int reduction) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return std::nullopt;
    return DecodeFrame(*frame, bytes, length, reduction);
}

std::optional<Picture> DecodeJpegForWallpaper(const std::uint8_t* bytes, std::size_t length,
                                              const JpegReductionRule& reductionFor) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return std::nullopt;
    const int reduction = reductionFor({frame->width, frame->height});
    if (reduction == 1) return std::nullopt;
    return DecodeFrame(*frame, bytes, length, reduction);
}
