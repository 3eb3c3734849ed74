// Four floats taken at once, as GCC and Clang both offer them: the
// decoder's sample loops, written in these, become the processor's vector
// instructions (SSE2 on x86-64) whatever the compiler's vectoriser makes
// of the plain loops. Portable: no Windows headers.
#pragma once

#include <cstring>

using JpegLanes = float __attribute__((vector_size(16)));
using JpegIntLanes = int __attribute__((vector_size(16)));

inline JpegLanes LoadLanes(const float* from) {
    JpegLanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline void StoreLanes(float* to, JpegLanes v) {
    std::memcpy(to, &v, sizeof v);
}

inline JpegLanes MinLanes(JpegLanes a, JpegLanes b) {
    return a < b ? a : b;
}
inline JpegLanes MaxLanes(JpegLanes a, JpegLanes b) {
    return a > b ? a : b;
}

// Each lane truncated toward zero to a whole number.
inline JpegLanes TruncateLanes(JpegLanes v) {
    return __builtin_convertvector(__builtin_convertvector(v, JpegIntLanes), JpegLanes);
}

inline float SumLanes(JpegLanes v) {
    return (v[0] + v[1]) + (v[2] + v[3]);
}
