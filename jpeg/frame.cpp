#include "jpeg/frame.h"

#include <algorithm>
#include <cstdint>

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
    if (frame.componentCount != 1 && frame.componentCount != 3) return false;
    if (length != 6 + 3 * static_cast<std::size_t>(frame.componentCount)) return false;
    if (!IsSizeAllowed(frame.width, frame.height)) return false;
    for (int c = 0; c < frame.componentCount; ++c) {
        JpegComponent& component = frame.components[c];
        component.id = segment.Byte();
        const int factors = segment.Byte();
        component.h = factors >> 4;
        component.v = factors & 15;
        component.quant = segment.Byte();
        if (component.h < 1 || component.h > 2 || component.v < 1 || component.v > 2 || component.quant > 3) {
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

bool ReadScanHeader(SegmentReader segment, std::size_t length, JpegFrame& frame) {
    if (length < 1) return false;
    const int count = segment.Byte();
    // One scan with every component: several scans are left to the system.
    if (count != frame.componentCount || length != 4 + 2 * static_cast<std::size_t>(count)) return false;
    std::array<JpegComponent, 3> ordered{};
    for (int i = 0; i < count; ++i) {
        const int id = segment.Byte();
        const int tables = segment.Byte();
        const auto* found =
            std::find_if(frame.components.begin(), frame.components.begin() + frame.componentCount,
                         [&](const JpegComponent& c) { return c.id == id; });
        if (found == frame.components.begin() + frame.componentCount) return false;
        // The colours follow the frame's order of components and the blocks
        // the scan's; a scan in another order is left to the system.
        if (found != frame.components.begin() + i) return false;
        ordered[i] = *found;
        ordered[i].dc = tables >> 4;
        ordered[i].ac = tables & 15;
        if (ordered[i].dc > 3 || ordered[i].ac > 3 || !frame.dc[ordered[i].dc].defined ||
            !frame.ac[ordered[i].ac].defined || !frame.quantDefined[ordered[i].quant]) {
            return false;
        }
    }
    const int start = segment.Byte(), end = segment.Byte(), approximation = segment.Byte();
    if (start != 0 || end != 63 || approximation != 0) return false;
    frame.components = ordered;
    return true;
}

// As the system's decoder reads a 3-component file: the component ids
// first, then the JFIF and Adobe markers. Where decoders are known to read
// the same file differently, the file is left to the system.
std::optional<JpegColour> ColourOf(const JpegFrame& frame, const Markers& markers) {
    if (frame.componentCount == 1) return JpegColour::Grey;
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

std::optional<JpegFrame> ReadJpegFrame(const std::uint8_t* bytes, std::size_t length) {
    if (length < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return std::nullopt;
    JpegFrame frame;
    Markers markers;
    SegmentReader reader(bytes + 2, length - 2);
    for (;;) {
        if (!reader.Has(2) || reader.Byte() != 0xFF) return std::nullopt;
        int marker = reader.Byte();
        while (marker == 0xFF) {  // fill bytes before a marker
            if (!reader.Has(1)) return std::nullopt;
            marker = reader.Byte();
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD9)) return std::nullopt;
        if (!reader.Has(2)) return std::nullopt;
        const int declared = reader.Word();
        if (declared < 2 || !reader.Has(static_cast<std::size_t>(declared - 2))) return std::nullopt;
        const auto size = static_cast<std::size_t>(declared - 2);
        const SegmentReader segment = reader;
        reader.Skip(size);
        switch (marker) {
            case 0xC0:  // baseline
            case 0xC1:  // extended sequential, Huffman
                if (markers.frame || !ReadFrameHeader(segment, size, frame)) return std::nullopt;
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
                if (!markers.frame || !ReadScanHeader(segment, size, frame)) return std::nullopt;
                const auto colour = ColourOf(frame, markers);
                if (!colour) return std::nullopt;
                frame.colour = *colour;
                frame.scanBegin = static_cast<std::size_t>(reader.At() - bytes);
                // Every block takes at least two bits, a DC code and an end
                // of block: data too short for the frame is refused before
                // anything is made for the frame's size.
                const std::int64_t blocks =
                    std::int64_t{frame.McusAcross()} * frame.McusDown() * frame.BlocksPerMcu();
                if (blocks > static_cast<std::int64_t>(length - frame.scanBegin) * 4) return std::nullopt;
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
                // Other application segments and comments carry nothing for
                // the pixels; every other marker (other frame types,
                // arithmetic conditioning, hierarchical) is not handled.
                if (!((marker >= 0xE1 && marker <= 0xEF) || marker == 0xFE)) return std::nullopt;
                break;
        }
    }
}
