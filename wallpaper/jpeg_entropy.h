// The entropy-coded scan of a JPEG decoded into its quantised coefficients,
// kept compact: what follows needs only the few coefficients a block has.
// Portable: no Windows headers.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "wallpaper/jpeg_frame.h"

// Every block of the scan in MCU order, in words of 32 bits: first a head,
// the DC value (prediction applied) above the low 8 bits that count the AC
// coefficients after it; then one word per AC coefficient that is not zero,
// its value above its natural position 0..63.
struct JpegCoefficients {
    // Consecutive MCUs decoded into one vector: without restart intervals the
    // whole scan, with them the intervals one thread decoded.
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

// How many rows of MCUs are decoded, for renderers on other threads that
// wait for them.
// Its mutex fails only on a misuse, which would leave a renderer waiting
// for ever: noexcept ends the program instead.
class JpegRowProgress {
public:
    void Publish(int rows) noexcept;
    // Decoding has ended without reaching every row.
    void Fail() noexcept;
    // Waits until row `row` is decoded; false when decoding failed first.
    bool WaitFor(int row) noexcept;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    int rows_ = 0;
    bool failed_ = false;
};

// The scan that begins at frame.scanBegin, decoded into `out`, which the
// renderers may read as rows are published: each row as soon as it is
// decoded, when one thread decodes the whole scan; all at the end, when
// restart intervals let both cores decode. False when the data is damaged
// or cut short, a restart marker is missing or out of order, or the scan
// does not end in EOI; `progress` has failed then.
bool DecodeJpegScan(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                    JpegCoefficients& out, JpegRowProgress& progress);
