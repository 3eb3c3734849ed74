// What the program takes from the compiler beyond standard C++, in one
// place: the built-ins and attributes GCC and Clang share. Portable: no
// Windows headers.
#pragma once

#include <cstdint>

#if defined(__x86_64__) || defined(_M_X64)
#define VISTALOOM_X86_64 1
#include <immintrin.h>
#else
#define VISTALOOM_X86_64 0
#endif

// A function compiled for an instruction set the processor is asked about
// at run time, before it is called.
#define VISTALOOM_TARGET(isa) __attribute__((target(isa)))

#if VISTALOOM_X86_64
// Each asked once in a run.
inline bool ProcessorHasAvx2() {
    static const bool avx2 = __builtin_cpu_supports("avx2");
    return avx2;
}
inline bool ProcessorHasSsse3() {
    static const bool ssse3 = __builtin_cpu_supports("ssse3");
    return ssse3;
}
#endif

// The bytes of a word in the other order: one instruction, where the
// standard's std::byteswap is C++23.
inline std::uint64_t ByteSwap64(std::uint64_t word) { return __builtin_bswap64(word); }
