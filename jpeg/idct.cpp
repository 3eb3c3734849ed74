#include "jpeg/idct.h"

#include <cmath>
#include <numbers>

#include "framework/compiler.h"

namespace {

// cos((2n + 1) k pi / 2N) for n < N / 2, by the even k = 2j and the odd
// k = 2j + 1: [j][n], so that a pass over n reads a row.
template <int kN>
struct alignas(16) Halves {
    float even[4][kN / 2];
    float odd[4][kN / 2];
};

template <int kN>
Halves<kN> MakeHalves() {
    Halves<kN> h{};
    for (int j = 0; j < 4; ++j) {
        for (int n = 0; n < kN / 2; ++n) {
            const double angle = (2 * n + 1) * std::numbers::pi / (2 * kN);
            h.even[j][n] = static_cast<float>(std::cos(angle * (2 * j)));
            h.odd[j][n] = static_cast<float>(std::cos(angle * (2 * j + 1)));
        }
    }
    return h;
}

const Halves<8> kHalves8 = MakeHalves<8>();
const Halves<16> kHalves16 = MakeHalves<16>();

template <int kN>
const Halves<kN>& HalvesOf() {
    if constexpr (kN == 8) {
        return kHalves8;
    } else {
        return kHalves16;
    }
}


// Down the columns first, a row of coefficients four columns at a time
// and the empty rows skipped; then along each row of samples, its eight
// values each spread over four lanes of samples.
template <int kNx, int kNy>
void InverseDct(const float* scaled, unsigned rows, float level, float* out) {
    const Halves<kNx>& hx = HalvesOf<kNx>();
    const Halves<kNy>& hy = HalvesOf<kNy>();
    constexpr int kHx = kNx / 2, kHy = kNy / 2;
    FloatLanes even[kHy][2] = {}, odd[kHy][2] = {};
    for (int v = 0; v < 8; ++v) {
        if (!(rows >> v & 1)) continue;
        const FloatLanes left = LoadLanes(scaled + 8 * v), right = LoadLanes(scaled + 8 * v + 4);
        const float* weights = v % 2 ? hy.odd[v / 2] : hy.even[v / 2];
        auto& sums = v % 2 ? odd : even;
        for (int n = 0; n < kHy; ++n) {
            sums[n][0] += left * weights[n];
            sums[n][1] += right * weights[n];
        }
    }
    FloatLanes down[kNy][2];
    for (int n = 0; n < kHy; ++n) {
        for (int h = 0; h < 2; ++h) {
            down[n][h] = even[n][h] + odd[n][h];
            down[kNy - 1 - n][h] = even[n][h] - odd[n][h];
        }
    }
    for (int n = 0; n < kNy; ++n) {
        FloatLanes c[8];
        for (int u = 0; u < 8; ++u) c[u] = SplatLane(down[n][u / 4], u % 4);
        float* row = out + n * kNx;
        for (int h = 0; h < kHx / 4; ++h) {
            FloatLanes e = level + c[0] * LoadLanes(hx.even[0] + 4 * h);
            FloatLanes o = c[1] * LoadLanes(hx.odd[0] + 4 * h);
            for (int j = 1; j < 4; ++j) {
                e += c[2 * j] * LoadLanes(hx.even[j] + 4 * h);
                o += c[2 * j + 1] * LoadLanes(hx.odd[j] + 4 * h);
            }
            StoreLanes(row + 4 * h, e + o);
            StoreLanes(row + kNx - 4 - 4 * h, ReverseLanes(e - o));
        }
    }
}

}  // namespace

float JpegIdctScale(int position) {
    const auto c = [](int k) { return k == 0 ? std::numbers::sqrt2 / 2 : 1.0; };
    return static_cast<float>(c(position % 8) * c(position / 8) / 4);
}

void JpegInverseDct(const float* scaled, unsigned rows, int nx, int ny, float level, float* out) {
    if (nx == 8) {
        return ny == 8 ? InverseDct<8, 8>(scaled, rows, level, out)
                       : InverseDct<8, 16>(scaled, rows, level, out);
    }
    return ny == 8 ? InverseDct<16, 8>(scaled, rows, level, out)
                   : InverseDct<16, 16>(scaled, rows, level, out);
}
