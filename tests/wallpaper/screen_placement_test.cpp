#include "wallpaper/screen_placement.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/bitmap_reference.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/jpeg_picture.h"
#include "wallpaper/scale.h"

namespace {

constexpr DisplayMethod kFill = DisplayMethod::Fill, kFit = DisplayMethod::Fit;

// With the reduction a JPEG is decoded at: only where the shown part
// starts on a multiple of it and each output pixel covers whole squares.
TEST(ScreenPlacement, FillShowsTheCentreFitAllOfThePictureAndAJpegIsReducedWhereItAligns) {
    const struct {
        DisplayMethod method;
        BitmapSize picture, screen;
        PixelRect source, target;
        int reduction;
    } cases[] = {
        // 2:1 on 4:3: 1333 1/3 columns shown; 512 rows between bands of 128.
        {kFill, {2000, 1000}, {1024, 768}, {333, 0, 1333, 1000}, {0, 0, 1024, 768}, 1},
        {kFit, {2000, 1000}, {1024, 768}, {0, 0, 2000, 1000}, {0, 128, 1024, 512}, 1},
        // 2:1 on 16:9: 1777 7/9 rounds up.
        {kFill, {2000, 1000}, {1920, 1080}, {111, 0, 1778, 1000}, {0, 0, 1920, 1080}, 1},
        {kFit, {2000, 1000}, {1920, 1080}, {0, 0, 2000, 1000}, {0, 60, 1920, 960}, 1},
        // One pixel wide: a single pixel covers the screen, or a column of one.
        {kFill, {1, 1000}, {1024, 768}, {0, 499, 1, 1}, {0, 0, 1024, 768}, 1},
        {kFit, {1, 1000}, {1024, 768}, {0, 0, 1, 1000}, {511, 0, 1, 768}, 1},
        {kFill, {1024, 768}, {1024, 768}, {0, 0, 1024, 768}, {0, 0, 1024, 768}, 1},
        {kFit, {1024, 768}, {1024, 768}, {0, 0, 1024, 768}, {0, 0, 1024, 768}, 1},
        {kFill, {3840, 2160}, {1920, 1080}, {0, 0, 3840, 2160}, {0, 0, 1920, 1080}, 2},
        {kFill, {7680, 4320}, {1920, 1080}, {0, 0, 7680, 4320}, {0, 0, 1920, 1080}, 4},
        {kFill, {3840, 2164}, {1920, 1080}, {0, 2, 3840, 2160}, {0, 0, 1920, 1080}, 2},
        {kFill, {3840, 2162}, {1920, 1080}, {0, 1, 3840, 2160}, {0, 0, 1920, 1080}, 1},  // odd start
        {kFit, {3840, 2160}, {1920, 1200}, {0, 0, 3840, 2160}, {0, 60, 1920, 1080}, 2},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        const ScreenPlacement placement = PlaceOnScreen(c.method, c.picture, c.screen);
        EXPECT_EQ(placement, (ScreenPlacement{c.source, c.target, c.screen})) << "case " << i;
        EXPECT_EQ(JpegReductionFor(placement.source, placement.target.Size()), c.reduction) << "case " << i;
    }
}

// Fit's bands are the plain desktop colour; the picture between them is
// mixed with it by the transparency (40 %: 102 of 256).
TEST(ComposeScreen, FitBlendsThePictureBetweenBandsOfTheDesktopColour) {
    const PixelValue desktop = 0x256F95;
    const ScreenPlacement placement = PlaceOnScreen(kFit, {40, 20}, {16, 12});
    const auto composed = ComposeScreenBitmap(Picture(std::move(*CreateSolidBitmap({40, 20}, 0xFFC81E1E))),
                                              placement, 40, desktop);
    ASSERT_TRUE(composed);
    ASSERT_EQ(composed->PixelCount(), 16u * 12);
    const PixelValue blended = (0xC8 * 154 + 0x25 * 102) >> 8 << 16 | (0x1E * 154 + 0x6F * 102) >> 8 << 8 |
                               (0x1E * 154 + 0x95 * 102) >> 8;
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(composed->RowFromTop(y)[x], y >= 2 && y < 10 ? blended : desktop) << x << "," << y;
        }
    }
}

// A picture flat over squares of 2, filled onto a screen that shows its
// rows 2 to 37: decoded at half its size, it gives those rows scaled down.
TEST(ComposeScreen, FillShowsTheCentralRowsOfAPictureReducedByTheRule) {
    const BitmapSize full{64, 40}, screen{16, 9};
    auto whole = Bitmap::Allocate(full), reduced = Bitmap::Allocate({32, 20});
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 64; ++x) {
            const PixelValue square = (x / 2 * 7919u + y / 2 * 104729u) % 0xFFFFFF;
            whole->RowFromTop(y)[x] = reduced->RowFromTop(y / 2)[x / 2] = square;
        }
    }
    const auto expected = ScaleRows(RowsOf(*CopyBitmapRegion(*whole, 0, 2, 64, 38, 0)), screen);
    const ScreenPlacement placement = PlaceOnScreen(kFill, full, screen);
    Picture half(std::move(*reduced));
    half.MarkReduced(full, 2);
    const auto composed = ComposeScreenBitmap(std::move(half), placement, 0, 0);
    ASSERT_TRUE(expected && composed);
    EXPECT_EQ(std::memcmp(composed->Pixels(), expected->Pixels(), expected->PixelCount() * 4), 0);
}

}  // namespace
