// Load and save of a large settings file against a plain write and read of
// the same number of bytes. Goal: load + save within 3x of the plain I/O.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "settings/settings_stream.h"
#include "tests/support/settings_fixtures.h"

namespace {

constexpr int kPictures = 100000;
constexpr int kIcons = 10000;

class FdSink : public ByteSink {
public:
    explicit FdSink(int fd) : fd_(fd) {}
    bool Write(const void* data, std::size_t size) override {
        return ::write(fd_, data, size) == static_cast<ssize_t>(size);
    }

private:
    int fd_;
};

class FdSource : public ByteSource {
public:
    explicit FdSource(int fd) : fd_(fd) {}
    std::size_t Read(void* buffer, std::size_t size) override {
        const ssize_t got = ::read(fd_, buffer, size);
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    int fd_;
};

std::string BenchPath() {
    const char* tmp = std::getenv("TMPDIR");
    return std::string(tmp ? tmp : "/tmp") + "/vistaloom_bench.ini";
}

void FillLarge(AppSettings& s) {
    for (int i = 0; i < kPictures; ++i) {
        WallpaperEntry entry;
        entry.path = "C:\\Pictures\\Holiday 2026\\IMG_" + std::to_string(100000 + i) + ".jpg";
        s.imageList.push_back(std::move(entry));
    }
    for (int i = 0; i < kIcons; ++i) s.iconLayout.Insert({i * 75 % 1920, i * 75 / 1920 * 75, "Icon " + std::to_string(i)});
}

bool Save(AppSettings& s, const std::string& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    FdSink sink(fd);
    const bool ok = fd >= 0 && WriteSettings(s, sink);
    ::close(fd);
    return ok;
}

bool Load(AppSettings& s, const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    const off_t length = ::lseek(fd, 0, SEEK_END);
    ::lseek(fd, 0, SEEK_SET);
    FdSource source(fd);
    const bool ok = fd >= 0 && ReadSettings(s, source, length) == LoadResult::Loaded;
    ::close(fd);
    return ok;
}

AppSettings& Large() {
    static AppSettings* settings = [] {
        auto* s = new AppSettings;
        FillLarge(*s);
        return s;
    }();
    return *settings;
}

void BM_SettingsSave(benchmark::State& state) {
    const std::string path = BenchPath();
    for (auto _ : state) {
        if (!Save(Large(), path)) state.SkipWithError("save failed");
    }
}

void BM_SettingsLoad(benchmark::State& state) {
    const std::string path = BenchPath();
    Save(Large(), path);
    for (auto _ : state) {
        AppSettings s;
        if (!Load(s, path)) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(s.imageList.data());
    }
}

void BM_SettingsLoadSave(benchmark::State& state) {
    const std::string path = BenchPath();
    Save(Large(), path);
    for (auto _ : state) {
        AppSettings s;
        if (!Load(s, path) || !Save(s, path)) state.SkipWithError("load or save failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(fixtures::Serialized(Large()).size()));
}

// The same number of bytes written and read back in one call each.
void BM_RawFileIO(benchmark::State& state) {
    const std::string path = BenchPath();
    const std::string bytes = fixtures::Serialized(Large());
    std::string back(bytes.size(), '\0');
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        fd = ::open(path.c_str(), O_RDONLY);
        ok = ok && ::read(fd, back.data(), back.size()) == static_cast<ssize_t>(back.size());
        ::close(fd);
        if (!ok) state.SkipWithError("raw I/O failed");
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}

}  // namespace

BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SettingsLoadSave)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFileIO)->Unit(benchmark::kMillisecond);
