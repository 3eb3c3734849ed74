// A block's inverse DCT, sample by sample, in single precision. Portable:
// no Windows headers.
//
// An 8x8 block takes the fast decoders' factored transform, eight columns
// and then eight rows at once, in four or eight lanes (AVX2), the same to
// the bit either way. The 16-point axes of a component at half resolution
// split each axis into its even and odd coefficients: sample n and sample
// N - 1 - n share both halves' sums, one added and one taken away; with
// AVX2, a block 16 samples across is turned so that eight lines lie in the
// lanes, and its sums come in another order. Either way the samples differ
// from the definition only by the rounding of single precision.
#pragma once

// The factor coefficient (u, v) of a block is multiplied by before the
// transform of nx x ny samples, `position` being v * 8 + u.
float JpegIdctScale(int position, int nx, int ny);

// The samples x(m, n) = level + sum over (u, v) of F(u, v) C(u) C(v) / 4
// cos((2m + 1) u pi / 2 nx) cos((2n + 1) v pi / 2 ny), with C(0) = 1/sqrt 2
// and C(k) = 1 otherwise, out[n * stride + m], for nx and ny of 8, or 16 for a
// component at half resolution brought to full size by a 16-point
// transform of the same coefficients. scaled[v * 8 + u] is F(u, v) times
// JpegIdctScale, its DC 0 (it is in `level`); bit v of `rows` is set where
// row v has a coefficient that is not zero (the 16-point axes skip the
// others).
void JpegInverseDct(const float* scaled, unsigned rows, int nx, int ny, float level, float* out, int stride);

// The same as a processor without AVX2 makes it.
void JpegInverseDctWithoutAvx2(const float* scaled, unsigned rows, int nx, int ny, float level, float* out,
                               int stride);
