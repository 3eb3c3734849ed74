// The picture work of a wallpaper change. Goals: the blend within 1.5x of a
// plain copy of the same bytes; the whole composition (scale, blend over the
// desktop colour, 32-bit BMP written) faster than ImageMagick and libvips
// doing the same (scripts/bench-peers runs all three on one picture); a
// change on three 4K monitors holding no more than the spanning bitmap and
// one decoded picture at its peak.
//
// VISTALOOM_BENCH_PICTURE names a raw 6000x4000 BGRA file to use as the
// picture; without it a synthetic one is made.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "tests/support/allocation_meter.h"
#include "wallpaper/bitmap_file.h"
#include "wallpaper/bitmap_ops.h"
#include "wallpaper/compose.h"
#include "wallpaper/scale.h"

namespace {

constexpr int kPictureWidth = 6000;
constexpr int kPictureHeight = 4000;
constexpr PixelValue kDesktop = 0x00256F95;

Bitmap Synthetic(int width, int height, std::uint32_t seed) {
    auto bitmap = Bitmap::Allocate({width, height});
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < bitmap->PixelCount(); ++i) bitmap->Pixels()[i] = random() | 0xFF000000u;
    return std::move(*bitmap);
}

const Bitmap& Photograph() {
    static const Bitmap picture = [] {
        Bitmap bitmap = Synthetic(kPictureWidth, kPictureHeight, 1);
        if (const char* path = std::getenv("VISTALOOM_BENCH_PICTURE")) {
            const int fd = ::open(path, O_RDONLY);
            const std::size_t bytes = bitmap.PixelCount() * 4;
            if (fd < 0 || ::read(fd, bitmap.Pixels(), bytes) != static_cast<ssize_t>(bytes)) std::abort();
            ::close(fd);
        }
        return bitmap;
    }();
    return picture;
}

Bitmap CopyOf(const Bitmap& source) {
    auto copy = Bitmap::Allocate({source.Width(), source.Height()});
    std::memcpy(copy->Pixels(), source.Pixels(), source.PixelCount() * 4);
    return std::move(*copy);
}

bool WriteFile(const std::string& path, const Bitmap& bitmap) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto header = BitmapFileHeader(bitmap);
    bool ok = fd >= 0 && ::write(fd, header.data(), header.size()) == static_cast<ssize_t>(header.size());
    const auto* bytes = reinterpret_cast<const char*>(bitmap.Pixels());
    std::size_t left = bitmap.PixelCount() * 4;
    while (ok && left > 0) {
        const ssize_t written = ::write(fd, bytes, left);
        ok = written > 0;
        bytes += written;
        left -= static_cast<std::size_t>(written);
    }
    ::close(fd);
    return ok;
}

void BM_Blend(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Bitmap picture = Synthetic(width, height, 2);
    const Bitmap background = Synthetic(width, height, 3);
    auto out = Bitmap::Allocate({width, height});
    for (auto _ : state) {
        BlendRow(picture.Pixels(), background.Pixels(), out->Pixels(), picture.PixelCount(), BlendWeight(40), kDesktop);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(picture.PixelCount() * 4));
}

void BM_MemoryCopy(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const Bitmap source = Synthetic(width, height, 4);
    auto out = Bitmap::Allocate({width, height});
    for (auto _ : state) {
        std::memcpy(out->Pixels(), source.Pixels(), source.PixelCount() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(source.PixelCount() * 4));
}

void Scale(benchmark::State& state, std::uint32_t percent) {
    for (auto _ : state) {
        auto scaled = ScaleBitmap(Photograph(), percent);
        if (!scaled) state.SkipWithError("scale failed");
        benchmark::DoNotOptimize(scaled->Pixels());
    }
}
void BM_Scale50(benchmark::State& state) { Scale(state, 50); }
void BM_Scale200(benchmark::State& state) { Scale(state, 200); }

// From the decoded picture to the wallpaper file on disk.
void BM_Compose(benchmark::State& state) {
    const auto magnification = static_cast<std::uint32_t>(state.range(0));
    const char* tmp = std::getenv("TMPDIR");
    const std::string path = std::string(tmp ? tmp : "/tmp") + "/vistaloom_bench.bmp";
    for (auto _ : state) {
        state.PauseTiming();
        Bitmap picture = CopyOf(Photograph());  // the decoder's output, which the composition consumes
        state.ResumeTiming();
        auto wallpaper = ComposeWallpaperBitmap(Picture(std::move(picture)), magnification, 40, kDesktop);
        if (!wallpaper || !WriteFile(path, *wallpaper)) state.SkipWithError("compose failed");
    }
    ::unlink(path.c_str());
}

// One change on three 4K monitors side by side, left of the primary one
// too, each with a picture of its own as the imaging component decodes it
// (3-byte rows of 6000 x 4000, copied in for each monitor), filled onto its
// monitor with a transparency: the time, and the heap held at the peak
// beside the spanning bitmap and one decoded picture.
void BM_ComposeThreeMonitors(benchmark::State& state) {
    constexpr int kSide = 3840, kHeight = 2160;
    const SpanningLayout layout =
        LayOutMonitors({{-kSide, 0, 0, kHeight}, {0, 0, kSide, kHeight}, {kSide, 0, 2 * kSide, kHeight}});
    const auto fill = static_cast<std::int32_t>(DisplayMethod::Fill);
    const std::vector<MonitorPicture> pictures = {
        {"a", fill, 100, 40}, {"b", fill, 100, 40}, {"c", fill, 100, 40}};
    const std::size_t pictureBytes = std::size_t{kPictureWidth} * kPictureHeight * 3;
    const std::unique_ptr<std::uint8_t[]> decoded(new std::uint8_t[pictureBytes]);
    for (std::size_t i = 0; i < pictureBytes; ++i) {
        decoded[i] = static_cast<std::uint8_t>(Photograph().Pixels()[i / 3] >> (i % 3 * 8));
    }
    const MonitorPictureLoader load = [&](const MonitorPicture&, const JpegReductionRule&) {
        auto picture = Picture::AllocateRgb(kPictureWidth, kPictureHeight);
        if (picture) std::memcpy(picture->RgbTop(), decoded.get(), pictureBytes);
        return picture;
    };
    std::size_t peak = 0;
    for (auto _ : state) {
        const allocation_meter::Scope meter;
        auto wallpaper = ComposeSpanningBitmap(layout, pictures, load, kDesktop);
        if (!wallpaper) state.SkipWithError("compose failed");
        peak = std::max(peak, meter.PeakBytes());
    }
    const double bitmap = 3.0 * kSide * kHeight * 4;
    constexpr double kMiB = 1 << 20;
    state.counters["peak_MiB"] = static_cast<double>(peak) / kMiB;
    state.counters["bitmap_MiB"] = bitmap / kMiB;
    state.counters["picture_MiB"] = static_cast<double>(pictureBytes) / kMiB;
    state.counters["beyond_MiB"] =
        (static_cast<double>(peak) - bitmap - static_cast<double>(pictureBytes)) / kMiB;
}

}  // namespace

BENCHMARK(BM_Blend)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryCopy)->Args({1920, 1080})->Args({6000, 4000})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale50)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compose)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ComposeThreeMonitors)->Unit(benchmark::kMillisecond)->UseRealTime();
