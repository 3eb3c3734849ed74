#include "wallpaper/scale.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <thread>
#include <utility>
#include <vector>

#include "wallpaper/bitmap_ops.h"

namespace {

// Weights of one axis are in 1/4096; those of an output pixel sum to 4096
// exactly, so a flat colour stays exactly flat.
constexpr int kWeightBits = 12;
constexpr std::int64_t kOne = std::int64_t{1} << kWeightBits;

struct Tap {
    std::uint32_t first;  // first source index
    std::uint32_t count;  // number of weights
    std::uint32_t offset; // into the weight table
};

struct AxisFilter {
    std::vector<Tap> taps;
    std::vector<std::uint16_t> weights;
};

// Fixes the rounding so that the weights of one output pixel sum to kOne.
void Normalise(std::vector<std::int64_t>& raw, std::int64_t total, AxisFilter& filter, std::uint32_t first) {
    std::vector<std::uint16_t> w(raw.size());
    std::int64_t sum = 0;
    std::size_t largest = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        w[i] = static_cast<std::uint16_t>(raw[i] * kOne / total);
        sum += w[i];
        if (raw[i] > raw[largest]) largest = i;
    }
    w[largest] = static_cast<std::uint16_t>(w[largest] + (kOne - sum));
    filter.taps.push_back({first, static_cast<std::uint32_t>(w.size()), static_cast<std::uint32_t>(filter.weights.size())});
    filter.weights.insert(filter.weights.end(), w.begin(), w.end());
}

// Area average: output pixel d covers [d * s / n, (d + 1) * s / n) of the
// source; each source pixel weighs what of it is covered (in units of 1/n).
AxisFilter ShrinkFilter(std::int64_t source, std::int64_t output) {
    AxisFilter filter;
    std::vector<std::int64_t> raw;
    for (std::int64_t d = 0; d < output; ++d) {
        const std::int64_t begin = d * source;  // in units of 1/output source pixels
        const std::int64_t end = (d + 1) * source;
        raw.clear();
        const std::int64_t first = begin / output;
        for (std::int64_t s = first; s * output < end; ++s) {
            raw.push_back(std::min(end, (s + 1) * output) - std::max(begin, s * output));
        }
        Normalise(raw, end - begin, filter, static_cast<std::uint32_t>(first));
    }
    return filter;
}

// Bilinear: pixel centres are mapped, (d + 0.5) * s / n - 0.5, and the two
// nearest source pixels are mixed; at the edges the edge pixel repeats.
AxisFilter GrowFilter(std::int64_t source, std::int64_t output) {
    AxisFilter filter;
    std::vector<std::int64_t> raw(2);
    for (std::int64_t d = 0; d < output; ++d) {
        // Position in 1/(2n) source pixels.
        std::int64_t position = (2 * d + 1) * source - output;
        if (position < 0) position = 0;
        const std::int64_t scale = 2 * output;
        std::int64_t first = position / scale;
        std::int64_t fraction = position % scale;
        if (first >= source - 1) {
            first = source - 1;
            fraction = 0;
        }
        if (fraction == 0) {
            raw.assign(1, 1);
            Normalise(raw, 1, filter, static_cast<std::uint32_t>(first));
        } else {
            raw = {scale - fraction, fraction};
            Normalise(raw, scale, filter, static_cast<std::uint32_t>(first));
        }
    }
    return filter;
}

AxisFilter FilterFor(std::int64_t source, std::int64_t output) {
    return output < source ? ShrinkFilter(source, output) : GrowFilter(source, output);
}

// Runs body(begin, end) over [0, count) in bands on up to four threads: the
// picture work of a wallpaper change is large and the worker has the machine
// to itself. Nothing may leave a thread, where it would end the program: a
// band that throws (memory runs out) fails the whole run, and a band whose
// thread cannot start runs on the calling thread. False when a band failed.
template <class Body>
bool ParallelRows(int count, Body body) {
    std::atomic<bool> failed{false};
    const auto band = [&](int begin, int end) noexcept {
        try {
            body(begin, end);
        } catch (...) {
            failed = true;
        }
    };
    const unsigned cores = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
    const int chunk = cores == 1 || count < 64 ? count : (count + static_cast<int>(cores) - 1) / static_cast<int>(cores);
    std::vector<std::thread> threads;
    std::vector<std::pair<int, int>> here{{0, std::min(count, chunk)}};
    try {
        threads.reserve(cores);
        here.reserve(cores);
    } catch (...) {
        return false;
    }
    for (int begin = chunk; begin < count; begin += chunk) {
        const int end = std::min(count, begin + chunk);
        try {
            threads.emplace_back(band, begin, end);
        } catch (...) {
            here.emplace_back(begin, end);  // reserved: cannot throw
        }
    }
    for (const auto& [begin, end] : here) band(begin, end);
    for (auto& t : threads) t.join();
    return !failed;
}

// One source row resampled to the output width: four 16-bit channels per
// pixel that keep 8 bits more than a byte.
void ResampleRow(const std::uint32_t* sourceRow, const AxisFilter& horizontal, std::uint16_t* out) {
    const auto* in = reinterpret_cast<const std::uint8_t*>(sourceRow);
    for (std::size_t x = 0; x < horizontal.taps.size(); ++x) {
        const Tap& tap = horizontal.taps[x];
        const std::uint16_t* w = horizontal.weights.data() + tap.offset;
        const std::uint8_t* p = in + static_cast<std::size_t>(tap.first) * 4;
        std::uint32_t c0 = 0, c1 = 0, c2 = 0, c3 = 0;
        for (std::uint32_t k = 0; k < tap.count; ++k, p += 4) {
            c0 += w[k] * p[0];
            c1 += w[k] * p[1];
            c2 += w[k] * p[2];
            c3 += w[k] * p[3];
        }
        out[4 * x + 0] = static_cast<std::uint16_t>((c0 + 8) >> 4);
        out[4 * x + 1] = static_cast<std::uint16_t>((c1 + 8) >> 4);
        out[4 * x + 2] = static_cast<std::uint16_t>((c2 + 8) >> 4);
        out[4 * x + 3] = static_cast<std::uint16_t>((c3 + 8) >> 4);
    }
}

std::uint32_t LongestTap(const AxisFilter& filter) {
    std::uint32_t longest = 1;
    for (const Tap& tap : filter.taps) longest = std::max(longest, tap.count);
    return longest;
}

// Resamples the whole source onto the whole destination, whatever the sizes.
// False when memory ran out on the way; the destination is then incomplete.
bool ResamplePixels(const Bitmap& source, Bitmap& destination) {
    const int sw = source.Width(), sh = source.Height();
    const int dw = destination.Width(), dh = destination.Height();
    if (sw == dw && sh == dh) {
        std::memcpy(destination.Pixels(), source.Pixels(), source.PixelCount() * 4);
        return true;
    }
    const AxisFilter horizontal = FilterFor(sw, dw);
    const AxisFilter vertical = FilterFor(sh, dh);
    const std::uint32_t slots = LongestTap(vertical);
    const std::size_t rowValues = static_cast<std::size_t>(dw) * 4;

    // Output rows in memory order. The source rows an output row needs are
    // resampled to the new width once and kept in a ring as long as later
    // rows need them, so no full-size intermediate is ever held.
    return ParallelRows(dh, [&](int begin, int end) {
        std::vector<std::uint16_t> ring(slots * rowValues);
        std::vector<std::int64_t> held(slots, -1);
        std::vector<std::uint32_t> sums(rowValues);
        for (int y = begin; y < end; ++y) {
            const Tap& tap = vertical.taps[static_cast<std::size_t>(y)];
            const std::uint16_t* w = vertical.weights.data() + tap.offset;
            std::fill(sums.begin(), sums.end(), 1u << 19);  // rounds the final shift
            for (std::uint32_t k = 0; k < tap.count; ++k) {
                const std::uint32_t row = tap.first + k;
                std::uint16_t* values = ring.data() + (row % slots) * rowValues;
                if (held[row % slots] != row) {
                    ResampleRow(source.Pixels() + static_cast<std::size_t>(row) * sw, horizontal, values);
                    held[row % slots] = row;
                }
                const std::uint32_t weight = w[k];
                for (std::size_t i = 0; i < rowValues; ++i) sums[i] += weight * values[i];
            }
            auto* out = reinterpret_cast<std::uint8_t*>(destination.Pixels() + static_cast<std::size_t>(y) * dw);
            for (std::size_t i = 0; i < rowValues; ++i) out[i] = static_cast<std::uint8_t>(sums[i] >> 20);
        }
    });
}

}  // namespace

std::optional<Bitmap> ScaleBitmap(const Bitmap& source, std::uint32_t percentage) {
    auto scaled = Bitmap::Allocate(ScaledSize(source.Width(), source.Height(), percentage));
    try {
        if (scaled && ResamplePixels(source, *scaled)) return scaled;
    } catch (const std::bad_alloc&) {  // the filters of a large picture
    }
    return std::nullopt;
}
