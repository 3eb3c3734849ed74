// Where the time of one wallpaper change goes, run under Wine (or Windows)
// over the program's own functions, stage by stage, each stage's median of
// several runs:
//   wallpaper_change_bench PICTURE [RUNS]        the stages at 25, 50 and 100 %
//   wallpaper_change_bench PICTURE --memory PCT  one whole change in this fresh
//                                                process: its peak memory
//   wallpaper_change_bench PICTURE --monitors    one change on three 4K
//                                                monitors, the picture filled
//                                                onto each: its time and peak
// The stages: decode (the file read and decoded as the worker does it at
// that magnification, by the program's own decoder at the reduction the
// magnification allows), wic (the imaging component's full decode) and ole
// (the OLE loader's) for comparison, render (the decoded rows widened to 32 bits), scale, blend,
// the whole composition as the worker runs it (which fuses render, scale
// and blend), write and apply.
#include <windows.h>
#include <objbase.h>
#include <ocidl.h>
#include <olectl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "framework/handles_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/picture_file_win32.h"
#include "wallpaper/system_decoders_win32.h"
#include "wallpaper/bitmap_ops.h"
#include "display/monitor_layout.h"
#include "wallpaper/compose.h"
#include "wallpaper/desktop_wallpaper_win32.h"
#include "wallpaper/scale.h"

namespace {

constexpr std::int32_t kTransparency = 40;

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The median of `runs` timings of `stage`, in milliseconds; `prepare` runs
// before each, untimed.
double Median(int runs, const std::function<void()>& stage, const std::function<void()>& prepare = [] {}) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const double start = Now();
        stage();
        times.push_back(Now() - start);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "wallpaper_change_bench: %s failed\n", what);
    std::exit(1);
}

Picture Load(const std::string& path, std::uint32_t magnification = 100) {
    auto picture = LoadPictureFile(path, JpegReductionAt(magnification));
    if (!picture) Fail("decoding");
    return std::move(*picture);
}

// The file read into a stream of its own, as the system's decoders take it;
// its size goes to `length`.
fw::ComPtr<IStream> ReadIntoStream(const std::string& path, LONG& length) {
    fw::UniqueHandle file(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    ::GetFileSizeEx(file.Get(), &size);
    const HGLOBAL block = ::GlobalAlloc(GMEM_FIXED, static_cast<SIZE_T>(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file.Get(), block, static_cast<DWORD>(size.QuadPart), &read, nullptr);
    fw::ComPtr<IStream> stream;
    ::CreateStreamOnHGlobal(block, TRUE, stream.Put());
    length = static_cast<LONG>(size.QuadPart);
    return stream;
}

// The OLE loader's decode and its rendering into a 32-bit bitmap, for
// comparison.
void DecodeWithOleLoader(const std::string& path) {
    LONG length = 0;
    const fw::ComPtr<IStream> stream = ReadIntoStream(path, length);
    fw::ComPtr<IPicture> picture;
    if (FAILED(::OleLoadPicture(stream.Get(), length, FALSE, IID_IPicture, picture.PutVoid())) ||
        !RenderOlePicture(picture.Get())) {
        Fail("the OLE loader");
    }
}

// The imaging component's full decode of the JPEG, for comparison.
void DecodeWithImagingComponent(const std::string& path) {
    const ComScope com;
    LONG length = 0;
    const fw::ComPtr<IStream> stream = ReadIntoStream(path, length);
    if (!DecodeJpegWithImagingComponent(stream.Get())) Fail("the imaging component");
}

std::string BitmapPath() {
    char folder[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "wallpaper_change_bench.bmp";
}

PixelValue Desktop() { return PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND)); }

void Stages(const std::string& path, int runs) {
    const std::string bitmapPath = BitmapPath();
    const Picture decoded = Load(path);
    const int width = decoded.Width(), height = decoded.Height();
    std::printf("picture %dx%d, %d-byte pixels from the decoder, medians of %d runs, ms\n", width, height,
                decoded.Rows().bytesPerPixel, runs);
    std::printf("%-6s %8s %8s %8s %8s %8s %8s %8s %8s %8s %8s\n", "pct", "decode", "wic", "ole", "render", "scale",
                "blend", "compose", "write", "apply", "total");
    const double wic = Median(runs, [&] { DecodeWithImagingComponent(path); });
    const double ole = Median(runs, [&] { DecodeWithOleLoader(path); });
    for (const std::uint32_t pct : {25u, 50u, 100u}) {
        const BitmapSize size = ScaledSize(width, height, pct);
        const double decode = Median(runs, [&] { Load(path, pct); });
        const Picture worker = Load(path, pct);
        const auto scaleAsWorker = [&] {
            return ScaleReducedRows(worker.Rows(), worker.Reduction(), worker.FullSize(), size);
        };
        double render = 0, scale = 0;
        if (pct == 100) {
            render = Median(runs, scaleAsWorker);
        } else {
            scale = Median(runs, scaleAsWorker);
        }
        auto target = scaleAsWorker();
        if (!target) Fail("scaling");
        const double blend = Median(runs, [&] {
            BlendRowOverColour(target->Pixels(), Desktop(), target->Pixels(), target->PixelCount(),
                               BlendWeight(kTransparency), Desktop());
        });
        std::optional<Picture> input;
        const double compose = Median(
            runs, [&] { target = ComposeWallpaperBitmap(std::move(*input), pct, kTransparency, Desktop()); },
            [&] { input = Load(path, pct); });
        if (!target) Fail("composing");
        const double write = Median(runs, [&] {
            if (!WriteBitmapFile(bitmapPath, &*target)) Fail("writing");
        });
        const double apply = Median(runs, [&] { ApplyWallpaper(bitmapPath, 0, false); });
        std::printf("%-6u %8.1f %8.0f %8.0f %8.1f %8.1f %8.1f %8.1f %8.1f %8.1f %8.0f\n", pct, decode, wic, ole, render,
                    scale, blend, compose, write, apply, decode + compose + write + apply);
    }
    EraseWallpaper();
    ::DeleteFileA(bitmapPath.c_str());
}

std::size_t PeakWorkingSet(std::size_t* now = nullptr) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof(counters);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof(counters));
    if (now) *now = counters.WorkingSetSize;
    return counters.PeakWorkingSetSize;
}

// COM and the imaging component loaded once, as in the running program,
// before the memory at rest is read.
void LoadImagingComponent() {
    fw::ComPtr<IUnknown> factory;
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const GUID factoryClass = {0xcacaf262, 0x9370, 0x4615, {0xa1, 0x3b, 0x9f, 0x55, 0x39, 0xda, 0x4c, 0x0a}};
    ::CoCreateInstance(factoryClass, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, factory.PutVoid());
}

// One change as the worker makes it, with nothing of this program's own
// held beforehand: what it needs above the process at rest.
void Memory(const std::string& path, std::uint32_t pct) {
    const std::string bitmapPath = BitmapPath();
    LoadImagingComponent();
    std::size_t rest = 0;
    PeakWorkingSet(&rest);
    Picture picture = Load(path, pct);
    const std::int64_t pictureBytes = picture.FullSize().width * picture.FullSize().height * 4;
    const auto wallpaper = ComposeWallpaperBitmap(std::move(picture), pct, kTransparency, Desktop());
    if (!wallpaper || !WriteBitmapFile(bitmapPath, &*wallpaper)) Fail("the change");
    const std::size_t peak = PeakWorkingSet();
    ::DeleteFileA(bitmapPath.c_str());
    std::printf("memory %u%%: at rest %.0f MB, peak %.0f MB, the change %.0f MB = %.2f x the picture's 32-bit size\n",
                pct, rest / 1048576.0, peak / 1048576.0, (peak - rest) / 1048576.0,
                static_cast<double>(peak - rest) / static_cast<double>(pictureBytes));
}

// Three 4K monitors side by side, one of them left of the primary, each
// showing the picture filled onto it: decoded for each monitor as the
// worker decodes it, composed into the one spanning bitmap and written.
void ThreeMonitors(const std::string& path) {
    const std::string bitmapPath = BitmapPath();
    constexpr std::int64_t kSide = 3840, kHeight = 2160;
    const SpanningLayout layout =
        LayOutMonitors({{-kSide, 0, 0, kHeight}, {0, 0, kSide, kHeight}, {kSide, 0, 2 * kSide, kHeight}});
    const MonitorPicture fill{path, static_cast<std::int32_t>(DisplayMethod::Fill), 100, kTransparency};
    std::size_t largestPicture = 0;
    const MonitorPictureLoader load = [&](const MonitorPicture& picture, const JpegReductionRule& reductionFor) {
        auto decoded = LoadPictureFile(picture.path, reductionFor);
        if (decoded) {
            const PixelRows& rows = decoded->Rows();
            largestPicture = std::max(largestPicture, static_cast<std::size_t>(rows.width) * rows.height *
                                                          static_cast<std::size_t>(rows.bytesPerPixel));
        }
        return decoded;
    };
    LoadImagingComponent();
    std::size_t rest = 0;
    PeakWorkingSet(&rest);
    const double start = Now();
    const auto wallpaper = ComposeSpanningBitmap(layout, {fill, fill, fill}, load, Desktop());
    if (!wallpaper || !WriteBitmapFile(bitmapPath, &*wallpaper)) Fail("the change");
    const double time = Now() - start;
    const std::size_t peak = PeakWorkingSet();
    ::DeleteFileA(bitmapPath.c_str());
    const double bitmap = static_cast<double>(wallpaper->PixelCount()) * 4;
    std::printf("three 4K monitors: %.0f ms; the change %.0f MB at its peak = the %.0f MB bitmap + %.0f MB beside "
                "it, the largest decoded picture %.0f MB\n",
                time, (peak - rest) / 1048576.0, bitmap / 1048576.0,
                (static_cast<double>(peak - rest) - bitmap) / 1048576.0, largestPicture / 1048576.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: wallpaper_change_bench PICTURE [RUNS | --memory PCT | --monitors]\n");
        return 2;
    }
    if (argc >= 3 && std::string(argv[2]) == "--monitors") {
        ThreeMonitors(argv[1]);
    } else if (argc >= 4 && std::string(argv[2]) == "--memory") {
        Memory(argv[1], static_cast<std::uint32_t>(std::atoi(argv[3])));
    } else {
        Stages(argv[1], argc >= 3 ? std::max(1, std::atoi(argv[2])) : 5);
    }
    return 0;
}
