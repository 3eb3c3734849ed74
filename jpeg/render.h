// A decoded JPEG scan's coefficients turned into pixels at 1/1, 1/2, 1/4 or
// 1/8 of the picture's size, each pixel the area average of what a full
// decode by the system's decoder gives over the pixels it covers.
// Portable: no Windows headers.
//
// The average of an inverse DCT over a square is a linear function of the
// coefficients (area_weights.h), and so is the colour conversion:
// where no sample of a full decode would be clamped, the average is taken
// straight from the coefficients, and differs from the full decode's only
// by that decode's rounding of each sample. Where a block might clamp, at
// full size, and in pictures whose colours are products of inks (CMYK,
// YCCK) or whose samples are repeated (a component at a third or a quarter
// of the resolution), its samples are made one by one, rounded and clamped
// as the full decode does, and averaged afterwards. Flat blocks are exact.
#pragma once

#include <functional>

#include "jpeg/decoder.h"
#include "jpeg/entropy.h"
#include "jpeg/frame.h"

// The picture at 1/reduction in the rows rowsFor gives, as DecodeJpegRows
// describes.
//
// `decode` fills `coefficients` and publishes its rows in `progress`. It
// runs on this thread while a second one, where the machine has a second
// core, renders each row as soon as it is published, and the decoding
// renders rows too while it waits for a band to be freed (the renderer is
// attached to `progress`); then both render what is left. False when
// decoding fails, rowsFor gives up or memory runs out, or when damaged data
// makes samples so far out of range that the system's decoder would wrap
// them around rather than clamp them.
bool RenderJpeg(const JpegFrame& frame, const JpegCoefficients& coefficients, int reduction, JpegRowProgress& progress,
                const JpegRowsFor& rowsFor, const std::function<bool()>& decode);
