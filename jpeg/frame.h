// The markers of a JPEG file up to its scan: the frame, its tables and
// where the entropy-coded data begins. Only what the program's own decoder
// handles is accepted: one sequential Huffman-coded 8-bit scan holding every
// component, 1 component (grey) or 3 (YCbCr or RGB), sampling factors of 1
// or 2. Portable: no Windows headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class JpegColour { Grey, YCbCr, Rgb };

// A Huffman table as the file defines it: how many codes of each length
// 1..16, and their symbols in code order.
struct JpegHuffmanDefinition {
    std::array<std::uint8_t, 16> counts{};
    std::array<std::uint8_t, 256> symbols{};
    bool defined = false;
};

struct JpegComponent {
    int id = 0;
    int h = 1;  // sampling factors in the frame, 1 or 2
    int v = 1;
    int quant = 0;  // table numbers
    int dc = 0;
    int ac = 0;
};

struct JpegFrame {
    int width = 0;
    int height = 0;
    int componentCount = 0;
    std::array<JpegComponent, 3> components{};  // in scan order
    int maxH = 1;
    int maxV = 1;
    JpegColour colour = JpegColour::YCbCr;
    std::array<std::array<std::uint16_t, 64>, 4> quant{};  // natural (row-major) order
    std::array<bool, 4> quantDefined{};
    std::array<JpegHuffmanDefinition, 4> dc{};
    std::array<JpegHuffmanDefinition, 4> ac{};
    int restartInterval = 0;    // MCUs per restart interval, 0 without
    std::size_t scanBegin = 0;  // the first byte of entropy-coded data

    int McuWidth() const { return 8 * maxH; }
    int McuHeight() const { return 8 * maxV; }
    int McusAcross() const { return (width + McuWidth() - 1) / McuWidth(); }
    int McusDown() const { return (height + McuHeight() - 1) / McuHeight(); }
    int BlocksPerMcu() const;
};

// The frame and tables of the file, and where its scan begins; nothing when
// the file is damaged or anything in it lies outside what is handled
// (progressive, arithmetic-coded, lossless, 12-bit, 4 components, several
// scans, a height given only after the scan, a size no bitmap may have).
std::optional<JpegFrame> ReadJpegFrame(const std::uint8_t* bytes, std::size_t length);

// The natural position of the k-th coefficient in zig-zag order.
extern const std::array<std::uint8_t, 64> kJpegZigzag;
