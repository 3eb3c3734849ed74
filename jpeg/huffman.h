// The Huffman tables of a JPEG scan, each decoding a code, its run of
// zeros and its value in one look-up for all but the rare long codes.
// Portable: no Windows headers.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "jpeg/bit_reader.h"
#include "jpeg/frame.h"

// A coefficient of `size` bits as the file codes it: the upper half of the
// range is positive, the lower half stands for the negative values.
inline int ExtendJpegValue(std::uint32_t bits, int size) {
    const int v = static_cast<int>(bits);
    return size == 0 ? 0 : v < (1 << (size - 1)) ? v - (1 << size) + 1 : v;
}

// One decoded symbol: the zeros before the coefficient and its value, 0
// for a run of zeros alone; at the end of a block the run is
// kJpegEndOfBlock plus the symbol's upper four bits, which a progressive
// scan's run of ended blocks is counted in.
inline constexpr int kJpegEndOfBlock = 64;

struct JpegSymbol {
    int run = 0;
    int value = 0;
};

class JpegHuffmanTable {
public:
    static constexpr int kLookupBits = 10;
    // What one symbol may take: a code of 16 bits and 11 value bits.
    static constexpr int kMostBits = 27;

    // Nothing when the counts overflow their lengths, a code would be all
    // ones, or a symbol asks for more value bits than 8-bit samples have.
    static std::optional<JpegHuffmanTable> Build(const JpegHuffmanDefinition& definition, bool dc);

    // The next symbol, at least kMostBits bits being in the buffer; false
    // for a code the table does not have. Everything here is inline, so
    // that the reader stays in registers.
    bool Decode(JpegBitReader& bits, JpegSymbol& symbol) const {
        const std::uint32_t entry = lookup_[bits.Peek(kLookupBits)];
        if (entry & kUsedMask) [[likely]] {
            bits.Skip(static_cast<int>(entry & kUsedMask));
            symbol.run = static_cast<int>(entry >> kRunShift & 127);
            symbol.value = static_cast<std::int32_t>(entry) >> kValueShift;
            const int size = static_cast<int>(entry >> kSizeShift & 15);
            if (size) [[unlikely]] symbol.value = TakeValue(bits, size);
            return true;
        }
        return DecodeLong(bits, symbol);
    }

private:
    // An entry: the bits its code (and its value, where they fit the
    // look-up too) take, 0 for a code longer than the look-up; the value
    // bits still to be read; the run; the value.
    static constexpr std::uint32_t kUsedMask = 31;
    static constexpr int kSizeShift = 5;
    static constexpr int kRunShift = 9;
    static constexpr int kValueShift = 16;

    static int TakeValue(JpegBitReader& bits, int size) {
        if (size == 0) return 0;
        const std::uint32_t raw = bits.Peek(size);
        bits.Skip(size);
        return ExtendJpegValue(raw, size);
    }
    // An AC symbol of size 0 is a run of sixteen zeros (0xF0) or, whatever
    // its run, the end of the block.
    JpegSymbol SymbolOf(int symbol) const {
        if (dc_) return {0, 0};
        if ((symbol & 15) == 0) return {symbol == 0xF0 ? 15 : kJpegEndOfBlock + (symbol >> 4), 0};
        return {symbol >> 4, 0};
    }
    bool DecodeLong(JpegBitReader& bits, JpegSymbol& symbol) const {
        const std::uint32_t code16 = bits.Peek(16);
        for (int length = kLookupBits + 1; length <= 16; ++length) {
            const auto code = static_cast<std::int32_t>(code16 >> (16 - length));
            if (code <= maxCode_[length]) {
                bits.Skip(length);
                const int s = symbols_[static_cast<std::size_t>(offset_[length] + code) & 255];
                symbol = SymbolOf(s);
                symbol.value = TakeValue(bits, dc_ ? s : s & 15);
                return true;
            }
        }
        return false;
    }

    std::array<std::uint32_t, 1 << kLookupBits> lookup_{};
    std::array<std::int32_t, 17> maxCode_{};  // the last code of each length, -1 for none
    std::array<std::int32_t, 17> offset_{};   // symbol index minus first code, per length
    std::array<std::uint8_t, 256> symbols_{};
    bool dc_ = false;
};
