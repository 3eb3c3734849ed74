#include "wallpaper/scale.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "tests/support/allocation_meter.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"

namespace {

std::uint8_t Channel(std::uint32_t pixel, int shift) { return static_cast<std::uint8_t>(pixel >> shift); }

Bitmap Pattern(int width, int height, std::uint32_t (*at)(int x, int y)) {
    auto bitmap = Bitmap::Allocate({width, height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) bitmap->RowFromTop(y)[x] = at(x, y);
    return std::move(*bitmap);
}

TEST(Scale, HundredPercentIsThePictureItself) {
    const Bitmap source = Pattern(37, 11, [](int x, int y) { return static_cast<std::uint32_t>(x * 7919 ^ y * 104729); });
    const auto scaled = ScaleBitmap(source, 100);
    ASSERT_TRUE(scaled);
    EXPECT_EQ(std::memcmp(scaled->Pixels(), source.Pixels(), source.PixelCount() * 4), 0);
}

TEST(Scale, FlatColourStaysExactlyFlat) {
    const Bitmap flat = Pattern(61, 43, [](int, int) { return 0x7F3A9C15u; });
    for (const std::uint32_t percent : {1u, 25u, 33u, 50u, 99u, 101u, 150u, 200u, 333u}) {
        const auto scaled = ScaleBitmap(flat, percent);
        ASSERT_TRUE(scaled) << percent;
        for (std::size_t i = 0; i < scaled->PixelCount(); ++i) ASSERT_EQ(scaled->Pixels()[i], 0x7F3A9C15u) << percent;
    }
}

TEST(Scale, CheckerAveragesToGreyWhenHalved) {
    const Bitmap checker = Pattern(2, 2, [](int x, int y) { return (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u; });
    const auto half = ScaleBitmap(checker, 50);
    ASSERT_EQ(half->Width(), 1);
    EXPECT_EQ(half->Pixels()[0], 0xFF808080u);
}

// A nearest-neighbour stretch of one-pixel stripes keeps only black or only
// white; averaging gives the grey a viewer sees from afar.
TEST(Scale, FineDetailShrinksToItsAverageNotToAliasing) {
    const Bitmap stripes = Pattern(400, 300, [](int x, int) { return x % 2 ? 0x00FFFFFFu : 0u; });
    for (const std::uint32_t percent : {50u, 30u, 17u}) {
        const auto scaled = ScaleBitmap(stripes, percent);
        for (std::size_t i = 0; i < scaled->PixelCount(); ++i) {
            ASSERT_NEAR(Channel(scaled->Pixels()[i], 8), 128, 64) << percent;
        }
    }
}

TEST(Scale, EnlargingInterpolatesBetweenNeighbours) {
    const Bitmap step = Pattern(2, 1, [](int x, int) { return x ? 0x00C8C8C8u : 0x00141414u; });
    const auto wide = ScaleBitmap(step, 400);
    ASSERT_EQ(wide->Width(), 8);
    int previous = -1;
    int between = 0;
    for (int x = 0; x < 8; ++x) {
        const int v = Channel(wide->RowFromTop(0)[x], 0);
        EXPECT_GE(v, previous) << x;
        between += v > 0x14 && v < 0xC8;
        previous = v;
    }
    EXPECT_GE(between, 2);  // not a hard step as a nearest-neighbour stretch gives
    EXPECT_EQ(Channel(wide->RowFromTop(0)[0], 0), 0x14);
    EXPECT_EQ(Channel(wide->RowFromTop(0)[7], 0), 0xC8);
}

// A resampling thread that runs out of memory fails the scale; before, the
// exception left the thread and ended the program.
TEST(Scale, MemoryRunningOutOnAResamplingThreadFailsTheScale) {
    const Bitmap picture = Pattern(400, 400, [](int x, int y) { return static_cast<std::uint32_t>(x ^ y); });
    {
        allocation_meter::FailOnOtherThreads failing;
        EXPECT_FALSE(ScaleBitmap(picture, 50));
        EXPECT_FALSE(ScaleBitmap(picture, 150));
    }
    EXPECT_TRUE(ScaleBitmap(picture, 50)) << "and the next one works again";
}

TEST(Scale, RefusesSizesBeyondTheBound) {
    const Bitmap small = Pattern(400, 2, [](int, int) { return 0u; });
    EXPECT_FALSE(ScaleBitmap(small, 0xFFFFFFFFu));
    EXPECT_FALSE(ScaleBitmap(small, 8193 * 100 + 100));  // 400 * 8194 > 32768 a side
}

Bitmap RandomPicture(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    auto bitmap = Bitmap::Allocate({width, height});
    for (std::size_t i = 0; i < bitmap->PixelCount(); ++i) bitmap->Pixels()[i] = random() | 0xFF000000u;
    return std::move(*bitmap);
}

// The steps as the composition is defined: a solid background bitmap and
// the general blend, with the scale on the side of the smaller size.
std::optional<Bitmap> DefinedComposition(const Bitmap& picture, std::uint32_t magnification, std::int32_t t,
                                         PixelValue background) {
    std::optional<Bitmap> p = ScaleBitmap(picture, magnification <= 100 ? magnification : 100);
    const auto solid = CreateSolidBitmap({p->Width(), p->Height()}, background);
    auto blended = BlendBitmap(*p, *solid, 0, 0, t, background);
    return magnification > 100 ? ScaleBitmap(*blended, magnification) : std::move(blended);
}

TEST(Compose, EqualsTheDefinedStepsBitForBit) {
    const PixelValue desktop = PixelValueFromColorRef(0x00956F25);
    for (const std::uint32_t magnification : {25u, 50u, 100u, 200u}) {
        for (const std::int32_t t : {0, 40, 100}) {
            const Bitmap picture = RandomPicture(53, 29, magnification + t);
            const auto expected = DefinedComposition(picture, magnification, t, desktop);
            auto copy = Bitmap::Allocate({53, 29});
            std::memcpy(copy->Pixels(), picture.Pixels(), picture.PixelCount() * 4);
            const auto composed = ComposeWallpaperBitmap(std::move(*copy), magnification, t, desktop);
            ASSERT_TRUE(composed);
            ASSERT_EQ(composed->Width(), expected->Width());
            ASSERT_EQ(composed->Height(), expected->Height());
            EXPECT_EQ(std::memcmp(composed->Pixels(), expected->Pixels(), expected->PixelCount() * 4), 0)
                << magnification << "% at " << t;
        }
    }
}

TEST(Compose, SizeFollowsTheMagnificationAndFullTransparencyIsTheDesktopColour) {
    const auto size = [](std::uint32_t magnification) {
        auto composed = ComposeWallpaperBitmap(std::move(*CreateBlankBitmap({1000, 800})), magnification, 100, 0x256F95);
        return BitmapSize{composed->Width(), composed->Height()};
    };
    EXPECT_EQ(size(50), (BitmapSize{500, 400}));
    EXPECT_EQ(size(200), (BitmapSize{2000, 1600}));
    auto composed = ComposeWallpaperBitmap(RandomPicture(10, 10, 1), 100, 100, 0x256F95);
    for (std::size_t i = 0; i < composed->PixelCount(); ++i) EXPECT_EQ(composed->Pixels()[i], 0x256F95u);
}

}  // namespace
