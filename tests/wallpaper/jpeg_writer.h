// A small baseline JPEG writer for the decoder's tests: it takes quantised
// coefficients, not pixels, so that a test knows exactly what a file holds,
// and it writes the markers in whatever order and with whatever damage a
// test asks for. Its Huffman tables are its own, with codes from 2 to 16
// bits long, so that both the decoder's look-up and its long codes are
// used.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace jpeg_writer {

using Block = std::array<int, 64>;  // quantised coefficients, natural (row-major) order

struct Component {
    int id = 1;
    int h = 1, v = 1;  // sampling factors
    int quant = 0;     // table 0 or 1
    // Row by row over the component's blocks: MCUs across * h by MCUs
    // down * v of them, or for a picture of one component its blocks
    // across by down.
    std::vector<Block> blocks;
    int blocksAcross = 0;
};

struct Picture {
    int width = 0, height = 0;
    std::vector<Component> components;
    std::array<std::array<int, 64>, 2> quant{};  // natural order
    int restartInterval = 0;
    bool jfif = true;
    int adobeTransform = -1;        // -1: no Adobe segment
    bool tablesAfterFrame = false;  // DQT and DHT between SOF and SOS
    // A comment, an EXIF segment and fill bytes before markers, in the scan too.
    bool extras = false;
};

// The MCUs across and down, and the block grid each component needs.
int McusAcross(const Picture& picture);
int McusDown(const Picture& picture);
// Sizes component.blocks and blocksAcross for the picture; every block 0.
void MakeBlocks(const Picture& picture, Component& component);

std::string Write(const Picture& picture);

// The expected full decode of the picture, from the definition of the
// inverse DCT in double precision: a component at half resolution is
// brought to full size by the 16-point inverse DCT of its coefficients, at
// a quarter by that and each sample repeated, at a third by the 8-point
// one and each sample repeated,
// every sample is rounded and clamped, and YCbCr becomes RGB by the JFIF
// formula, rounded; of 4 components, CMYK (Adobe transform 0) or YCCK (2)
// become RGB as the system's decoder and converter make them. Red, green,
// blue bytes, row by row.
std::vector<std::uint8_t> Expected(const Picture& picture);

// Averages of the expected picture over reduction x reduction squares, cut
// at the edges, rounded half up: red, green, blue, row by row.
std::vector<std::uint8_t> Averaged(const std::vector<std::uint8_t>& rgb, int width, int height,
                                   int reduction);

}  // namespace jpeg_writer
