// What the program takes from the compiler beyond standard C++, in one
// place: the built-ins and attributes GCC and Clang share. Portable: no
// Windows headers.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#define VISTALOOM_X86_64 1
#include <immintrin.h>
#else
#define VISTALOOM_X86_64 0
#endif

// A function compiled for an instruction set the processor is asked about
// at run time, before it is called.
#define VISTALOOM_TARGET(isa) __attribute__((target(isa)))
// Inlined into such a function too, and compiled for its instruction set.
#define VISTALOOM_INLINE inline __attribute__((always_inline))

// Set by a test to take, on a processor with AVX2, the paths of those
// without it, which it holds to the same results.
inline std::atomic<bool> avx2Withheld{false};

#if VISTALOOM_X86_64
// Each asked once in a run.
inline bool ProcessorHasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2 && !avx2Withheld.load(std::memory_order_relaxed);
}
inline bool ProcessorHasSsse3() {
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3;
}
#endif

// The bytes of a word in the other order: one instruction, where the
// standard's std::byteswap is C++23.
inline std::uint64_t ByteSwap64(std::uint64_t word) { return __builtin_bswap64(word); }

// Four floats taken at once: loops written in these become the processor's
// vector instructions (SSE2 on x86-64) whatever the compiler's vectoriser
// makes of the plain loops.
using FloatLanes = float __attribute__((vector_size(16)));
using IntLanes = int __attribute__((vector_size(16)));

inline FloatLanes LoadLanes(const float* from) {
    FloatLanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline void StoreLanes(float* to, FloatLanes v) {
    std::memcpy(to, &v, sizeof v);
}

// One instruction each on x86-64, where the compiler makes a comparison
// and three logical operations of the portable form.
inline FloatLanes MinLanes(FloatLanes a, FloatLanes b) {
#if VISTALOOM_X86_64
    return _mm_min_ps(a, b);
#else
    return a < b ? a : b;
#endif
}
inline FloatLanes MaxLanes(FloatLanes a, FloatLanes b) {
#if VISTALOOM_X86_64
    return _mm_max_ps(a, b);
#else
    return a > b ? a : b;
#endif
}

// Each lane truncated toward zero to a whole number.
inline FloatLanes TruncateLanes(FloatLanes v) {
    return __builtin_convertvector(__builtin_convertvector(v, IntLanes), FloatLanes);
}

inline float SumLanes(FloatLanes v) {
    return (v[0] + v[1]) + (v[2] + v[3]);
}

// Every lane the given one's.
inline FloatLanes SplatLane(FloatLanes v, int lane) {
    switch (lane) {
        case 0: return __builtin_shufflevector(v, v, 0, 0, 0, 0);
        case 1: return __builtin_shufflevector(v, v, 1, 1, 1, 1);
        case 2: return __builtin_shufflevector(v, v, 2, 2, 2, 2);
        default: return __builtin_shufflevector(v, v, 3, 3, 3, 3);
    }
}

// The lanes in the other order.
inline FloatLanes ReverseLanes(FloatLanes v) { return __builtin_shufflevector(v, v, 3, 2, 1, 0); }
