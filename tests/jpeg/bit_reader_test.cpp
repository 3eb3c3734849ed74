#include "jpeg/bit_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

// A segment as a file holds it, and the data it stands for.
struct Stuffed {
    std::vector<std::uint8_t> file;
    std::vector<std::uint8_t> data;
};

// `length` bytes of data, 0xFF at the positions in `ones`, each stuffed
// with a zero byte; `fill` puts a fill byte before each stuffed zero too.
Stuffed Make(int length, const std::vector<int>& ones, bool fill = false) {
    Stuffed s;
    for (int i = 0; i < length; ++i) {
        const bool one = std::find(ones.begin(), ones.end(), i) != ones.end();
        const auto byte = static_cast<std::uint8_t>(one ? 0xFF : 0x35 + 11 * i);
        s.data.push_back(byte);
        s.file.push_back(byte);
        if (one && fill) s.file.push_back(0xFF);
        if (one) s.file.push_back(0x00);
    }
    return s;
}

// When a decoder tops the buffer up: where fewer bits than a symbol's are
// left, or unasked before every piece or every other one (56 bits hold
// two), which may find the buffer full.
enum class Refills { WhenShort, Always, EveryOther };

// Every bit of the data, read in pieces of 1 to 27 bits with refills as
// `refills` says, then the zeros past its end.
void ExpectReads(const Stuffed& s, const std::string& name, Refills refills = Refills::WhenShort) {
    // A marker follows the segment, as in a file: no bit of it may be read.
    std::vector<std::uint8_t> file = s.file;
    file.insert(file.end(), {0xFF, 0xD9});
    JpegBitReader bits(file.data(), file.data() + s.file.size());
    const int total = static_cast<int>(s.data.size()) * 8;
    int at = 0;
    for (int piece = 1, count = 0; at < total; piece = piece % 27 + 1, ++count) {
        const int n = std::min(piece, total - at);
        if (refills == Refills::WhenShort ? bits.Count() < 27 : refills == Refills::Always || count % 2 == 0)
            bits.Refill();
        std::uint32_t expected = 0;
        for (int i = at; i < at + n; ++i)
            expected = expected << 1 | (s.data[static_cast<std::size_t>(i / 8)] >> (7 - i % 8) & 1);
        ASSERT_EQ(bits.Peek(n), expected) << name << " at bit " << at;
        bits.Skip(n);
        at += n;
        ASSERT_FALSE(bits.Overran()) << name << " at bit " << at;
    }
    bits.Refill();
    EXPECT_EQ(bits.Peek(27), 0u) << name;
    bits.Skip(1);
    EXPECT_TRUE(bits.Overran()) << name;
}

TEST(JpegBitReader, ReadsStuffedDataInPlaceAtEveryPlaceAndLengthUpToItsEnd) {
    // Lengths around the 8 bytes a refill takes, each with a stuffed 0xFF
    // at every place, alone, with a fill byte, and two in a row.
    for (int length = 0; length <= 26; ++length) {
        ExpectReads(Make(length, {}), "plain " + std::to_string(length));
        ExpectReads(Make(length, {}), "plain, refilled always " + std::to_string(length), Refills::Always);
        for (int at = 0; at < length; ++at) {
            const std::string where = std::to_string(length) + " bytes, 0xFF at " + std::to_string(at);
            ExpectReads(Make(length, {at}), where);
            ExpectReads(Make(length, {at}, true), where + " after a fill byte");
            if (at + 1 < length) ExpectReads(Make(length, {at, at + 1}), where + " and after it");
            ExpectReads(Make(length, {at}), where + ", refilled always", Refills::Always);
            ExpectReads(Make(length, {at}, true), where + " after a fill byte, every other piece",
                        Refills::EveryOther);
        }
    }
    std::vector<int> every;
    for (int i = 0; i < 40; ++i) every.push_back(i);
    ExpectReads(Make(40, every), "all 0xFF");
}

}  // namespace
