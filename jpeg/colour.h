// YCbCr to RGB as JFIF defines it, in the 16-bit fixed point the system's
// JPEG decoder uses. Portable: no Windows headers.
#pragma once

// 1.402, 1.772, 0.34414 and 0.71414 in units of 1/65536, rounded.
inline constexpr int kCrToRed = 91881;
inline constexpr int kCbToBlue = 116130;
inline constexpr int kCbToGreen = 22554;
inline constexpr int kCrToGreen = 46802;

struct RgbSample {
    int r, g, b;
};
