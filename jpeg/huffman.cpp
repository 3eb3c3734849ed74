#include "jpeg/huffman.h"

std::optional<JpegHuffmanTable> JpegHuffmanTable::Build(const JpegHuffmanDefinition& definition, bool dc) {
    JpegHuffmanTable table;
    table.symbols_ = definition.symbols;
    table.dc_ = dc;
    std::int32_t code = 0;
    int index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = definition.counts[length - 1];
        table.offset_[length] = index - code;
        for (int i = 0; i < count; ++i, ++index, ++code) {
            // Counts that overflow their length are refused before their
            // codes are used, and so is the code of all ones, which the
            // padding at the end of a segment is made of.
            if (code >= (1 << length) - 1) return std::nullopt;
            const int symbol = definition.symbols[static_cast<std::size_t>(index)];
            const int size = dc ? symbol : symbol & 15;
            if (dc ? symbol > 11 : size > 10) return std::nullopt;
            if (length > kLookupBits) continue;
            const JpegSymbol decoded = table.SymbolOf(symbol);
            // Every look-up prefix that begins with this code.
            const int spare = kLookupBits - length;
            for (int suffix = 0; suffix < (1 << spare); ++suffix) {
                std::uint32_t entry = static_cast<std::uint32_t>(decoded.run) << kRunShift;
                if (size <= spare) {
                    const auto bits = static_cast<std::uint32_t>(suffix >> (spare - size));
                    entry |= static_cast<std::uint32_t>(length + size) |
                             static_cast<std::uint32_t>(ExtendJpegValue(bits, size)) << kValueShift;
                } else {
                    entry |= static_cast<std::uint32_t>(length) |
                             static_cast<std::uint32_t>(size) << kSizeShift;
                }
                table.lookup_[static_cast<std::size_t>(code << spare | suffix)] = entry;
            }
        }
        table.maxCode_[length] = count ? code - 1 : -1;
        code <<= 1;
    }
    return table;
}
