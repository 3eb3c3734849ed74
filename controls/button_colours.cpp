#include "controls/button_colours.h"

#include <algorithm>

std::uint32_t OffsetColour(std::uint32_t colour, int offset) {
    const int r = colour & 0xFF, g = (colour >> 8) & 0xFF, b = (colour >> 16) & 0xFF;
    if (offset > 0) offset = std::min({offset, 255 - r, 255 - g, 255 - b});
    if (offset < 0) offset = std::max({offset, -r, -g, -b});
    return static_cast<std::uint32_t>(r + offset) | static_cast<std::uint32_t>(g + offset) << 8 |
           static_cast<std::uint32_t>(b + offset) << 16;
}

std::uint32_t GreyPixel(std::uint32_t pixel) {
    const std::uint32_t b = pixel & 0xFF, g = (pixel >> 8) & 0xFF, r = (pixel >> 16) & 0xFF;
    if ((pixel & 0x00FFFFFF) == 0) return pixel;
    const std::uint32_t grey = (299 * r + 587 * g + 114 * b) / 1000;
    return (pixel & 0xFF000000) | grey << 16 | grey << 8 | grey;
}
