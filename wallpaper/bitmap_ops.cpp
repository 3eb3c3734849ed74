#include "wallpaper/bitmap_ops.h"

#include <algorithm>
#include <cstring>

#include "framework/compiler.h"

BitmapSize ScaledSize(std::int64_t width, std::int64_t height, std::uint32_t percentage) {
    const auto scale = [percentage](std::int64_t side) {
        const std::int64_t scaled = side * static_cast<std::int64_t>(percentage) / 100;
        return scaled == 0 ? std::int64_t{1} : scaled;
    };
    return {scale(width), scale(height)};
}

std::optional<Bitmap> CreateSolidBitmap(BitmapSize size, PixelValue value) {
    auto bitmap = Bitmap::Allocate(size);
    if (bitmap) std::fill_n(bitmap->Pixels(), bitmap->PixelCount(), value);
    return bitmap;
}

std::uint32_t BlendWeight(std::int32_t transparency) {
    const std::int32_t t = std::clamp(transparency, 0, 100);
    return static_cast<std::uint32_t>(t * 256 / 100);
}

namespace {

std::uint32_t BlendPixel(std::uint32_t p, std::uint32_t q, std::uint32_t o, PixelValue key) {
    if (p == key) return q;
    return ((((p & 0x00FF00FF) * (256 - o) + (q & 0x00FF00FF) * o) & 0xFF00FF00) |
            (((p & 0x0000FF00) * (256 - o) + (q & 0x0000FF00) * o) & 0x00FF0000)) >>
           8;
}

#if VISTALOOM_X86_64
// Eight pixels at a time in 16-bit lanes: every channel's sum is at most
// 255 * 256, so it fits a lane and the result is the scalar one bit for bit.
VISTALOOM_TARGET("avx2") inline __m256i Blend8(__m256i p, __m256i q, __m256i pictureWeight, __m256i backgroundWeight,
                                               __m256i key) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i lo = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpacklo_epi8(p, zero), pictureWeight),
                         _mm256_mullo_epi16(_mm256_unpacklo_epi8(q, zero), backgroundWeight)),
        8);
    const __m256i hi = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(_mm256_unpackhi_epi8(p, zero), pictureWeight),
                         _mm256_mullo_epi16(_mm256_unpackhi_epi8(q, zero), backgroundWeight)),
        8);
    const __m256i mixed = _mm256_and_si256(_mm256_packus_epi16(lo, hi), _mm256_set1_epi32(0x00FFFFFF));
    return _mm256_blendv_epi8(mixed, q, _mm256_cmpeq_epi32(p, key));
}

// Large outputs are written past the cache: they are not read again soon,
// and the stores then need no read of the line first.
constexpr std::size_t kStreamingPixels = std::size_t{1} << 20;

// `background` null: one colour everywhere.
VISTALOOM_TARGET("avx2") void BlendAvx2(const std::uint32_t* picture, const std::uint32_t* background,
                                        PixelValue colour, std::uint32_t* out, std::size_t count,
                                        std::uint32_t weight, PixelValue key, std::size_t& done) {
    const __m256i pictureWeight = _mm256_set1_epi16(static_cast<short>(256 - weight));
    const __m256i backgroundWeight = _mm256_set1_epi16(static_cast<short>(weight));
    const __m256i keys = _mm256_set1_epi32(static_cast<int>(key));
    const __m256i colours = _mm256_set1_epi32(static_cast<int>(colour));
    const bool stream = count >= kStreamingPixels && reinterpret_cast<std::uintptr_t>(out) % 4 == 0;
    std::size_t i = 0;
    if (stream) {
        // Streaming stores need 32-byte alignment: the first few pixels go the plain way.
        for (; reinterpret_cast<std::uintptr_t>(out + i) % 32 != 0; ++i) {
            out[i] = BlendPixel(picture[i], background ? background[i] : colour, weight, key);
        }
    }
    for (; i + 8 <= count; i += 8) {
        const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(picture + i));
        const __m256i q =
            background ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(background + i)) : colours;
        const __m256i r = Blend8(p, q, pictureWeight, backgroundWeight, keys);
        if (stream) {
            _mm256_stream_si256(reinterpret_cast<__m256i*>(out + i), r);
        } else {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), r);
        }
    }
    if (stream) _mm_sfence();
    done = i;
}


// Four pixels a shuffle: twelve bytes spread over sixteen. Each load reads
// sixteen bytes, so the last pixels of a row go the plain way.
VISTALOOM_TARGET("ssse3") std::size_t WidenSsse3(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(0xFF000000u));
    std::size_t x = 0;
    for (; x + 6 <= count; x += 4) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 3 * x));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_or_si128(_mm_shuffle_epi8(bytes, spread), opaque));
    }
    return x;
}
#endif

void Blend(const std::uint32_t* picture, const std::uint32_t* background, PixelValue colour, std::uint32_t* out,
           std::size_t count, std::uint32_t weight, PixelValue key) {
    std::size_t i = 0;
#if VISTALOOM_X86_64
    if (ProcessorHasAvx2()) BlendAvx2(picture, background, colour, out, count, weight, key, i);
#endif
    for (; i < count; ++i) out[i] = BlendPixel(picture[i], background ? background[i] : colour, weight, key);
}

}  // namespace

void WidenRow(const std::uint8_t* in, std::uint32_t* out, std::size_t count) {
    std::size_t x = 0;
#if VISTALOOM_X86_64
    if (ProcessorHasSsse3()) x = WidenSsse3(in, out, count);
#endif
    for (; x < count; ++x) {
        out[x] = 0xFF000000u | std::uint32_t{in[3 * x + 2]} << 16 | std::uint32_t{in[3 * x + 1]} << 8 | in[3 * x];
    }
}

void BlendRow(const std::uint32_t* picture, const std::uint32_t* background, std::uint32_t* out, std::size_t count,
              std::uint32_t weight, PixelValue key) {
    Blend(picture, background, 0, out, count, weight, key);
}

void BlendRowOverColour(const std::uint32_t* picture, PixelValue background, std::uint32_t* out, std::size_t count,
                        std::uint32_t weight, PixelValue key) {
    Blend(picture, nullptr, background, out, count, weight, key);
}
