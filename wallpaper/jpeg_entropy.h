// The entropy-coded scan of a JPEG decoded into its quantised coefficients,
// kept compact: what follows needs only the few coefficients a block has.
// Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
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

inline int JpegWordValue(std::uint32_t word) {
    return static_cast<std::int32_t>(word) >> 8;
}
inline int JpegWordLow(std::uint32_t word) {
    return static_cast<int>(word & 0xFF);
}

// The scan that begins at frame.scanBegin, decoded; restart intervals on
// both cores. Nothing when the data is damaged or cut short, a restart
// marker is missing or out of order, or the scan does not end in EOI.
std::optional<JpegCoefficients> DecodeJpegScan(const JpegFrame& frame,
                                               const std::uint8_t* bytes,
                                               std::size_t length);
