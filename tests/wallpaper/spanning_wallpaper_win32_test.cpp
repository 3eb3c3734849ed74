// The real program with a picture on each monitor, run by wine-monitors on
// two monitors: the primary one, and one left of and above it. What the
// tiled desktop shows is read from the wallpaper bitmap the program writes,
// not from the screen.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/wide_win32.h"
#include "settings/image_list.h"
#include "settings/settings_model.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_file.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

// The monitors wine-monitors is given, as the system numbers them: the
// primary one at (0, 0), the other 640 x 480 with its bottom-right corner
// 200 pixels below the primary's top-left one.
const RECT kPrimary{0, 0, 1024, 768};
const RECT kOther{-640, -200, 0, 280};
// The bitmap spans both: from (-640, -200) to (1024, 768).
constexpr int kWidth = 1664, kHeight = 968;

constexpr PixelValue kLeftColour = 0x00C81E1E, kPrimaryColour = 0x001EC83C, kBossColour = 0x00F0E0A0;

std::vector<RECT> Monitors() {
    std::vector<RECT> found;
    ::EnumDisplayMonitors(
        nullptr, nullptr,
        [](HMONITOR, HDC, LPRECT rect, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<RECT>*>(list)->push_back(*rect);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

bool SameRect(const RECT& a, const RECT& b) { return std::memcmp(&a, &b, sizeof(RECT)) == 0; }

std::string DesktopValue(const wchar_t* name) {
    wchar_t value[16] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", name, RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return "";
    }
    return fw::Narrow(value);
}

class SpanningWallpaper : public ProgramFolder {
protected:

    // The wallpaper bitmap once the program has written one of the spanning
    // size newer than `after`: watched first, read only when it is there
    // whole, so that the program's writes are not disturbed.
    std::string WrittenBitmap(const FILETIME& after) {
        const std::uint64_t bytes = kBitmapFileHeaderBytes + std::uint64_t{kWidth} * kHeight * 4;
        std::string read;
        WaitFor([&] {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            if (!::GetFileAttributesExW(fw::Wide(Bitmap()).c_str(), GetFileExInfoStandard, &data) ||
                (std::uint64_t{data.nFileSizeHigh} << 32 | data.nFileSizeLow) != bytes ||
                ::CompareFileTime(&data.ftLastWriteTime, &after) <= 0) {
                return false;
            }
            written = data.ftLastWriteTime;
            read = ReadFileBytes(Bitmap());
            return read.size() == bytes;
        });
        return read;
    }

    void TearDown() override {
        if (program.Running()) CloseAndExpectExit(program, frame);
    }

    ChildProcess program;
    HWND frame = nullptr;
    FILETIME written{};
};

// What the desktop shows at (x, y) of the virtual screen, the bitmap tiled
// from (0, 0): its pixel, top row first after the 54-byte header.
PixelValue Shown(const std::string& file, int x, int y) {
    const int column = (x % kWidth + kWidth) % kWidth, row = (y % kHeight + kHeight) % kHeight;
    PixelValue pixel = 0;
    std::memcpy(&pixel, file.data() + kBitmapFileHeaderBytes + (std::size_t(kHeight - 1 - row) * kWidth + column) * 4,
                4);
    return pixel & 0xFFFFFF;
}

// The other monitor comes first, left of the primary: it shows the first
// picture stretched over it, the primary the second centred. The bitmap is
// shown tiled, so the part left of and above the primary monitor lies at
// its far side. The boss key then shows the boss picture on both.
TEST_F(SpanningWallpaper, EachMonitorShowsItsOwnPictureAndTheBossKeyShowsTheBossPictureOnBoth) {
    const std::vector<RECT> monitors = Monitors();
    ASSERT_EQ(monitors.size(), 2u) << "wine-monitors gives two monitors";
    ASSERT_TRUE(SameRect(monitors[0], kPrimary) || SameRect(monitors[1], kPrimary));
    ASSERT_TRUE(SameRect(monitors[0], kOther) || SameRect(monitors[1], kOther));

    AppSettings s;
    s.intervalUnit = 1;  // a minute: no tick of its own during the test
    s.intervalValue = 1;
    AppendPicture(s.imageList, Picture("left.bmp", kLeftColour));
    AppendPicture(s.imageList, Picture("primary.bmp", kPrimaryColour));
    s.imageList[0].displayMethod = static_cast<std::int32_t>(DisplayMethod::Enlarge);
    s.bossPicturePath = Picture("boss.bmp", kBossColour);
    s.extension.userOptions.perMonitorPictures = true;
    WriteSettingsFile(s);
    frame = StartAndWaitForWindow(program);
    ASSERT_NE(frame, nullptr);

    const std::string first = WrittenBitmap({});
    ASSERT_FALSE(first.empty()) << "no wallpaper bitmap of the virtual screen's size";
    const PixelValue desktop = PixelValueFromColorRef(::GetSysColor(COLOR_BACKGROUND));
    const struct {
        const char* where;
        int x, y;
        PixelValue colour;
    } points[] = {
        {"the other monitor's top-left corner", -640, -200, kLeftColour},
        {"its bottom-right corner", -1, 279, kLeftColour},
        {"its centre", -320, 40, kLeftColour},
        {"the primary's centre", 512, 384, kPrimaryColour},
        {"the primary's corner: the picture is centred", 0, 0, desktop},
        {"below the other monitor, on no monitor", -320, 500, desktop},
    };
    for (const auto& p : points) EXPECT_EQ(Shown(first, p.x, p.y), p.colour) << p.where;
    EXPECT_EQ(DesktopValue(L"TileWallpaper"), "1");
    EXPECT_EQ(DesktopValue(L"WallpaperStyle"), "0");

    ::PostMessageW(frame, WM_HOTKEY, 256, 0);
    const std::string boss = WrittenBitmap(written);
    ASSERT_FALSE(boss.empty()) << "no new wallpaper after the boss key";
    EXPECT_EQ(Shown(boss, -320, 40), kBossColour) << "the other monitor's centre";
    EXPECT_EQ(Shown(boss, -640, -200), desktop) << "centred at its own size";
    EXPECT_EQ(Shown(boss, 512, 384), kBossColour) << "the primary's centre";
}

}  // namespace
