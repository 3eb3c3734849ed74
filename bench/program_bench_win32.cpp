// Figures of the running program under Wine, measured apart from the tests:
//   - ScanFolder over 20,000 files in 500 folders (goal: well over 10,000
//     entries a second, so that adding a large picture folder feels instant);
//   - saving and restoring the layout of 200 desktop icons against the
//     stand-in shell (goal: under 100 ms each beyond the bracket's 100 ms wait);
//   - a change to a 24-megapixel JPEG: how long until the desktop shows it,
//     and how fast the main window answers meanwhile (goal: every answer
//     within 50 ms, so the tray never feels stuck).
// Run by scripts/bench-wine, never by ctest. Prints medians of the runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "desktop/icon_layout_win32.h"
#include "settings/image_list.h"
#include "settings/image_list_win32.h"
#include "settings/settings_model.h"
#include "settings/settings_stream.h"
#include "tests/support/fake_shell_client_win32.h"
#include "tests/support/wine_support_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

double Now() {
    LARGE_INTEGER frequency, counter;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void FolderScan(int runs) {
    TempFolder big("scan");
    for (int folder = 0; folder < 500; ++folder) {
        const std::string path = big / ("folder" + std::to_string(folder));
        ::CreateDirectoryA(path.c_str(), nullptr);
        for (int file = 0; file < 40; ++file) {
            const std::string name = path + "\\picture" + std::to_string(file) + (file % 4 ? ".jpg" : ".txt");
            ::CloseHandle(::CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
        }
    }
    std::vector<double> ms;
    for (int run = 0; run < runs; ++run) {
        std::vector<WallpaperEntry> list;
        const double start = Now();
        ScanFolder(list, big.Path() + "\\");
        ms.push_back(Now() - start);
        if (list.size() != 15000) std::printf("folder scan: found %zu pictures, not 15000\n", list.size());
    }
    const double median = Median(ms);
    std::printf("folder scan: 20,500 entries (20,000 files in 500 folders) in %.0f ms, %.0f entries/s\n", median,
                20500 / median * 1000);
}

void IconLayoutRoundTrip(int runs) {
    FakeShell shell;
    if (!shell.Ready()) {
        std::printf("icon layout: the stand-in shell did not start\n");
        return;
    }
    std::vector<FakeItem> items, moved;
    for (int i = 0; i < 200; ++i) {
        items.push_back({"Icon " + std::to_string(i), i % 20 * 75, i / 20 * 75});
        moved.push_back({"Icon " + std::to_string(i), 0, 0});
    }
    std::vector<double> saves, restores;
    for (int run = 0; run < runs; ++run) {
        shell.SetItems(items);
        IconLayout layout;
        const double start = Now();
        SaveIconLayout(layout);
        const double saved = Now();
        shell.SetItems(moved);
        const double restoring = Now();
        RestoreIconLayout(layout);
        restores.push_back(Now() - restoring);
        saves.push_back(saved - start);
        if (layout.Size() != 200) std::printf("icon layout: saved %zu icons, not 200\n", layout.Size());
    }
    std::printf("icon layout, 200 icons: save %.0f ms, restore %.0f ms (each with the bracket's 100 ms wait)\n",
                Median(saves), Median(restores));
}

COLORREF Centre() {
    const POINT c{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2};
    return ScreenPixels({c.x, c.y, c.x + 1, c.y + 1})[0];
}

void LargePictureChange(int runs) {
    TempFolder folder("program");
    for (const char* file : {"Vistaloom.exe", "Iconmire.dll"}) {
        ::CopyFileA((BuildFolder() + "\\" + file).c_str(), (folder / file).c_str(), FALSE);
    }
    const std::string solid = folder / "solid.bmp";
    auto bitmap = CreateSolidBitmap({64, 48}, 0x00123456);
    WriteBitmapFile(solid, &*bitmap);
    AppSettings settings;
    settings.intervalUnit = 0;  // hours: no tick comes between the changes
    settings.intervalValue = 1;
    AppendPicture(settings.imageList, solid);
    AppendPicture(settings.imageList, BuildFolder() + "\\fixtures\\photo24.jpg");
    MemorySink sink;
    WriteSettings(settings, sink);
    WriteFileBytes(folder / "Vistaloom.ini", sink.Bytes());
    ChildProcess program;
    program.Start(folder / "Vistaloom.exe", folder.Path());
    const HWND frame = WaitForProcessWindow(program.Id(), "VistaloomMainFrame", "Vistaloom");
    if (!frame) {
        std::printf("large picture: the program did not start\n");
        return;
    }
    std::vector<double> changes, slowest;
    int answers = 0;
    for (int run = 0; run < runs; ++run) {
        // The solid picture first, then the photograph, each a change of its own.
        WaitFor([] { return Centre() == RGB(0x12, 0x34, 0x56); }, 120000);
        const double start = Now();
        ::PostMessageW(frame, WM_COMMAND, 32788, 0);
        double worst = 0;
        WaitFor([&] {
            DWORD_PTR result = 0;
            const double sent = Now();
            ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result);
            worst = std::max(worst, Now() - sent);
            ++answers;
            return Centre() != RGB(0x12, 0x34, 0x56);
        }, 120000);
        changes.push_back(Now() - start);
        slowest.push_back(worst);
        ::PostMessageW(frame, WM_COMMAND, 32788, 0);  // back to the solid picture
    }
    std::printf("24-megapixel JPEG: from the command to the desktop showing it %.0f ms; the main window answered "
                "%d messages meanwhile, the slowest in %.1f ms (medians)\n",
                Median(changes), answers, Median(slowest));
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    program.WaitForExit();
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    FolderScan(runs);
    IconLayoutRoundTrip(runs);
    LargePictureChange(runs);
    return 0;
}
