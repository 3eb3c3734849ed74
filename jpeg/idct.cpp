#include "jpeg/idct.h"

#include <cmath>
#include <numbers>
#include <utility>

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
void InverseDct(const float* scaled, unsigned rows, float level, float* out, int stride) {
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
        float* row = out + n * stride;
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

// The 8-point transform in five products, for coefficients multiplied by
// sqrt 2 cos(k pi / 16) (1 for k = 0) along the axis beforehand: x[k]
// holds coefficient k of each lane's line, afterwards sample k.
constexpr float kSqrt2 = 1.41421356f;
constexpr float kTwiceC2 = 1.84775907f;   // 2 cos(pi / 8)
constexpr float kC2LessC6 = 1.08239220f;  // 2 (cos(pi / 8) - cos(3 pi / 8))
constexpr float kC2AndC6 = 2.61312593f;   // 2 (cos(pi / 8) + cos(3 pi / 8))

template <class V>
VISTALOOM_INLINE void Aan8(V* x) {
    const V even10 = x[0] + x[4], even11 = x[0] - x[4];
    const V even13 = x[2] + x[6], even12 = (x[2] - x[6]) * kSqrt2 - even13;
    const V e0 = even10 + even13, e3 = even10 - even13, e1 = even11 + even12, e2 = even11 - even12;
    const V z13 = x[5] + x[3], z10 = x[5] - x[3], z11 = x[1] + x[7], z12 = x[1] - x[7];
    const V o7 = z11 + z13;
    const V o11 = (z11 - z13) * kSqrt2;
    const V z5 = (z10 + z12) * kTwiceC2;
    const V o10 = z12 * kC2LessC6 - z5;
    const V o12 = z5 - z10 * kC2AndC6;
    const V o6 = o12 - o7, o5 = o11 - o6, o4 = o10 + o5;
    x[0] = e0 + o7;
    x[7] = e0 - o7;
    x[1] = e1 + o6;
    x[6] = e1 - o6;
    x[2] = e2 + o5;
    x[5] = e2 - o5;
    x[4] = e3 + o4;
    x[3] = e3 - o4;
}

// The 4x4 square of lanes whose rows are a, b, c, d turned about its
// diagonal.
inline void Transpose4(FloatLanes& a, FloatLanes& b, FloatLanes& c, FloatLanes& d) {
    const FloatLanes ab0 = __builtin_shufflevector(a, b, 0, 4, 1, 5);
    const FloatLanes ab1 = __builtin_shufflevector(a, b, 2, 6, 3, 7);
    const FloatLanes cd0 = __builtin_shufflevector(c, d, 0, 4, 1, 5);
    const FloatLanes cd1 = __builtin_shufflevector(c, d, 2, 6, 3, 7);
    a = __builtin_shufflevector(ab0, cd0, 0, 1, 4, 5);
    b = __builtin_shufflevector(ab0, cd0, 2, 3, 6, 7);
    c = __builtin_shufflevector(ab1, cd1, 0, 1, 4, 5);
    d = __builtin_shufflevector(ab1, cd1, 2, 3, 6, 7);
}

// Rows [r][h]: row r's columns 4h..4h+3.
void Transpose8(FloatLanes (*rows)[2]) {
    Transpose4(rows[0][0], rows[1][0], rows[2][0], rows[3][0]);
    Transpose4(rows[4][1], rows[5][1], rows[6][1], rows[7][1]);
    Transpose4(rows[0][1], rows[1][1], rows[2][1], rows[3][1]);
    Transpose4(rows[4][0], rows[5][0], rows[6][0], rows[7][0]);
    for (int r = 0; r < 4; ++r) std::swap(rows[r][1], rows[r + 4][0]);
}

#if VISTALOOM_X86_64
VISTALOOM_TARGET("avx2") VISTALOOM_INLINE void Transpose8Avx2(__m256* r) {
    __m256 t[8], u[8];
    for (int i = 0; i < 4; ++i) {
        t[2 * i] = _mm256_unpacklo_ps(r[2 * i], r[2 * i + 1]);
        t[2 * i + 1] = _mm256_unpackhi_ps(r[2 * i], r[2 * i + 1]);
    }
    for (int i = 0; i < 2; ++i) {
        u[4 * i + 0] = _mm256_shuffle_ps(t[4 * i], t[4 * i + 2], _MM_SHUFFLE(1, 0, 1, 0));
        u[4 * i + 1] = _mm256_shuffle_ps(t[4 * i], t[4 * i + 2], _MM_SHUFFLE(3, 2, 3, 2));
        u[4 * i + 2] = _mm256_shuffle_ps(t[4 * i + 1], t[4 * i + 3], _MM_SHUFFLE(1, 0, 1, 0));
        u[4 * i + 3] = _mm256_shuffle_ps(t[4 * i + 1], t[4 * i + 3], _MM_SHUFFLE(3, 2, 3, 2));
    }
    for (int i = 0; i < 4; ++i) {
        r[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
        r[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
    }
}

// The same sums, eight lanes at a time: each lane's result is the same to
// the bit.
VISTALOOM_TARGET("avx2") void InverseDct8Avx2(const float* scaled, float level, float* out, int stride) {
    __m256 rows[8];
    // In halves: the compiler's own unaligned 256-bit load goes through
    // the stack in two halves, which costs more than the transform.
    for (int v = 0; v < 8; ++v) {
        rows[v] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(scaled + 8 * v)),
                                       _mm_loadu_ps(scaled + 8 * v + 4), 1);
    }
    rows[0] = _mm256_add_ps(rows[0], _mm256_setr_ps(level, 0, 0, 0, 0, 0, 0, 0));
    Aan8(rows);
    Transpose8Avx2(rows);
    Aan8(rows);
    Transpose8Avx2(rows);
    for (int n = 0; n < 8; ++n) _mm256_storeu_ps(out + n * stride, rows[n]);
}

// cos((2n + 1) k pi / 2N) of Halves in eight lanes each, for the transforms
// below: [j][n], the even k = 2j and the odd k = 2j + 1.
template <int kN>
struct WideHalves {
    __m256 even[4][kN / 2];
    __m256 odd[4][kN / 2];
};

template <int kN>
VISTALOOM_TARGET("avx2") WideHalves<kN> MakeWideHalves() {
    const Halves<kN>& h = HalvesOf<kN>();
    WideHalves<kN> wide;
    for (int j = 0; j < 4; ++j) {
        for (int n = 0; n < kN / 2; ++n) {
            wide.even[j][n] = _mm256_set1_ps(h.even[j][n]);
            wide.odd[j][n] = _mm256_set1_ps(h.odd[j][n]);
        }
    }
    return wide;
}

// One axis of a transform of kN points: out[n] = sum over k of in[k]
// cos((2n + 1) k pi / 2kN), each lane a line of its own; the even and the
// odd coefficients' sums give sample n and sample kN - 1 - n together, four
// n at a time, so that the sums stay in registers.
template <int kN>
VISTALOOM_TARGET("avx2")
VISTALOOM_INLINE void WideAxis(const __m256* in, const WideHalves<kN>& h, __m256* out) {
#pragma GCC unroll 2
    for (int first = 0; first < kN / 2; first += 4) {
        __m256 even[4], odd[4];
#pragma GCC unroll 4
        for (int i = 0; i < 4; ++i) {
            even[i] = _mm256_mul_ps(in[0], h.even[0][first + i]);
            odd[i] = _mm256_mul_ps(in[1], h.odd[0][first + i]);
        }
#pragma GCC unroll 3
        for (int j = 1; j < 4; ++j) {
#pragma GCC unroll 4
            for (int i = 0; i < 4; ++i) {
                even[i] = _mm256_add_ps(even[i], _mm256_mul_ps(in[2 * j], h.even[j][first + i]));
                odd[i] = _mm256_add_ps(odd[i], _mm256_mul_ps(in[2 * j + 1], h.odd[j][first + i]));
            }
        }
#pragma GCC unroll 4
        for (int i = 0; i < 4; ++i) {
            out[first + i] = _mm256_add_ps(even[i], odd[i]);
            out[kN - 1 - first - i] = _mm256_sub_ps(even[i], odd[i]);
        }
    }
}

// The 16 x kNy transform of a component at half resolution across, eight
// lanes at a time: the block turned, so that each of its rows of
// coefficients lies in a lane, and each row taken across to 16 columns;
// those turned back, eight columns at a time, so that each column lies in
// a lane, and taken down to kNy rows, whose lanes are then the columns in
// the order they are stored.
template <int kNy>
VISTALOOM_TARGET("avx2") void InverseDct16Avx2(const float* scaled, float level, float* out, int stride) {
    static const WideHalves<16> h16 = MakeWideHalves<16>();
    static const WideHalves<kNy> hy = MakeWideHalves<kNy>();
    __m256 columns[8];  // [u], lanes v
    for (int v = 0; v < 8; ++v) {
        columns[v] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_loadu_ps(scaled + 8 * v)),
                                          _mm_loadu_ps(scaled + 8 * v + 4), 1);
    }
    Transpose8Avx2(columns);
    __m256 across[16];  // [m], lanes v
    WideAxis<16>(columns, h16, across);
    for (int half = 0; half < 2; ++half) {
        __m256* down = across + 8 * half;  // turned: [v], lanes m
        Transpose8Avx2(down);
        down[0] = _mm256_add_ps(down[0], _mm256_set1_ps(level));
        __m256 rows[kNy];
        WideAxis<kNy>(down, hy, rows);
        for (int n = 0; n < kNy; ++n) _mm256_storeu_ps(out + n * stride + 8 * half, rows[n]);
    }
}
#endif

// Down the columns, four at a time, then along the rows, turned into
// columns.
void InverseDct8(const float* scaled, float level, float* out, int stride) {
    FloatLanes rows[8][2];
    for (int v = 0; v < 8; ++v) {
        rows[v][0] = LoadLanes(scaled + 8 * v);
        rows[v][1] = LoadLanes(scaled + 8 * v + 4);
    }
    rows[0][0][0] += level;
    const auto down = [&rows] {
        for (int h = 0; h < 2; ++h) {
            FloatLanes x[8];
            for (int k = 0; k < 8; ++k) x[k] = rows[k][h];
            Aan8(x);
            for (int k = 0; k < 8; ++k) rows[k][h] = x[k];
        }
    };
    down();
    Transpose8(rows);
    down();
    Transpose8(rows);
    for (int n = 0; n < 8; ++n) {
        StoreLanes(out + n * stride, rows[n][0]);
        StoreLanes(out + n * stride + 4, rows[n][1]);
    }
}

}  // namespace

float JpegIdctScale(int position, int nx, int ny) {
    const int u = position % 8, v = position / 8;
    if (nx == 8 && ny == 8) {
        const auto aan = [](int k) {
            return k == 0 ? 1.0 : std::cos(k * std::numbers::pi / 16) * std::numbers::sqrt2;
        };
        return static_cast<float>(aan(u) * aan(v) / 8);
    }
    const auto c = [](int k) { return k == 0 ? std::numbers::sqrt2 / 2 : 1.0; };
    return static_cast<float>(c(u) * c(v) / 4);
}

void JpegInverseDctWithoutAvx2(const float* scaled, unsigned rows, int nx, int ny, float level, float* out,
                               int stride) {
    if (nx == 8) {
        return ny == 8 ? InverseDct8(scaled, level, out, stride)
                       : InverseDct<8, 16>(scaled, rows, level, out, stride);
    }
    return ny == 8 ? InverseDct<16, 8>(scaled, rows, level, out, stride)
                   : InverseDct<16, 16>(scaled, rows, level, out, stride);
}

void JpegInverseDct(const float* scaled, unsigned rows, int nx, int ny, float level, float* out, int stride) {
#if VISTALOOM_X86_64
    if (ProcessorHasAvx2()) {
        if (nx == 8 && ny == 8) return InverseDct8Avx2(scaled, level, out, stride);
        if (nx == 16) {
            return ny == 8 ? InverseDct16Avx2<8>(scaled, level, out, stride)
                           : InverseDct16Avx2<16>(scaled, level, out, stride);
        }
    }
#endif
    JpegInverseDctWithoutAvx2(scaled, rows, nx, ny, level, out, stride);
}
