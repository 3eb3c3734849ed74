// How far a wallpaper made from the program's reduced JPEG decode lies
// from one made from the imaging component's full decode
// averaged by the resampler, per channel at 25 and 50 %:
//   jpeg_accuracy PICTURE...
// One line per picture and magnification: the reduction used, the size,
// and for red, green and blue the largest difference and the share of
// values at each difference.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "wallpaper/picture_file_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/scale.h"

int main(int argc, char** argv) {
    for (int a = 1; a < argc; ++a) {
        const auto full = LoadPictureFile(argv[a]);
        if (!full) {
            std::fprintf(stderr, "jpeg_accuracy: %s does not decode\n", argv[a]);
            return 1;
        }
        for (const std::uint32_t pct : {25u, 50u}) {
            const auto reduced = LoadPictureFile(argv[a], JpegReductionAt(pct));
            const BitmapSize size = ScaledSize(full->Width(), full->Height(), pct);
            const auto before = ScaleRows(full->Rows(), size);
            const auto now = ScaleReducedRows(reduced->Rows(), reduced->Reduction(), reduced->FullSize(), size);
            if (!before || !now) return 1;
            long counts[3][256] = {};
            int most[3] = {};
            for (std::size_t i = 0; i < before->PixelCount(); ++i) {
                for (int c = 0; c < 3; ++c) {
                    const int d = std::abs(static_cast<int>((before->Pixels()[i] >> (8 * c)) & 255) -
                                           static_cast<int>((now->Pixels()[i] >> (8 * c)) & 255));
                    ++counts[c][d];
                    most[c] = d > most[c] ? d : most[c];
                }
            }
            std::printf("%s %u%%: reduction %d, %dx%d:", argv[a], pct, reduced->Reduction(),
                        static_cast<int>(size.width), static_cast<int>(size.height));
            const char* names[3] = {"blue", "green", "red"};
            for (int c = 2; c >= 0; --c) {
                std::printf(" %s max %d [", names[c], most[c]);
                for (int d = 0; d <= most[c]; ++d) {
                    std::printf("%s%d: %.4f%%", d ? ", " : "", d,
                                100.0 * static_cast<double>(counts[c][d]) / static_cast<double>(before->PixelCount()));
                }
                std::printf("]");
            }
            std::printf("\n");
        }
    }
    return 0;
}
