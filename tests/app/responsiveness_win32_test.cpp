// Figures for the notes, not tests of speed: how long a wallpaper change
// takes from the tick to the desktop showing it, and how fast the main
// window answers while a large picture is being composed.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "settings/image_list.h"
#include "tests/support/program_folder_win32.h"
#include "wallpaper/bitmap_image_win32.h"
#include "wallpaper/bitmap_ops.h"

using namespace wine_test;

namespace {

COLORREF Centre() {
    const POINT c{::GetSystemMetrics(SM_CXSCREEN) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2};
    return ScreenPixels({c.x, c.y, c.x + 1, c.y + 1})[0];
}

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

class LargePictures : public ProgramFolder {
protected:
    void TearDown() override {
        if (program.Running()) CloseAndExpectExit(program, frame);
    }

    // Starts with a small solid picture on the desktop, then asks for the
    // photograph; measures until the desktop shows it.
    void MeasureChangeTo(const char* photo, bool pollWindow) {
        const std::string solid = Folder() + "\\solid.bmp";
        ASSERT_TRUE(WriteFileBytes(solid, ""));
        auto bitmap = CreateSolidBitmap({64, 48}, 0x00123456);
        ASSERT_TRUE(WriteBitmapFile(solid, &*bitmap));
        AppSettings s;
        s.intervalUnit = 1;
        AppendPicture(s.imageList, solid);
        AppendPicture(s.imageList, BuildFolder() + "\\fixtures\\" + photo);
        WriteSettingsFile(s);
        frame = StartAndWaitForWindow(program);
        ASSERT_NE(frame, nullptr);
        ASSERT_TRUE(WaitFor([] { return Centre() == RGB(0x12, 0x34, 0x56); }));

        LARGE_INTEGER start, now;
        ::QueryPerformanceCounter(&start);
        ::PostMessageA(frame, WM_COMMAND, 32788, 0);
        double slowestAnswer = 0;
        int answers = 0;
        ASSERT_TRUE(WaitFor([&] {
            if (pollWindow) {
                LARGE_INTEGER sent, answered;
                DWORD_PTR result = 0;
                ::QueryPerformanceCounter(&sent);
                ::SendMessageTimeoutA(frame, WM_NULL, 0, 0, SMTO_NORMAL, kTimeoutMs, &result);
                ::QueryPerformanceCounter(&answered);
                slowestAnswer = std::max(slowestAnswer, Milliseconds(sent, answered));
                ++answers;
            }
            return Centre() != RGB(0x12, 0x34, 0x56);
        }, 120000));
        ::QueryPerformanceCounter(&now);
        std::printf("[ timing ] %s: from the tick to the desktop showing it %.0f ms\n", photo, Milliseconds(start, now));
        if (pollWindow) {
            std::printf("[ timing ] %s: the main window answered %d messages meanwhile, the slowest in %.1f ms\n",
                        photo, answers, slowestAnswer);
        }
    }

    ChildProcess program;
    HWND frame = nullptr;
};

TEST_F(LargePictures, TwelveMegapixelChange) { MeasureChangeTo("photo12.jpg", false); }

TEST_F(LargePictures, MainWindowAnswersWhileTwentyFourMegapixelsAreComposed) {
    MeasureChangeTo("photo24.jpg", true);
}

}  // namespace
