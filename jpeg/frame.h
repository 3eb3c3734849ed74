// The markers of a JPEG file up to its first scan: the frame, its tables and
// where the entropy-coded data begins, and the markers between later scans.
// Only what the program's own decoder handles is accepted: Huffman-coded
// 8-bit sequential or progressive pictures of 1 component (grey), 3 (YCbCr
// or RGB) or 4 (CMYK or YCCK as Adobe writes them, inverted), sampling
// factors of 1 to 4 that divide the largest. Portable: no Windows headers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

enum class JpegColour { Grey, YCbCr, Rgb, Cmyk, Ycck };

// The most components a frame or a scan has.
inline constexpr int kJpegMaxComponents = 4;

// A Huffman table as the file defines it: how many codes of each length
// 1..16, and their symbols in code order.
struct JpegHuffmanDefinition {
    std::array<std::uint8_t, 16> counts{};
    std::array<std::uint8_t, 256> symbols{};
    bool defined = false;
};

struct JpegComponent {
    int id = 0;
    int h = 1;  // sampling factors in the frame, 1 to 4
    int v = 1;
    int quant = 0;  // table numbers
    int dc = 0;
    int ac = 0;
};

// A scan's header: its components, their tables, and which coefficients
// and bits of them it holds.
struct JpegScan {
    int count = 0;
    std::array<int, kJpegMaxComponents> components{};  // indices into the frame's, in scan order
    std::array<int, kJpegMaxComponents> dc{};          // table numbers, in scan order
    std::array<int, kJpegMaxComponents> ac{};
    int start = 0, end = 63;  // spectral selection, zig-zag positions
    int high = 0, low = 0;    // successive approximation: the bit refined, the bit it stops at
};

struct JpegFrame {
    int width = 0;
    int height = 0;
    int componentCount = 0;
    // In the frame's order, which a single scan of the whole picture has
    // too; its tables are that scan's.
    std::array<JpegComponent, kJpegMaxComponents> components{};
    int maxH = 1;
    int maxV = 1;
    JpegColour colour = JpegColour::YCbCr;
    std::array<std::array<std::uint16_t, 64>, 4> quant{};  // natural (row-major) order
    std::array<bool, 4> quantDefined{};
    std::array<JpegHuffmanDefinition, 4> dc{};
    std::array<JpegHuffmanDefinition, 4> ac{};
    int restartInterval = 0;    // MCUs per restart interval, 0 without
    std::size_t scanBegin = 0;  // the first byte of entropy-coded data
    bool progressive = false;
    // Several scans, or one in another order than the frame's: its header
    // is at `scanHeader`, where the scans are read again one by one.
    bool multiScan = false;
    std::size_t scanHeader = 0;

    int McuWidth() const { return 8 * maxH; }
    int McuHeight() const { return 8 * maxV; }
    int McusAcross() const { return (width + McuWidth() - 1) / McuWidth(); }
    int McusDown() const { return (height + McuHeight() - 1) / McuHeight(); }
    int BlocksPerMcu() const;
    // The blocks a scan of component c alone codes, across and down.
    int CodedBlocksAcross(int c) const;
    int CodedBlocksDown(int c) const;
};

// The frame and tables of the file, and where its first scan begins;
// nothing when the file is damaged or anything in it lies outside what is
// handled (arithmetic-coded, lossless, 12-bit, 2 components, a height given
// only after the scan, a size no bitmap may have).
std::optional<JpegFrame> ReadJpegFrame(const std::uint8_t* bytes, std::size_t length);

// The markers at `at` up to the next scan of a multi-scan frame: the
// tables and restart interval they set go into `frame`, the scan's header
// into `scan`, and the offset of its data is returned; `length` at the end
// of the picture. Nothing for a marker or a scan that is not handled, or
// damage.
std::optional<std::size_t> ReadJpegNextScan(const std::uint8_t* bytes, std::size_t length, std::size_t at,
                                            JpegFrame& frame, JpegScan& scan);

// The Huffman table a scan names in `slot`: the file's own, or where the
// file defines none in slot 0 or 1, as a Motion-JPEG frame leaves them out,
// the standard one for it that the JPEG standard gives, as the system's
// decoder takes it; nothing otherwise.
const JpegHuffmanDefinition* JpegHuffmanTableFor(const JpegFrame& frame, bool dc, int slot);

// The natural position of the k-th coefficient in zig-zag order.
extern const std::array<std::uint8_t, 64> kJpegZigzag;
