// The area average of an inverse DCT's samples as a linear function of the
// block's coefficients, one axis at a time. Portable: no Windows headers.
//
// A block's coefficients F(k), k = 0..7, stand along one axis for the
// samples x(n) = 1/2 C(k) F(k) cos((2n + 1) k pi / 2N), n = 0..N-1, with
// C(0) = 1/sqrt 2 and C(k) = 1 otherwise. N is 8, or 16 for a component
// sampled at half the resolution: the system's decoder brings such a
// component to full size with a 16-point inverse DCT of the same
// coefficients rather than by interpolating its samples. Averaging the
// samples output m covers is then a row of weights over F. The DC part,
// the same for every sample, is left out: it is added exactly, as F(0) / 8
// of both axes together.
#pragma once

#include <array>

#include "jpeg/frame.h"

struct JpegAxisWeights {
    int upsampling = 1;  // N / 8
    int outputs = 0;     // per block: N / reduction
    // [m][k]: output m of an inner block; of the block holding the edge of
    // the picture, whose last output covers fewer samples; and the plain
    // inverse DCT, [n][k] for every sample.
    std::array<float, 16 * 8> inner{};
    std::array<float, 16 * 8> edge{};
    std::array<float, 16 * 8> samples{};
    int edgeBlock = -1;  // the block that needs `edge`, or -1
};

// The weights along an axis of `length` pixels reduced by `reduction`
// (1, 2, 4 or 8): output i covers pixels [i * reduction, (i + 1) * reduction),
// cut at the picture's edge.
JpegAxisWeights MakeJpegAxisWeights(int length, int reduction, int upsampling);

// The transform that brings a component whose samples are `ratio` times
// sparser than the picture's along an axis toward full size, in eighths
// of its samples: an even ratio takes the 16-point transform, an odd one
// the 8-point; the rest of the ratio is repetition of its samples, as the
// system's decoder does it.
inline int JpegUpsampling(int ratio) { return ratio % 2 == 0 ? 2 : 1; }

// How far one unit of each coefficient of component c can move any sample
// of its transform, dequantised: its largest basis value along each axis
// times its quantisation. In zigzag order, as the entropy decoder meets
// the coefficients.
std::array<float, 64> JpegReachWeights(const JpegFrame& frame, int c);
