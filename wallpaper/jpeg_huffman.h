// Reading the entropy-coded data of a JPEG scan: a 64-bit bit buffer over
// data whose stuffed zero bytes are already removed, and Huffman tables that
// decode a code, its run and its value in one look-up. Portable: no Windows
// headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>

#include "wallpaper/jpeg_frame.h"

// Bits most significant first. The data must be followed by at least 8
// readable bytes: the buffer is refilled 8 bytes at a time, whatever lies
// there, and what was used is checked against the end afterwards.
class JpegBitReader {
public:
    JpegBitReader(const std::uint8_t* data, std::size_t bitBegin) : base_(data), next_(data + bitBegin / 8) {
        Refill();
        Skip(static_cast<int>(bitBegin % 8));
    }

    // At least 56 bits in the buffer afterwards.
    void Refill() {
        std::uint64_t word;
        std::memcpy(&word, next_, 8);
        bits_ |= __builtin_bswap64(word) >> count_;
        next_ += (63 - count_) >> 3;
        count_ |= 56;
    }
    std::uint32_t Peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    void Skip(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    // n in 0..16.
    std::uint32_t Take(int n) {
        const std::uint32_t v = n ? Peek(n) : 0;
        bits_ <<= n;
        count_ -= n;
        return v;
    }
    // The bits used so far, counted from the start of the data.
    std::size_t Position() const {
        return static_cast<std::size_t>(next_ - base_) * 8 - static_cast<std::size_t>(count_);
    }

private:
    const std::uint8_t* base_;
    const std::uint8_t* next_;
    std::uint64_t bits_ = 0;
    int count_ = 0;
};

// A coefficient of `size` bits as the file codes it: the upper half of the
// range is positive, the lower half stands for the negative values.
inline int ExtendJpegValue(std::uint32_t bits, int size) {
    const int v = static_cast<int>(bits);
    return size == 0 ? 0 : v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

class JpegHuffmanTable {
public:
    static constexpr int kLookupBits = 11;

    // Nothing when the counts overflow their lengths, a code would be all
    // ones, or a symbol asks for more value bits than 8-bit samples have.
    static std::optional<JpegHuffmanTable> Build(const JpegHuffmanDefinition& definition, bool dc);

    // One entry per prefix of kLookupBits bits.
    struct alignas(8) Entry {
        std::uint8_t length = 0;  // of the code; 0 when it is longer than the look-up
        std::uint8_t total = 0;   // of code and value together when both fit, else 0
        std::uint8_t symbol = 0;  // run << 4 | size (AC), size (DC)
        std::uint8_t run = 0;
        std::int16_t value = 0;  // the value, when `total` is set
    };
    const Entry& Look(const JpegBitReader& bits) const { return lookup_[bits.Peek(kLookupBits)]; }

    // The symbol of a code longer than the look-up, the code consumed; -1
    // for a code the table does not have.
    int DecodeLong(JpegBitReader& bits) const {
        const std::uint32_t code16 = bits.Peek(16);
        for (int length = kLookupBits + 1; length <= 16; ++length) {
            const std::int32_t code = static_cast<std::int32_t>(code16 >> (16 - length));
            if (code <= maxCode_[length]) {
                bits.Skip(length);
                return symbols_[static_cast<std::size_t>(offset_[length] + code) & 255];
            }
        }
        return -1;
    }

private:
    std::array<Entry, 1 << kLookupBits> lookup_{};
    std::array<std::int32_t, 17> maxCode_{};  // the last code of each length, -1 for none
    std::array<std::int32_t, 17> offset_{};   // symbol index minus first code, per length
    std::array<std::uint8_t, 256> symbols_{};
};
