#include "wallpaper/bitmap_ops.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "tests/support/bitmap_reference.h"
#include "wallpaper/bitmap_file.h"

namespace {

Bitmap RandomBitmap(int width, int height, std::uint32_t seed) {
    auto bitmap = Bitmap::Allocate({width, height});
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < bitmap->PixelCount(); ++i) bitmap->Pixels()[i] = random();
    return std::move(*bitmap);
}

// The blend as its definition reads, channel by channel.
std::uint32_t ReferenceBlend(std::uint32_t p, std::uint32_t q, std::int32_t transparency, std::uint32_t key) {
    if (p == key) return q;
    const std::int32_t t = transparency < 0 ? 0 : transparency > 100 ? 100 : transparency;
    const std::uint32_t o = static_cast<std::uint32_t>(t) * 256 / 100;
    std::uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const std::uint32_t pc = (p >> shift) & 0xFF, qc = (q >> shift) & 0xFF;
        out |= ((pc * (256 - o) + qc * o) / 256) << shift;
    }
    return out;
}

TEST(PixelValue, SwapsRedAndBlueOfAColourReference) {
    EXPECT_EQ(PixelValueFromColorRef(0x00112233), 0x00332211u);
    EXPECT_EQ(PixelValueFromColorRef(0x00956F25), 0x00256F95u);  // the default desktop colour RGB(37,111,149)
}

TEST(ScaledSize, TruncatesAndNeverGoesBelowOnePixel) {
    const struct {
        std::int64_t w, h;
        std::uint32_t percent;
        BitmapSize size;
    } cases[] = {
        {640, 480, 100, {640, 480}}, {640, 480, 0, {1, 1}},      {640, 480, 200, {1280, 960}},
        {1025, 3, 50, {512, 1}},     {1, 1, 25, {1, 1}},         {1000, 800, 50, {500, 400}},
        // Compared as unsigned and computed in 64 bits: no wrap-around.
        {32768, 2, 0xFFFFFFFFu, {1407374883225, 85899345}},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaledSize(c.w, c.h, c.percent), c.size) << c.w << "x" << c.h << " " << c.percent;
}

TEST(BitmapCreation, BlankIsAllOnesAndSizesOutOfBoundsAreRefused) {
    auto blank = CreateBlankBitmap({3, 2});
    ASSERT_TRUE(blank);
    for (std::size_t i = 0; i < blank->PixelCount(); ++i) EXPECT_EQ(blank->Pixels()[i], 0xFFFFFFFFu);
    auto solid = CreateSolidBitmap({2, 2}, 0x00ABCDEF);
    ASSERT_TRUE(solid);
    EXPECT_EQ(solid->Pixels()[3], 0x00ABCDEFu);
    for (const BitmapSize refused : {BitmapSize{0, 5}, BitmapSize{-1, 5}, BitmapSize{32769, 1},
                                     BitmapSize{32768, 8193}, BitmapSize{1407374883225, 85899345}}) {
        EXPECT_FALSE(CreateBlankBitmap(refused)) << refused.width << "x" << refused.height;
    }
    EXPECT_TRUE(IsBitmapSizeAllowed({32768, 8192}));  // exactly 1 GiB
}

TEST(Blend, TransparencyZeroKeepsThePictureWithAFourthByteOfZero) {
    const Bitmap picture = RandomBitmap(7, 3, 1);
    const Bitmap background = RandomBitmap(7, 3, 2);
    const auto out = BlendBitmap(picture, background, 0, 0, 0, 0x01020304);
    ASSERT_TRUE(out);
    for (std::size_t i = 0; i < out->PixelCount(); ++i) {
        const std::uint32_t p = picture.Pixels()[i];
        EXPECT_EQ(out->Pixels()[i], p == 0x01020304 ? background.Pixels()[i] : (p & 0x00FFFFFF)) << i;
    }
}

TEST(Blend, FullTransparencyGivesTheBackground) {
    const Bitmap picture = RandomBitmap(5, 5, 3);
    const auto background = CreateSolidBitmap({5, 5}, 0x00256F95);
    for (std::int32_t t : {100, 150}) {
        const auto out = BlendBitmap(picture, *background, 0, 0, t, 0xFFFFFFFF);
        ASSERT_TRUE(out) << t;
        for (std::size_t i = 0; i < out->PixelCount(); ++i) EXPECT_EQ(out->Pixels()[i], 0x00256F95u) << t;
    }
}

TEST(Blend, HalfOfRedOverBlueAndTheKeyPixel) {
    auto picture = CreateSolidBitmap({2, 1}, 0x00FF0000);
    picture->Pixels()[1] = 0x00123456;  // the key
    const auto background = CreateSolidBitmap({2, 1}, 0x000000FF);
    const auto out = BlendBitmap(*picture, *background, 0, 0, 50, 0x00123456);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Pixels()[0], 0x007F007Fu);  // red 127, blue 127
    EXPECT_EQ(out->Pixels()[1], 0x000000FFu);
}

TEST(Blend, MatchesTheChannelByChannelDefinitionOverRandomPixels) {
    for (const int width : {1, 3, 4, 17, 64}) {
        Bitmap picture = RandomBitmap(width, 9, 10 + width);
        const Bitmap background = RandomBitmap(width, 9, 20 + width);
        picture.Pixels()[0] = 0xDEADBEEF;  // one key pixel
        for (const std::int32_t t : {-10, 0, 1, 25, 33, 50, 75, 99, 100, 110}) {
            const auto out = BlendBitmap(picture, background, 0, 0, t, 0xDEADBEEF);
            ASSERT_TRUE(out);
            for (std::size_t i = 0; i < out->PixelCount(); ++i) {
                ASSERT_EQ(out->Pixels()[i],
                          ReferenceBlend(picture.Pixels()[i], background.Pixels()[i], t, 0xDEADBEEF))
                    << "width " << width << " transparency " << t << " pixel " << i;
            }
        }
    }
}

TEST(Blend, LargeRowsWrittenPastTheCacheMatchTheDefinitionAtAnyAlignment) {
    const Bitmap picture = RandomBitmap(1111, 1000, 7);  // rows are contiguous: one long row
    const Bitmap background = RandomBitmap(1111, 1000, 8);
    const std::size_t count = picture.PixelCount() - 3;
    std::vector<std::uint32_t> out(count + 8);
    for (const std::size_t shift : {0u, 1u, 3u}) {
        BlendRow(picture.Pixels(), background.Pixels(), out.data() + shift, count, BlendWeight(30), 0);
        for (std::size_t i = 0; i < count; i += 997) {
            ASSERT_EQ(out[shift + i], ReferenceBlend(picture.Pixels()[i], background.Pixels()[i], 30, 0)) << i;
        }
        ASSERT_EQ(out[shift + count - 1],
                  ReferenceBlend(picture.Pixels()[count - 1], background.Pixels()[count - 1], 30, 0));
    }
}

TEST(Blend, WeightTableOfTheDefinition) {
    const std::pair<std::int32_t, std::uint32_t> table[] = {{0, 0}, {1, 2}, {25, 64}, {50, 128}, {75, 192},
                                                            {100, 256}, {-5, 0}, {500, 256}};
    for (const auto& [t, o] : table) EXPECT_EQ(BlendWeight(t), o) << t;
}

TEST(CopyRegion, CountsRowsFromTheTopAndFillsWhatLiesOutside) {
    auto source = Bitmap::Allocate({3, 3});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) source->RowFromTop(y)[x] = static_cast<std::uint32_t>(10 * y + x);
    const auto inside = CopyBitmapRegion(*source, 1, 1, 3, 3, 0xAA);
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->RowFromTop(0)[0], 11u);
    EXPECT_EQ(inside->RowFromTop(1)[1], 22u);
    const auto over = CopyBitmapRegion(*source, 2, -1, 4, 1, 0xAA);
    ASSERT_TRUE(over);
    EXPECT_EQ(over->RowFromTop(0)[0], 0xAAu);
    EXPECT_EQ(over->RowFromTop(1)[0], 2u);
    EXPECT_EQ(over->RowFromTop(1)[1], 0xAAu);
    // BlendBitmap takes its background from (x, y).
    const auto picture = CreateSolidBitmap({1, 1}, 0x00FFFFFF);
    const auto blended = BlendBitmap(*picture, *source, 2, 1, 100, 0);
    ASSERT_TRUE(blended);
    EXPECT_EQ(blended->Pixels()[0], 12u);
}

TEST(BitmapFile, HeaderAndRowsAsTheFileHoldsThem) {
    auto one = CreateSolidBitmap({1, 1}, 0x00112233);
    const std::string image = BitmapFileImage(*one);
    ASSERT_EQ(image.size(), 58u);
    const std::string expectedHeader("BM\x3A\0\0\0\0\0\0\0\x36\0\0\0\x28\0\0\0\x01\0\0\0\x01\0\0\0\x01\0\x20\0", 30);
    EXPECT_EQ(image.substr(0, 30), expectedHeader);
    EXPECT_EQ(image.substr(30, 24), std::string(24, '\0'));
    EXPECT_EQ(image.substr(54), std::string("\x33\x22\x11\x00", 4));
    EXPECT_EQ(BitmapFileImage(*CreateBlankBitmap({1024, 768})).size(), 3145782u);
}

}  // namespace
