#include "jpeg/render.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <thread>
#include <vector>

#include "framework/compiler.h"
#include "jpeg/area_weights.h"
#include "jpeg/colour.h"
#include "jpeg/idct.h"

namespace {

constexpr int kMaxBlocksPerMcu = 10;
constexpr int kMaxMcuSide = 32;
constexpr int kMaxMcuOutputs = 64;  // at a reduction of 2 or more
// The samples the system's decoder clamps; beyond them, by a margin for
// its rounding, its range limit wraps around.
constexpr float kLowestKept = -380.0f;
constexpr float kHighestKept = 635.0f;

// out[j] = dc + the sum over the block's coefficients of value * weight:
// few coefficients, each adding to every output of the block.
template <int kOutputs>
void Scatter(const float* weights, float dc, const std::uint32_t* ac, int count, float* __restrict out) {
    for (int j = 0; j < kOutputs; ++j) out[j] = dc;
    for (int i = 0; i < count; ++i) {
        const float value = static_cast<float>(JpegWordValue(ac[i]));
        const float* __restrict row = weights + JpegWordLow(ac[i]) * kOutputs;
        for (int j = 0; j < kOutputs; ++j) out[j] += value * row[j];
    }
}

void Scatter(int outputs, const float* weights, float dc, const std::uint32_t* ac, int count, float* out) {
    switch (outputs) {
        case 1: return Scatter<1>(weights, dc, ac, count, out);
        case 2: return Scatter<2>(weights, dc, ac, count, out);
        case 4: return Scatter<4>(weights, dc, ac, count, out);
        case 8: return Scatter<8>(weights, dc, ac, count, out);
        case 16: return Scatter<16>(weights, dc, ac, count, out);
        case 32: return Scatter<32>(weights, dc, ac, count, out);
        default: return Scatter<64>(weights, dc, ac, count, out);
    }
}

struct ComponentPlan {
    int h = 1, v = 1;  // blocks per MCU
    JpegAxisWeights x, y;
    int outputs = 1;             // per block
    bool dcOnly = false;         // no AC coefficient moves the averages
    std::vector<float> scatter;  // [natural position][output]: dequantisation and both axes' weights
    std::array<float, 64> quant{};
    std::array<float, 64> scaled{};  // the quantisation and the inverse DCT's scale together
    // Each sample of the transform repeated across and down: a component at
    // a third or a quarter of the resolution is brought to full size by an
    // 8- or 16-point transform and the rest by repeating its samples, as
    // the system's decoder does.
    int repeatX = 1, repeatY = 1;
};

struct Plan {
    int reduction = 1;
    int width = 0, height = 0;        // the picture's
    int outWidth = 0, outHeight = 0;  // the output's
    int mcusAcross = 0, mcusDown = 0;
    int mcuWidth = 0, mcuHeight = 0;        // in picture pixels
    int mcuOutWidth = 0, mcuOutHeight = 0;  // in output pixels
    JpegColour colour = JpegColour::YCbCr;
    int componentCount = 0;
    std::array<ComponentPlan, kJpegMaxComponents> components;
    bool repeats = false;  // some component repeats its samples
};

Plan MakePlan(const JpegFrame& frame, int reduction) {
    Plan plan;
    plan.reduction = reduction;
    plan.width = frame.width;
    plan.height = frame.height;
    plan.outWidth = (frame.width + reduction - 1) / reduction;
    plan.outHeight = (frame.height + reduction - 1) / reduction;
    plan.mcusAcross = frame.McusAcross();
    plan.mcusDown = frame.McusDown();
    plan.mcuWidth = frame.McuWidth();
    plan.mcuHeight = frame.McuHeight();
    plan.mcuOutWidth = plan.mcuWidth / reduction;
    plan.mcuOutHeight = plan.mcuHeight / reduction;
    plan.colour = frame.colour;
    plan.componentCount = frame.componentCount;
    for (int c = 0; c < frame.componentCount; ++c) {
        const JpegComponent& component = frame.components[c];
        ComponentPlan& p = plan.components[c];
        p.h = component.h;
        p.v = component.v;
        const int ratioX = frame.maxH / component.h, ratioY = frame.maxV / component.v;
        p.repeatX = ratioX / JpegUpsampling(ratioX);
        p.repeatY = ratioY / JpegUpsampling(ratioY);
        plan.repeats |= p.repeatX > 1 || p.repeatY > 1;
        p.x = MakeJpegAxisWeights(frame.width, reduction, JpegUpsampling(ratioX));
        p.y = MakeJpegAxisWeights(frame.height, reduction, JpegUpsampling(ratioY));
        p.outputs = p.x.outputs * p.y.outputs;
        for (int i = 0; i < 64; ++i) {
            p.quant[i] = frame.quant[component.quant][i];
            p.scaled[i] = p.quant[i] * JpegIdctScale(i, 8 * p.x.upsampling, 8 * p.y.upsampling);
        }
        if (reduction == 1) continue;  // every block goes sample by sample
        p.scatter.assign(static_cast<std::size_t>(64 * p.outputs), 0.0f);
        p.dcOnly = true;
        for (int pos = 1; pos < 64; ++pos) {
            const int u = pos % 8, v = pos / 8;
            for (int my = 0; my < p.y.outputs; ++my) {
                for (int mx = 0; mx < p.x.outputs; ++mx) {
                    const float w = p.quant[pos] * p.y.inner[my * 8 + v] * p.x.inner[mx * 8 + u];
                    p.scatter[static_cast<std::size_t>(pos * p.outputs + my * p.x.outputs + mx)] = w;
                    if (w != 0) p.dcOnly = false;
                }
            }
        }
    }
    return plan;
}

// Left uninitialised where they are made: the cursor fills them.
struct BlockRef {
    int dc;
    float reach;
    const std::uint32_t* ac;
    int count;
};

// The level every sample of the block has before its AC coefficients: its
// DC dequantised, over 8 for both axes' scale, and the level shift.
float LevelOf(const BlockRef& block, const ComponentPlan& p) {
    return static_cast<float>(block.dc) * p.quant[0] * 0.125f + 128.0f;
}

// The MCUs of the rows from `row` on, one at a time, across spans.
class McuCursor {
public:
    McuCursor(const JpegCoefficients& coefficients, int row, int mcusAcross) : coefficients_(coefficients) {
        const auto& start = coefficients.rows[static_cast<std::size_t>(row)];
        span_ = start.span;
        const auto& span = coefficients.spans[span_];
        next_ = span.words.get() + start.word;
        left_ = span.firstMcu + span.mcuCount - row * mcusAcross;
    }
    void Read(int blocks, BlockRef* refs) {
        if (left_ == 0) {
            const auto& span = coefficients_.spans[++span_];
            next_ = span.words.get();
            left_ = span.mcuCount;
        }
        --left_;
        for (int b = 0; b < blocks; ++b) {
            const std::uint32_t head = next_[0];
            refs[b] = {JpegWordValue(head), JpegWordReach(next_[1]), next_ + kJpegHeadWords,
                       JpegWordLow(head)};
            next_ += kJpegHeadWords + refs[b].count;
        }
    }

private:
    const JpegCoefficients& coefficients_;
    std::size_t span_;
    const std::uint32_t* next_;
    int left_;
};

// The block's AC coefficients, each times its factor, in natural order
// into `out`, which holds zeros; the rows that have one, bit by bit.
unsigned SpreadCoefficients(const BlockRef& block, const float* factors, float* out) {
    unsigned rows = 0;
    for (int i = 0; i < block.count; ++i) {
        const int pos = JpegWordLow(block.ac[i]);
        out[pos] = static_cast<float>(JpegWordValue(block.ac[i])) * factors[pos];
        rows |= 1u << (pos / 8);
    }
    return rows;
}

// The block's samples or averages through both axes' weights, the DC added
// exactly: out[j * nx + i] for rows ay[j] and columns ax[i].
void TransformBlock(const BlockRef& block, const ComponentPlan& p, const float* ax, int nx, const float* ay,
                    int ny, float* out) {
    float coefficients[64] = {};
    const unsigned rows = SpreadCoefficients(block, p.quant.data(), coefficients);
    float across[8][16];
    for (int v = 0; v < 8; ++v) {
        if (!(rows >> v & 1)) continue;
        for (int i = 0; i < nx; ++i) {
            float sum = 0;
            for (int u = 0; u < 8; ++u) sum += ax[i * 8 + u] * coefficients[v * 8 + u];
            across[v][i] = sum;
        }
    }
    const float dc = LevelOf(block, p);
    for (int j = 0; j < ny; ++j) {
        for (int i = 0; i < nx; ++i) {
            float sum = dc;
            for (int v = 0; v < 8; ++v) {
                if (rows >> v & 1) sum += ay[j * 8 + v] * across[v][i];
            }
            out[j * nx + i] = sum;
        }
    }
}

// The block's samples, out[n * stride + m] for row n and column m.
void SampleBlock(const BlockRef& block, const ComponentPlan& p, float* out, int stride) {
    // Cleared lane by lane: the library's clearing of so few bytes takes
    // longer to start than this takes.
    alignas(16) float scaled[64];
    for (int i = 0; i < 64; i += 4) StoreLanes(scaled + i, FloatLanes{});
    const unsigned rows = SpreadCoefficients(block, p.scaled.data(), scaled);
    const float level = LevelOf(block, p);
    JpegInverseDct(scaled, rows, 8 * p.x.upsampling, 8 * p.y.upsampling, level, out, stride);
}

#if VISTALOOM_X86_64
// As below, eight at a time, down to four lanes: read as wide as the
// transforms wrote them, the samples come straight from their stores.
VISTALOOM_TARGET("avx2")
void SampleRangeAvx2(const float* samples, int count, FloatLanes& lows, FloatLanes& highs) {
    __m256 wideLows = _mm256_loadu_ps(samples), wideHighs = wideLows;
    for (int i = 8; i < count; i += 8) {
        const __m256 v = _mm256_loadu_ps(samples + i);
        wideLows = _mm256_min_ps(wideLows, v);
        wideHighs = _mm256_max_ps(wideHighs, v);
    }
    lows = _mm_min_ps(_mm256_castps256_ps128(wideLows), _mm256_extractf128_ps(wideLows, 1));
    highs = _mm_max_ps(_mm256_castps256_ps128(wideHighs), _mm256_extractf128_ps(wideHighs, 1));
}
#endif

// The lowest and highest of `count` samples, a multiple of 8.
void SampleRange(const float* samples, int count, float& low, float& high) {
    FloatLanes lows, highs;
#if VISTALOOM_X86_64
    if (ProcessorHasAvx2()) {
        SampleRangeAvx2(samples, count, lows, highs);
    } else
#endif
    {
        lows = highs = LoadLanes(samples);
        for (int i = 4; i < count; i += 4) {
            const FloatLanes v = LoadLanes(samples + i);
            lows = MinLanes(lows, v);
            highs = MaxLanes(highs, v);
        }
    }
    low = std::min({lows[0], lows[1], lows[2], lows[3]});
    high = std::max({highs[0], highs[1], highs[2], highs[3]});
}

using McuPlane = float[kMaxMcuSide * kMaxMcuSide];

// Steps of RoundAndConvert on the compiler's vectors, in place, so that no
// vector is passed by value to a function that might not be inlined.
template <class V>
VISTALOOM_INLINE void ClampLanes(V& v, float low, float high) {
    // As the processor's minimum and maximum instructions compare.
    const V lows = V{} + low, highs = V{} + high;
    v = v > lows ? v : lows;
    v = v < highs ? v : highs;
}

// Which SSE2 does in two instructions rather than six.
inline void ClampLanes(FloatLanes& v, float low, float high) {
    v = MinLanes(MaxLanes(v, FloatLanes{} + low), FloatLanes{} + high);
}

template <class V, class I>
VISTALOOM_INLINE void TruncateEachLane(V& v) {
    v = __builtin_convertvector(__builtin_convertvector(v, I), V);
}

// (v + 32768) / 65536 rounded down, for |v| < 2^24: shifted by 256 to be
// positive, where truncation is the floor.
template <class V, class I>
VISTALOOM_INLINE void ShiftDown(V& v) {
    v = v * (1.0f / 65536) + (256.0f + 0.5f);
    TruncateEachLane<V, I>(v);
    v -= 256.0f;
}

// Each sample rounded and clamped as the full decode's transform does;
// then, where `to` is given, the YCbCr samples converted to colours as its
// colour conversion does. The conversion's fixed-point products are exact
// in single precision and the divisions by 65536 are too. Written in the
// compiler's vectors alone, so that it is compiled for the instruction set
// of whichever function it is inlined into; four lanes or eight give the
// same bits.
template <class V, class I>
VISTALOOM_INLINE void RoundAndConvert(const McuPlane* samples, McuPlane* whole, McuPlane* to, int components,
                                      int count) {
    constexpr int kWidth = sizeof(V) / sizeof(float);
    for (int c = 0; c < components; ++c) {
        for (int i = 0; i < count; i += kWidth) {
            V v;
            std::memcpy(&v, samples[c] + i, sizeof v);
            v += 0.5f;
            ClampLanes(v, 0.0f, 255.5f);
            TruncateEachLane<V, I>(v);
            std::memcpy(whole[c] + i, &v, sizeof v);
        }
    }
    if (!to) return;
    const float red = kCrToRed, blue = kCbToBlue, cbGreen = -kCbToGreen, crGreen = -kCrToGreen;
    for (int i = 0; i < count; i += kWidth) {
        V y, cb, cr;
        std::memcpy(&y, whole[0] + i, sizeof y);
        std::memcpy(&cb, whole[1] + i, sizeof cb);
        std::memcpy(&cr, whole[2] + i, sizeof cr);
        cb -= 128.0f;
        cr -= 128.0f;
        V colours[3] = {red * cr, cbGreen * cb + crGreen * cr, blue * cb};
        for (int c = 0; c < 3; ++c) {
            ShiftDown<V, I>(colours[c]);
            colours[c] += y;
            ClampLanes(colours[c], 0.0f, 255.0f);
            std::memcpy(to[c] + i, &colours[c], sizeof colours[c]);
        }
    }
}

#if VISTALOOM_X86_64
using EightFloats = float __attribute__((vector_size(32)));
using EightInts = int __attribute__((vector_size(32)));

VISTALOOM_TARGET("avx2")
void RoundAndConvertAvx2(const McuPlane* samples, McuPlane* whole, McuPlane* to, int components, int count) {
    RoundAndConvert<EightFloats, EightInts>(samples, whole, to, components, count);
}

// Colours, whole numbers from 0 to 255, into a row of pixels four at a
// time, packed into bytes and put in their order by one shuffle; the
// number done.
VISTALOOM_TARGET("ssse3")
int StoreColoursSsse3(const float* red, const float* green, const float* blue, int count,
                      std::uint8_t* line) {
    const __m128i order = _mm_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
    int x = 0;
    for (; x + 4 <= count; x += 4) {
        const __m128i blueGreen = _mm_packs_epi32(_mm_cvttps_epi32(_mm_loadu_ps(blue + x)),
                                                  _mm_cvttps_epi32(_mm_loadu_ps(green + x)));
        const __m128i redNone = _mm_packs_epi32(_mm_cvttps_epi32(_mm_loadu_ps(red + x)), _mm_setzero_si128());
        const __m128i pixels = _mm_shuffle_epi8(_mm_packus_epi16(blueGreen, redNone), order);
        std::memcpy(line + 3 * x, &pixels, 12);
    }
    return x;
}
#endif

// Whether some sample of a full decode over these component ranges could
// be clamped, in a component or in a colour, with a margin for the full
// decode's rounding.
bool MayClamp(JpegColour colour, int count, const float* low, const float* high) {
    for (int c = 0; c < count; ++c) {
        if (low[c] < 1 || high[c] > 254) return true;
    }
    if (colour != JpegColour::YCbCr) return false;
    const float cbLow = low[1] - 128, cbHigh = high[1] - 128, crLow = low[2] - 128, crHigh = high[2] - 128;
    const float red = kCrToRed / 65536.0f, blue = kCbToBlue / 65536.0f;
    const float cbGreen = kCbToGreen / 65536.0f, crGreen = kCrToGreen / 65536.0f;
    const float lows[3] = {low[0] + red * crLow, low[0] - cbGreen * cbHigh - crGreen * crHigh,
                           low[0] + blue * cbLow};
    const float highs[3] = {high[0] + red * crHigh, high[0] - cbGreen * cbLow - crGreen * crLow,
                            high[0] + blue * cbHigh};
    for (int c = 0; c < 3; ++c) {
        if (lows[c] < 2.5f || highs[c] > 252.5f) return true;
    }
    return false;
}

// The average of `count` whole samples, estimated as `v`, rounded half up
// as the resampler rounds it. That average is a multiple of 1/count: `v`
// goes to the nearest one first, so that the halves the resampler meets
// (every fourth output at a reduction of 2) round up here too.
int RoundAverage(float v, int count, int shift) {
    // Clamped first, the conversion's truncation is the floor.
    const int sum = static_cast<int>(std::clamp(v * static_cast<float>(count) + 0.5f, 0.0f, 255.0f * count));
    return shift ? (2 * sum + count) >> shift : (2 * sum + count) / (2 * count);
}

// The nearest whole number, halves up, for any float a sample can be.
int RoundHalfUp(float v) {
    const float t = std::clamp(v, -65536.0f, 65536.0f) + 0.5f;
    const int truncated = static_cast<int>(t);
    return truncated - (static_cast<float>(truncated) > t);
}

// A block whose samples all round to one whole number, and that number,
// clamped: exactly what a full decode gives everywhere in the block.
struct Whole {
    bool is = false;
    int value = 0;
};

// The outputs of one MCU, per component, before the colour conversion.
struct McuAverages {
    float value[3][kMaxMcuOutputs];  // [component][oy * mcuOutWidth + ox]
    const Whole* wholes[3];          // the component's blocks, row by row
};

// One band: a row of MCUs, its outputs written to the picture.
class BandRenderer {
public:
    BandRenderer(const Plan& plan, JpegRows rows) : plan_(plan), rows_(rows) {
        for (int c = 0; c < plan.componentCount; ++c)
            blockCount_ += plan.components[c].h * plan.components[c].v;
    }

    void Render(const JpegCoefficients& coefficients, int row) {
        row_ = row;
        McuCursor cursor(coefficients, row, plan_.mcusAcross);
        for (int mcu = 0; mcu < plan_.mcusAcross; ++mcu) {
            BlockRef blocks[kMaxBlocksPerMcu];
            cursor.Read(blockCount_, blocks);
            RenderMcu(mcu, blocks);
        }
    }

    // Whether some sample lay where the system's decoder would wrap it.
    bool Wrapped() const { return wrapped_; }

private:
    void RenderMcu(int mcu, const BlockRef* blocks) {
        float low[kJpegMaxComponents], high[kJpegMaxComponents];
        Whole wholes[kMaxBlocksPerMcu];
        bool allWhole = true;
        bool far = false;  // samples may lie where the range limit wraps
        const BlockRef* block = blocks;
        Whole* whole = wholes;
        for (int c = 0; c < plan_.componentCount; ++c) {
            const ComponentPlan& p = plan_.components[c];
            low[c] = std::numeric_limits<float>::max();
            high[c] = std::numeric_limits<float>::lowest();
            for (int b = 0; b < p.h * p.v; ++b, ++block, ++whole) {
                const float reach = block->reach;
                const float level = LevelOf(*block, p);
                // Only damaged data takes samples this far; the system's
                // decoder wraps them around where this would clamp them.
                if (level + reach < kLowestKept || level - reach > kHighestKept) wrapped_ = true;
                far |= level - reach < kLowestKept || level + reach > kHighestKept;
                // Samples within 0.4 of a whole number all round to it,
                // whatever the full decode's own rounding inside its
                // transform; a block with no AC coefficient is whole anyway.
                const int nearest = RoundHalfUp(level);
                if (block->count == 0 || reach + std::fabs(level - static_cast<float>(nearest)) < 0.4f) {
                    *whole = {true, std::clamp(nearest, 0, 255)};
                    low[c] = std::min(low[c], static_cast<float>(whole->value));
                    high[c] = std::max(high[c], static_cast<float>(whole->value));
                } else {
                    allWhole = false;
                    low[c] = std::min(low[c], level - reach);
                    high[c] = std::max(high[c], level + reach);
                }
            }
        }
        // Inks are multiplied together into colours: no average of a
        // product is the product of averages, so they go sample by sample;
        // and so do repeated samples, which the averages' weights leave out.
        const bool exact = plan_.reduction == 1 || plan_.componentCount == 4 || plan_.repeats;
        const bool mayClamp = !exact && !allWhole && MayClamp(plan_.colour, plan_.componentCount, low, high);
        if ((exact || mayClamp) && RenderSampled(mcu, blocks, wholes, exact, far, low, high)) return;
        RenderAverages(mcu, blocks, wholes);
    }

    // Straight from the coefficients, for an MCU no sample of which clamps.
    void RenderAverages(int mcu, const BlockRef* blocks, const Whole* wholes) {
        McuAverages averages;
        const BlockRef* block = blocks;
        const Whole* whole = wholes;
        for (int c = 0; c < plan_.componentCount; ++c) {
            const ComponentPlan& p = plan_.components[c];
            averages.wholes[c] = whole;
            for (int by = 0; by < p.v; ++by) {
                for (int bx = 0; bx < p.h; ++bx, ++block, ++whole) {
                    if (p.h * p.v == 1) {
                        AverageBlock(p, mcu, 0, 0, *block, *whole, averages.value[c]);
                        continue;
                    }
                    float out[kMaxMcuOutputs];
                    AverageBlock(p, mcu, bx, by, *block, *whole, out);
                    for (int j = 0; j < p.y.outputs; ++j) {
                        float* to =
                            averages.value[c] + (by * p.y.outputs + j) * plan_.mcuOutWidth + bx * p.x.outputs;
                        for (int i = 0; i < p.x.outputs; ++i) to[i] = out[j * p.x.outputs + i];
                    }
                }
            }
        }
        ForEachOutput(mcu, [&](int ox, int oy, int x0, int y0, int x1, int y1) {
            return Convert(averages, ox, oy, (x1 - x0) * (y1 - y0));
        });
    }

    // Straight from the coefficients: the block's outputs, row by row.
    void AverageBlock(const ComponentPlan& p, int mcu, int bx, int by, const BlockRef& block,
                      const Whole& whole, float* out) const {
        const int blockX = mcu * p.h + bx, blockY = row_ * p.v + by;
        if (whole.is) {
            for (int j = 0; j < p.outputs; ++j) out[j] = static_cast<float>(whole.value);
        } else if (blockX == p.x.edgeBlock || blockY == p.y.edgeBlock) {
            TransformBlock(block, p, blockX == p.x.edgeBlock ? p.x.edge.data() : p.x.inner.data(),
                           p.x.outputs, blockY == p.y.edgeBlock ? p.y.edge.data() : p.y.inner.data(),
                           p.y.outputs, out);
        } else {
            const float dc = LevelOf(block, p);
            Scatter(p.outputs, p.scatter.data(), dc, block.ac, p.dcOnly ? 0 : block.count, out);
        }
    }

    // Whether the block of component c that output (ox, oy) lies in is whole.
    bool IsWhole(const McuAverages& averages, int c, int ox, int oy) const {
        const ComponentPlan& p = plan_.components[c];
        if (p.h * p.v == 1) return averages.wholes[c][0].is;
        return averages.wholes[c][(oy / p.y.outputs) * p.h + ox / p.x.outputs].is;
    }

    // An output's colour from its component averages over `count` pixels.
    // Where a chroma component is a whole block's, the full decode adds the
    // same rounded table value to every sample, and so does this.
    RgbSample Convert(const McuAverages& averages, int ox, int oy, int count) const {
        const int at = oy * plan_.mcuOutWidth + ox;
        const float y = averages.value[0][at];
        // A whole output covers a power of two: its division is a shift.
        const int shift = count == plan_.reduction * plan_.reduction
                              ? 1 + 2 * std::countr_zero(unsigned(plan_.reduction))
                              : 0;
        const auto round = [count, shift](float v) { return RoundAverage(v, count, shift); };
        if (plan_.colour == JpegColour::Grey) {
            const int grey = round(y);
            return {grey, grey, grey};
        }
        const float cb = averages.value[1][at], cr = averages.value[2][at];
        if (plan_.colour == JpegColour::Rgb) return {round(y), round(cb), round(cr)};
        const bool wholeCb = IsWhole(averages, 1, ox, oy), wholeCr = IsWhole(averages, 2, ox, oy);
        const int cbWhole = static_cast<int>(cb) - 128, crWhole = static_cast<int>(cr) - 128;
        const float red = wholeCr ? static_cast<float>((kCrToRed * crWhole + 32768) >> 16)
                                  : kCrToRed / 65536.0f * (cr - 128.0f);
        const float blue = wholeCb ? static_cast<float>((kCbToBlue * cbWhole + 32768) >> 16)
                                   : kCbToBlue / 65536.0f * (cb - 128.0f);
        const float green =
            wholeCb && wholeCr
                ? static_cast<float>((-kCbToGreen * cbWhole - kCrToGreen * crWhole + 32768) >> 16)
                : -kCbToGreen / 65536.0f * (cb - 128.0f) - kCrToGreen / 65536.0f * (cr - 128.0f);
        return {round(y + red), round(y + green), round(y + blue)};
    }

    // The MCU sample by sample: rounded and clamped, converted to colours
    // one by one and then averaged, as the full decode and the resampler do;
    // at full size always (`exact`), below it where the samples' ranges
    // leave a clamp possible. False, and nothing done, where they do not.
    // `low` and `high` bound each component's samples from its
    // coefficients: the bounds give way to the samples' own ranges
    // component by component, and the rest is not made once those rule out
    // clamping.
    bool RenderSampled(int mcu, const BlockRef* blocks, const Whole* wholes, bool exact, bool far, float* low,
                       float* high) {
        const int width = plan_.mcuWidth, count = plan_.mcuWidth * plan_.mcuHeight;
        alignas(16) float samples[kJpegMaxComponents][kMaxMcuSide * kMaxMcuSide];
        const BlockRef* block = blocks;
        const Whole* whole = wholes;
        for (int c = 0; c < plan_.componentCount; ++c) {
            const ComponentPlan& p = plan_.components[c];
            const int nx = 8 * p.x.upsampling, ny = 8 * p.y.upsampling;
            const int rx = p.repeatX, ry = p.repeatY;
            for (int by = 0; by < p.v; ++by) {
                for (int bx = 0; bx < p.h; ++bx, ++block, ++whole) {
                    alignas(16) float own[256];
                    float* to = samples[c] + by * ny * ry * width + bx * nx * rx;
                    // A block whose samples are not repeated is made in place.
                    const bool repeated = rx > 1 || ry > 1;
                    float* out = repeated ? own : to;
                    const int stride = repeated ? nx : width;
                    if (whole->is) {
                        for (int j = 0; j < ny; ++j) {
                            for (int i = 0; i < nx; ++i)
                                out[j * stride + i] = static_cast<float>(whole->value);
                        }
                    } else {
                        SampleBlock(*block, p, out, stride);
                    }
                    if (!repeated) continue;
                    for (int j = 0; j < ny * ry; ++j) {
                        for (int i = 0; i < nx * rx; ++i) to[j * width + i] = out[j / ry * nx + i / rx];
                    }
                }
            }
            // The coefficients' bound on each component is loose; the
            // samples' own ranges rule out clamping in half the MCUs it
            // leaves. Samples that might wrap around are all looked at.
            if (!exact && !far) {
                SampleRange(samples[c], count, low[c], high[c]);
                if (!MayClamp(plan_.colour, plan_.componentCount, low, high)) return false;
            }
        }
        if (far) {
            for (int c = 0; c < plan_.componentCount; ++c) {
                SampleRange(samples[c], count, low[c], high[c]);
                if (low[c] < kLowestKept || high[c] > kHighestKept) wrapped_ = true;
            }
            if (!exact && !MayClamp(plan_.colour, plan_.componentCount, low, high)) return false;
        }
        alignas(16) float rgb[3][kMaxMcuSide * kMaxMcuSide];
        ConvertSamples(samples, count, rgb);
        if (plan_.reduction == 1) {
            StoreColours(mcu, rgb);
            return true;
        }
        const int s2 = plan_.reduction * plan_.reduction,
                  shift = 1 + 2 * std::countr_zero(unsigned(plan_.reduction));
        ForEachOutput(mcu, [&](int, int, int x0, int y0, int x1, int y1) {
            float sums[3];  // whole numbers, exact in single precision
            for (int c = 0; c < 3; ++c) {
                FloatLanes lanes{};
                float rest = 0;
                for (int y = y0; y < y1; ++y) {
                    const float* row = rgb[c] + y * width;
                    int x = x0;
                    for (; x + 4 <= x1; x += 4) lanes += LoadLanes(row + x);
                    for (; x < x1; ++x) rest += row[x];
                }
                sums[c] = SumLanes(lanes) + rest;
            }
            // Rounded half up, as the resampler rounds.
            const int n = (x1 - x0) * (y1 - y0);
            const auto average = [&](float sum) {
                const int twice = 2 * static_cast<int>(sum) + n;
                return n == s2 ? twice >> shift : twice / (2 * n);
            };
            return RgbSample{average(sums[0]), average(sums[1]), average(sums[2])};
        });
        return true;
    }

    // Each sample rounded and clamped as the full decode's transform does,
    // then converted to a colour as its colour conversion does
    // (RoundAndConvert; inks below).
    void ConvertSamples(const float (*samples)[kMaxMcuSide * kMaxMcuSide], int count,
                        float (*rgb)[kMaxMcuSide * kMaxMcuSide]) const {
        alignas(16) float whole[kJpegMaxComponents][kMaxMcuSide * kMaxMcuSide];
        const bool ycc = plan_.colour == JpegColour::YCbCr || plan_.colour == JpegColour::Ycck;
        // YCCK's colours are those of its inks, made in place.
        float(*to)[kMaxMcuSide * kMaxMcuSide] = plan_.colour == JpegColour::Ycck ? whole : rgb;
#if VISTALOOM_X86_64
        if (ProcessorHasAvx2()) {
            RoundAndConvertAvx2(samples, whole, ycc ? to : nullptr, plan_.componentCount, count);
        } else
#endif
        {
            RoundAndConvert<FloatLanes, IntLanes>(samples, whole, ycc ? to : nullptr, plan_.componentCount,
                                                  count);
        }
        if (plan_.colour == JpegColour::Cmyk) return ConvertInks(whole, false, count, rgb);
        if (plan_.colour == JpegColour::Grey || plan_.colour == JpegColour::Rgb) {
            for (int c = 0; c < 3; ++c) {
                const float* from = whole[plan_.colour == JpegColour::Grey ? 0 : c];
                for (int i = 0; i < count; ++i) rgb[c][i] = from[i];
            }
            return;
        }
        if (plan_.colour == JpegColour::Ycck) ConvertInks(whole, true, count, rgb);
    }

    // Adobe stores each ink inverted, as the light it lets through. The
    // system's decoder turns the samples back into inks, and its format
    // converter makes each colour (255 - ink) * (255 - black) / 255, rounded
    // down: the product of the stored samples. YCCK's stored inks are 255
    // less the colours its YCC gives. Products of whole numbers below 2^16
    // are exact in single precision, and so is their division wherever it
    // comes out whole, which is all truncation needs.
    static void ConvertInks(const float (*whole)[kMaxMcuSide * kMaxMcuSide], bool ycck, int count,
                            float (*rgb)[kMaxMcuSide * kMaxMcuSide]) {
        for (int i = 0; i < count; i += 4) {
            const FloatLanes black = LoadLanes(whole[3] + i);
            for (int c = 0; c < 3; ++c) {
                const FloatLanes stored = ycck ? 255.0f - LoadLanes(whole[c] + i) : LoadLanes(whole[c] + i);
                StoreLanes(rgb[c] + i, TruncateLanes(stored * black / 255.0f));
            }
        }
    }

    // At full size each output is its own pixel, whose colour, a whole
    // number, goes straight into the row.
    void StoreColours(int mcu, const float (*rgb)[kMaxMcuSide * kMaxMcuSide]) {
        const int mcuX = mcu * plan_.mcuWidth, mcuY = row_ * plan_.mcuHeight;
        const int columns = std::min(plan_.mcuWidth, plan_.width - mcuX);
        const int rows = std::min(plan_.mcuHeight, plan_.height - mcuY);
        for (int y = 0; y < rows; ++y) {
            std::uint8_t* line = Line(mcuY + y) + static_cast<std::ptrdiff_t>(mcuX) * 3;
            const float* red = rgb[0] + y * plan_.mcuWidth;
            const float* green = rgb[1] + y * plan_.mcuWidth;
            const float* blue = rgb[2] + y * plan_.mcuWidth;
            int x = 0;
#if VISTALOOM_X86_64
            if (ProcessorHasSsse3()) x = StoreColoursSsse3(red, green, blue, columns, line);
#endif
            for (; x < columns; ++x) {
                line[3 * x + 0] = static_cast<std::uint8_t>(blue[x]);
                line[3 * x + 1] = static_cast<std::uint8_t>(green[x]);
                line[3 * x + 2] = static_cast<std::uint8_t>(red[x]);
            }
        }
    }

    // colour(ox, oy, x0, y0, x1, y1) for every output of the MCU inside the
    // picture: its place in the MCU's outputs and the picture pixels it
    // covers, relative to the MCU.
    template <class Colour>
    void ForEachOutput(int mcu, Colour colour) {
        const int s = plan_.reduction;
        const int mcuX = mcu * plan_.mcuWidth, mcuY = row_ * plan_.mcuHeight;
        for (int oy = 0; oy < plan_.mcuOutHeight; ++oy) {
            const int y0 = oy * s, y1 = std::min(y0 + s, plan_.height - mcuY);
            if (y1 <= y0) break;
            std::uint8_t* line = Line(row_ * plan_.mcuOutHeight + oy) + mcu * plan_.mcuOutWidth * 3;
            for (int ox = 0; ox < plan_.mcuOutWidth; ++ox) {
                const int x0 = ox * s, x1 = std::min(x0 + s, plan_.width - mcuX);
                if (x1 <= x0) break;
                const RgbSample rgb = colour(ox, oy, x0, y0, x1, y1);
                line[3 * ox + 0] = static_cast<std::uint8_t>(rgb.b);
                line[3 * ox + 1] = static_cast<std::uint8_t>(rgb.g);
                line[3 * ox + 2] = static_cast<std::uint8_t>(rgb.r);
            }
        }
    }

    std::uint8_t* Line(int y) const { return rows_.top + static_cast<std::ptrdiff_t>(y) * rows_.stride; }

    const Plan& plan_;
    JpegRows rows_;
    int blockCount_ = 0;
    int row_ = 0;
    bool wrapped_ = false;
};

}  // namespace

namespace {

// Rows taken one at a time by whichever thread asks next, each rendered
// once it is decoded.
class RowRenderer final : public JpegRowRenderer {
public:
    RowRenderer(const Plan& plan, const JpegCoefficients& coefficients, JpegRowProgress& progress,
                JpegRows rows)
        : plan_(plan), coefficients_(coefficients), progress_(progress), rows_(rows) {}

    // Renders rows until none is left; false when decoding failed. Nothing
    // here allocates or throws.
    bool Run() noexcept {
        for (int row = progress_.Take(); row < plan_.mcusDown; row = progress_.Take()) {
            if (!progress_.WaitFor(row)) return false;
            RenderRow(row);
            progress_.Rendered(row);
        }
        return true;
    }

    void RenderRow(int row) noexcept override {
        BandRenderer band(plan_, rows_);
        band.Render(coefficients_, row);
        if (band.Wrapped()) wrapped_ = true;
    }

    bool Wrapped() const { return wrapped_; }

private:
    const Plan& plan_;
    const JpegCoefficients& coefficients_;
    JpegRowProgress& progress_;
    JpegRows rows_;
    std::atomic<bool> wrapped_{false};
};

}  // namespace

bool RenderJpeg(const JpegFrame& frame, const JpegCoefficients& coefficients, int reduction, JpegRowProgress& progress,
                const JpegRowsFor& rowsFor, const std::function<bool()>& decode) {
    if (reduction != 1 && reduction != 2 && reduction != 4 && reduction != 8) return false;
    std::optional<Plan> plan;
    try {
        plan = MakePlan(frame, reduction);
    } catch (...) {  // memory for the weights
        return false;
    }
    const JpegRows out = rowsFor(plan->outWidth, plan->outHeight);
    if (!out.top) return false;
    RowRenderer rows(*plan, coefficients, progress, out);
    progress.Attach(&rows);
    std::thread helper;
    if (std::thread::hardware_concurrency() > 1) {
        try {
            helper = std::thread([&rows] { rows.Run(); });
        } catch (...) {  // no second thread: this one renders all after decoding
        }
    }
    bool decoded = false;
    try {
        decoded = decode();
    } catch (...) {
    }
    if (!decoded) progress.Fail();
    const bool rendered = rows.Run();
    if (helper.joinable()) helper.join();
    return decoded && rendered && !rows.Wrapped();
}
