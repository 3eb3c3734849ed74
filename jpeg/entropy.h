// The entropy-coded scan of a JPEG decoded into its quantised coefficients,
// kept compact: what follows needs only the few coefficients a block has.
// Portable: no Windows headers.
#pragma once

#include <array>
#include <atomic>
#include <bit>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "jpeg/frame.h"

// Blocks in MCU order, in words of 32 bits: first a head, the DC value
// (prediction applied) above the low 8 bits that count the AC coefficients
// after it; then the block's reach, the float sum of |value| times
// JpegReachWeights over its AC coefficients, the most they can move any of
// its samples, made while they are decoded; then one word per AC
// coefficient that is not zero, its value above its natural position
// 0..63.
struct JpegCoefficients {
    // Consecutive MCUs decoded into one vector: a row of them in a band
    // that later rows reuse, or, with restart intervals, the intervals one
    // thread decoded.
    struct Span {
        int firstMcu = 0;
        int mcuCount = 0;
        std::unique_ptr<std::uint32_t[]> words;  // room for the most the data can hold, not initialised
        std::size_t size = 0;                    // words used
    };
    std::vector<Span> spans;
    // Where each row of MCUs begins: its span and the word in it.
    struct RowStart {
        std::size_t span = 0;
        std::size_t word = 0;
    };
    std::vector<RowStart> rows;
};

inline int JpegWordValue(std::uint32_t word) { return static_cast<std::int32_t>(word) >> 8; }
inline int JpegWordLow(std::uint32_t word) { return static_cast<int>(word & 0xFF); }
inline std::uint32_t JpegReachWord(float reach) { return std::bit_cast<std::uint32_t>(reach); }
inline float JpegWordReach(std::uint32_t word) { return std::bit_cast<float>(word); }
// The words of a block before its AC coefficients: its head and its reach.
inline constexpr int kJpegHeadWords = 2;
// The most words a block takes.
inline constexpr int kJpegMostWordsPerBlock = kJpegHeadWords + 63;

// One block written in that form, an AC coefficient at a time in zigzag
// order (k of 1 to 63), its reach summed on the way. Inline, so that a
// decoding loop keeps it in registers.
class JpegBlockWriter {
public:
    JpegBlockWriter(std::uint32_t* out, const float* weights)
        : head_(out), next_(out + kJpegHeadWords), weights_(weights) {}
    void Add(int k, int value) {
        const auto at = static_cast<std::size_t>(k);
        *next_++ = static_cast<std::uint32_t>(value) << 8 | kJpegZigzag[at];
        reach_ += static_cast<float>(value < 0 ? -value : value) * weights_[at];
    }
    // The head written; the end of the block's words.
    std::uint32_t* Finish(int dc) {
        const auto count = static_cast<std::uint32_t>(next_ - head_ - kJpegHeadWords);
        head_[0] = static_cast<std::uint32_t>(dc) << 8 | count;
        head_[1] = JpegReachWord(reach_);
        return next_;
    }

private:
    std::uint32_t* head_;
    std::uint32_t* next_;
    const float* weights_;
    float reach_ = 0;
};

// JpegReachWeights of every component, as the scan decoders take them.
using JpegReaches = std::array<std::array<float, 64>, kJpegMaxComponents>;
JpegReaches JpegReachesOf(const JpegFrame& frame);

// The entropy-coded data between a scan's restart markers, as the file
// holds it: every 0xFF in a segment is stuffed data.
struct JpegSegment {
    const std::uint8_t* begin = nullptr;
    const std::uint8_t* end = nullptr;
};

// The segments of the scan whose data begins at `p`, up to the first marker
// other than a restart marker, whose first byte goes to `marker`; nothing
// when the file ends first or a restart marker is out of order.
std::optional<std::vector<JpegSegment>> FindJpegSegments(const std::uint8_t* p, const std::uint8_t* end,
                                                         const std::uint8_t*& marker);

// The restart intervals `units` MCUs (or blocks, in a scan of one
// component) make, when the segments found are as many, or one more that is
// empty (a restart marker after the last interval); 0 otherwise.
std::int64_t JpegIntervals(const JpegFrame& frame, std::int64_t units, const std::vector<JpegSegment>& segments);

// Renders one row of MCUs on whichever thread calls it, concurrently with
// other rows.
class JpegRowRenderer {
public:
    virtual void RenderRow(int row) noexcept = 0;

protected:
    ~JpegRowRenderer() = default;
};

// Rows of MCUs handed from the entropy decoder to the renderers: which are
// decoded, which taken by a renderer, which rendered, so that the decoder
// may reuse the band a rendered row held.
// Its mutex fails only on a misuse, which would leave a thread waiting for
// ever: noexcept ends the program instead.
class JpegRowProgress {
public:
    // The renderer the decoder itself runs while it waits for a band;
    // without one, rows are dropped as soon as they are decoded.
    void Attach(JpegRowRenderer* renderer) noexcept { renderer_ = renderer; }

    // The decoder's side. Begin comes first; it fails only for memory.
    void Begin(int rows);
    void Publish(int rows) noexcept;
    // Decoding has ended without reaching every row.
    void Fail() noexcept;
    // Waits until row `row - bands` is rendered and its band free, rendering
    // decoded rows no renderer has taken meanwhile; false when decoding
    // failed.
    bool WaitForBand(int row, int bands) noexcept;

    // The renderers' side: the next row no one has taken, which may be
    // past the last; then waiting for it to be decoded (false when
    // decoding failed first), and telling it is rendered.
    int Take() noexcept { return next_++; }
    bool WaitFor(int row) noexcept;
    void Rendered(int row) noexcept;

private:
    // Takes and renders the next decoded row no one has taken; false when
    // there is none.
    bool RenderDecoded() noexcept;

    std::mutex mutex_;
    std::condition_variable changed_;
    int rows_ = 0;
    bool failed_ = false;
    std::vector<std::uint8_t> rendered_;
    std::atomic<int> next_{0};
    JpegRowRenderer* renderer_ = nullptr;
};

// The scan that begins at frame.scanBegin, decoded into `out`, which the
// renderers may read as rows are published. One thread decodes a scan
// without restart intervals into `bands` bands of one row each (all rows
// when `bands` is 0), each published as soon as it is decoded and reused
// once rendered; restart intervals let both cores decode, every row kept,
// all published at the end. False when the data is damaged or cut short,
// a restart marker is missing or out of order, or the scan does not end in
// EOI; `progress` has failed then.
bool DecodeJpegScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                    JpegCoefficients& out, JpegRowProgress& progress, int bands);
