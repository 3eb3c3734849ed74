#include "jpeg/entropy.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

#include "jpeg/area_weights.h"
#include "jpeg/bit_reader.h"
#include "jpeg/huffman.h"
#include "framework/parallel_rows.h"

namespace {

// Valid DC values of 8-bit samples lie within +-2048; far beyond that the
// data is damaged.
constexpr int kDcLimit = 1 << 16;

bool IsEndOfImage(const std::uint8_t* marker, const std::uint8_t* end) {
    while (marker < end && *marker == 0xFF) ++marker;
    return marker < end && *marker == 0xD9;
}

struct BlockSlot {
    int component = 0;
    int dc = 0;  // table numbers
    int ac = 0;
};

struct ScanPlan {
    JpegReaches reaches;
    std::array<JpegHuffmanTable, 4> dc;
    std::array<JpegHuffmanTable, 4> ac;
    std::array<BlockSlot, 10> slots;
    int slotCount = 0;
    int mcusAcross = 0;
};

std::optional<ScanPlan> PlanScan(const JpegFrame& frame) {
    ScanPlan plan;
    plan.reaches = JpegReachesOf(frame);
    for (int c = 0; c < frame.componentCount; ++c) {
        const JpegComponent& component = frame.components[c];
        auto dc = JpegHuffmanTable::Build(frame.dc[component.dc], true);
        auto ac = JpegHuffmanTable::Build(frame.ac[component.ac], false);
        if (!dc || !ac) return std::nullopt;
        plan.dc[component.dc] = *dc;
        plan.ac[component.ac] = *ac;
        for (int i = 0; i < component.h * component.v; ++i) {
            plan.slots[plan.slotCount++] = {c, component.dc, component.ac};
        }
    }
    plan.mcusAcross = frame.McusAcross();
    return plan;
}

// One block's coefficients appended at `out`; the new end, or nullptr for
// data no valid block has. Its reach costs next to nothing here, where the
// loop waits on the bits anyway.
std::uint32_t* DecodeBlock(JpegBitReader& bits, const JpegHuffmanTable& dc, const JpegHuffmanTable& ac,
                           const float* weights, int& prediction, std::uint32_t* out) {
    // A refill leaves two symbols' worth: topping up before every other
    // symbol keeps the test off the bits, where detailed pictures would make
    // it unpredictable, and the refill off every other symbol's wait for
    // the bits.
    static_assert(2 * JpegHuffmanTable::kMostBits <= JpegBitReader::kLeastAfterRefill);
    bits.Refill();
    JpegSymbol symbol;
    if (!dc.Decode(bits, symbol)) return nullptr;
    prediction += symbol.value;
    if (prediction > kDcLimit || prediction < -kDcLimit) return nullptr;
    JpegBlockWriter block(out, weights);
    for (int k = 1, second = 1; k < 64; ++k, second ^= 1) {
        if (!second) bits.Refill();
        if (!ac.Decode(bits, symbol)) return nullptr;
        k += symbol.run;
        if (symbol.value != 0) {
            if (k > 63) return nullptr;
            block.Add(k, symbol.value);
        }
    }
    return block.Finish(prediction);
}

// `count` MCUs appended at `out`; the new end, or nullptr when the data is
// damaged. Once an MCU has run past the end of its segment, the system's
// decoder leaves the rest of the interval's blocks zero with a warning, and
// so does this: they are flat mid-grey.
std::uint32_t* DecodeMcus(const ScanPlan& plan, JpegBitReader& bits, int* predictions, int count,
                          std::uint32_t* out) {
    // A copy of its own, which the compiler can keep in registers: the
    // coefficients written could alias the reader's members otherwise.
    JpegBitReader reader = bits;
    for (int m = 0; m < count; ++m) {
        if (reader.Overran()) [[unlikely]] {
            // A zero head and a zero reach each.
            const std::size_t words = kJpegHeadWords * static_cast<std::size_t>(count - m) *
                                      static_cast<std::size_t>(plan.slotCount);
            std::fill_n(out, words, 0u);
            out += words;
            break;
        }
        for (int s = 0; s < plan.slotCount; ++s) {
            const BlockSlot& slot = plan.slots[s];
            out = DecodeBlock(reader, plan.dc[slot.dc], plan.ac[slot.ac],
                              plan.reaches[static_cast<std::size_t>(slot.component)].data(),
                              predictions[slot.component], out);
            if (!out) return nullptr;
        }
    }
    bits = reader;
    return out;
}

bool Allocate(JpegCoefficients::Span& span, std::size_t words) {
    span.words.reset(new (std::nothrow) std::uint32_t[words]);
    return span.words != nullptr;
}

// The scan without restart intervals, row by row into a ring of bands.
bool DecodeBanded(const JpegFrame& frame, const ScanPlan& plan, JpegSegment segment, JpegCoefficients& out,
                  JpegRowProgress& progress, int bands) {
    const int rows = frame.McusDown();
    bands = bands > 0 ? std::min(bands, rows) : rows;
    const std::size_t room = static_cast<std::size_t>(frame.McusAcross()) *
                             static_cast<std::size_t>(frame.BlocksPerMcu()) * kJpegMostWordsPerBlock;
    out.spans.resize(static_cast<std::size_t>(bands));
    for (auto& span : out.spans) {
        if (!Allocate(span, room)) return false;
    }
    JpegBitReader bits(segment.begin, segment.end);
    int predictions[kJpegMaxComponents] = {};
    for (int row = 0; row < rows; ++row) {
        progress.Publish(row);
        if (!progress.WaitForBand(row, bands)) return false;
        const auto band = static_cast<std::size_t>(row % bands);
        JpegCoefficients::Span& span = out.spans[band];
        span.firstMcu = row * plan.mcusAcross;
        span.mcuCount = plan.mcusAcross;
        out.rows[static_cast<std::size_t>(row)] = {band, 0};
        const std::uint32_t* end = DecodeMcus(plan, bits, predictions, plan.mcusAcross, span.words.get());
        if (!end) return false;
        span.size = static_cast<std::size_t>(end - span.words.get());
    }
    return true;
}

struct Interval {
    JpegSegment segment;
    int firstMcu = 0;
    int mcuCount = 0;
};

// A head and a reach per block, and at most one coefficient per two bits
// of data, plus what one MCU that overruns the data can add.
std::size_t RoomFor(const Interval& interval, int blocksPerMcu) {
    const auto blocks = static_cast<std::size_t>(interval.mcuCount) * static_cast<std::size_t>(blocksPerMcu);
    const auto bytes = static_cast<std::size_t>(interval.segment.end - interval.segment.begin);
    return kJpegHeadWords * blocks + bytes * 4 +
           kJpegMostWordsPerBlock * static_cast<std::size_t>(blocksPerMcu);
}

// The MCUs of one interval, with fresh predictions, appended to `span`;
// rows that begin in it are noted against span number `spanIndex`.
bool DecodeInterval(const ScanPlan& plan, const Interval& interval, JpegCoefficients::Span& span,
                    std::size_t spanIndex, std::vector<JpegCoefficients::RowStart>& rows) {
    JpegBitReader bits(interval.segment.begin, interval.segment.end);
    int predictions[kJpegMaxComponents] = {};
    std::uint32_t* words = span.words.get() + span.size;
    const int end = interval.firstMcu + interval.mcuCount;
    for (int mcu = interval.firstMcu; mcu < end;) {
        const int row = mcu / plan.mcusAcross;
        if (mcu % plan.mcusAcross == 0) {
            const auto word = static_cast<std::size_t>(words - span.words.get());
            rows[static_cast<std::size_t>(row)] = {spanIndex, word};
        }
        // Up to the end of the interval or of the row, whichever is first.
        const int count = std::min(end, (row + 1) * plan.mcusAcross) - mcu;
        words = DecodeMcus(plan, bits, predictions, count, words);
        if (!words) return false;
        mcu += count;
    }
    span.size = static_cast<std::size_t>(words - span.words.get());
    span.mcuCount += interval.mcuCount;
    return true;
}

// Both cores decode the intervals; every row is kept.
bool DecodeRestarted(const JpegFrame& frame, const ScanPlan& plan, const std::vector<Interval>& intervals,
                     JpegCoefficients& out) {
    const int blocksPerMcu = frame.BlocksPerMcu();
    // One span per band of intervals a thread decodes, kept at the index of
    // the band's first interval until the empty ones are dropped.
    std::vector<JpegCoefficients::Span> spans(intervals.size());
    std::atomic<bool> damaged{false};
    const bool done = ParallelRows(static_cast<int>(intervals.size()), [&](int begin, int end) {
        JpegCoefficients::Span& span = spans[static_cast<std::size_t>(begin)];
        std::size_t room = 0;
        for (int i = begin; i < end; ++i)
            room += RoomFor(intervals[static_cast<std::size_t>(i)], blocksPerMcu);
        if (!Allocate(span, room)) {
            damaged = true;
            return;
        }
        span.firstMcu = intervals[static_cast<std::size_t>(begin)].firstMcu;
        for (int i = begin; i < end; ++i) {
            if (!DecodeInterval(plan, intervals[static_cast<std::size_t>(i)], span,
                                static_cast<std::size_t>(begin), out.rows)) {
                damaged = true;
                return;
            }
        }
    });
    if (!done || damaged) return false;
    std::vector<std::size_t> renumbered(spans.size());
    for (std::size_t i = 0; i < spans.size(); ++i) {
        if (!spans[i].words) continue;
        renumbered[i] = out.spans.size();
        out.spans.push_back(std::move(spans[i]));
    }
    for (auto& row : out.rows) row.span = renumbered[row.span];
    return true;
}

bool DecodeScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length, JpegCoefficients& out,
                JpegRowProgress& progress, int bands) {
    if (frame.scanBegin > length) return false;
    const auto plan = PlanScan(frame);
    if (!plan) return false;
    const std::uint8_t* marker = nullptr;
    const auto segments = FindJpegSegments(bytes + frame.scanBegin, bytes + length, marker);
    // Another scan, a DNL marker or damage after the only scan.
    if (!segments || !IsEndOfImage(marker, bytes + length)) return false;
    const std::int64_t mcus = std::int64_t{frame.McusAcross()} * frame.McusDown();
    const std::int64_t perInterval = frame.restartInterval ? frame.restartInterval : mcus;
    const std::int64_t needed = JpegIntervals(frame, mcus, *segments);
    if (needed == 0) return false;
    progress.Begin(frame.McusDown());
    out.rows.resize(static_cast<std::size_t>(frame.McusDown()));
    if (needed == 1) {
        if (!DecodeBanded(frame, *plan, segments->front(), out, progress, bands)) return false;
    } else {
        std::vector<Interval> intervals;
        for (std::int64_t i = 0; i < needed; ++i) {
            const std::int64_t first = i * perInterval;
            intervals.push_back({(*segments)[static_cast<std::size_t>(i)], static_cast<int>(first),
                                 static_cast<int>(std::min(perInterval, mcus - first))});
        }
        if (!DecodeRestarted(frame, *plan, intervals, out)) return false;
    }
    progress.Publish(frame.McusDown());
    return true;
}

}  // namespace

std::optional<std::vector<JpegSegment>> FindJpegSegments(const std::uint8_t* p, const std::uint8_t* end,
                                                         const std::uint8_t*& marker) {
    std::vector<JpegSegment> segments;
    const std::uint8_t* begin = p;
    int expected = 0;
    for (;;) {
        const auto* mark =
            static_cast<const std::uint8_t*>(std::memchr(p, 0xFF, static_cast<std::size_t>(end - p)));
        if (!mark) return std::nullopt;  // no EOI: the file is cut short
        const std::uint8_t* after = mark + 1;
        while (after < end && *after == 0xFF) ++after;  // fill bytes
        if (after >= end) return std::nullopt;
        const int code = *after;
        p = after + 1;
        if (code == 0x00) continue;
        segments.push_back({begin, mark});
        begin = p;
        if (code < 0xD0 || code > 0xD7) {
            marker = mark;
            return segments;
        }
        if (code != 0xD0 + expected) return std::nullopt;
        expected = (expected + 1) & 7;
    }
}

JpegReaches JpegReachesOf(const JpegFrame& frame) {
    JpegReaches reaches{};
    for (int c = 0; c < frame.componentCount; ++c)
        reaches[static_cast<std::size_t>(c)] = JpegReachWeights(frame, c);
    return reaches;
}

std::int64_t JpegIntervals(const JpegFrame& frame, std::int64_t units, const std::vector<JpegSegment>& segments) {
    const std::int64_t perInterval = frame.restartInterval ? frame.restartInterval : units;
    const std::int64_t needed = (units + perInterval - 1) / perInterval;
    const auto found = static_cast<std::int64_t>(segments.size());
    if (found == needed || (found == needed + 1 && segments.back().begin == segments.back().end)) return needed;
    return 0;
}

void JpegRowProgress::Begin(int rows) {
    const std::lock_guard<std::mutex> lock(mutex_);
    rendered_.assign(static_cast<std::size_t>(rows), 0);
}

void JpegRowProgress::Publish(int rows) noexcept {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        rows_ = rows;
    }
    changed_.notify_all();
}

void JpegRowProgress::Fail() noexcept {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        failed_ = true;
    }
    changed_.notify_all();
}

bool JpegRowProgress::WaitFor(int row) noexcept {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return rows_ > row || failed_; });
    return rows_ > row;
}

void JpegRowProgress::Rendered(int row) noexcept {
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        rendered_[static_cast<std::size_t>(row)] = 1;
    }
    changed_.notify_all();
}

bool JpegRowProgress::RenderDecoded() noexcept {
    int row = next_.load();
    do {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (row >= rows_) return false;
    } while (!next_.compare_exchange_weak(row, row + 1));
    if (renderer_) renderer_->RenderRow(row);
    Rendered(row);
    return true;
}

bool JpegRowProgress::WaitForBand(int row, int bands) noexcept {
    if (row < bands) return true;
    const auto freed = static_cast<std::size_t>(row - bands);
    for (;;) {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            if (rendered_[freed]) return true;
            if (failed_) return false;
        }
        if (RenderDecoded()) continue;
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return rendered_[freed] || failed_; });
    }
}

bool DecodeJpegScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                    JpegCoefficients& out, JpegRowProgress& progress, int bands) {
    bool decoded = false;
    try {
        decoded = DecodeScan(frame, bytes, length, out, progress, bands);
    } catch (...) {  // memory for the segments, the intervals or the rows
    }
    if (!decoded) progress.Fail();
    return decoded;
}
