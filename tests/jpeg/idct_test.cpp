#include "jpeg/idct.h"

#include <gtest/gtest.h>

#include "jpeg/area_weights.h"

#include <algorithm>
#include <array>
#include <cmath>
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
            std::vector<float> out(static_cast<std::size_t>(c.nx * c.ny)), baseline(out.size());
            JpegInverseDct(scaled, rows, c.nx, c.ny, level, out.data(), c.nx);
            // Both ways are held to the definition, whichever this processor
            // takes; the 8x8 transform gives the same samples either way.
            JpegInverseDctWithoutAvx2(scaled, rows, c.nx, c.ny, level, baseline.data(), c.nx);
            if (c.nx == 8 && c.ny == 8) {
                ASSERT_EQ(baseline, out) << name;
            }
            const std::vector<double> expected = Definition(coefficients, c.nx, c.ny);
            for (std::size_t i = 0; i < out.size(); ++i) {
                most = std::max(
                    {most, std::fabs(out[i] - expected[i]), std::fabs(baseline[i] - expected[i])});
            }
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

TEST(JpegReach, BoundsEverySampleAndIsReachedByASingleCoefficient) {
    // A component's ratio to the frame's largest sampling factor picks its
    // transform: 1 and 3 the 8-point, 2 and 4 the 16-point (the rest is
    // repetition, which moves no sample further).
    const struct {
        int maxH, maxV, h, v;
        int nx, ny;
    } cases[] = {
        {1, 1, 1, 1, 8, 8}, {2, 2, 1, 1, 16, 16}, {2, 1, 1, 1, 16, 8},
        {1, 2, 1, 1, 8, 16}, {3, 1, 1, 1, 8, 8},  {4, 4, 1, 1, 16, 16},
    };
    std::mt19937 random(23);
    for (const auto& c : cases) {
        const std::string name = std::to_string(c.nx) + "x" + std::to_string(c.ny) + " from " +
                                 std::to_string(c.maxH) + "x" + std::to_string(c.maxV);
        JpegFrame frame;
        frame.componentCount = 1;
        frame.maxH = c.maxH;
        frame.maxV = c.maxV;
        frame.components[0].h = c.h;
        frame.components[0].v = c.v;
        for (auto& q : frame.quant[0]) q = static_cast<std::uint16_t>(1 + random() % 40);
        const std::array<float, 64> weights = JpegReachWeights(frame, 0);
        std::vector<double> dequantised(64);
        const auto deviation = [&] {
            double most = 0;
            for (const double sample : Definition(dequantised, c.nx, c.ny))
                most = std::max(most, std::fabs(sample - 128));
            return most;
        };
        for (int block = 0; block < 200; ++block) {
            std::fill(dequantised.begin(), dequantised.end(), 0.0);
            double reach = 0;
            const int count = block < 63 ? 1 : 1 + static_cast<int>(random() % 63);
            for (int i = 0; i < count; ++i) {
                // Zigzag order, as the decoder meets the coefficients.
                const int k = block < 63 ? block + 1 : 1 + static_cast<int>(random() % 63);
                const int position = kJpegZigzag[static_cast<std::size_t>(k)];
                if (dequantised[position] != 0) continue;
                const int value = static_cast<int>(random() % 41) - 20;
                dequantised[position] = value * frame.quant[0][position];
                reach += std::abs(value) * weights[static_cast<std::size_t>(k)];
            }
            const double most = deviation();
            ASSERT_LE(most, reach * (1 + 1e-5) + 1e-6) << name << " block " << block;
            // One coefficient's largest sample is its reach exactly: a looser
            // weight would send blocks that cannot clamp sample by sample.
            if (block < 63) {
                ASSERT_NEAR(most, reach, reach * 1e-5 + 1e-6) << name << " position " << block + 1;
            }
        }
    }
}

}  // namespace
