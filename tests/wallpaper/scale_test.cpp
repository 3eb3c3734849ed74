#include "wallpaper/scale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/support/allocation_meter.h"
#include "tests/support/bitmap_reference.h"
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

Bitmap RandomPicture(int width, int height, std::uint32_t seed) {
    std::mt19937 random(seed);
    auto bitmap = Bitmap::Allocate({width, height});
    for (std::size_t i = 0; i < bitmap->PixelCount(); ++i) bitmap->Pixels()[i] = random() | 0xFF000000u;
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

// Expected values of the resampler's definition, from a model written apart
// from it: every output pixel is a weighted sum of source pixels with whole
// weights per axis, divided by the product of the axes' totals and rounded
// once, half up.
struct AxisWeights {
    std::vector<std::vector<std::pair<int, std::int64_t>>> taps;  // per output: (source index, weight)
    std::int64_t total = 0;
};

// Shrinking: output d covers [d * s / n, (d + 1) * s / n); a source pixel
// weighs its overlap with that, in units of 1/n.
AxisWeights AreaModel(int source, int output) {
    AxisWeights axis{std::vector<std::vector<std::pair<int, std::int64_t>>>(output), source};
    for (int d = 0; d < output; ++d) {
        for (int i = 0; i < source; ++i) {
            const std::int64_t overlap = std::min<std::int64_t>((d + 1) * std::int64_t{source}, (i + 1) * std::int64_t{output}) -
                                         std::max<std::int64_t>(d * std::int64_t{source}, i * std::int64_t{output});
            if (overlap > 0) axis.taps[d].emplace_back(i, overlap);
        }
    }
    return axis;
}

// Enlarging: output centre d + 1/2 sits at source position (d + 1/2) * s / n
// - 1/2, held in units of 1/(2n); the two source pixels around it mix by
// distance, and outside the outermost centres the edge pixel repeats.
AxisWeights BilinearModel(int source, int output) {
    AxisWeights axis{std::vector<std::vector<std::pair<int, std::int64_t>>>(output), 2 * std::int64_t{output}};
    for (int d = 0; d < output; ++d) {
        const std::int64_t at = (2 * d + 1) * std::int64_t{source} - output;  // position * 2n
        if (at <= 0) {
            axis.taps[d] = {{0, axis.total}};
        } else if (at >= (source - 1) * axis.total) {
            axis.taps[d] = {{source - 1, axis.total}};
        } else {
            const int left = static_cast<int>(at / axis.total);
            const std::int64_t right = at % axis.total;
            axis.taps[d] = {{left, axis.total - right}, {left + 1, right}};
        }
    }
    return axis;
}

Bitmap ModelScale(const Bitmap& source, int width, int height, bool shrink) {
    const AxisWeights across = shrink ? AreaModel(source.Width(), width) : BilinearModel(source.Width(), width);
    const AxisWeights down = shrink ? AreaModel(source.Height(), height) : BilinearModel(source.Height(), height);
    auto out = Bitmap::Allocate({width, height});
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t pixel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                std::int64_t sum = 0;
                for (const auto& [sy, wy] : down.taps[y]) {
                    for (const auto& [sx, wx] : across.taps[x]) sum += wx * wy * ((source.RowFromTop(sy)[sx] >> shift) & 0xFF);
                }
                const std::int64_t total = across.total * down.total;
                pixel |= static_cast<std::uint32_t>((2 * sum + total) / (2 * total)) << shift;
            }
            out->RowFromTop(y)[x] = pixel;
        }
    }
    return std::move(*out);
}

Bitmap Row(std::initializer_list<std::uint8_t> values) {
    auto bitmap = Bitmap::Allocate({static_cast<std::int64_t>(values.size()), 1});
    int x = 0;
    for (const std::uint8_t v : values) bitmap->Pixels()[x++] = 0xFF000000u | v * 0x010101u;
    return std::move(*bitmap);
}

std::vector<int> Greys(const Bitmap& bitmap) {
    std::vector<int> values;
    for (int x = 0; x < bitmap.Width(); ++x) values.push_back(Channel(bitmap.RowFromTop(0)[x], 8));
    return values;
}

void ExpectSamePixels(const Bitmap& actual, const Bitmap& expected, const std::string& what) {
    ASSERT_EQ(actual.Width(), expected.Width()) << what;
    ASSERT_EQ(actual.Height(), expected.Height()) << what;
    for (int y = 0; y < expected.Height(); ++y) {
        for (int x = 0; x < expected.Width(); ++x) {
            ASSERT_EQ(actual.RowFromTop(y)[x], expected.RowFromTop(y)[x]) << what << " at " << x << "," << y;
        }
    }
}

// Ten pixels at 33 % make three, each covering 3 1/3 source pixels:
// (0 + 30 + 60 + 90/3) * 3/10 = 36, (90 * 2/3 + 120 + 150 + 180 * 2/3) * 3/10
// = 135 and (180/3 + 210 + 240 + 255) * 3/10 = 229.5, rounded up.
TEST(ScaleKnownAnswers, ShrinkingWeighsEachPixelByWhatOfItIsCovered) {
    const auto third = ScaleBitmap(Row({0, 30, 60, 90, 120, 150, 180, 210, 240, 255}), 33);
    ASSERT_TRUE(third);
    EXPECT_EQ(Greys(*third), (std::vector<int>{36, 135, 230}));

    const Bitmap picture = RandomPicture(61, 43, 33);
    ExpectSamePixels(*ScaleBitmap(picture, 33), ModelScale(picture, 20, 14, true), "33 %");
    const Bitmap coprime = RandomPicture(97, 89, 7);  // totals that share nothing with the sizes
    ExpectSamePixels(*ScaleBitmap(coprime, 41), ModelScale(coprime, 39, 36, true), "41 %");
}

// At 1 % every output pixel is the mean of 100 x 100 source pixels: a white
// 10 x 10 square among them is 2.55, so 3, wherever in the group it lies.
// Weights rounded to 1/4096, with the rounding put on one pixel, made the
// first row and column of a group count 3.4 times the others: 8 or 0 for
// the same square.
TEST(ScaleKnownAnswers, AtOnePercentEveryCoveredPixelCountsTheSame) {
    auto picture = Bitmap::Allocate({500, 200});
    std::fill_n(picture->Pixels(), picture->PixelCount(), 0xFF000000u);
    const int corners[5][2] = {{0, 0}, {37, 90}, {50, 0}, {90, 45}, {63, 12}};
    for (int group = 0; group < 10; ++group) {
        const int left = 100 * (group % 5) + corners[group % 5][0];
        const int top = 100 * (group / 5) + corners[(group + 2) % 5][1];
        for (int y = top; y < top + 10; ++y) std::fill_n(picture->RowFromTop(y) + left, 10, 0xFFFFFFFFu);
    }
    const auto scaled = ScaleBitmap(*picture, 1);
    ASSERT_EQ(scaled->Width(), 5);
    ASSERT_EQ(scaled->Height(), 2);
    for (int group = 0; group < 10; ++group) {
        EXPECT_EQ(scaled->RowFromTop(group / 5)[group % 5], 0xFF030303u) << "group " << group;
    }
}

// Beyond 4096 pixels an output pixel covers, a weight of 1/4096 fell to 0
// and one source pixel stood for all of them. 0 % makes one pixel of the
// whole picture: the exact mean.
TEST(ScaleKnownAnswers, OnePixelOfAWidePictureIsItsMean) {
    auto stripes = Bitmap::Allocate({6000, 3});
    for (int x = 0; x < 6000; ++x) {
        for (int y = 0; y < 3; ++y) stripes->RowFromTop(y)[x] = x % 2 ? 0x00FF0A00u : 0x00000000u;
    }
    stripes->RowFromTop(0)[0] = 0x000000FFu;  // blue: 255 of 18000 samples, 0.014
    const auto one = ScaleBitmap(*stripes, 0);
    ASSERT_EQ(one->PixelCount(), 1u);
    EXPECT_EQ(one->Pixels()[0], 0x00800500u) << "red 127.5 and green 5 up, blue 0";
}

// 200 %: output centres fall a quarter and three quarters between source
// centres, so 0 and 255 give 0, 63.75, 191.25, 255; across two axes the
// weights multiply: 0.75 * 0.75 * 0 + 0.75 * 0.25 * (100 + 200) + 0.0625 *
// 255 = 72.1875.
TEST(ScaleKnownAnswers, EnlargingMixesTheTwoNearestCentresByDistance) {
    EXPECT_EQ(Greys(*ScaleBitmap(Row({0, 255}), 200)), (std::vector<int>{0, 64, 191, 255}));
    // 150 %: centres at -1/6, 1/2, 7/6, 11/6, 5/2, 19/6 of four pixels.
    EXPECT_EQ(Greys(*ScaleBitmap(Row({0, 60, 120, 255}), 150)), (std::vector<int>{0, 30, 70, 110, 188, 255}));

    auto square = Bitmap::Allocate({2, 2});
    square->RowFromTop(0)[0] = 0;
    square->RowFromTop(0)[1] = 100;
    square->RowFromTop(1)[0] = 200;
    square->RowFromTop(1)[1] = 255;
    const auto doubled = ScaleBitmap(*square, 200);
    const int expected[4][4] = {{0, 25, 75, 100}, {50, 72, 117, 139}, {150, 167, 200, 216}, {200, 214, 241, 255}};
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 4; ++x) EXPECT_EQ(Channel(doubled->RowFromTop(y)[x], 0), expected[y][x]) << x << "," << y;
    }

    const Bitmap picture = RandomPicture(7, 5, 150);
    ExpectSamePixels(*ScaleBitmap(picture, 150), ModelScale(picture, 10, 7, false), "150 %");
    ExpectSamePixels(*ScaleBitmap(picture, 200), ModelScale(picture, 14, 10, false), "200 %");
}

// Decoders give 3-byte rows, top first or bottom-up in room for their
// 32-bit bitmap; they scale and compose as the same picture in a 32-bit
// bitmap does, opaque.
std::optional<Picture> PackedCopy(const Bitmap& bitmap, bool inRoom = false) {
    auto picture = inRoom ? Picture::AllocateRgbInRoom(bitmap.Width(), bitmap.Height())
                          : Picture::AllocateRgb(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* at = picture->RgbTop() + y * picture->Rows().stride;
        for (int x = 0; x < bitmap.Width(); ++x) {
            const std::uint32_t p = bitmap.RowFromTop(y)[x];
            *at++ = Channel(p, 0);
            *at++ = Channel(p, 8);
            *at++ = Channel(p, 16);
        }
    }
    return picture;
}

TEST(ScaleKnownAnswers, ThreeByteRowsScaleAndComposeAsTheirBitmap) {
    const Bitmap bitmap = RandomPicture(53, 31, 3);
    const auto packed = PackedCopy(bitmap);
    for (const BitmapSize size : {BitmapSize{17, 10}, BitmapSize{53, 31}, BitmapSize{80, 47}}) {
        ExpectSamePixels(*ScaleRows(packed->Rows(), size), *ScaleRows(RowsOf(bitmap), size), std::to_string(size.width));
    }
    // A reduction to the wallpaper's size exactly resamples nothing.
    const auto same = ScaleReducedRows(RowsOf(bitmap), 4, {53 * 4, 31 * 4}, {53, 31});
    ASSERT_TRUE(same);
    ExpectSamePixels(*same, bitmap, "1/4 at 25 %");
    // In room, the rows are widened where they lie, at the picture's own
    // size and where a reduction makes the wallpaper's size exactly.
    for (const bool inRoom : {false, true}) {
        for (const std::uint32_t magnification : {25u, 100u, 200u}) {
            for (const int reduction : {1, 4}) {
                if (reduction > 1 && magnification != 25) continue;
                auto copy = Bitmap::Allocate({53, 31});
                std::memcpy(copy->Pixels(), bitmap.Pixels(), bitmap.PixelCount() * 4);
                auto rows = PackedCopy(bitmap, inRoom);
                Picture fromBitmap(std::move(*copy));
                rows->MarkReduced({53 * reduction, 31 * reduction}, reduction);
                fromBitmap.MarkReduced({53 * reduction, 31 * reduction}, reduction);
                const auto composedRows =
                    ComposeWallpaperBitmap(std::move(*rows), magnification, 40, 0x256F95);
                const auto composedBitmap =
                    ComposeWallpaperBitmap(std::move(fromBitmap), magnification, 40, 0x256F95);
                ASSERT_TRUE(composedRows && composedBitmap);
                ExpectSamePixels(*composedRows, *composedBitmap,
                                 std::to_string(magnification) + " % of 1/" + std::to_string(reduction) +
                                     (inRoom ? " in room" : ""));
            }
        }
    }
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

// The steps as the composition is defined, from the model resampler above:
// a solid background bitmap and the general blend, with the scale on the
// side of the smaller size.
Bitmap DefinedComposition(const Bitmap& picture, std::uint32_t magnification, std::int32_t t, PixelValue background) {
    const auto scaled = [&](const Bitmap& b, bool shrink) {
        return ModelScale(b, std::max(1, b.Width() * static_cast<int>(magnification) / 100),
                          std::max(1, b.Height() * static_cast<int>(magnification) / 100), shrink);
    };
    const Bitmap p = magnification < 100 ? scaled(picture, true) : ModelScale(picture, picture.Width(), picture.Height(), true);
    const auto solid = CreateSolidBitmap({p.Width(), p.Height()}, background);
    auto blended = BlendBitmap(p, *solid, 0, 0, t, background);
    return magnification > 100 ? scaled(*blended, false) : std::move(*blended);
}

TEST(Compose, EqualsTheDefinedStepsBitForBit) {
    const PixelValue desktop = PixelValueFromColorRef(0x00956F25);
    for (const std::uint32_t magnification : {25u, 50u, 100u, 200u}) {
        for (const std::int32_t t : {0, 40, 100}) {
            const Bitmap picture = RandomPicture(53, 29, magnification + t);
            const Bitmap expected = DefinedComposition(picture, magnification, t, desktop);
            auto copy = Bitmap::Allocate({53, 29});
            std::memcpy(copy->Pixels(), picture.Pixels(), picture.PixelCount() * 4);
            const auto composed = ComposeWallpaperBitmap(Picture(std::move(*copy)), magnification, t, desktop);
            ASSERT_TRUE(composed);
            ASSERT_EQ(composed->Width(), expected.Width());
            ASSERT_EQ(composed->Height(), expected.Height());
            EXPECT_EQ(std::memcmp(composed->Pixels(), expected.Pixels(), expected.PixelCount() * 4), 0)
                << magnification << "% at " << t;
        }
    }
}

TEST(Compose, SizeFollowsTheMagnificationAndFullTransparencyIsTheDesktopColour) {
    const auto size = [](std::uint32_t magnification) {
        auto composed =
            ComposeWallpaperBitmap(Picture(std::move(*CreateBlankBitmap({1000, 800}))), magnification, 100, 0x256F95);
        return BitmapSize{composed->Width(), composed->Height()};
    };
    EXPECT_EQ(size(50), (BitmapSize{500, 400}));
    EXPECT_EQ(size(200), (BitmapSize{2000, 1600}));
    auto composed = ComposeWallpaperBitmap(Picture(RandomPicture(10, 10, 1)), 100, 100, 0x256F95);
    for (std::size_t i = 0; i < composed->PixelCount(); ++i) EXPECT_EQ(composed->Pixels()[i], 0x256F95u);
}

// A picture flat over every reduction x reduction square is what its
// reduced rows say exactly: scaling those rows must give what scaling the
// whole picture gives, the squares cut at the edges included.
TEST(ScaleReduced, RowsDecodedAtAReducedSizeScaleAsTheFullPicture) {
    for (const int reduction : {2, 4, 8}) {
        for (const BitmapSize full : {BitmapSize{96, 64}, BitmapSize{101, 67}, BitmapSize{61, 45}}) {
            std::mt19937 random(static_cast<std::uint32_t>(reduction * 1000 + full.width));
            const int rw = static_cast<int>((full.width + reduction - 1) / reduction);
            const int rh = static_cast<int>((full.height + reduction - 1) / reduction);
            auto reduced = Bitmap::Allocate({rw, rh});
            for (std::size_t i = 0; i < reduced->PixelCount(); ++i) reduced->Pixels()[i] = random() | 0xFF000000u;
            auto whole = Bitmap::Allocate(full);
            for (int y = 0; y < full.height; ++y) {
                for (int x = 0; x < full.width; ++x) {
                    whole->RowFromTop(y)[x] = reduced->RowFromTop(y / reduction)[x / reduction];
                }
            }
            for (const std::uint32_t percent : {1u, 9u, 12u, 17u, 25u, 33u, 50u}) {
                const BitmapSize size = ScaledSize(full.width, full.height, percent);
                if (size.width * reduction > full.width || size.height * reduction > full.height) continue;
                const auto expected = ScaleBitmap(*whole, percent);
                const auto scaled = ScaleReducedRows(RowsOf(*reduced), reduction, full, size);
                ASSERT_TRUE(expected && scaled);
                ASSERT_EQ(scaled->Width(), expected->Width());
                ASSERT_EQ(scaled->Height(), expected->Height());
                EXPECT_EQ(std::memcmp(scaled->Pixels(), expected->Pixels(), expected->PixelCount() * 4), 0)
                    << full.width << "x" << full.height << " reduced by " << reduction << " at " << percent << " %";
            }
        }
    }
}

// The composition of a reduced picture takes its full size for the
// magnification.
TEST(ScaleReduced, ComposeScalesAReducedPictureFromItsFullSize) {
    auto reduced = Bitmap::Allocate({50, 40});
    for (std::size_t i = 0; i < reduced->PixelCount(); ++i) reduced->Pixels()[i] = 0xFF204060u;
    Picture picture(std::move(*reduced));
    picture.MarkReduced({200, 160}, 4);
    const auto composed = ComposeWallpaperBitmap(std::move(picture), 20, 0, 0);
    ASSERT_TRUE(composed);
    EXPECT_EQ(composed->Width(), 40);
    EXPECT_EQ(composed->Height(), 32);
    EXPECT_EQ(composed->Pixels()[0] & 0xFFFFFF, 0x204060u);
}

}  // namespace
