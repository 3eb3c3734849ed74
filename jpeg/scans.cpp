#include "jpeg/scans.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "jpeg/bit_reader.h"
#include "jpeg/huffman.h"

namespace {

constexpr int kCoefficientLimit = 32767;

// Every block's coefficients, zig-zag order, per component in the MCUs'
// layout: the blocks a scan of the component alone leaves out at the right
// and bottom edges stay zero. Zeroed by the system as pages are first
// touched, so that the blocks of a large picture cost no pass of their own.
class CoefficientStore {
public:
    bool Allocate(const JpegFrame& frame) {
        for (int c = 0; c < frame.componentCount; ++c) {
            across_[c] = frame.McusAcross() * frame.components[c].h;
            const std::size_t blocks =
                static_cast<std::size_t>(across_[c]) * static_cast<std::size_t>(frame.McusDown() * frame.components[c].v);
            planes_[c].reset(static_cast<std::int16_t*>(std::calloc(blocks * 64, sizeof(std::int16_t))));
            if (!planes_[c]) return false;
        }
        return true;
    }
    std::int16_t* Block(int c, int x, int y) const {
        return planes_[c].get() + (static_cast<std::size_t>(y) * static_cast<std::size_t>(across_[c]) +
                                   static_cast<std::size_t>(x)) *
                                      64;
    }

private:
    struct Free {
        void operator()(std::int16_t* p) const { std::free(p); }
    };
    std::array<std::unique_ptr<std::int16_t[], Free>, kJpegMaxComponents> planes_;
    std::array<int, kJpegMaxComponents> across_{};
};

// What a scan's decoding of one block needs besides the block: the bits,
// the block's tables, the DC prediction of its component, the run of
// ended blocks (progressive AC scans), and the scan's band of coefficients.
struct BlockContext {
    JpegBitReader& bits;
    const JpegHuffmanTable& dc;
    const JpegHuffmanTable& ac;
    int& prediction;
    int& endRun;
    int start, end, low;
};

bool Take(JpegBitReader& bits, const JpegHuffmanTable& table, JpegSymbol& symbol) {
    if (bits.Count() < JpegHuffmanTable::kMostBits) bits.Refill();
    return table.Decode(bits, symbol);
}

int TakeBits(JpegBitReader& bits, int n) {
    if (bits.Count() < JpegHuffmanTable::kMostBits) bits.Refill();
    const int v = n ? static_cast<int>(bits.Peek(n)) : 0;
    bits.Skip(n);
    return v;
}

bool Store(std::int16_t& coefficient, int value) {
    if (value > kCoefficientLimit || value < -kCoefficientLimit) return false;
    coefficient = static_cast<std::int16_t>(value);
    return true;
}

// A whole block of a sequential scan.
bool DecodeSequential(const BlockContext& b, std::int16_t* block) {
    JpegSymbol symbol;
    if (!Take(b.bits, b.dc, symbol)) return false;
    b.prediction += symbol.value;
    if (!Store(block[0], b.prediction)) return false;
    for (int k = 1; k < 64; ++k) {
        if (!Take(b.bits, b.ac, symbol)) return false;
        k += symbol.run;
        if (symbol.value != 0) {
            if (k > 63) return false;
            block[k] = static_cast<std::int16_t>(symbol.value);
        }
    }
    return true;
}

bool DecodeDcFirst(const BlockContext& b, std::int16_t* block) {
    JpegSymbol symbol;
    if (!Take(b.bits, b.dc, symbol)) return false;
    b.prediction += symbol.value;
    if (b.prediction > kCoefficientLimit || b.prediction < -kCoefficientLimit) return false;
    return Store(block[0], b.prediction * (1 << b.low));
}

bool DecodeDcRefinement(const BlockContext& b, std::int16_t* block) {
    if (TakeBits(b.bits, 1)) block[0] = static_cast<std::int16_t>(block[0] | 1 << b.low);
    return true;
}

// The blocks a run of ended blocks stands for: 2^r and r more bits.
int EndRun(JpegBitReader& bits, int r) { return (1 << r) + TakeBits(bits, r); }

bool DecodeAcFirst(const BlockContext& b, std::int16_t* block) {
    if (b.endRun > 0) {
        --b.endRun;
        return true;
    }
    for (int k = b.start; k <= b.end; ++k) {
        JpegSymbol symbol;
        if (!Take(b.bits, b.ac, symbol)) return false;
        if (symbol.value != 0) {
            k += symbol.run;
            if (k > b.end || !Store(block[k], symbol.value * (1 << b.low))) return false;
        } else if (symbol.run == 15) {
            k += 15;
        } else {
            b.endRun = EndRun(b.bits, symbol.run - kJpegEndOfBlock) - 1;
            break;
        }
    }
    return true;
}

// A coefficient already known gets one more bit, away from zero.
void Refine(JpegBitReader& bits, std::int16_t& coefficient, int low) {
    if (TakeBits(bits, 1) && (coefficient & (1 << low)) == 0)
        coefficient = static_cast<std::int16_t>(coefficient + (coefficient >= 0 ? 1 << low : -(1 << low)));
}

bool DecodeAcRefinement(const BlockContext& b, std::int16_t* block) {
    int k = b.start;
    if (b.endRun == 0) {
        for (; k <= b.end; ++k) {
            JpegSymbol symbol;
            if (!Take(b.bits, b.ac, symbol)) return false;
            int run = symbol.run;
            // A newly known coefficient is 1 or -1 at this bit.
            if (symbol.value != 0 && symbol.value != 1 && symbol.value != -1) return false;
            if (symbol.value == 0 && run != 15) {
                b.endRun = EndRun(b.bits, run - kJpegEndOfBlock);
                break;
            }
            // Past `run` coefficients still zero, refining the known ones
            // on the way, to the zero that becomes the new one.
            for (; k <= b.end; ++k) {
                if (block[k] != 0) {
                    Refine(b.bits, block[k], b.low);
                } else if (--run < 0) {
                    break;
                }
            }
            if (symbol.value != 0) {
                if (k > b.end) return false;
                block[k] = static_cast<std::int16_t>(symbol.value * (1 << b.low));
            }
        }
    }
    if (b.endRun > 0) {
        for (; k <= b.end; ++k) {
            if (block[k] != 0) Refine(b.bits, block[k], b.low);
        }
        --b.endRun;
    }
    return true;
}

using BlockDecoder = bool (*)(const BlockContext&, std::int16_t*);

BlockDecoder DecoderFor(const JpegFrame& frame, const JpegScan& scan) {
    if (!frame.progressive) return DecodeSequential;
    if (scan.start == 0) return scan.high ? DecodeDcRefinement : DecodeDcFirst;
    return scan.high ? DecodeAcRefinement : DecodeAcFirst;
}

// Which bits of each coefficient of each component the scans so far have
// given: the lowest bit known, -1 before any. A scan must continue each
// coefficient where the last left it.
using KnownBits = std::array<std::array<int, 64>, kJpegMaxComponents>;

bool Follows(const JpegFrame& frame, const JpegScan& scan, KnownBits& known) {
    for (int i = 0; i < scan.count; ++i) {
        auto& bits = known[static_cast<std::size_t>(scan.components[i])];
        if (!frame.progressive && bits[0] >= 0) return false;  // a component scanned twice
        if (scan.start > 0 && bits[0] < 0) return false;       // AC before DC
        for (int k = scan.start; k <= scan.end; ++k) {
            if (scan.high != (bits[k] < 0 ? 0 : bits[k])) return false;
            bits[k] = scan.low;
        }
    }
    return true;
}

// Where the scans leave the DC or one of the five lowest AC coefficients of
// a component short of its last bit, the system's decoder estimates them
// from the neighbouring blocks: such a picture is left to it.
bool IsComplete(const JpegFrame& frame, const KnownBits& known) {
    for (int c = 0; c < frame.componentCount; ++c) {
        if (known[c][0] < 0) return false;
        for (int k = 1; k <= 5; ++k) {
            if (known[c][k] != 0) return false;
        }
    }
    return true;
}

struct Tables {
    std::array<JpegHuffmanTable, kJpegMaxComponents> dc;
    std::array<JpegHuffmanTable, kJpegMaxComponents> ac;
};

std::optional<Tables> TablesFor(const JpegFrame& frame, const JpegScan& scan) {
    Tables tables;
    const bool needDc = scan.start == 0 && scan.high == 0, needAc = scan.end > 0;
    for (int i = 0; i < scan.count; ++i) {
        if (needDc) {
            const auto* definition = JpegHuffmanTableFor(frame, true, scan.dc[i]);
            auto table = definition ? JpegHuffmanTable::Build(*definition, true) : std::nullopt;
            if (!table) return std::nullopt;
            tables.dc[i] = *table;
        }
        if (needAc) {
            const auto* definition = JpegHuffmanTableFor(frame, false, scan.ac[i]);
            auto table = definition ? JpegHuffmanTable::Build(*definition, false) : std::nullopt;
            if (!table) return std::nullopt;
            tables.ac[i] = *table;
        }
    }
    return tables;
}

// One scan's data, its MCUs in restart intervals; the first byte of the
// marker after it, or nothing.
const std::uint8_t* DecodeOneScan(const JpegFrame& frame, const JpegScan& scan, const std::uint8_t* data,
                                  const std::uint8_t* end, const CoefficientStore& store) {
    const auto tables = TablesFor(frame, scan);
    if (!tables) return nullptr;
    const std::uint8_t* marker = nullptr;
    const auto segments = FindJpegSegments(data, end, marker);
    if (!segments) return nullptr;
    // A scan of one component codes its blocks one by one, those of the
    // picture alone; several are interleaved in the frame's MCUs.
    const bool single = scan.count == 1;
    const int first = scan.components[0];
    const int across = single ? frame.CodedBlocksAcross(first) : frame.McusAcross();
    const std::int64_t mcus = std::int64_t{across} * (single ? frame.CodedBlocksDown(first) : frame.McusDown());
    const std::int64_t perInterval = frame.restartInterval ? frame.restartInterval : mcus;
    const std::int64_t needed = JpegIntervals(frame, mcus, *segments);
    if (needed == 0) return nullptr;
    const BlockDecoder decode = DecoderFor(frame, scan);
    for (std::int64_t interval = 0; interval < needed; ++interval) {
        const JpegSegment& segment = (*segments)[static_cast<std::size_t>(interval)];
        JpegBitReader bits(segment.begin, segment.end);
        std::array<int, kJpegMaxComponents> predictions{};
        int endRun = 0;
        const std::int64_t last = std::min(mcus, (interval + 1) * perInterval);
        // Past the end of its data, the rest of the interval is left as
        // it is, as the system's decoder leaves it.
        for (std::int64_t mcu = interval * perInterval; mcu < last && !bits.Overran(); ++mcu) {
            const int x = static_cast<int>(mcu % across), y = static_cast<int>(mcu / across);
            for (int i = 0; i < scan.count; ++i) {
                const int c = scan.components[i];
                const BlockContext context{bits,         tables->dc[i], tables->ac[i], predictions[i],
                                           endRun,       scan.start,    scan.end,      scan.low};
                const int h = single ? 1 : frame.components[c].h, v = single ? 1 : frame.components[c].v;
                for (int by = 0; by < v; ++by) {
                    for (int bx = 0; bx < h; ++bx) {
                        if (!decode(context, store.Block(c, x * h + bx, y * v + by))) return nullptr;
                    }
                }
            }
        }
    }
    return marker;
}

// The block's coefficients as the renderer reads them; the new end.
std::uint32_t* Compact(const std::int16_t* block, const float* weights, std::uint32_t* out) {
    JpegBlockWriter writer(out, weights);
    for (int k = 1; k < 64; ++k) {
        if (block[k] != 0) writer.Add(k, block[k]);
    }
    return writer.Finish(block[0]);
}

// The rows of MCUs from the store, one band each, published as they are
// made.
bool Publish(const JpegFrame& frame, const JpegReaches& reaches, const CoefficientStore& store,
             JpegCoefficients& out, JpegRowProgress& progress, int bands) {
    const int rows = frame.McusDown(), across = frame.McusAcross();
    bands = bands > 0 ? std::min(bands, rows) : rows;
    const std::size_t room =
        static_cast<std::size_t>(across) * static_cast<std::size_t>(frame.BlocksPerMcu()) *
        kJpegMostWordsPerBlock;
    out.spans.resize(static_cast<std::size_t>(bands));
    for (auto& span : out.spans) {
        span.words.reset(new (std::nothrow) std::uint32_t[room]);
        if (!span.words) return false;
    }
    progress.Begin(rows);
    out.rows.resize(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        progress.Publish(row);
        if (!progress.WaitForBand(row, bands)) return false;
        const auto band = static_cast<std::size_t>(row % bands);
        JpegCoefficients::Span& span = out.spans[band];
        span.firstMcu = row * across;
        span.mcuCount = across;
        out.rows[static_cast<std::size_t>(row)] = {band, 0};
        std::uint32_t* words = span.words.get();
        for (int x = 0; x < across; ++x) {
            for (int c = 0; c < frame.componentCount; ++c) {
                const int h = frame.components[c].h, v = frame.components[c].v;
                for (int by = 0; by < v; ++by) {
                    for (int bx = 0; bx < h; ++bx) words = Compact(store.Block(c, x * h + bx, row * v + by),
                                                     reaches[static_cast<std::size_t>(c)].data(), words);
                }
            }
        }
        span.size = static_cast<std::size_t>(words - span.words.get());
    }
    progress.Publish(rows);
    return true;
}

bool DecodeScans(const JpegFrame& original, const std::uint8_t* bytes, std::size_t length, JpegCoefficients& out,
                 JpegRowProgress& progress, int bands) {
    JpegFrame frame = original;  // later scans bring their own tables
    JpegScan scan;
    auto data = ReadJpegNextScan(bytes, length, frame.scanHeader, frame, scan);
    if (!data || *data >= length) return false;
    CoefficientStore store;
    if (!store.Allocate(frame)) return false;
    KnownBits known;
    for (auto& component : known) component.fill(-1);
    while (*data < length) {
        if (!Follows(frame, scan, known)) return false;
        const std::uint8_t* marker = DecodeOneScan(frame, scan, bytes + *data, bytes + length, store);
        if (!marker) return false;
        data = ReadJpegNextScan(bytes, length, static_cast<std::size_t>(marker - bytes), frame, scan);
        if (!data) return false;
    }
    // Rendered with the first frame's quantisation, and so reached.
    return IsComplete(frame, known) && Publish(frame, JpegReachesOf(original), store, out, progress, bands);
}

}  // namespace

bool DecodeJpegScans(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                     JpegCoefficients& out, JpegRowProgress& progress, int bands) {
    bool decoded = false;
    try {
        decoded = DecodeScans(frame, bytes, length, out, progress, bands);
    } catch (...) {  // memory for the segments or the rows
    }
    if (!decoded) progress.Fail();
    return decoded;
}
