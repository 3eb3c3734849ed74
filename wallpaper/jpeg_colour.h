// YCbCr to RGB as JFIF defines it, in the 16-bit fixed point the system's
// JPEG decoder uses: once exactly for whole samples, once for the
// fractional area averages the reduced decode works with. Portable: no
// Windows headers.
#pragma once

#include <algorithm>
#include <cstdint>

// 1.402, 1.772, 0.34414 and 0.71414 in units of 1/65536, rounded.
inline constexpr int kCrToRed = 91881;
inline constexpr int kCbToBlue = 116130;
inline constexpr int kCbToGreen = 22554;
inline constexpr int kCrToGreen = 46802;

inline int ClampSample(int v) { return std::clamp(v, 0, 255); }

struct RgbSample {
    int r, g, b;
};

// Each colour rounded to the nearest whole number, then clamped: the
// decoder's per-pixel conversion.
inline RgbSample YccToRgb(int y, int cb, int cr) {
    cb -= 128;
    cr -= 128;
    return {ClampSample(y + ((kCrToRed * cr + 32768) >> 16)),
            ClampSample(y + ((-kCbToGreen * cb - kCrToGreen * cr + 32768) >> 16)),
            ClampSample(y + ((kCbToBlue * cb + 32768) >> 16))};
}

// A fractional sample rounded half up and clamped to a byte.
inline std::uint8_t RoundSample(float v) {
    return static_cast<std::uint8_t>(std::clamp(v + 0.5f, 0.0f, 255.5f));
}
