// A picture in several scans, progressive or sequential with components
// scanned apart, decoded scan by scan into every block's coefficients, and
// then handed to the renderers row by row in the compact form a single
// scan is. Portable: no Windows headers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "jpeg/entropy.h"
#include "jpeg/frame.h"

// The scans of a multi-scan frame, from its first scan header to EOI,
// decoded into `out` in `bands` bands of one row of MCUs each (all rows
// when `bands` is 0), each published as soon as it is made and reused once
// rendered. False when a scan is damaged or not handled, when the scans
// leave a coefficient unknown that the system's decoder would estimate
// from the neighbouring blocks, or memory runs out; `progress` has failed
// then.
bool DecodeJpegScans(const JpegFrame& frame, const std::uint8_t* bytes, std::size_t length,
                     JpegCoefficients& out, JpegRowProgress& progress, int bands);
