#include "jpeg/frame.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

const std::array<std::uint8_t, 64> kJpegZigzag = {
    0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
    41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
    30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63,
};

int JpegFrame::BlocksPerMcu() const {
    if (componentCount == 1) return 1;
    int blocks = 0;
    for (int c = 0; c < componentCount; ++c) blocks += components[c].h * components[c].v;
    return blocks;
}

namespace {

// Reads one marker segment at a time; every read is checked against the end.
class SegmentReader {
public:
    SegmentReader(const std::uint8_t* bytes, std::size_t length) : p_(bytes), end_(bytes + length) {}
    bool Has(std::size_t n) const { return static_cast<std::size_t>(end_ - p_) >= n; }
    int Byte() { return *p_++; }
    int Word() {
        const int w = p_[0] << 8 | p_[1];
        p_ += 2;
        return w;
    }
    const std::uint8_t* At() const { return p_; }
    void Skip(std::size_t n) { p_ += n; }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// The largest picture decoded: 32,768 pixels a side and 1 GiB as 32-bit
// pixels, the most the program composes; a larger one would only exhaust
// memory.
bool IsSizeAllowed(std::int64_t width, std::int64_t height) {
    return width <= 32768 && height <= 32768 && width * height * 4 <= std::int64_t{1} << 30;
}

struct Markers {
    bool jfif = false;
    bool adobe = false;
    int adobeTransform = -1;
    bool frame = false;
};

bool ReadFrameHeader(SegmentReader segment, std::size_t length, JpegFrame& frame) {
    if (length < 6) return false;
    const int precision = segment.Byte();
    frame.height = segment.Word();
    frame.width = segment.Word();
    frame.componentCount = segment.Byte();
    // A height of 0 comes later in a DNL marker; 8-bit samples only.
    if (precision != 8 || frame.height == 0 || frame.width == 0) return false;
    if (frame.componentCount != 1 && frame.componentCount != 3 && frame.componentCount != 4) return false;
    if (length != 6 + 3 * static_cast<std::size_t>(frame.componentCount)) return false;
    if (!IsSizeAllowed(frame.width, frame.height)) return false;
    for (int c = 0; c < frame.componentCount; ++c) {
        JpegComponent& component = frame.components[c];
        component.id = segment.Byte();
        const int factors = segment.Byte();
        component.h = factors >> 4;
        component.v = factors & 15;
        component.quant = segment.Byte();
        if (component.h < 1 || component.h > 4 || component.v < 1 || component.v > 4 || component.quant > 3) {
            return false;
        }
        for (int earlier = 0; earlier < c; ++earlier) {
            if (frame.components[earlier].id == component.id) return false;
        }
    }
    if (frame.componentCount == 1) {
        // One component is never interleaved: its MCU is one block.
        frame.components[0].h = frame.components[0].v = 1;
    }
    frame.maxH = frame.maxV = 1;
    for (int c = 0; c < frame.componentCount; ++c) {
        frame.maxH = std::max(frame.maxH, frame.components[c].h);
        frame.maxV = std::max(frame.maxV, frame.components[c].v);
    }
    // The system's decoder takes only whole ratios between components.
    for (int c = 0; c < frame.componentCount; ++c) {
        if (frame.maxH % frame.components[c].h != 0 || frame.maxV % frame.components[c].v != 0) return false;
    }
    // The most blocks an MCU may have.
    if (frame.BlocksPerMcu() > 10) return false;
    return true;
}

bool ReadHuffmanTables(SegmentReader segment, std::size_t length, JpegFrame& frame) {
    while (length > 0) {
        if (length < 17) return false;
        const int which = segment.Byte();
        const int kind = which >> 4, slot = which & 15;
        if (kind > 1 || slot > 3) return false;
        JpegHuffmanDefinition& definition = kind == 0 ? frame.dc[slot] : frame.ac[slot];
        definition = {};
        std::size_t total = 0;
        for (int i = 0; i < 16; ++i)
            total += definition.counts[i] = static_cast<std::uint8_t>(segment.Byte());
        length -= 17;
        if (total == 0 || total > 256 || total > length) return false;
        for (std::size_t i = 0; i < total; ++i)
            definition.symbols[i] = static_cast<std::uint8_t>(segment.Byte());
        length -= total;
        definition.defined = true;
    }
    return true;
}

bool ReadQuantTables(SegmentReader segment, std::size_t length, JpegFrame& frame) {
    while (length > 0) {
        const int which = segment.Byte();
        const int precision = which >> 4, slot = which & 15;
        const std::size_t size = 1 + 64 * (precision ? 2u : 1u);
        if (precision > 1 || slot > 3 || length < size) return false;
        for (int k = 0; k < 64; ++k) {
            frame.quant[slot][kJpegZigzag[k]] =
                static_cast<std::uint16_t>(precision ? segment.Word() : segment.Byte());
        }
        frame.quantDefined[slot] = true;
        length -= size;
    }
    return true;
}

bool ReadScanHeader(SegmentReader segment, std::size_t length, const JpegFrame& frame, JpegScan& scan) {
    if (length < 1) return false;
    scan = {};
    scan.count = segment.Byte();
    if (scan.count < 1 || scan.count > frame.componentCount || length != 4 + 2 * static_cast<std::size_t>(scan.count)) {
        return false;
    }
    int blocks = 0;
    for (int i = 0; i < scan.count; ++i) {
        const int id = segment.Byte();
        const int tables = segment.Byte();
        int c = 0;
        while (c < frame.componentCount && frame.components[c].id != id) ++c;
        if (c == frame.componentCount) return false;
        for (int earlier = 0; earlier < i; ++earlier) {
            if (scan.components[earlier] == c) return false;
        }
        scan.components[i] = c;
        scan.dc[i] = tables >> 4;
        scan.ac[i] = tables & 15;
        if (scan.dc[i] > 3 || scan.ac[i] > 3) return false;
        blocks += frame.components[c].h * frame.components[c].v;
    }
    scan.start = segment.Byte();
    scan.end = segment.Byte();
    const int approximation = segment.Byte();
    scan.high = approximation >> 4;
    scan.low = approximation & 15;
    // The most blocks an interleaved MCU may have.
    if (scan.count > 1 && blocks > 10) return false;
    if (!frame.progressive) return scan.start == 0 && scan.end == 63 && approximation == 0;
    // A scan of the DC alone, or of a band of AC coefficients of one
    // component; each refinement one bit below the last.
    if (scan.start == 0 ? scan.end != 0 : scan.end < scan.start || scan.end > 63 || scan.count != 1) return false;
    return scan.low <= 13 && (scan.high == 0 || scan.low == scan.high - 1);
}

// Whether the scan is the whole picture in one, in the frame's order of
// components, as the fast path decodes it.
bool IsWholeScan(const JpegFrame& frame, const JpegScan& scan) {
    if (frame.progressive || scan.count != frame.componentCount) return false;
    for (int i = 0; i < scan.count; ++i) {
        if (scan.components[i] != i) return false;
    }
    return true;
}

// The scan's tables as the fast path keeps them; false where one is missing.
bool TakeWholeScan(JpegFrame& frame, const JpegScan& scan) {
    for (int i = 0; i < scan.count; ++i) {
        JpegComponent& component = frame.components[i];
        component.dc = scan.dc[i];
        component.ac = scan.ac[i];
        const JpegHuffmanDefinition* dc = JpegHuffmanTableFor(frame, true, component.dc);
        const JpegHuffmanDefinition* ac = JpegHuffmanTableFor(frame, false, component.ac);
        if (!dc || !ac || !frame.quantDefined[component.quant]) return false;
        // The fast path takes its tables from the frame.
        frame.dc[component.dc] = *dc;
        frame.ac[component.ac] = *ac;
    }
    return true;
}

// As the system's decoder reads a 3-component file: the component ids
// first, then the JFIF and Adobe markers. Where decoders are known to read
// the same file differently, the file is left to the system. So is a
// 4-component file unless its ids and Adobe's marker agree: the system's
// decoder takes ids 1, 2, 3, 4 for YCCK and C, M, Y, K for CMYK whatever
// the marker's transform says, others go by the transform, and without the
// marker decoders differ on whether the inks are inverted.
std::optional<JpegColour> ColourOf(const JpegFrame& frame, const Markers& markers) {
    if (frame.componentCount == 1) return JpegColour::Grey;
    if (frame.componentCount == 4) {
        const auto ids = [&frame](int a, int b, int c, int d) {
            const auto& k = frame.components;
            return k[0].id == a && k[1].id == b && k[2].id == c && k[3].id == d;
        };
        if (!markers.adobe) return std::nullopt;
        if (markers.adobeTransform == 2 && ids(1, 2, 3, 4)) return JpegColour::Ycck;
        if (markers.adobeTransform == 0 && ids('C', 'M', 'Y', 'K')) return JpegColour::Cmyk;
        return std::nullopt;
    }
    const int a = frame.components[0].id, b = frame.components[1].id, c = frame.components[2].id;
    const bool adobeRgb = markers.adobe && markers.adobeTransform == 0;
    if (markers.adobe && markers.adobeTransform > 1) return std::nullopt;
    if (a == 1 && b == 2 && c == 3) {
        if (adobeRgb && !markers.jfif) return std::nullopt;
        return JpegColour::YCbCr;
    }
    if (a == 'R' && b == 'G' && c == 'B') {
        if (markers.jfif || (markers.adobe && !adobeRgb)) return std::nullopt;
        return JpegColour::Rgb;
    }
    if ((a == 1 && b == 0x22 && c == 0x23) || (a == 'r' && b == 'g' && c == 'b')) return std::nullopt;
    if (markers.jfif) return JpegColour::YCbCr;
    return adobeRgb ? JpegColour::Rgb : JpegColour::YCbCr;
}

}  // namespace

namespace {

// The next marker segment: its code and its body; false at the end of the
// file, at SOI or EOI, or for a segment longer than the file. Bytes before
// the marker that are not one are skipped, and so are markers without a
// body that do not belong here, as the system's decoder skips them with a
// warning.
bool NextSegment(SegmentReader& reader, int& marker, SegmentReader& body, std::size_t& size) {
    for (;;) {
        while (reader.Has(1) && *reader.At() != 0xFF) reader.Skip(1);
        if (!reader.Has(2)) return false;
        reader.Skip(1);
        marker = reader.Byte();
        while (marker == 0xFF) {  // fill bytes before a marker
            if (!reader.Has(1)) return false;
            marker = reader.Byte();
        }
        if (marker == 0xD8 || marker == 0xD9) return false;
        // A stuffed zero, a restart marker or TEM.
        if (marker != 0x00 && marker != 0x01 && (marker < 0xD0 || marker > 0xD7)) break;
    }
    if (!reader.Has(2)) return false;
    const int declared = reader.Word();
    if (declared < 2 || !reader.Has(static_cast<std::size_t>(declared - 2))) return false;
    size = static_cast<std::size_t>(declared - 2);
    body = reader;
    reader.Skip(size);
    return true;
}

// Application segments and comments carry nothing for the pixels.
bool IsIgnored(int marker) { return (marker >= 0xE0 && marker <= 0xEF) || marker == 0xFE; }

// Whether the data after a scan header of a multi-scan frame can hold
// every block the frame has: a scan of DC coefficients, which every block
// needs, takes at least a bit a block. Checked before anything is made for
// the frame's size.
bool DataCanFill(const JpegFrame& frame, std::size_t data) {
    std::int64_t blocks = 0;
    for (int c = 0; c < frame.componentCount; ++c)
        blocks += std::int64_t{frame.CodedBlocksAcross(c)} * frame.CodedBlocksDown(c);
    return blocks <= static_cast<std::int64_t>(data) * 8;
}

}  // namespace

namespace {

JpegHuffmanDefinition Definition(const std::array<std::uint8_t, 16>& counts, std::initializer_list<int> symbols) {
    JpegHuffmanDefinition definition;
    definition.counts = counts;
    std::size_t i = 0;
    for (const int symbol : symbols) definition.symbols[i++] = static_cast<std::uint8_t>(symbol);
    definition.defined = true;
    return definition;
}

// The tables of the JPEG standard's Annex K: luminance (slot 0) and
// chrominance (slot 1), DC then AC.
const std::array<JpegHuffmanDefinition, 4>& StandardTables() {
    static const std::array<JpegHuffmanDefinition, 4> tables = {
        Definition({0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}),
        Definition({0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}),
        Definition({0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D},
                   {0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61, 0x07,
                    0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52, 0xD1, 0xF0,
                    0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25, 0x26, 0x27, 0x28,
                    0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49,
                    0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68, 0x69,
                    0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89,
                    0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                    0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5,
                    0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2,
                    0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
                    0xF9, 0xFA}),
        Definition({0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77},
                   {0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61, 0x71,
                    0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1, 0xC1, 0x09, 0x23, 0x33, 0x52, 0xF0,
                    0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24, 0x34, 0xE1, 0x25, 0xF1, 0x17, 0x18, 0x19, 0x1A, 0x26,
                    0x27, 0x28, 0x29, 0x2A, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48,
                    0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64, 0x65, 0x66, 0x67, 0x68,
                    0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87,
                    0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5,
                    0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3,
                    0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA,
                    0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8,
                    0xF9, 0xFA}),
    };
    return tables;
}

}  // namespace

const JpegHuffmanDefinition* JpegHuffmanTableFor(const JpegFrame& frame, bool dc, int slot) {
    const JpegHuffmanDefinition& own = dc ? frame.dc[slot] : frame.ac[slot];
    if (own.defined) return &own;
    if (slot > 1) return nullptr;
    return &StandardTables()[static_cast<std::size_t>((dc ? 0 : 2) + slot)];
}

int JpegFrame::CodedBlocksAcross(int c) const {
    const int samples = (width * components[c].h + maxH - 1) / maxH;
    return (samples + 7) / 8;
}

int JpegFrame::CodedBlocksDown(int c) const {
    const int samples = (height * components[c].v + maxV - 1) / maxV;
    return (samples + 7) / 8;
}

std::optional<JpegFrame> ReadJpegFrame(const std::uint8_t* bytes, std::size_t length) {
    if (length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    JpegFrame frame;
    Markers markers;
    SegmentReader reader(bytes + 2, length - 2);
    for (;;) {
        const std::size_t at = static_cast<std::size_t>(reader.At() - bytes);
        int marker = 0;
        SegmentReader segment = reader;
        std::size_t size = 0;
        if (!NextSegment(reader, marker, segment, size)) return std::nullopt;
        switch (marker) {
            case 0xC0:  // baseline
            case 0xC1:  // extended sequential, Huffman
            case 0xC2:  // progressive, Huffman
                if (markers.frame || !ReadFrameHeader(segment, size, frame)) return std::nullopt;
                frame.progressive = marker == 0xC2;
                markers.frame = true;
                break;
            case 0xC4:
                if (!ReadHuffmanTables(segment, size, frame)) return std::nullopt;
                break;
            case 0xDB:
                if (!ReadQuantTables(segment, size, frame)) return std::nullopt;
                break;
            case 0xDD:
                if (size != 2) return std::nullopt;
                frame.restartInterval = SegmentReader(segment).Word();
                break;
            case 0xDA: {
                JpegScan scan;
                if (!markers.frame || !ReadScanHeader(segment, size, frame, scan)) return std::nullopt;
                const auto colour = ColourOf(frame, markers);
                if (!colour) return std::nullopt;
                frame.colour = *colour;
                frame.scanBegin = static_cast<std::size_t>(reader.At() - bytes);
                const std::size_t data = length - frame.scanBegin;
                if (!IsWholeScan(frame, scan)) {
                    // Later scans may bring Huffman tables, never
                    // quantisation tables: every one is known here.
                    for (int c = 0; c < frame.componentCount; ++c) {
                        if (!frame.quantDefined[frame.components[c].quant]) return std::nullopt;
                    }
                    if (!DataCanFill(frame, data)) return std::nullopt;
                    frame.multiScan = true;
                    frame.scanHeader = at;
                    return frame;
                }
                if (!TakeWholeScan(frame, scan)) return std::nullopt;
                // Every block takes at least two bits, a DC code and an end
                // of block: data too short for the frame is refused before
                // anything is made for the frame's size.
                const std::int64_t blocks =
                    std::int64_t{frame.McusAcross()} * frame.McusDown() * frame.BlocksPerMcu();
                if (blocks > static_cast<std::int64_t>(data) * 4) return std::nullopt;
                return frame;
            }
            case 0xE0:
                if (size >= 5 && std::equal(segment.At(), segment.At() + 5, "JFIF")) markers.jfif = true;
                break;
            case 0xEE:
                if (size >= 12 && std::equal(segment.At(), segment.At() + 5, "Adobe")) {
                    markers.adobe = true;
                    markers.adobeTransform = segment.At()[11];
                }
                break;
            default:
                // Every other marker (other frame types, arithmetic
                // conditioning, hierarchical) is not handled.
                if (!IsIgnored(marker)) return std::nullopt;
                break;
        }
    }
}

std::optional<std::size_t> ReadJpegNextScan(const std::uint8_t* bytes, std::size_t length, std::size_t at,
                                            JpegFrame& frame, JpegScan& scan) {
    if (at > length) return std::nullopt;
    SegmentReader reader(bytes + at, length - at);
    // The end of the picture has no body.
    std::size_t code = at;
    while (code < length && bytes[code] == 0xFF) ++code;
    if (code > at && code < length && bytes[code] == 0xD9) return length;
    for (;;) {
        int marker = 0;
        SegmentReader segment = reader;
        std::size_t size = 0;
        if (!NextSegment(reader, marker, segment, size)) return std::nullopt;
        if (marker == 0xC4) {
            if (!ReadHuffmanTables(segment, size, frame)) return std::nullopt;
        } else if (marker == 0xDD) {
            if (size != 2) return std::nullopt;
            frame.restartInterval = SegmentReader(segment).Word();
        } else if (marker == 0xDA) {
            if (!ReadScanHeader(segment, size, frame, scan)) return std::nullopt;
            return static_cast<std::size_t>(reader.At() - bytes);
        } else if (!IsIgnored(marker)) {
            // New quantisation tables after a scan apply to the components
            // not yet begun, in some decoders; not taken here.
            return std::nullopt;
        }
    }
}
