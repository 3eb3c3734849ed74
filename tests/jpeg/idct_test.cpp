#include "jpeg/idct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

// The inverse DCT as its definition gives it, in double precision, of the
// dequantised coefficients in natural order.
std::vector<double> Definition(const std::vector<double>& coefficients, int nx, int ny) {
    const auto basis = [](int n, int k, int size) {
        return (k == 0 ? std::numbers::sqrt2 / 4 : 0.5) *
               std::cos((2 * n + 1) * k * std::numbers::pi / (2 * size));
    };
    std::vector<double> samples(static_cast<std::size_t>(nx * ny), 128.0);
    for (int n = 0; n < ny; ++n) {
        for (int m = 0; m < nx; ++m) {
            for (int pos = 0; pos < 64; ++pos)
                samples[n * nx + m] += coefficients[pos] * basis(m, pos % 8, nx) * basis(n, pos / 8, ny);
        }
    }
    return samples;
}

TEST(JpegIdct, SamplesMatchTheDefinitionWithinSinglePrecision) {
    // Sparse blocks of large coefficients, as at the edges of detail, and
    // dense ones of small, as in noise; every size the decoder uses.
    const struct {
        int nx, ny;
        int count;
        int largest;
    } cases[] = {
        {8, 8, 3, 2000},   {8, 8, 64, 200},   {16, 8, 5, 1500}, {8, 16, 5, 1500},
        {16, 16, 12, 800}, {16, 16, 64, 100}, {8, 8, 20, 600},
    };
    std::mt19937 random(17);
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.nx) + "x" + std::to_string(c.ny) + " of " +
                                 std::to_string(c.count) + " up to " + std::to_string(c.largest);
        double most = 0;
        for (int block = 0; block < 400; ++block) {
            std::vector<double> coefficients(64, 0.0);
            for (int i = 0; i < c.count; ++i) {
                coefficients[random() % 64] = static_cast<int>(random() % (2 * c.largest + 1)) - c.largest;
            }
            float scaled[64] = {};
            unsigned rows = 0;
            for (int pos = 1; pos < 64; ++pos) {
                scaled[pos] = static_cast<float>(coefficients[pos]) * JpegIdctScale(pos, c.nx, c.ny);
                if (coefficients[pos] != 0)
                    rows |= 1u << (pos / 8);
            }
            const float level = static_cast<float>(coefficients[0] / 8 + 128);
            std::vector<float> out(static_cast<std::size_t>(c.nx * c.ny));
            JpegInverseDct(scaled, rows, c.nx, c.ny, level, out.data(), c.nx);
            if (c.nx == 8 && c.ny == 8) {
                // Whichever instructions the processor has, the same samples.
                float baseline[64];
                JpegInverseDctWithoutAvx2(scaled, level, baseline, 8);
                ASSERT_EQ(std::memcmp(baseline, out.data(), sizeof baseline), 0) << name;
            }
            const std::vector<double> expected = Definition(coefficients, c.nx, c.ny);
            for (std::size_t i = 0; i < out.size(); ++i)
                most = std::max(most, std::fabs(out[i] - expected[i]));
        }
        // A sample's rounding can differ from the definition's only where
        // that lies this close to a half; the decoder's accuracy allows a
        // sample off by one there.
        EXPECT_LT(most, 1.0 / 2048) << name;
    }
}

TEST(JpegIdct, EachCoefficientMakesItsCosinesAlongBothAxes) {
    // One coefficient at a time: a mistaken sign or swapped half shows as a
    // whole wrong row or column, whatever the rounding.
    for (const int nx : {8, 16}) {
        for (const int ny : {8, 16}) {
            for (int pos = 1; pos < 64; ++pos) {
                std::vector<double> coefficients(64, 0.0);
                coefficients[pos] = 100;
                float scaled[64] = {};
                scaled[pos] = 100 * JpegIdctScale(pos, nx, ny);
                std::vector<float> out(static_cast<std::size_t>(nx * ny));
                JpegInverseDct(scaled, 1u << (pos / 8), nx, ny, 128.0f, out.data(), nx);
                const std::vector<double> expected = Definition(coefficients, nx, ny);
                for (std::size_t i = 0; i < out.size(); ++i) {
                    ASSERT_NEAR(out[i], expected[i], 1e-4)
                        << nx << "x" << ny << " position " << pos << " sample " << i;
                }
            }
        }
    }
}

}  // namespace
