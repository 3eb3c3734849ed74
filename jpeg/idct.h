// A block's inverse DCT, sample by sample, in single precision. Portable:
// no Windows headers.
//
// Each axis is split into its even and odd coefficients: sample n and
// sample N - 1 - n share both halves' sums, one added and one taken away,
// which halves the products of the plain matrix. The weights are the exact
// cosines, so the samples differ from the definition only by the rounding
// of single precision.
#pragma once

// The factor coefficient (u, v) of a block is multiplied by before the
// transform: C(u) C(v) / 4, with C(0) = 1/sqrt 2 and C(k) = 1 otherwise.
float JpegIdctScale(int position);

// The samples x(m, n) = level + sum over (u, v) of scaled[v * 8 + u]
// cos((2m + 1) u pi / 2 nx) cos((2n + 1) v pi / 2 ny), out[n * nx + m],
// for nx and ny of 8, or 16 for a component at half resolution brought to
// full size by a 16-point transform of the same coefficients. `scaled` is
// natural order, its DC 0 (it is in `level`); bit v of `rows` is set where
// row v has a coefficient that is not zero, and the others are skipped.
void JpegInverseDct(const float* scaled, unsigned rows, int nx, int ny, float level, float* out);
