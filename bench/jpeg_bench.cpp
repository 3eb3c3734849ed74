// The program's JPEG decoder step by step, natively: the markers, the
// entropy decoding (one thread, the floor of a decode), the rendering at
// each reduction from decoded coefficients (both cores), and the whole
// decode, where the rendering follows the entropy decoding on the second
// core. VISTALOOM_BENCH_JPEG names the JPEG (scripts/bench-peers passes
// its 6000x4000 photograph); without it these benchmarks are skipped.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <new>
#include <string>

#include "jpeg/decoder.h"
#include "jpeg/entropy.h"
#include "jpeg/frame.h"
#include "jpeg/render.h"

namespace {

const std::string& Jpeg() {
    static const std::string bytes = [] {
        std::string data;
        const char* path = std::getenv("VISTALOOM_BENCH_JPEG");
        if (FILE* f = path ? std::fopen(path, "rb") : nullptr) {
            char buffer[65536];
            for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) data.append(buffer, n);
            std::fclose(f);
        }
        return data;
    }();
    return bytes;
}

const std::uint8_t* Bytes() { return reinterpret_cast<const std::uint8_t*>(Jpeg().data()); }

// Fresh rows for every picture, as the program has them.
struct FreshRows {
    std::unique_ptr<std::uint8_t[]> rows;
    JpegRows operator()(int width, int height) {
        rows.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(width) * height * 3]);
        return {rows.get(), static_cast<std::ptrdiff_t>(width) * 3};
    }
};

bool Have(benchmark::State& state) {
    if (!Jpeg().empty() && ReadJpegFrame(Bytes(), Jpeg().size())) return true;
    state.SkipWithError("VISTALOOM_BENCH_JPEG names no JPEG the decoder handles");
    return false;
}

void BM_JpegFrame(benchmark::State& state) {
    if (!Have(state)) return;
    for (auto _ : state) benchmark::DoNotOptimize(ReadJpegFrame(Bytes(), Jpeg().size()));
}

void BM_JpegEntropy(benchmark::State& state) {
    if (!Have(state)) return;
    const auto frame = ReadJpegFrame(Bytes(), Jpeg().size());
    for (auto _ : state) {
        JpegCoefficients coefficients;
        JpegRowProgress progress;
        if (!DecodeJpegScan(*frame, Bytes(), Jpeg().size(), coefficients, progress, 8))
            state.SkipWithError("damaged");
    }
}

void BM_JpegRender(benchmark::State& state) {
    if (!Have(state)) return;
    const auto frame = ReadJpegFrame(Bytes(), Jpeg().size());
    JpegCoefficients coefficients;
    JpegRowProgress decoded;
    DecodeJpegScan(*frame, Bytes(), Jpeg().size(), coefficients, decoded, 0);
    for (auto _ : state) {
        JpegRowProgress progress;
        FreshRows rows;
        const bool rendered = RenderJpeg(*frame, coefficients, static_cast<int>(state.range(0)), progress,
                                         std::ref(rows), [&] {
                                             progress.Begin(frame->McusDown());
                                             progress.Publish(frame->McusDown());
                                             return true;
                                         });
        if (!rendered) state.SkipWithError("render failed");
    }
}

void BM_JpegDecode(benchmark::State& state) {
    if (!Have(state)) return;
    for (auto _ : state) {
        FreshRows rows;
        if (!DecodeJpegRows(Bytes(), Jpeg().size(), static_cast<int>(state.range(0)), std::ref(rows)))
            state.SkipWithError("failed");
    }
}

}  // namespace

BENCHMARK(BM_JpegFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_JpegEntropy)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegRender)->Arg(8)->Arg(4)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_JpegDecode)->Arg(8)->Arg(4)->Arg(2)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
