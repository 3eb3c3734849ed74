// Colour rules of the flat image button. Portable: no Windows headers.
#pragma once

#include <cstdint>

// A colour reference (red in bits 0-7) made lighter or darker by the same
// amount on all three channels. The amount is first held so that no channel
// leaves 0..255, which keeps the hue: +30 on 240,240,240 adds only 15.
std::uint32_t OffsetColour(std::uint32_t colour, int offset);

// The grey of an icon pixel (blue in bits 0-7): 0.299 R + 0.587 G + 0.114 B
// with the fraction dropped; pure black stays black; the fourth byte stays.
std::uint32_t GreyPixel(std::uint32_t pixel);
