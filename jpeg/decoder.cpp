#include "jpeg/decoder.h"

#include "jpeg/entropy.h"
#include "jpeg/frame.h"
#include "jpeg/render.h"
#include "jpeg/scans.h"

namespace {

// Rows of MCUs decoded ahead of the rendering: enough that neither side
// waits for the other often, few enough to stay in the processor's caches.
constexpr int kBands = 8;

}  // namespace

std::optional<JpegSize> ReadJpegSize(const std::uint8_t* bytes, std::size_t length) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return std::nullopt;
    return JpegSize{frame->width, frame->height};
}

bool DecodeJpegRows(const std::uint8_t* bytes, std::size_t length, int reduction, const JpegRowsFor& rowsFor) {
    const auto frame = ReadJpegFrame(bytes, length);
    if (!frame) return false;
    JpegCoefficients coefficients;
    JpegRowProgress progress;
    return RenderJpeg(*frame, coefficients, reduction, progress, rowsFor, [&] {
        return frame->multiScan ? DecodeJpegScans(*frame, bytes, length, coefficients, progress, kBands)
                                : DecodeJpegScan(*frame, bytes, length, coefficients, progress, kBands);
    });
}
