// The bits of one segment of a JPEG scan, read where the file holds them:
// a stuffed 0xFF 0x00 is one 0xFF byte of data, and the segment's end
// (the marker after it) gives zero bits. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "framework/compiler.h"

// Bits most significant first, 64 at a time. The segment must hold no
// marker: every 0xFF in it, and every run of them, is followed by 0x00
// before its end (the scan is checked for markers first).
class JpegBitReader {
public:
    JpegBitReader(const std::uint8_t* begin, const std::uint8_t* end) : next_(begin), end_(end) { Refill(); }

    // 56 to 63 bits in the buffer afterwards, never 64, so that it may be
    // called again at once: the word-wise path shifts by the count.
    static constexpr int kLeastAfterRefill = 56;
    void Refill() {
        // Eight bytes at once where none of them is 0xFF: one in 256 bytes
        // of coded data is, so the byte-wise path is rare.
        if (end_ - next_ >= 8) {
            std::uint64_t word;
            std::memcpy(&word, next_, 8);
            const std::uint64_t inverse = ~word;
            if (((inverse - 0x0101010101010101u) & word & 0x8080808080808080u) == 0) {
                bits_ |= ByteSwap64(word) >> count_;
                next_ += (63 - count_) >> 3;
                count_ |= 56;
                return;
            }
        }
        RefillBytes();
    }
    std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    void Skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    int Count() const { return count_; }
    // Whether bits beyond the segment's end have been used: the data is
    // damaged or cut short.
    bool Overran() const { return padding_ > count_; }

private:
    void RefillBytes() {
        while (count_ < kLeastAfterRefill) {
            std::uint64_t byte = 0;
            if (next_ < end_) {
                byte = *next_++;
                // Fill bytes may come before the stuffed zero as before a marker.
                if (byte == 0xFF) {
                    while (*next_ == 0xFF) ++next_;
                    ++next_;
                }
            } else {
                padding_ += 8;
            }
            bits_ |= byte << (56 - count_);
            count_ += 8;
        }
    }

    const std::uint8_t* next_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    int padding_ = 0;  // zero bits given past the end, the last in the buffer
};
