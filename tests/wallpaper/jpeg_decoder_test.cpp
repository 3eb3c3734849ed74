#include "wallpaper/jpeg_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "framework/compiler.h"
#include "tests/support/allocation_meter.h"
#include "tests/wallpaper/jpeg_writer.h"

namespace {

using jpeg_writer::Block;

const std::uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const std::uint8_t*>(s.data()); }

// Red, green, blue of every pixel, row by row.
std::vector<std::uint8_t> Rgb(const Picture& picture) {
    std::vector<std::uint8_t> rgb;
    for (int y = 0; y < picture.Height(); ++y) {
        for (int x = 0; x < picture.Width(); ++x) {
            const PixelValue p = picture.Rows().At(x, y);
            rgb.insert(rgb.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                   static_cast<std::uint8_t>(p)});
        }
    }
    return rgb;
}

struct Differences {
    int most = 0;
    std::size_t offByOne = 0;
    std::size_t beyondOne = 0;
};

Differences Compare(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    Differences d;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        const int diff = std::abs(int{a[i]} - int{b[i]});
        d.most = std::max(d.most, diff);
        d.offByOne += diff == 1;
        d.beyondOne += diff > 1;
    }
    return d;
}

jpeg_writer::Picture Flat() {
    jpeg_writer::Picture p;
    for (auto& table : p.quant) table.fill(1);
    return p;
}

// A picture of the given sampling with coefficients a photograph could
// have: a DC that wanders and a few small AC coefficients, more of them at
// low frequencies; `contrast` scales the AC so that samples clamp.
jpeg_writer::Picture Textured(int width, int height, std::vector<std::pair<int, int>> sampling,
                              std::uint32_t seed, int contrast = 1) {
    jpeg_writer::Picture p;
    p.width = width;
    p.height = height;
    for (int t = 0; t < 2; ++t) {
        for (int i = 0; i < 64; ++i) p.quant[t][i] = 2 + (i % 8 + i / 8) * (t + 1);
    }
    std::mt19937 random(seed);
    for (std::size_t c = 0; c < sampling.size(); ++c) {
        jpeg_writer::Component component;
        component.id = static_cast<int>(c + 1);
        component.h = sampling[c].first;
        component.v = sampling[c].second;
        component.quant = c == 0 ? 0 : 1;
        p.components.push_back(component);
    }
    for (auto& component : p.components) {
        jpeg_writer::MakeBlocks(p, component);
        int dc = 0;
        for (Block& block : component.blocks) {
            dc = std::clamp(dc + static_cast<int>(random() % 61) - 30, -400, 400);
            block[0] = dc;
            for (int k = 0; k < 6; ++k) {
                const int pos = static_cast<int>(random() % (k < 3 ? 10 : 64));
                if (pos) block[pos] = (static_cast<int>(random() % 13) - 6) * contrast;
            }
        }
    }
    return p;
}

std::optional<Picture> Decode(const jpeg_writer::Picture& p, int reduction) {
    const std::string file = jpeg_writer::Write(p);
    return DecodeJpeg(Bytes(file), file.size(), reduction);
}

const std::vector<std::pair<std::string, std::vector<std::pair<int, int>>>>& Samplings() {
    static const std::vector<std::pair<std::string, std::vector<std::pair<int, int>>>> samplings = {
        {"4:4:4", {{1, 1}, {1, 1}, {1, 1}}},
        {"4:2:2", {{2, 1}, {1, 1}, {1, 1}}},
        {"4:2:0", {{2, 2}, {1, 1}, {1, 1}}},
        {"4:4:0", {{1, 2}, {1, 1}, {1, 1}}},
        {"grey", {{1, 1}}},
        {"4:1:1", {{4, 1}, {1, 1}, {1, 1}}},
        {"1x4", {{1, 4}, {1, 1}, {1, 1}}},
        {"3x1", {{3, 1}, {1, 1}, {1, 1}}},
        {"4x2", {{4, 2}, {1, 1}, {1, 1}}},
        {"4x1, chroma 2x1", {{4, 1}, {2, 1}, {2, 1}}},
    };
    return samplings;
}

TEST(JpegDecoder, FlatBlocksDecodeToTheirColourExactlyAtEveryReduction) {
    jpeg_writer::Picture p = Flat();
    p.width = 16;
    p.height = 8;
    p.components = {{1, 1, 1, 0, {}, 0}, {2, 1, 1, 1, {}, 0}, {3, 1, 1, 1, {}, 0}};
    for (auto& c : p.components) jpeg_writer::MakeBlocks(p, c);
    // Y = 176 / 8 + 128 = 150, Cb = -240 / 8 + 128 = 98, Cr = 400 / 8 + 128
    // = 178: red 150 + 1.402 * 50 = 220.1, green 150 - 0.344136 * -30 -
    // 0.714136 * 50 = 124.6, blue 150 + 1.772 * -30 = 96.8. The second MCU
    // is the grey of Y = 128 - 8 = 120 with no colour.
    p.components[0].blocks = {Block{176}, Block{-64}};
    p.components[1].blocks = {Block{-240}, Block{0}};
    p.components[2].blocks = {Block{400}, Block{0}};
    for (const int reduction : {1, 2, 4, 8}) {
        const auto picture = Decode(p, reduction);
        ASSERT_TRUE(picture) << reduction;
        ASSERT_EQ(picture->Width(), 16 / reduction);
        ASSERT_EQ(picture->Height(), 8 / reduction);
        for (int y = 0; y < picture->Height(); ++y) {
            for (int x = 0; x < picture->Width(); ++x) {
                const PixelValue expected = x < picture->Width() / 2 ? 0xFFDC7D61u : 0xFF787878u;
                EXPECT_EQ(picture->Rows().At(x, y), expected) << reduction << " at " << x << "," << y;
            }
        }
        EXPECT_EQ(picture->FullSize(), (BitmapSize{16, 8}));
        EXPECT_EQ(picture->Reduction(), reduction);
    }
}

TEST(JpegDecoder, FullDecodeIsTheInverseDctOfEverySampling) {
    for (const auto& [name, sampling] : Samplings()) {
        const auto p = Textured(37, 29, sampling, 11);
        const auto picture = Decode(p, 1);
        ASSERT_TRUE(picture) << name;
        ASSERT_EQ(picture->Width(), 37) << name;
        ASSERT_EQ(picture->Height(), 29) << name;
        const Differences d = Compare(Rgb(*picture), jpeg_writer::Expected(p));
        // Single precision against double: a sample a hair from a half may
        // round the other way.
        EXPECT_LE(d.most, 1) << name;
        EXPECT_LT(d.offByOne, 37u * 29u * 3u / 100u) << name;
    }
}

TEST(JpegDecoder, ReducedDecodeIsTheAreaAverageOfTheFullDecode) {
    for (const auto& [name, sampling] : Samplings()) {
        // 4: many samples clamp, none so far that the system's decoder
        // would wrap them around.
        for (const int contrast : {1, 4}) {
            // Tall enough that the decoder reuses its bands of rows.
            const int width = 75, height = 181;
            const auto p = Textured(width, height, sampling, 5, contrast);
            const auto full = jpeg_writer::Expected(p);
            for (const int reduction : {2, 4, 8}) {
                const auto picture = Decode(p, reduction);
                ASSERT_TRUE(picture) << name << " 1/" << reduction;
                ASSERT_EQ(picture->Width(), (width + reduction - 1) / reduction);
                ASSERT_EQ(picture->Height(), (height + reduction - 1) / reduction);
                const Differences d =
                    Compare(Rgb(*picture), jpeg_writer::Averaged(full, width, height, reduction));
                // At 1/2 an output averages four samples, whose roundings in
                // the full decode can add up to 2 (see the README).
                EXPECT_LE(d.most, reduction == 2 ? 2 : 1)
                    << name << " contrast " << contrast << " 1/" << reduction;
            }
        }
    }
}

TEST(JpegDecoder, ProcessorsWithoutAvx2DecodeTheSamePicture) {
    // Where every transform is 8 points both ways the two paths give the
    // same bits; the 16-point transforms add up their products in another
    // order, and a sample a hair from a half may round the other way.
    const std::vector<std::string> exact = {"4:4:4", "grey", "4:4:0", "1x4", "3x1"};
    for (const auto& [name, sampling] : Samplings()) {
        const auto p = Textured(75, 61, sampling, 9, 4);
        const bool same = std::find(exact.begin(), exact.end(), name) != exact.end();
        for (const int reduction : {1, 2, 4, 8}) {
            const auto usual = Decode(p, reduction);
            avx2Withheld = true;
            const auto without = Decode(p, reduction);
            avx2Withheld = false;
            ASSERT_TRUE(usual && without) << name << " 1/" << reduction;
            const Differences d = Compare(Rgb(*without), Rgb(*usual));
            EXPECT_LE(d.most, same ? 0 : 1) << name << " 1/" << reduction;
        }
    }
}

TEST(JpegDecoder, RestartIntervalsDecodeAsTheUninterruptedScan) {
    // 16 x 10 MCUs: with one MCU an interval there are enough intervals to
    // be decoded on several threads.
    for (const auto& [name, sampling] : Samplings()) {
        auto p = Textured(sampling[0].first * 128, sampling[0].second * 80, sampling, 3);
        const auto plain = Decode(p, 2);
        ASSERT_TRUE(plain) << name;
        for (const int interval : {1, 7, 16, 1000}) {
            p.restartInterval = interval;
            p.extras = interval == 7;  // fill bytes before the restart markers
            const auto restarted = Decode(p, 2);
            ASSERT_TRUE(restarted) << name << " every " << interval;
            EXPECT_EQ(Rgb(*restarted), Rgb(*plain)) << name << " every " << interval;
        }
    }
}

TEST(JpegDecoder, TablesAfterTheFrameCommentsAndFillBytesChangeNothing) {
    auto p = Textured(40, 24, Samplings()[2].second, 8);
    const auto plain = Decode(p, 1);
    p.tablesAfterFrame = true;
    p.extras = true;
    p.jfif = false;
    const auto shuffled = Decode(p, 1);
    ASSERT_TRUE(plain && shuffled);
    EXPECT_EQ(Rgb(*shuffled), Rgb(*plain));
}

TEST(JpegDecoder, ColourSpaceFollowsTheComponentIdsAndMarkers) {
    auto p = Textured(16, 16, Samplings()[0].second, 2);
    p.jfif = false;
    p.adobeTransform = 0;
    // Ids 1, 2, 3 say YCbCr, the Adobe marker says RGB: decoders disagree,
    // and the file is left to the system's.
    EXPECT_FALSE(Decode(p, 1));
    p.components[0].id = 'R';
    p.components[1].id = 'G';
    p.components[2].id = 'B';
    const auto rgb = Decode(p, 1);
    ASSERT_TRUE(rgb);
    const Differences d = Compare(Rgb(*rgb), jpeg_writer::Expected(p));
    EXPECT_LE(d.most, 1);
}

jpeg_writer::Picture Inks(int width, int height, std::vector<std::pair<int, int>> sampling, int transform,
                          int contrast) {
    auto p = Textured(width, height, std::move(sampling), 6, contrast);
    p.jfif = false;
    p.adobeTransform = transform;
    for (std::size_t c = 0; transform == 0 && c < 4; ++c) p.components[c].id = "CMYK"[c];
    return p;
}

// Inks multiply into colours: a reduced decode averages the colours of the
// full decode's samples, never the inks.
TEST(JpegDecoder, InksBecomeTheSystemsColoursAtEveryReduction) {
    const struct {
        const char* name;
        int transform;
        std::vector<std::pair<int, int>> sampling;
    } cases[] = {
        {"CMYK", 0, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
        {"YCCK", 2, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}},
        {"YCCK 4:2:0", 2, {{2, 2}, {1, 1}, {1, 1}, {2, 2}}},
        {"CMYK, black alone at full resolution", 0, {{1, 1}, {1, 1}, {1, 1}, {2, 1}}},
    };
    for (const auto& c : cases) {
        for (const int contrast : {1, 4}) {
            const int width = 75, height = 181;
            const auto p = Inks(width, height, c.sampling, c.transform, contrast);
            const auto full = jpeg_writer::Expected(p);
            for (const int reduction : {1, 2, 4, 8}) {
                const auto picture = Decode(p, reduction);
                ASSERT_TRUE(picture) << c.name << " 1/" << reduction;
                const Differences d =
                    Compare(Rgb(*picture), jpeg_writer::Averaged(full, width, height, reduction));
                // A sample a hair from a half rounds the other way now and
                // then (measured: under 0.05 % of values at 1/1).
                const std::string at = std::string(c.name) + " contrast " + std::to_string(contrast) + " 1/" +
                                       std::to_string(reduction);
                EXPECT_LE(d.most, 1) << at;
                EXPECT_LT(d.offByOne * 500, full.size()) << at;
            }
        }
    }
}

TEST(JpegDecoder, DamagedAndUnhandledFilesAreRefused) {
    const auto p = Textured(40, 24, Samplings()[2].second, 9);
    const std::string good = jpeg_writer::Write(p);
    ASSERT_TRUE(DecodeJpeg(Bytes(good), good.size(), 2));
    // Cut anywhere: before the scan, inside it, or just its EOI.
    for (std::size_t length = 0; length < good.size(); length += 3) {
        EXPECT_FALSE(DecodeJpeg(Bytes(good), length, 2)) << length;
    }
    EXPECT_FALSE(DecodeJpeg(Bytes(good), good.size() - 2, 2));
    const std::size_t frame = good.find("\xFF\xC0");
    const std::size_t scan = good.find("\xFF\xDA");
    const std::size_t huffman = good.find("\xFF\xC4");
    ASSERT_NE(frame, std::string::npos);
    ASSERT_NE(huffman, std::string::npos);
    const auto changed = [&](std::size_t at, std::string bytes) {
        std::string file = good;
        file.replace(at, bytes.size(), bytes);
        return file;
    };
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"a progressive frame with a sequential scan", changed(frame + 1, "\xC2")},
        {"arithmetic", changed(frame + 1, "\xC9")},
        {"lossless", changed(frame + 1, "\xC3")},
        {"12-bit", changed(frame + 4, "\x0C")},
        {"wider than a bitmap may be", changed(frame + 7, "\x90\x00")},
        {"no height before the scan", changed(frame + 5, std::string("\0\0", 2))},
        {"sampling factor 5", changed(frame + 11, "\x51")},
        {"sampling factors 3 and 2", changed(frame + 11, std::string("\x31\x00\x02\x21", 4))},
        // 17 codes of length 4 cannot exist; all 16 would use the code of
        // ones that padding is made of.
        {"too many codes", changed(huffman + 5, std::string("\0\0\0\x11", 4))},
        {"a code of all ones", changed(huffman + 5, std::string("\0\0\0\x10", 4))},
        {"a DC category of 12", changed(huffman + 21, "\x0C")},
        {"a marker inside the scan", changed(good.size() - 6, "\xFF\xC4")},
        {"a restart marker in a scan without intervals", changed(good.size() - 6, "\xFF\xD0")},
        {"a scan of a component the frame does not have", changed(scan + 7, "\x04")},
    };
    for (const auto& [name, file] : cases) EXPECT_FALSE(DecodeJpeg(Bytes(file), file.size(), 2)) << name;

    auto restarted = p;
    restarted.restartInterval = 1;
    std::string file = jpeg_writer::Write(restarted);
    const std::size_t second = file.find("\xFF\xD1");
    ASSERT_NE(second, std::string::npos);
    file[second + 1] = '\xD2';  // RST2 where RST1 belongs
    EXPECT_FALSE(DecodeJpeg(Bytes(file), file.size(), 2));

    // Four components whose ids and Adobe marker disagree, or without the
    // marker: the system's decoder reads them unlike others.
    const struct {
        const char* name;
        int transform;
        bool cmykIds;
    } inks[] = {{"CMYK by the marker, YCCK by the ids", 0, false},
                {"YCCK by the marker, CMYK by the ids", 2, true},
                {"no marker", -1, false},
                {"an unknown transform", 1, false}};
    for (const auto& c : inks) {
        auto four = Inks(16, 16, {{1, 1}, {1, 1}, {1, 1}, {1, 1}}, c.transform, 1);
        for (std::size_t i = 0; i < 4; ++i)
            four.components[i].id = c.cmykIds ? "CMYK"[i] : static_cast<int>(i + 1);
        EXPECT_FALSE(Decode(four, 1)) << c.name;
    }

    // Samples of 128 + 2000 * 4 / 8: only damaged data has them, and the
    // system's decoder wraps them around.
    jpeg_writer::Picture bright = Flat();
    bright.quant[0].fill(4);
    bright.width = bright.height = 8;
    bright.components = {{1, 1, 1, 0, {}, 0}};
    jpeg_writer::MakeBlocks(bright, bright.components[0]);
    bright.components[0].blocks = {Block{2000}};
    for (const int reduction : {1, 8}) EXPECT_FALSE(Decode(bright, reduction)) << "far out of range";
    bright.components[0].blocks = {Block{900}};
    EXPECT_TRUE(Decode(bright, 8)) << "clamped";

    // Every component at 2 x 2 makes 12 blocks an MCU; 10 is the most.
    auto twelve = Textured(32, 32, {{2, 2}, {2, 2}, {2, 2}}, 4);
    EXPECT_FALSE(Decode(twelve, 1)) << "12 blocks an MCU";
    twelve = Textured(32, 32, {{2, 2}, {2, 1}, {1, 2}}, 4);
    EXPECT_TRUE(Decode(twelve, 2)) << "8 blocks an MCU";
}

TEST(JpegDecoder, AFrameTheDataCannotFillAllocatesNothingForItsSize) {
    auto p = Flat();
    p.width = p.height = 8;
    p.components = {{1, 1, 1, 0, {}, 0}};
    jpeg_writer::MakeBlocks(p, p.components[0]);
    std::string file = jpeg_writer::Write(p);
    const std::size_t frame = file.find("\xFF\xC0");
    file.replace(frame + 5, 4, "\x7F\xFF\x7F\xFF");  // 32767 x 32767 from a scan of a few bytes
    allocation_meter::Scope scope;
    EXPECT_FALSE(DecodeJpeg(Bytes(file), file.size(), 8));
    EXPECT_LT(scope.PeakBytes(), 65536u);
}

TEST(JpegDecoder, ReductionIsTheLargestWhoseSquaresEveryWallpaperPixelCoversWhole) {
    const struct {
        BitmapSize full;
        std::uint32_t magnification;
        int reduction;
    } cases[] = {
        {{6000, 4000}, 25, 4}, {{6000, 4000}, 50, 2},  {{4000, 6000}, 25, 4},  {{4032, 3024}, 25, 4},
        {{6000, 4000}, 10, 2},  // an output covers 5 by 5 squares of 2
        {{6000, 4000}, 5, 4},   // 20 pixels: 5 squares of 4
        {{6000, 4000}, 12, 1},  // 8 1/3 pixels: some squares of any size in part
        {{6000, 4000}, 20, 1},  // 5 pixels
        {{6000, 4000}, 51, 1}, {{6000, 4000}, 100, 1}, {{6000, 4000}, 200, 1}, {{1501, 1001}, 50, 1},
        {{1502, 1002}, 50, 2}, {{8, 8}, 1, 8},         {{7, 5}, 50, 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JpegReductionAt(c.magnification)(c.full), c.reduction)
            << c.full.width << "x" << c.full.height << " at " << c.magnification;
    }
}

// Photographs made by ImageMagick, beside what its own decoder gives for
// them, a decoder that reads them as the system's does.
std::string ReadFile(const std::string& path) {
    std::string bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        char buffer[65536];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
        std::fclose(f);
    }
    return bytes;
}

std::vector<std::uint8_t> ReadPpm(const std::string& path, int& width, int& height) {
    const std::string bytes = ReadFile(path);
    int maximum = 0, consumed = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &consumed) != 3) return {};
    return {bytes.begin() + consumed + 1, bytes.end()};
}

TEST(JpegDecoder, ReducedPhotographsStayWithinOneOfTheirAveragedFullDecode) {
    for (const char* name : {"photo444", "photogrey"}) {
        const std::string jpeg = ReadFile(std::string(VISTALOOM_NATIVE_FIXTURES) + "/" + name + ".jpg");
        int width = 0, height = 0;
        const auto full =
            ReadPpm(std::string(VISTALOOM_NATIVE_FIXTURES) + "/" + name + ".ppm", width, height);
        ASSERT_FALSE(jpeg.empty() || full.empty()) << name;
        for (const int reduction : {2, 4, 8}) {
            const auto picture = DecodeJpeg(Bytes(jpeg), jpeg.size(), reduction);
            ASSERT_TRUE(picture) << name;
            const Differences d =
                Compare(Rgb(*picture), jpeg_writer::Averaged(full, width, height, reduction));
            // Where the colour of a photograph changes across a square,
            // the full decode's rounding of each sample can add up to 2
            // at a reduction of 2 (see the README's measurements).
            EXPECT_LE(d.most, reduction == 2 ? 2 : 1) << name << " 1/" << reduction;
            EXPECT_LE(d.beyondOne * 1000, full.size() / reduction / reduction) << name << " 1/" << reduction;
        }
    }
}

}  // namespace
