#include "wallpaper/jpeg_entropy.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>

#include "wallpaper/jpeg_huffman.h"
#include "wallpaper/scale.h"

namespace {

// The most one block can take: a 16-bit DC code with 11 value bits, then
// 63 coefficients of 16 code and 10 value bits. A damaged segment is noticed
// at the end of an MCU at the latest, so reading never runs further than
// one MCU past the data.
constexpr std::size_t kMostBytesPerBlock = (27 + 63 * 26 + 7) / 8;
// Valid DC values of 8-bit samples lie within +-2048; far beyond that the
// data is damaged.
constexpr int kDcLimit = 1 << 16;

// The entropy-coded data without its stuffed zero bytes, cut at the restart
// markers, followed by zeros enough for reading to overrun.
struct CleanScan {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::vector<std::size_t> segments;  // where each interval begins; the last entry is the end
};

std::optional<CleanScan> Unstuff(const std::uint8_t* p, const std::uint8_t* end, std::size_t padding) {
    CleanScan scan;
    const auto available = static_cast<std::size_t>(end - p);
    scan.bytes.reset(new (std::nothrow) std::uint8_t[available + padding]);
    if (!scan.bytes) return std::nullopt;
    std::uint8_t* out = scan.bytes.get();
    scan.segments.push_back(0);
    int expected = 0;
    for (;;) {
        const auto* mark =
            static_cast<const std::uint8_t*>(std::memchr(p, 0xFF, static_cast<std::size_t>(end - p)));
        if (!mark || mark + 1 >= end) return std::nullopt;  // no EOI: the file is cut short
        std::memcpy(out, p, static_cast<std::size_t>(mark - p));
        out += mark - p;
        const int marker = mark[1];
        if (marker == 0x00) {
            *out++ = 0xFF;
            p = mark + 2;
        } else if (marker == 0xFF) {
            p = mark + 1;  // a fill byte before a marker
        } else if (marker >= 0xD0 && marker <= 0xD7) {
            if (marker != 0xD0 + expected) return std::nullopt;
            expected = (expected + 1) & 7;
            scan.segments.push_back(static_cast<std::size_t>(out - scan.bytes.get()));
            p = mark + 2;
        } else if (marker == 0xD9) {
            break;
        } else {
            return std::nullopt;  // another scan, a DNL marker or damage
        }
    }
    scan.segments.push_back(static_cast<std::size_t>(out - scan.bytes.get()));
    std::memset(out, 0, padding);
    return scan;
}

struct BlockSlot {
    int component = 0;
    int dc = 0;  // table numbers
    int ac = 0;
};

struct ScanPlan {
    std::array<JpegHuffmanTable, 4> dc;
    std::array<JpegHuffmanTable, 4> ac;
    std::array<BlockSlot, 10> slots;
    int slotCount = 0;
    int mcusAcross = 0;
    int componentCount = 0;
};

std::optional<ScanPlan> PlanScan(const JpegFrame& frame) {
    ScanPlan plan;
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
    plan.componentCount = frame.componentCount;
    return plan;
}

// One block's coefficients appended at `out`; the new end, or nullptr for
// data no valid block has.
std::uint32_t* DecodeBlock(JpegBitReader& bits, const JpegHuffmanTable& dcTable, const JpegHuffmanTable& ac,
                           int& prediction, std::uint32_t* out) {
    bits.Refill();
    int diff;
    const JpegHuffmanTable::Entry& dc = dcTable.Look(bits);
    if (dc.total) {
        bits.Skip(dc.total);
        diff = dc.value;
    } else {
        int size = dc.symbol;
        if (dc.length) {
            bits.Skip(dc.length);
        } else {
            size = dcTable.DecodeLong(bits);
            if (size < 0) return nullptr;
        }
        diff = ExtendJpegValue(bits.Take(size), size);
    }
    prediction += diff;
    if (prediction > kDcLimit || prediction < -kDcLimit) return nullptr;
    std::uint32_t* head = out++;
    int k = 1;
    while (k < 64) {
        bits.Refill();
        const JpegHuffmanTable::Entry& e = ac.Look(bits);
        int symbol, value;
        if (e.total) {
            bits.Skip(e.total);
            symbol = e.symbol;
            value = e.value;
        } else {
            if (e.length) {
                bits.Skip(e.length);
                symbol = e.symbol;
            } else {
                symbol = ac.DecodeLong(bits);
                if (symbol < 0) return nullptr;
            }
            value = ExtendJpegValue(bits.Take(symbol & 15), symbol & 15);
        }
        if ((symbol & 15) == 0) {
            if (symbol != 0xF0) break;  // end of block
            k += 16;                    // sixteen zeros
            continue;
        }
        k += symbol >> 4;
        if (k > 63) return nullptr;
        *out++ = static_cast<std::uint32_t>(value) << 8 | kJpegZigzag[k];
        ++k;
    }
    *head = static_cast<std::uint32_t>(prediction) << 8 | static_cast<std::uint32_t>(out - head - 1);
    return out;
}

struct Interval {
    std::size_t beginByte = 0;
    std::size_t endByte = 0;
    int firstMcu = 0;
    int mcuCount = 0;
};

// The MCUs of one interval, from its first bit, with fresh predictions.
// Rows that begin in it are noted in `rows` against span `span`, and each
// row told to `progress` as soon as it is whole, when there is one.
bool DecodeInterval(const ScanPlan& plan, const std::uint8_t* data, const Interval& interval,
                    JpegCoefficients::Span& out, std::size_t span,
                    std::vector<JpegCoefficients::RowStart>& rows, JpegRowProgress* progress) {
    JpegBitReader bits(data + interval.beginByte, 0);
    const std::size_t endBits = (interval.endByte - interval.beginByte) * 8;
    int predictions[3] = {0, 0, 0};
    std::uint32_t* words = out.words.get() + out.size;
    for (int m = 0; m < interval.mcuCount; ++m) {
        const int mcu = interval.firstMcu + m;
        if (mcu % plan.mcusAcross == 0) {
            if (progress && mcu > 0) progress->Publish(mcu / plan.mcusAcross);
            rows[static_cast<std::size_t>(mcu / plan.mcusAcross)] = {
                span, static_cast<std::size_t>(words - out.words.get())};
        }
        for (int s = 0; s < plan.slotCount; ++s) {
            const BlockSlot& slot = plan.slots[s];
            words = DecodeBlock(bits, plan.dc[slot.dc], plan.ac[slot.ac], predictions[slot.component], words);
            if (!words) return false;
        }
        if (bits.Position() > endBits) return false;
    }
    out.size = static_cast<std::size_t>(words - out.words.get());
    return true;
}

}  // namespace

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

namespace {

// A head per block, and at most one coefficient per two bits used, plus
// what one MCU that overruns the data can add.
std::size_t RoomFor(const Interval& interval, int blocksPerMcu) {
    const auto blocks = static_cast<std::size_t>(interval.mcuCount) * static_cast<std::size_t>(blocksPerMcu);
    return blocks + (interval.endByte - interval.beginByte) * 4 + 64 * static_cast<std::size_t>(blocksPerMcu);
}

bool DecodeScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length, JpegCoefficients& out,
                JpegRowProgress& progress) {
    if (frame.scanBegin > length) return false;
    const auto plan = PlanScan(frame);
    if (!plan) return false;
    const std::int64_t mcus = std::int64_t{frame.McusAcross()} * frame.McusDown();
    const int blocksPerMcu = frame.BlocksPerMcu();
    const std::size_t padding = kMostBytesPerBlock * static_cast<std::size_t>(blocksPerMcu) + 16;
    auto scan = Unstuff(bytes + frame.scanBegin, bytes + length, padding);
    if (!scan) return false;

    std::vector<Interval> intervals;
    const std::size_t segments = scan->segments.size() - 1;
    const std::int64_t perInterval = frame.restartInterval ? frame.restartInterval : mcus;
    const std::int64_t needed = (mcus + perInterval - 1) / perInterval;
    // A restart marker after the last interval leaves an empty one.
    if (!(static_cast<std::int64_t>(segments) == needed ||
          (static_cast<std::int64_t>(segments) == needed + 1 &&
           scan->segments[segments] == scan->segments[segments - 1]))) {
        return false;
    }
    for (std::int64_t i = 0; i < needed; ++i) {
        const std::int64_t first = i * perInterval;
        intervals.push_back({scan->segments[static_cast<std::size_t>(i)],
                             scan->segments[static_cast<std::size_t>(i) + 1], static_cast<int>(first),
                             static_cast<int>(std::min(perInterval, mcus - first))});
    }
    out.rows.resize(static_cast<std::size_t>(frame.McusDown()));

    if (intervals.size() == 1) {
        // One thread decodes it all, and the renderers follow row by row.
        JpegCoefficients::Span& span = out.spans.emplace_back();
        span.words.reset(new (std::nothrow) std::uint32_t[RoomFor(intervals[0], blocksPerMcu)]);
        if (!span.words) return false;
        span.mcuCount = intervals[0].mcuCount;
        if (!DecodeInterval(*plan, scan->bytes.get(), intervals[0], span, 0, out.rows, &progress))
            return false;
        progress.Publish(frame.McusDown());
        return true;
    }

    // One span per band of intervals a thread decodes, kept at the index of
    // the band's first interval until the empty ones are dropped.
    std::vector<JpegCoefficients::Span> spans(intervals.size());
    std::atomic<bool> damaged{false};
    const bool done = ParallelRows(static_cast<int>(intervals.size()), [&](int begin, int end) {
        JpegCoefficients::Span& span = spans[static_cast<std::size_t>(begin)];
        std::size_t room = 0;
        for (int i = begin; i < end; ++i)
            room += RoomFor(intervals[static_cast<std::size_t>(i)], blocksPerMcu);
        span.words.reset(new std::uint32_t[room]);
        span.firstMcu = intervals[static_cast<std::size_t>(begin)].firstMcu;
        for (int i = begin; i < end; ++i) {
            const Interval& interval = intervals[static_cast<std::size_t>(i)];
            if (!DecodeInterval(*plan, scan->bytes.get(), interval, span, static_cast<std::size_t>(begin),
                                out.rows, nullptr)) {
                damaged = true;
                return;
            }
            span.mcuCount += interval.mcuCount;
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
    progress.Publish(frame.McusDown());
    return true;
}

}  // namespace

bool DecodeJpegScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                    JpegCoefficients& out, JpegRowProgress& progress) {
    bool decoded = false;
    try {
        decoded = DecodeScan(frame, bytes, length, out, progress);
    } catch (...) {  // memory for the intervals or the rows
    }
    if (!decoded) progress.Fail();
    return decoded;
}
