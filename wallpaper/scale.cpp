#include "wallpaper/scale.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstring>
#include <new>
#include <numeric>
#include <thread>
#include <utility>
#include <vector>

#include "framework/parallel_rows.h"
#include "wallpaper/bitmap_ops.h"

namespace {

struct Tap {
    std::uint32_t first;   // first source index
    std::uint32_t count;   // number of weights
    std::uint32_t offset;  // into the weight table
};

// The weights of one axis are whole numbers; those of every output pixel
// add up to `total`, so the value of a pixel is its weighted sum divided by
// the product of both axes' totals, rounded once at the very end.
struct AxisFilter {
    std::vector<Tap> taps;
    std::vector<std::uint32_t> weights;
    std::uint32_t total = 1;

    void Add(std::uint32_t first, std::initializer_list<std::int64_t> raw) {
        taps.push_back({first, static_cast<std::uint32_t>(raw.size()), static_cast<std::uint32_t>(weights.size())});
        for (const std::int64_t w : raw) weights.push_back(static_cast<std::uint32_t>(w));
    }
    // Divides out what all weights share, which keeps the sums small: at
    // 50 % every weight becomes 1 of 2.
    void Reduce() {
        std::uint32_t common = total;
        for (const std::uint32_t w : weights) common = std::gcd(common, w);
        if (common <= 1) return;
        for (std::uint32_t& w : weights) w /= common;
        total /= common;
    }
};

// Area average: output pixel d covers [d * s / n, (d + 1) * s / n) of the
// source; each source pixel weighs what of it is covered, in units of 1/n
// of a source pixel, and the weights of one output pixel add up to s. Rows
// decoded at 1/reduction have pixels that stand for `reduction` source
// pixels each; the last one's is cut by the end of the source, which no
// output pixel passes.
AxisFilter ShrinkFilter(std::int64_t source, std::int64_t output, std::int64_t reduction = 1) {
    AxisFilter filter;
    filter.total = static_cast<std::uint32_t>(source);
    const std::int64_t step = reduction * output;
    for (std::int64_t d = 0; d < output; ++d) {
        const std::int64_t begin = d * source;
        const std::int64_t end = (d + 1) * source;
        const std::int64_t first = begin / step;
        const auto tap = static_cast<std::uint32_t>(filter.weights.size());
        std::uint32_t count = 0;
        for (std::int64_t s = first; s * step < end; ++s, ++count) {
            const std::int64_t covered = std::min(end, (s + 1) * step) - std::max(begin, s * step);
            filter.weights.push_back(static_cast<std::uint32_t>(covered));
        }
        filter.taps.push_back({static_cast<std::uint32_t>(first), count, tap});
    }
    filter.Reduce();
    return filter;
}

// Bilinear: pixel centres are mapped, (d + 0.5) * s / n - 0.5, and the two
// nearest source pixels are mixed, in units of 1/(2n) of a source pixel; at
// the edges the edge pixel repeats.
AxisFilter GrowFilter(std::int64_t source, std::int64_t output) {
    AxisFilter filter;
    const std::int64_t scale = 2 * output;
    filter.total = static_cast<std::uint32_t>(scale);
    for (std::int64_t d = 0; d < output; ++d) {
        const std::int64_t position = std::max<std::int64_t>(0, (2 * d + 1) * source - output);
        const std::int64_t first = position / scale;
        const std::int64_t fraction = position % scale;
        if (first >= source - 1 || fraction == 0) {
            filter.Add(static_cast<std::uint32_t>(std::min(first, source - 1)), {scale});
        } else {
            filter.Add(static_cast<std::uint32_t>(first), {scale - fraction, fraction});
        }
    }
    filter.Reduce();
    return filter;
}

AxisFilter FilterFor(std::int64_t source, std::int64_t output) {
    return output < source ? ShrinkFilter(source, output) : GrowFilter(source, output);
}

std::uint32_t LongestTap(const AxisFilter& filter) {
    std::uint32_t longest = 1;
    for (const Tap& tap : filter.taps) longest = std::max(longest, tap.count);
    return longest;
}

// round(sum / total), half up, for every sum the two axes can make. A power
// of two is a shift. Otherwise the quotient is taken in double precision:
// sums stay below 2^41, so they and the product are exact to 2^-44, while a
// quotient that is not whole lies at least 1/(2 * total) >= 2^-33 from the
// next whole number; the small bias lifts a whole quotient computed a hair
// low back onto its value without reaching the next one.
class RoundedQuotient {
public:
    explicit RoundedQuotient(std::uint64_t total)
        : total_(total), shift_(std::has_single_bit(total) ? std::countr_zero(total) : -1),
          inverse_(1.0 / (2.0 * static_cast<double>(total))) {}
    template <class Sum>
    void Apply(const Sum* sums, std::uint8_t* out, std::size_t count) const {
        if (shift_ >= 0) {
            const Sum half = static_cast<Sum>(total_ >> 1);
            for (std::size_t i = 0; i < count; ++i) out[i] = static_cast<std::uint8_t>((sums[i] + half) >> shift_);
            return;
        }
        const double bias = static_cast<double>(total_) * inverse_ + 0x1p-40;
        const double twice = 2.0 * inverse_;
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(static_cast<double>(sums[i]) * twice + bias));
        }
    }

private:
    std::uint64_t total_;
    int shift_;
    double inverse_;
};

// One source row resampled to the output width: four channels per pixel,
// each a weighted sum of at most 255 * the horizontal total.
template <int kBytes>
void ResampleRow(const std::uint8_t* in, const AxisFilter& horizontal, std::uint32_t* out) {
    const std::uint32_t opaque = 255 * horizontal.total;
    for (std::size_t x = 0; x < horizontal.taps.size(); ++x) {
        const Tap& tap = horizontal.taps[x];
        const std::uint32_t* w = horizontal.weights.data() + tap.offset;
        const std::uint8_t* p = in + static_cast<std::size_t>(tap.first) * kBytes;
        std::uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
        for (std::uint32_t k = 0; k < tap.count; ++k, p += kBytes) {
            c0 += w[k] * p[0];
            c1 += w[k] * p[1];
            c2 += w[k] * p[2];
            if constexpr (kBytes == 4) c3 += w[k] * p[3];
        }
        out[4 * x + 0] = c0;
        out[4 * x + 1] = c1;
        out[4 * x + 2] = c2;
        out[4 * x + 3] = kBytes == 4 ? c3 : opaque;
    }
}

// Output rows in bands. The source rows an output row needs are resampled
// to the new width once and kept in a ring as long as later rows need
// them, so no full-size intermediate is ever held.
template <class Sum>
bool Resample(const PixelRows& source, const AxisFilter& horizontal, const AxisFilter& vertical,
              const PixelTarget& target) {
    const std::uint32_t slots = LongestTap(vertical);
    const std::size_t rowValues = static_cast<std::size_t>(target.width) * 4;
    const RoundedQuotient quotient(std::uint64_t{horizontal.total} * vertical.total);
    const auto resampleRow = source.bytesPerPixel == 3 ? &ResampleRow<3> : &ResampleRow<4>;
    return ParallelRows(target.height, [&](int begin, int end) {
        std::vector<std::uint32_t> ring(slots * rowValues);
        std::vector<std::int64_t> held(slots, -1);
        std::vector<Sum> sums(rowValues);
        for (int y = begin; y < end; ++y) {
            const Tap& tap = vertical.taps[static_cast<std::size_t>(y)];
            const std::uint32_t* w = vertical.weights.data() + tap.offset;
            std::fill(sums.begin(), sums.end(), Sum{0});
            for (std::uint32_t k = 0; k < tap.count; ++k) {
                const std::uint32_t row = tap.first + k;
                std::uint32_t* values = ring.data() + (row % slots) * rowValues;
                if (held[row % slots] != row) {
                    resampleRow(source.Row(static_cast<int>(row)), horizontal, values);
                    held[row % slots] = row;
                }
                const Sum weight = w[k];
                for (std::size_t i = 0; i < rowValues; ++i) sums[i] += weight * values[i];
            }
            quotient.Apply(sums.data(), reinterpret_cast<std::uint8_t*>(target.Row(y)), rowValues);
        }
    });
}

// Same size: each row of the part copied, 3-byte pixels widened with a
// fourth byte of 0xFF.
bool CopyRows(const PixelRows& source, const PixelRect& part, const PixelTarget& target) {
    return ParallelRows(target.height, [&](int begin, int end) {
        for (int y = begin; y < end; ++y) {
            const std::uint8_t* in =
                source.Row(static_cast<int>(part.y) + y) + static_cast<std::ptrdiff_t>(part.x) * source.bytesPerPixel;
            std::uint32_t* out = target.Row(y);
            if (source.bytesPerPixel == 4) {
                std::memcpy(out, in, static_cast<std::size_t>(target.width) * 4);
            } else {
                WidenRow(in, out, static_cast<std::size_t>(target.width));
            }
        }
    });
}

// Only the taps of the output pixels [begin, begin + count).
void KeepWindow(AxisFilter& filter, std::int64_t begin, std::int64_t count) {
    filter.taps.erase(filter.taps.begin() + begin + count, filter.taps.end());
    filter.taps.erase(filter.taps.begin(), filter.taps.begin() + begin);
}

}  // namespace

std::optional<Bitmap> ScaleRows(const PixelRows& source, BitmapSize size) {
    return ScaleReducedRows(source, 1, {source.width, source.height}, size);
}

PixelTarget TargetIn(Bitmap& bitmap, const PixelRect& part) {
    return {bitmap.RowFromTop(static_cast<int>(part.y)) + part.x, -static_cast<std::ptrdiff_t>(bitmap.Width()),
            static_cast<int>(part.width), static_cast<int>(part.height)};
}

std::optional<Bitmap> ScaleReducedRows(const PixelRows& source, int reduction, BitmapSize full, BitmapSize size) {
    auto scaled = Bitmap::Allocate(size);
    if (!scaled) return std::nullopt;
    const PixelRect whole{0, 0, size.width, size.height};
    if (!ScaleReducedRowsInto(source, reduction, full, size, whole, TargetIn(*scaled, whole))) return std::nullopt;
    return scaled;
}

bool ScaleReducedRowsInto(const PixelRows& source, int reduction, BitmapSize full, BitmapSize size,
                          const PixelRect& shown, const PixelTarget& target) {
    try {
        if (source.width == size.width && source.height == size.height) return CopyRows(source, shown, target);
        AxisFilter horizontal =
            reduction == 1 ? FilterFor(source.width, size.width) : ShrinkFilter(full.width, size.width, reduction);
        AxisFilter vertical =
            reduction == 1 ? FilterFor(source.height, size.height) : ShrinkFilter(full.height, size.height, reduction);
        KeepWindow(horizontal, shown.x, shown.width);
        KeepWindow(vertical, shown.y, shown.height);
        // 32-bit sums where even a white picture's cannot overflow them.
        const bool narrow = std::uint64_t{255} * horizontal.total * vertical.total + horizontal.total * vertical.total <
                            (std::uint64_t{1} << 32);
        return narrow ? Resample<std::uint32_t>(source, horizontal, vertical, target)
                      : Resample<std::uint64_t>(source, horizontal, vertical, target);
    } catch (const std::bad_alloc&) {  // the filters of a large picture
    }
    return false;
}

std::optional<Bitmap> ScaleBitmap(const Bitmap& source, std::uint32_t percentage) {
    return ScaleRows(RowsOf(source), ScaledSize(source.Width(), source.Height(), percentage));
}
