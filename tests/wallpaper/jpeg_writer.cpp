#include "tests/wallpaper/jpeg_writer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace jpeg_writer {

namespace {

constexpr int kZigzag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                             12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                             35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                             58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};

struct Code {
    int bits = 0;
    int length = 0;
};

struct Table {
    std::array<int, 16> counts{};
    std::vector<int> symbols;  // in code order
    std::array<Code, 256> codes{};
};

// Canonical codes for symbols given with their lengths, shortest first.
Table MakeTable(const std::vector<std::pair<int, int>>& symbolLengths) {
    std::vector<std::pair<int, int>> sorted = symbolLengths;
    std::stable_sort(sorted.begin(), sorted.end(), [](auto a, auto b) { return a.second < b.second; });
    Table table;
    int code = 0, length = sorted.front().second;
    for (const auto& [symbol, bits] : sorted) {
        code <<= bits - length;
        length = bits;
        table.codes[static_cast<std::size_t>(symbol)] = {code++, bits};
        table.counts[static_cast<std::size_t>(bits - 1)]++;
        table.symbols.push_back(symbol);
    }
    return table;
}

const Table& DcTable() {
    static const Table table = MakeTable(
        {{0, 2}, {1, 3}, {2, 3}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}, {8, 8}, {9, 9}, {10, 10}, {11, 16}});
    return table;
}

const Table& AcTable() {
    static const Table table = [] {
        std::vector<std::pair<int, int>> lengths = {{0x00, 2}, {0x01, 3}, {0x02, 3}, {0xF0, 5}};
        int n = 0;
        for (int run = 0; run < 16; ++run) {
            for (int size = 1; size <= 10; ++size) {
                const int symbol = run << 4 | size;
                if (symbol == 0x01 || symbol == 0x02) continue;
                lengths.push_back({symbol, n < 40 ? 9 : n < 80 ? 10 : n < 120 ? 12 : 16});
                ++n;
            }
        }
        return MakeTable(lengths);
    }();
    return table;
}

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void Put(int bits, int length) {
        for (int i = length - 1; i >= 0; --i) {
            byte_ = byte_ << 1 | (bits >> i & 1);
            if (++count_ == 8) Flush();
        }
    }
    // The rest of the byte filled with ones, as an encoder pads.
    void Pad() {
        while (count_ != 0) Put(1, 1);
    }

private:
    void Flush() {
        out_ += static_cast<char>(byte_);
        if (byte_ == 0xFF) out_ += '\0';
        byte_ = count_ = 0;
    }
    std::string& out_;
    int byte_ = 0;
    int count_ = 0;
};

int Category(int value) {
    int magnitude = std::abs(value), bits = 0;
    while (magnitude) magnitude >>= 1, ++bits;
    return bits;
}

void PutValue(BitWriter& bits, int value, int category) {
    if (category) bits.Put(value < 0 ? value + (1 << category) - 1 : value, category);
}

void PutBlock(BitWriter& bits, const Block& block, int& prediction, const Table& dc, const Table& ac) {
    const int diff = block[0] - prediction;
    prediction = block[0];
    const int category = Category(diff);
    bits.Put(dc.codes[category].bits, dc.codes[category].length);
    PutValue(bits, diff, category);
    int run = 0;
    for (int k = 1; k < 64; ++k) {
        const int value = block[kZigzag[k]];
        if (value == 0) {
            ++run;
            continue;
        }
        for (; run > 15; run -= 16) bits.Put(ac.codes[0xF0].bits, ac.codes[0xF0].length);
        const int symbol = run << 4 | Category(value);
        bits.Put(ac.codes[symbol].bits, ac.codes[symbol].length);
        PutValue(bits, value, Category(value));
        run = 0;
    }
    if (run > 0) bits.Put(ac.codes[0].bits, ac.codes[0].length);
}

void Segment(std::string& out, int marker, const std::string& body) {
    out += '\xFF';
    out += static_cast<char>(marker);
    const auto length = body.size() + 2;
    out += static_cast<char>(length >> 8);
    out += static_cast<char>(length & 0xFF);
    out += body;
}

std::string Word(int w) { return {static_cast<char>(w >> 8), static_cast<char>(w & 0xFF)}; }

std::string HuffmanBody(int which, const Table& table) {
    std::string body(1, static_cast<char>(which));
    for (const int count : table.counts) body += static_cast<char>(count);
    for (const int symbol : table.symbols) body += static_cast<char>(symbol);
    return body;
}

int MaxH(const Picture& p) {
    int m = 1;
    for (const auto& c : p.components) m = std::max(m, c.h);
    return p.components.size() == 1 ? 1 : m;
}
int MaxV(const Picture& p) {
    int m = 1;
    for (const auto& c : p.components) m = std::max(m, c.v);
    return p.components.size() == 1 ? 1 : m;
}

}  // namespace

int McusAcross(const Picture& picture) {
    return (picture.width + 8 * MaxH(picture) - 1) / (8 * MaxH(picture));
}
int McusDown(const Picture& picture) {
    return (picture.height + 8 * MaxV(picture) - 1) / (8 * MaxV(picture));
}

void MakeBlocks(const Picture& picture, Component& component) {
    const bool single = picture.components.size() == 1;
    component.blocksAcross = McusAcross(picture) * (single ? 1 : component.h);
    const int down = McusDown(picture) * (single ? 1 : component.v);
    component.blocks.assign(static_cast<std::size_t>(component.blocksAcross * down), Block{});
}

std::string Write(const Picture& picture) {
    std::string out = "\xFF\xD8";
    if (picture.jfif) Segment(out, 0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
    if (picture.adobeTransform >= 0) {
        Segment(out, 0xEE,
                std::string("Adobe\0\x64\0\0\0\0", 11) + static_cast<char>(picture.adobeTransform));
    }
    if (picture.extras) {
        Segment(out, 0xFE, "a comment");
        Segment(out, 0xE1, std::string("Exif\0\0 not really", 17));
        out += "\xFF\xFF";  // fill bytes before the next marker
    }
    std::string quant;
    for (int t = 0; t < 2; ++t) {
        quant += static_cast<char>(t);
        for (int k = 0; k < 64; ++k) quant += static_cast<char>(picture.quant[t][kZigzag[k]]);
    }
    const std::string tables = [&] {
        std::string s;
        Segment(s, 0xDB, quant);
        Segment(s, 0xC4,
                HuffmanBody(0x00, DcTable()) + HuffmanBody(0x10, AcTable()) + HuffmanBody(0x01, DcTable()) +
                    HuffmanBody(0x11, AcTable()));
        return s;
    }();
    if (!picture.tablesAfterFrame) out += tables;
    if (picture.restartInterval) Segment(out, 0xDD, Word(picture.restartInterval));
    std::string frame(1, '\x08');
    frame += Word(picture.height) + Word(picture.width) + static_cast<char>(picture.components.size());
    for (const auto& c : picture.components) {
        frame += static_cast<char>(c.id);
        frame += static_cast<char>(c.h << 4 | c.v);
        frame += static_cast<char>(c.quant);
    }
    Segment(out, 0xC0, frame);
    if (picture.tablesAfterFrame) out += tables;
    std::string scan(1, static_cast<char>(picture.components.size()));
    for (std::size_t i = 0; i < picture.components.size(); ++i) {
        scan += static_cast<char>(picture.components[i].id);
        scan += static_cast<char>(i == 0 ? 0x00 : 0x11);
    }
    scan += std::string("\0\x3F\0", 3);
    if (picture.extras) out += "\xFF";
    Segment(out, 0xDA, scan);

    BitWriter bits(out);
    const bool single = picture.components.size() == 1;
    const int across = McusAcross(picture), mcus = across * McusDown(picture);
    std::vector<int> predictions(picture.components.size(), 0);
    for (int mcu = 0, restart = 0; mcu < mcus; ++mcu) {
        if (picture.restartInterval && mcu > 0 && mcu % picture.restartInterval == 0) {
            bits.Pad();
            if (picture.extras) out += '\xFF';
            out += '\xFF';
            out += static_cast<char>(0xD0 + (restart++ & 7));
            std::fill(predictions.begin(), predictions.end(), 0);
        }
        for (std::size_t i = 0; i < picture.components.size(); ++i) {
            const Component& c = picture.components[i];
            const int h = single ? 1 : c.h, v = single ? 1 : c.v;
            for (int by = 0; by < v; ++by) {
                for (int bx = 0; bx < h; ++bx) {
                    const int x = (mcu % across) * h + bx, y = (mcu / across) * v + by;
                    const Block& block = c.blocks[static_cast<std::size_t>(y * c.blocksAcross + x)];
                    PutBlock(bits, block, predictions[i], DcTable(), AcTable());
                }
            }
        }
    }
    bits.Pad();
    if (picture.extras) out += '\xFF';
    out += "\xFF\xD9";
    return out;
}

std::vector<std::uint8_t> Expected(const Picture& picture) {
    const int width = picture.width, height = picture.height;
    const bool single = picture.components.size() == 1;
    std::vector<std::vector<int>> planes;
    for (const Component& c : picture.components) {
        const int fx = single ? 1 : MaxH(picture) / c.h, fy = single ? 1 : MaxV(picture) / c.v;
        const int nx = 8 * fx, ny = 8 * fy;
        // The transform's size: 16 points for an even ratio, 8 for an odd
        // one, each of its samples repeated over the rest.
        const int tx = fx % 2 == 0 ? 16 : 8, ty = fy % 2 == 0 ? 16 : 8;
        std::vector<int> plane(static_cast<std::size_t>(width * height));
        const auto& q = picture.quant[static_cast<std::size_t>(c.quant)];
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const Block& block = c.blocks[static_cast<std::size_t>((y / ny) * c.blocksAcross + x / nx)];
                const int n = x % nx / (nx / tx), m = y % ny / (ny / ty);
                double sum = 0;
                for (int v = 0; v < 8; ++v) {
                    for (int u = 0; u < 8; ++u) {
                        const double cu = u ? 1 : std::numbers::sqrt2 / 2,
                                     cv = v ? 1 : std::numbers::sqrt2 / 2;
                        sum += 0.25 * cu * cv * block[v * 8 + u] * q[v * 8 + u] *
                               std::cos((2 * n + 1) * u * std::numbers::pi / (2 * tx)) *
                               std::cos((2 * m + 1) * v * std::numbers::pi / (2 * ty));
                    }
                }
                plane[static_cast<std::size_t>(y * width + x)] =
                    std::clamp(static_cast<int>(std::floor(sum + 128.5)), 0, 255);
            }
        }
        planes.push_back(std::move(plane));
    }
    std::vector<std::uint8_t> rgb;
    const auto round = [](double v) { return static_cast<int>(std::floor(v + 0.5)); };
    for (int i = 0; i < width * height; ++i) {
        int r, g, b;
        if (single) {
            r = g = b = planes[0][i];
        } else if (picture.adobeTransform == 0 && !picture.jfif) {
            r = planes[0][i], g = planes[1][i], b = planes[2][i];
        } else {
            const int y = planes[0][i], cb = planes[1][i] - 128, cr = planes[2][i] - 128;
            r = y + round(1.402 * cr);
            g = y + round(-0.344136 * cb - 0.714136 * cr);
            b = y + round(1.772 * cb);
        }
        if (planes.size() == 4) {
            // Adobe's inverted inks, each colour the product of its ink
            // and the black, rounded down; YCCK's inks are 255 less the
            // colours its YCC gives.
            const bool ycck = picture.adobeTransform == 2;
            const int black = planes[3][i];
            const auto ink = [&](int colour) {
                return (ycck ? 255 - std::clamp(colour, 0, 255) : colour) * black / 255;
            };
            r = ink(r), g = ink(g), b = ink(b);
        }
        for (const int channel : {r, g, b})
            rgb.push_back(static_cast<std::uint8_t>(std::clamp(channel, 0, 255)));
    }
    return rgb;
}

std::vector<std::uint8_t> Averaged(const std::vector<std::uint8_t>& rgb, int width, int height,
                                   int reduction) {
    const int ow = (width + reduction - 1) / reduction, oh = (height + reduction - 1) / reduction;
    std::vector<std::uint8_t> out;
    for (int oy = 0; oy < oh; ++oy) {
        for (int ox = 0; ox < ow; ++ox) {
            for (int channel = 0; channel < 3; ++channel) {
                int sum = 0, n = 0;
                for (int y = oy * reduction; y < std::min(height, (oy + 1) * reduction); ++y) {
                    for (int x = ox * reduction; x < std::min(width, (ox + 1) * reduction); ++x, ++n) {
                        sum += rgb[static_cast<std::size_t>((y * width + x) * 3 + channel)];
                    }
                }
                out.push_back(static_cast<std::uint8_t>((2 * sum + n) / (2 * n)));
            }
        }
    }
    return out;
}

}  // namespace jpeg_writer
